// zemra-headless: hosts the control without a display, runs scripted user
// actions and prints the panel's state as JSON.
#include <ctime>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "CurlFetcher.h"
#include "HeadlessHost.h"
#include "HostOptions.h"
#include "HostSetup.h"
#include "PageOrigin.h"
#include "ScriptRunner.h"
#include "control/HostSafety.h"
#include "control/MainCtl.h"

using namespace zemra;
using namespace zemra::headless;

namespace {

const char* const kUsage =
    "usage: zemra-headless [--properties FILE|URL] [--replies FILE] [--today YYYY-MM-DD]\n"
    "                      [--timeout SECONDS] [--locale TAG] [--modal-only] [--script FILE]\n"
    "Runs ProcessInitData, then the script (or standard input), one action a line.\n"
    "Properties from an http(s) address are fetched; page addresses in them that\n"
    "start with \"/\" are resolved against that address's origin.\n";

Date SystemToday() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

}  // namespace

int main(int argc, char** argv) {
    HostOptions options;
    try {
        options = ParseHostOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const OptionError& e) {
        std::cerr << e.what() << "\n" << kUsage;
        return 2;
    }
    if (options.help) {
        std::cout << kUsage;
        return 0;
    }
    const std::string& propertiesPath = options.propertiesPath;
    const std::string& repliesPath = options.repliesPath;
    const std::string& scriptPath = options.scriptPath;
    const std::string& today = options.today;
    const long timeout = options.timeoutSeconds;
    const Locale& locale = options.locale;
    const bool modalOnly = options.modalOnly;
    try {
        HeadlessHost host(today.empty() ? SystemToday() : ParseIsoDate(today), locale);
        host.SetModelessAllowed(!modalOnly);
        // Properties from a service carry page addresses relative to it.
        const std::string origin = OriginOf(propertiesPath);
        if (!repliesPath.empty())
            host.SetCannedReplies(ReadRepliesFile(repliesPath));
        else
            host.SetFetcher([timeout, origin](const std::string& address) {
                return CurlFetch(ResolveAgainst(origin, address), timeout);
            });
        PropertyBag bag;
        if (IsWebAddress(propertiesPath)) {
            const FetchResult reply = CurlFetch(propertiesPath, timeout);
            if (!reply.ok) throw std::runtime_error(reply.error);
            bag = ParseProperties(reply.body, propertiesPath);
        } else if (!propertiesPath.empty()) {
            bag = ReadPropertiesFile(propertiesPath);
        }

        // Asked first, as a browser asks an embedded control.
        MainCtl ctl(host);
        if (const auto why = RefusalToInitialise(ctl)) {
            std::cerr << *why << "\n";
            return 3;
        }
        ctl.ReadProperties(bag);
        if (const auto why = RefusalToScript(ctl)) {
            std::cerr << *why << "\n";
            return 3;
        }
        ctl.ProcessInitData();

        ScriptRunner runner(ctl.Ui(), host, std::cout, std::cerr);
        if (scriptPath.empty()) {
            runner.Run(std::cin);
        } else {
            std::ifstream script(scriptPath);
            if (!script) {
                std::cerr << "cannot read " << scriptPath << "\n";
                return 2;
            }
            runner.Run(script);
        }
    } catch (const ScriptError& e) {
        std::cerr << e.what() << "\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 2;
    }
    return 0;
}
