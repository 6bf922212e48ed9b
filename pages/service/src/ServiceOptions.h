#pragma once
// The command line of zemra-pages.
//
//   zemra-pages [--listen HOST:PORT] [--port-fallback] [--database FILE|postgresql://...]
//               [--control DIR] [--book FILE] [--threads N] [--engine-threads N]
//               [--today YYYY-MM-DD] [--pid-file FILE]
//               [--connections N] [--connections-per-address N]
//   zemra-pages import FILE.json [--database FILE|postgresql://...]
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "http/HttpServer.h"
#include "toolkit/DateText.h"

namespace zemra::pages {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ServiceOptions {
    bool import = false;
    std::string importFile;
    std::string host = "127.0.0.1";
    int port = 8080;
    bool portFallback = false;
    std::string database;
    std::string controlDir;
    std::string book;  // imported into a database without securities
    int threads = 8;
    int engineThreads = 0;      // 0: one per processor of the machine
    std::optional<Date> today;  // default: the system's date (UTC)
    std::string pidFile;
    ConnectionLimits limits;  // --connections, --connections-per-address
};

// Defaults: database, control folder and book are given by the caller (the
// build knows where they are).
ServiceOptions ParseServiceOptions(const std::vector<std::string>& args, const ServiceOptions& defaults);

std::string UsageText();

}  // namespace zemra::pages
