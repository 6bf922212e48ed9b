#pragma once
// The HTTP side of the service on GNU libmicrohttpd: a listening socket of
// our own (so that port 0 tells the port it took), a pool of worker
// threads, request addresses of up to kLongestAddress bytes, one call per
// answered request (for the access log), and a stop that lets the requests
// in flight finish.
//
// A gate of its own accepts the connections: it refuses a connection beyond
// the overall or the per-address cap at once (503), waits for the first
// request's head to arrive whole within the head deadline, and answers a
// request line the service does not take (no HTTP/1.x, longer than
// kLongestAddress) with a one-line text itself; only then does the library
// get the connection. A kept connection's next head must arrive whole
// within the idle time of the previous reply.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

struct MHD_Daemon;

namespace zemra::pages {

// The longest request address (path and query) the service answers; longer
// ones get 414 with a reason.
constexpr std::size_t kLongestAddress = 1024 * 1024;
// The longest head (request line and headers) beyond the address.
constexpr std::size_t kLongestHeaders = 16 * 1024;

struct ConnectionLimits {
    int headSeconds = 10;            // a new connection's first request head arrives whole within this
    int idleSeconds = 30;            // a kept connection's next head, from the previous reply
    int connections = 512;           // open connections in all; beyond: 503 at once
    int connectionsPerAddress = 64;  // open connections of one client address; beyond: 503 at once
};

struct HttpRequest {
    std::string method;
    std::string path;      // percent-decoded
    std::string rawQuery;  // what follows "?" in the address, as sent
    std::size_t addressLength = 0;
};

struct HttpReply {
    int status = 200;
    std::string body;
    std::string type;  // Content-Type; none when empty
};

class HttpServer {
public:
    using Handler = std::function<HttpReply(const HttpRequest&)>;
    // Called once per answered request when its reply is handed to the
    // connection: the request, its status and the microseconds since its
    // request line arrived.
    using Logger = std::function<void(const HttpRequest&, int status, long long micros)>;

    HttpServer(Handler handler, Logger logger, int threads, ConnectionLimits limits = {});
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
    void EndRequest(void* state, void* connection);
    void ConnectionOpened(void* connection, int fd);
    void ConnectionClosed(void* connection);
    void HeadArrived(void* connection);

private:
    struct Gate;
    void FinishInFlight();
    void GateLoop();
    void StopGate();
    // Sets (or clears, with seconds < 0) the deadline of a kept connection's next head.
    void SetHeadDeadline(void* connection, int seconds);

    Handler m_handler;
    Logger m_logger;
    int m_threads;
    ConnectionLimits m_limits;
    std::unique_ptr<Gate> m_gate;
    int m_listenSocket = -1;
    MHD_Daemon* m_daemon = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_stopRequested = false;
    int m_inFlight = 0;  // requests being answered or whose answer is being sent
};

}  // namespace zemra::pages
