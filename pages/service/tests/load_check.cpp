// The bounded load check: the service on a loopback port with the demo
// book, many concurrent keep-alive clients for a few seconds against
// QuickSearch, GetScenario, CapitalCalc and CarryCalc; prints the requests,
// the answers by status, requests per second and the service's processor
// time per request, and fails on any answer other than 200 or on more
// processor time per request than --most-cpu-us, or when a client opens more
// than the one connection it keeps alive.
//
//   zemra_pages_load [--seconds N] [--clients N] [--most-cpu-us N]
#include <time.h>

#include <cstdio>
#include <map>

#include "ServiceHarness.h"

using namespace zemra::pages;
using namespace zemra::pages::testing;

namespace {

double CpuSeconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    std::map<std::string, double> options = {{"--seconds", 3}, {"--clients", 32}, {"--most-cpu-us", 1000}};
    for (int i = 1; i + 1 < argc; i += 2) options[argv[i]] = std::atof(argv[i + 1]);
    const double seconds = options["--seconds"], mostCpuMicros = options["--most-cpu-us"];
    const long clients = std::lround(options["--clients"]);
    if (options.size() > 3 || seconds <= 0 || seconds > 30 || clients <= 0 || clients > 256) {
        std::fprintf(stderr, "usage: zemra_pages_load [--seconds 0-30] [--clients 1-256] [--most-cpu-us N]\n");
        return 2;
    }
    const TestDatabase database;  // SQLite, or PostgreSQL when ZEMRA_PAGES_TEST_POSTGRES names a server
    auto service = std::make_unique<RunningService>(database.Address(), false);
    service->Service().Database().Run([](SqlConnection& c) { ImportBookFile(c, ZEMRA_PAGES_DEMO_BOOK); });
    const std::vector<std::pair<std::string, std::string>> targets = {
        {"QuickSearch", "/pages/QuickSearch?QuickSearch=cv"},
        {"GetScenario", "/pages/GetScenario"},
        {"CapitalCalc", CapitalQuery(1001).With("CapitalRule", "2").Page("CapitalCalc")},
        {"CarryCalc", CarryQuery({30, 90, 365}, 1001).Page("CarryCalc")}};
    std::mutex mutex;
    std::map<std::pair<std::string, int>, long> answers;  // (page, status) -> count
    long connections = 0;
    double clientCpu = 0;
    std::atomic<bool> stop{false};
    std::vector<std::thread> workers;
    const double cpuBefore = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const auto start = std::chrono::steady_clock::now();
    for (long c = 0; c < clients; ++c) {
        workers.emplace_back([&, c] {
            const double cpuStart = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
            std::map<std::pair<std::string, int>, long> mine;
            Connection client(service->Port());
            for (std::size_t n = static_cast<std::size_t>(c); !stop; ++n) {
                const auto& [name, address] = targets[n % targets.size()];
                ++mine[{name, client.Request("GET", address).status}];
            }
            std::lock_guard lock(mutex);
            for (const auto& [key, count] : mine) answers[key] += count;
            connections += client.Opened();
            clientCpu += CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - cpuStart;
        });
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    stop = true;
    for (auto& w : workers) w.join();
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double serviceCpu = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuBefore - clientCpu;
    service.reset();
    long total = 0, failures = 0;
    std::printf("load check: %ld keep-alive clients, %.1f s, loopback, %s, %ld connections\n", clients, elapsed,
                IsPostgresAddress(database.Address()) ? "PostgreSQL" : "SQLite", connections);
    std::printf("%-12s %6s %10s\n", "page", "status", "answers");
    for (const auto& [key, count] : answers) {
        std::printf("%-12s %6d %10ld\n", key.first.c_str(), key.second, count);
        total += count;
        failures += key.second == 200 ? 0 : count;
    }
    const double cpuMicros = total > 0 ? serviceCpu / static_cast<double>(total) * 1e6 : 0;
    std::printf("requests %ld, %.0f per s, service processor time %.2f s, %.0f us per request (at most %.0f)\n", total,
                total / elapsed, serviceCpu, cpuMicros, mostCpuMicros);
    return failures == 0 && total > 0 && cpuMicros <= mostCpuMicros && connections <= clients ? 0 : 1;
}
