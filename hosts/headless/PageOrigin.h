#pragma once
#include <string>

namespace zemra::headless {

// Properties read from a service (--properties http://HOST:PORT/...) carry
// page addresses relative to that service, as a host page does ("/pages/
// ScenarioDetail"). A browser resolves them against the page's origin; the
// headless host does the same against the origin of the properties'
// address.

// Whether the text is an http or https address.
bool IsWebAddress(const std::string& text);

// "scheme://authority" of an http(s) address; empty when it is not one.
std::string OriginOf(const std::string& address);

// An address that starts with a single "/" joined to the origin; any other
// address (absolute, or with no origin to join) is returned as it stands.
std::string ResolveAgainst(const std::string& origin, const std::string& address);

}  // namespace zemra::headless
