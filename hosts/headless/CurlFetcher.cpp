#include "CurlFetcher.h"

#include <curl/curl.h>

#include "compute/PageContract.h"

namespace zemra::headless {

namespace {

// The body as it arrives; a body that would grow past the largest reply the
// control reads stops the transfer.
struct Body {
    std::string text;
    bool tooLarge = false;
};

size_t Collect(char* data, size_t size, size_t count, void* target) {
    Body& body = *static_cast<Body*>(target);
    if (size * count > pages::kMaxReplyBytes - body.text.size()) {
        body.tooLarge = true;
        return 0;
    }
    body.text.append(data, size * count);
    return size * count;
}

struct CurlGlobal {
    CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    ~CurlGlobal() { curl_global_cleanup(); }
};

}  // namespace

std::string StatusFailure(const std::string& address, long status) {
    return "The request to " + address + " failed: the server answered with status " + std::to_string(status) + ".";
}

FetchResult CurlFetch(const std::string& address, long timeoutSeconds) {
    static CurlGlobal global;
    FetchResult result;
    CURL* curl = curl_easy_init();
    if (!curl) {
        result.error = "The request to " + address + " could not be started.";
        return result;
    }
    // A time-out of 0 would let a server that never answers block the
    // control for good; a non-positive one falls back to the default.
    if (timeoutSeconds <= 0) timeoutSeconds = kDefaultTimeoutSeconds;
    Body body;
    curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, timeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    if (body.tooLarge) {
        result.error = pages::ReplyTooLarge(address, pages::kMaxReplyBytes + 1);
        return result;
    }
    if (code != CURLE_OK) {
        result.error = "The request to " + address + " failed: " + curl_easy_strerror(code) + ".";
        return result;
    }
    if (status < 200 || status > 299) {
        result.error = StatusFailure(address, status);
        result.status = static_cast<int>(status);
        result.body = std::move(body.text);
        return result;
    }
    result.ok = true;
    result.body = std::move(body.text);
    return result;
}

}  // namespace zemra::headless
