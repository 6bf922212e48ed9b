#include "HostOptions.h"

#include "HostSetup.h"
#include "LocaleTags.h"

namespace zemra::headless {

namespace {

long ReadTimeout(const std::string& text) {
    const std::string problem = "--timeout takes a whole number of seconds from 1 to " +
                                std::to_string(kMaxTimeoutSeconds) + ", not '" + text + "'";
    if (text.empty() || text.size() > 6) throw OptionError(problem);
    long seconds = 0;
    for (char c : text) {
        if (c < '0' || c > '9') throw OptionError(problem);
        seconds = seconds * 10 + (c - '0');
    }
    if (seconds < 1 || seconds > kMaxTimeoutSeconds) throw OptionError(problem);
    return seconds;
}

Locale ReadLocaleTag(const std::string& tag) {
    if (const auto known = LocaleForTag(tag)) return *known;
    std::string message = "--locale: unknown language tag '" + tag + "' (known:";
    for (const std::string& t : KnownLocaleTags()) message += " " + t;
    throw OptionError(message + ")");
}

}  // namespace

HostOptions ParseHostOptions(const std::vector<std::string>& args) {
    HostOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) throw OptionError(arg + " needs a value");
            return args[++i];
        };
        if (arg == "--properties")
            options.propertiesPath = value();
        else if (arg == "--replies")
            options.repliesPath = value();
        else if (arg == "--script")
            options.scriptPath = value();
        else if (arg == "--today") {
            options.today = value();
            try {
                ParseIsoDate(options.today);
            } catch (const std::runtime_error& e) {
                throw OptionError(std::string("--today: ") + e.what());
            }
        } else if (arg == "--timeout")
            options.timeoutSeconds = ReadTimeout(value());
        else if (arg == "--locale")
            options.locale = ReadLocaleTag(value());
        else if (arg == "--modal-only")
            options.modalOnly = true;
        else if (arg == "--help" || arg == "-h")
            options.help = true;
        else
            throw OptionError("unknown option " + arg);
    }
    return options;
}

}  // namespace zemra::headless
