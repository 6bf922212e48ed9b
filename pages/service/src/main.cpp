// zemra-pages: the server pages of ZemraImpactAnalysis as an HTTP service,
// and the import of books into its database.
#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <thread>

#include "ServiceOptions.h"
#include "book/BookJson.h"
#include "http/PagesService.h"
#include "store/BookImport.h"
#include "store/BookStore.h"
#include "store/Schema.h"

namespace {

using namespace zemra::pages;

constexpr int kFallbackPorts = 20;

zemra::Date SystemToday() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

// Threads of one valuation when none are asked: every processor, so that a
// large scenario-detail request on an idle machine uses all of it.
int ProcessorCount() {
    constexpr unsigned kMostEngineThreads = 64;
    const unsigned count = std::thread::hardware_concurrency();
    return static_cast<int>(count == 0 ? 1 : std::min(count, kMostEngineThreads));
}

int Import(const ServiceOptions& options) {
    auto connection = OpenConnection(options.database);
    MigrateSchema(*connection);
    ImportBookFile(*connection, options.importFile);
    std::cout << "imported " << options.importFile << " into " << options.database << "\n";
    return 0;
}

int Serve(const ServiceOptions& options) {
    // SIGINT and SIGTERM reach only the watcher thread below, which stops
    // the service; the workers finish the requests in flight.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    ServiceSettings settings;
    settings.database = options.database;
    settings.controlDir = options.controlDir;
    settings.today = options.today.value_or(SystemToday());
    settings.threads = options.threads;
    settings.limits = options.limits;
    settings.engineThreads = options.engineThreads > 0 ? options.engineThreads : ProcessorCount();
    settings.accessLog = &std::cout;
    PagesService service(settings);
    const bool empty = service.Database().Run([](SqlConnection& c) { return !HasSecurities(c); });
    if (empty && !options.book.empty()) {
        service.Database().Run([&](SqlConnection& c) { ImportBookFile(c, options.book); });
        std::cout << "imported " << options.book << " into a new database\n";
    }

    int port = -1;
    const int last = options.portFallback && options.port != 0 ? options.port + kFallbackPorts : options.port;
    for (int candidate = options.port; candidate <= last && port < 0; ++candidate)
        port = service.Bind(options.host, candidate);
    if (port < 0) {
        std::cerr << "zemra-pages cannot listen on " << options.host << ":" << options.port << "\n";
        return 1;
    }
    if (!options.pidFile.empty()) std::ofstream(options.pidFile) << getpid() << "\n";
    const std::string host = options.host.find(':') != std::string::npos ? "[" + options.host + "]" : options.host;
    std::cout << "zemra-pages: http://" << host << ":" << port << "/" << std::endl;

    std::thread watcher([&service, &signals] {
        int signal = 0;
        sigwait(&signals, &signal);
        service.Stop();
    });
    service.Run();
    pthread_kill(watcher.native_handle(), SIGUSR1);  // wakes the watcher when Run ended on its own
    watcher.join();
    if (!options.pidFile.empty()) std::remove(options.pidFile.c_str());
    std::cout << "zemra-pages stopped" << std::endl;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    ServiceOptions defaults;
    defaults.database = ZEMRA_PAGES_DEFAULT_DATABASE;
    defaults.controlDir = ZEMRA_PAGES_DEFAULT_CONTROL;
    defaults.book = ZEMRA_PAGES_DEMO_BOOK;
    try {
        const ServiceOptions options = ParseServiceOptions(std::vector<std::string>(argv + 1, argv + argc), defaults);
        return options.import ? Import(options) : Serve(options);
    } catch (const UsageError& e) {
        std::cerr << e.what() << "\n" << UsageText();
        return 2;
    } catch (const BookError& e) {
        std::cerr << "the book is refused: " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "zemra-pages: " << e.what() << "\n";
        return 1;
    }
}
