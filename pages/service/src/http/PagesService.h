#pragma once
// The zemra-pages HTTP service: the demo host page at "/", the control's
// static files under "/control/", and the eight pages under "/pages/". A
// pool of worker threads answers; every request writes one access-log line
// (time, method, page, status, microseconds).
#include <atomic>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>

#include "http/HttpServer.h"
#include "pages/PageContext.h"
#include "store/ConnectionPool.h"

namespace zemra::pages {

struct ServiceSettings {
    std::string database;     // SQLite file or postgresql:// address
    std::string controlDir;   // the control's files
    Date today;               // valuation date of carry and valuations
    int threads = 8;          // worker threads
    int engineThreads = 1;    // threads of one valuation request
    ConnectionLimits limits;  // head deadline and connection caps
    std::ostream* accessLog = nullptr;
};

class PagesService {
public:
    // Opens the database and brings its schema up to date.
    explicit PagesService(ServiceSettings settings);
    ~PagesService();
    PagesService(const PagesService&) = delete;
    PagesService& operator=(const PagesService&) = delete;

    ConnectionPool& Database() { return m_pool; }

    // Binds host:port (port 0: any free port) and returns the port; -1 when
    // the address cannot be bound.
    int Bind(const std::string& host, int port);
    // Answers requests until Stop; returns after the requests in flight
    // have been answered.
    void Run();
    // May be called from any thread (a signal watcher).
    void Stop();
    // Requests being answered now.
    int RequestsInFlight() { return m_server ? m_server->InFlight() : 0; }

private:
    HttpReply Route(const HttpRequest& request);
    HttpReply AnswerPage(const std::string& name, const HttpRequest& request);
    void LogRequest(const HttpRequest& request, int status, long long micros);

    ServiceSettings m_settings;
    ConnectionPool m_pool;
    PageContext m_context;
    std::unique_ptr<HttpServer> m_server;
    std::mutex m_logMutex;
};

}  // namespace zemra::pages
