#pragma once
#include <string>

#include "toolkit/HostSeam.h"

namespace zemra::headless {

// Fetches an address over HTTP(S) with libcurl: redirects followed, a
// time-out, and any status other than 2xx (with its status and body) or a
// broken connection reported as a failed fetch whose message names the
// address and the cause.
// A time-out of 0 or less means the default.
constexpr long kDefaultTimeoutSeconds = 60;
// The message of a fetch the server answered with a status other than 2xx.
std::string StatusFailure(const std::string& address, long status);
FetchResult CurlFetch(const std::string& address, long timeoutSeconds = kDefaultTimeoutSeconds);

}  // namespace zemra::headless
