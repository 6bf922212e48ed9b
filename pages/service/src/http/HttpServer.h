#pragma once
// The HTTP side of the service on GNU libmicrohttpd: a listening socket of
// our own (so that port 0 tells the port it took), a pool of worker
// threads, request addresses of up to kLongestAddress bytes, one call per
// answered request (for the access log), and a stop that lets the requests
// in flight finish.
//
// A gate of its own accepts the connections and stands between each client
// and the library: it refuses a connection beyond the overall or the
// per-address cap at once (503), and it reads every request head of the
// connection, first or kept or pipelined, before the library sees it. A
// head the service does not take (no HTTP/1.x, a malformed request line or
// header, an address longer than kLongestAddress, a head too long) gets a
// one-line text from the gate once the library has answered the requests
// before it; the library never answers with a page of its own. The first
// head must arrive whole within the head deadline, a kept connection's next
// head within the idle time from the previous reply.
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
// The longest head (request line and headers) the service takes.
constexpr std::size_t kLongestHead = kLongestAddress + kLongestHeaders;

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

private:
    struct Gate;
    struct Link;
    void FinishInFlight();
    void GateLoop();
    void StopGate();
    void Accept();
    void Pass(Link& link);
    void Watch(Link& link);
    void Close(Link& link);

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
