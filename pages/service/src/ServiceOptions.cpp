#include "ServiceOptions.h"

#include "book/TextFields.h"

namespace zemra::pages {

namespace {

int ReadCount(const std::string& option, const std::string& text, int low, int high) {
    std::size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || text.empty() || value < low || value > high) {
        throw UsageError(option + ": '" + text + "' is not a number from " + std::to_string(low) + " to " +
                         std::to_string(high));
    }
    return value;
}

}  // namespace

std::string UsageText() {
    return "usage: zemra-pages [--listen HOST:PORT] [--port-fallback] [--database FILE|postgresql://...]\n"
           "                   [--control DIR] [--book FILE] [--threads N] [--engine-threads N]\n"
           "                   [--today YYYY-MM-DD] [--pid-file FILE]\n"
           "                   [--connections N] [--connections-per-address N]\n"
           "       zemra-pages import FILE.json [--database FILE|postgresql://...]\n";
}

ServiceOptions ParseServiceOptions(const std::vector<std::string>& args, const ServiceOptions& defaults) {
    ServiceOptions o = defaults;
    std::size_t i = 0;
    if (!args.empty() && args[0] == "import") {
        if (args.size() < 2 || args[1].rfind("--", 0) == 0) throw UsageError("import needs the file to import");
        o.import = true;
        o.importFile = args[1];
        i = 2;
    }
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
            return args[++i];
        };
        if (arg == "--database") {
            o.database = value();
        } else if (o.import) {
            throw UsageError("import takes only --database, not " + arg);
        } else if (arg == "--listen") {
            const std::string& address = value();
            const std::size_t colon = address.rfind(':');
            if (colon == std::string::npos || colon == 0)
                throw UsageError("--listen: '" + address + "' is not HOST:PORT");
            o.host = address.substr(0, colon);
            if (o.host.size() > 2 && o.host.front() == '[' && o.host.back() == ']')
                o.host = o.host.substr(1, o.host.size() - 2);
            o.port = ReadCount("--listen", address.substr(colon + 1), 0, 65535);
        } else if (arg == "--port-fallback") {
            o.portFallback = true;
        } else if (arg == "--control") {
            o.controlDir = value();
        } else if (arg == "--book") {
            o.book = value();
        } else if (arg == "--threads") {
            o.threads = ReadCount(arg, value(), 1, 256);
        } else if (arg == "--engine-threads") {
            o.engineThreads = ReadCount(arg, value(), 1, 64);
        } else if (arg == "--today") {
            const std::string& text = value();
            o.today = ReadIsoDate(text);
            if (!o.today) throw UsageError("--today: '" + text + "' is not a date (YYYY-MM-DD)");
        } else if (arg == "--connections") {
            o.limits.connections = ReadCount(arg, value(), 1, 60000);
        } else if (arg == "--connections-per-address") {
            o.limits.connectionsPerAddress = ReadCount(arg, value(), 1, 60000);
        } else if (arg == "--pid-file") {
            o.pidFile = value();
        } else {
            throw UsageError("unknown option " + arg);
        }
    }
    return o;
}

}  // namespace zemra::pages
