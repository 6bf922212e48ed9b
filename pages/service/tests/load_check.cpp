// The bounded load check: the service on a loopback port with the demo
// book, many concurrent clients for a few seconds against QuickSearch,
// GetScenario and CapitalCalc; prints requests per second and fails on any
// error.
//
//   zemra_pages_load [--seconds N] [--clients N]
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "ServiceHarness.h"

using namespace zemra::pages;
using namespace zemra::pages::testing;

int main(int argc, char** argv) {
    double seconds = 2;
    int clients = 16;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--seconds") seconds = std::atof(argv[i + 1]);
        if (arg == "--clients") clients = std::atoi(argv[i + 1]);
    }
    if (seconds <= 0 || seconds > 30 || clients <= 0 || clients > 256) {
        std::fprintf(stderr, "usage: zemra_pages_load [--seconds 0-30] [--clients 1-256]\n");
        return 2;
    }
    const TestDatabase database;   // SQLite, or PostgreSQL when ZEMRA_PAGES_TEST_POSTGRES names a server
    ServiceSettings settings;
    settings.database = database.Address();
    settings.today = TestToday();
    settings.threads = 8;
    PagesService service(settings);
    service.Database().Run([](SqlConnection& c) { ImportBookFile(c, ZEMRA_PAGES_DEMO_BOOK); });
    const int port = service.Bind("127.0.0.1", 0);
    std::thread server([&] { service.Run(); });

    struct Target {
        const char* name;
        std::string address;
        std::atomic<long> done{0};
        std::atomic<long> failed{0};
    };
    std::vector<std::unique_ptr<Target>> targets;
    for (const auto& [name, address] :
         std::vector<std::pair<const char*, std::string>>{
             {"QuickSearch", "/pages/QuickSearch?QuickSearch=cv"},
             {"GetScenario", "/pages/GetScenario"},
             {"CapitalCalc", CapitalQuery(1001).With("CapitalRule", "2").Page("CapitalCalc")}}) {
        auto t = std::make_unique<Target>();
        t->name = name;
        t->address = address;
        targets.push_back(std::move(t));
    }
    std::atomic<bool> stop{false};
    std::vector<std::thread> workers;
    for (int c = 0; c < clients; ++c) {
        workers.emplace_back([&, c] {
            HttpClient client(port);
            for (long n = c; !stop; ++n) {
                Target& t = *targets[static_cast<std::size_t>(n) % targets.size()];
                if (client.Get(t.address).status == 200) {
                    ++t.done;
                } else {
                    ++t.failed;
                }
            }
        });
    }
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    stop = true;
    for (auto& w : workers) w.join();
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    service.Stop();
    server.join();

    long failures = 0, total = 0;
    std::printf("load check: %d clients, %.1f s, loopback, %s\n", clients, elapsed,
                IsPostgresAddress(database.Address()) ? "PostgreSQL" : "SQLite");
    std::printf("%-12s %10s %10s %8s\n", "page", "requests", "per s", "errors");
    for (const auto& t : targets) {
        std::printf("%-12s %10ld %10.0f %8ld\n", t->name, t->done.load(), t->done / elapsed, t->failed.load());
        failures += t->failed;
        total += t->done;
    }
    std::printf("%-12s %10ld %10.0f %8ld\n", "all", total, total / elapsed, failures);
    return failures == 0 && total > 0 ? 0 : 1;
}
