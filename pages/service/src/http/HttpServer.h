#pragma once
// The HTTP side of the service on GNU libmicrohttpd: a listening socket of
// our own (so that port 0 tells the port it took), a pool of worker
// threads, request addresses of up to kLongestAddress bytes, one call per
// answered request (for the access log), and a stop that lets the requests
// in flight finish.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>

struct MHD_Daemon;

namespace zemra::pages {

// The longest request address (path and query) the service answers; longer
// ones get 414 with a reason.
constexpr std::size_t kLongestAddress = 4 * 1024 * 1024;

struct HttpRequest {
    std::string method;
    std::string path;       // percent-decoded
    std::string rawQuery;   // what follows "?" in the address, as sent
    std::size_t addressLength = 0;
};

struct HttpReply {
    int status = 200;
    std::string body;
    std::string type;   // Content-Type; none when empty
};

class HttpServer {
public:
    using Handler = std::function<HttpReply(const HttpRequest&)>;
    // Called once per answered request when its reply is handed to the
    // connection: the request, its status and the microseconds since its
    // request line arrived.
    using Logger = std::function<void(const HttpRequest&, int status, long long micros)>;

    HttpServer(Handler handler, Logger logger, int threads);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds and listens on host:port (port 0: any free port); returns the
    // port, or -1 when the address cannot be bound.
    int Bind(const std::string& host, int port);
    // Answers requests until Stop; returns after the requests in flight
    // have been answered.
    void Run();
    // May be called from any thread, before or during Run.
    void Stop();
    // Requests being answered now (or whose answer is being sent).
    int InFlight();

    // Entry points of the library's callbacks.
    void* BeginRequest(const char* address);
    int Answer(void* state, const char* method, const char* path, void* connection);
    void EndRequest(void* state);

private:
    void FinishInFlight();

    Handler m_handler;
    Logger m_logger;
    int m_threads;
    int m_listenSocket = -1;
    MHD_Daemon* m_daemon = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stopRequested = false;
    int m_inFlight = 0;   // requests being answered or whose answer is being sent
};

}  // namespace zemra::pages
