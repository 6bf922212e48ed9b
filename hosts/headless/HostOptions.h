#pragma once
#include <stdexcept>
#include <string>
#include <vector>

#include "toolkit/Locale.h"

namespace zemra::headless {

// The headless host's command line.
struct HostOptions {
    std::string propertiesPath, repliesPath, scriptPath, today;
    long timeoutSeconds = 60;
    Locale locale = Locale::EnUs();
    bool modalOnly = false;
    bool help = false;
};

// The longest time-out of a real fetch, in seconds (one day).
constexpr long kMaxTimeoutSeconds = 86400;

// A command line that cannot be read: an unknown option, a missing value,
// or a value that is not what its option takes.
class OptionError : public std::runtime_error {
public:
    explicit OptionError(const std::string& m) : std::runtime_error(m) {}
};

// Reads the arguments after the program's name, strictly: --timeout takes a
// whole number of seconds from 1 to kMaxTimeoutSeconds, written in digits
// only; --today a date YYYY-MM-DD; --locale a known language tag.
HostOptions ParseHostOptions(const std::vector<std::string>& args);

}  // namespace zemra::headless
