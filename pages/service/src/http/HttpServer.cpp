#include "http/HttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <microhttpd.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

namespace zemra::pages {

namespace {

// The reading buffer grows by this much at a time: long addresses arrive
// in few steps.
constexpr std::size_t kMemoryIncrement = 64 * 1024;
// The request line and the headers live in one per-connection memory area
// of the library; it must hold the longest head. The library clears the
// whole area after every request, so its size is the processor time of
// every request: no larger than the longest head needs.
constexpr std::size_t kConnectionMemory = kLongestAddress + kLongestHeaders + 2 * kMemoryIncrement;
// The gate looks at a new connection's head without reading it: the
// socket's receive buffer must hold the longest head.
constexpr int kReceiveBuffer = static_cast<int>(kLongestAddress + kLongestHeaders + 4096);
constexpr int kListenBacklog = 512;
// The gate checks its deadlines at least this often.
constexpr int kGateTickMillis = 200;
// A long head is looked at again when it has grown by this much (or at the
// next tick): a head arriving in small pieces costs no more than a few
// dozen looks, however it is cut.
constexpr std::size_t kPeekStep = 16 * 1024;

using Clock = std::chrono::steady_clock;

struct RequestState {
    std::string address;
    Clock::time_point start = Clock::now();
    bool headSeen = false;  // the library's first call (the head) has been taken
    bool answered = false;
};

// A refusal the gate writes itself, before the library has the connection:
// the same one-line text as every other refusal, then the connection closes.
void WriteRefusal(int fd, int status, const std::string& reason) {
    const char* phrase = status == 503   ? "Service Unavailable"
                         : status == 408 ? "Request Timeout"
                         : status == 414 ? "URI Too Long"
                         : status == 431 ? "Request Header Fields Too Large"
                         : status == 505 ? "HTTP Version Not Supported"
                                         : "Bad Request";
    const std::string reply =
        "HTTP/1.1 " + std::to_string(status) + " " + phrase +
        "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " + std::to_string(reason.size()) +
        "\r\nConnection: close\r\nCache-Control: no-store\r\n\r\n" + reason;
    (void)!send(fd, reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    shutdown(fd, SHUT_WR);
    // What the client sent is read before closing, so that the close does
    // not reset the connection under the reply.
    char sink[4096];
    for (int i = 0; i < 64 && recv(fd, sink, sizeof sink, MSG_DONTWAIT) > 0; ++i) {}
    close(fd);
}

// What the gate makes of a new connection's head so far.
struct HeadVerdict {
    enum Kind { Wait, Ready, Refuse } kind = Wait;
    int status = 0;
    std::string reason;
};

HeadVerdict JudgeHead(std::string_view head) {
    const std::size_t lineEnd = head.find('\n');
    if (lineEnd == std::string_view::npos) {
        if (head.size() > kLongestAddress + 64) {
            return {HeadVerdict::Refuse, 414,
                    "the address is longer than " + std::to_string(kLongestAddress) + " bytes"};
        }
        return {HeadVerdict::Wait, 0, {}};
    }
    std::string_view line = head.substr(0, lineEnd);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t first = line.find(' ');
    const std::size_t last = line.rfind(' ');
    if (first == std::string_view::npos || first == 0) {
        return {HeadVerdict::Refuse, 400, "the request line is not 'METHOD ADDRESS HTTP/1.1'"};
    }
    if (first == last) {
        return {HeadVerdict::Refuse, 505, "a request line without 'HTTP/1.0' or 'HTTP/1.1' (HTTP/0.9) is not answered"};
    }
    const std::string_view version = line.substr(last + 1);
    if (version != "HTTP/1.1" && version != "HTTP/1.0") {
        std::string shown(version.substr(0, 20));
        for (char& c : shown) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
        }
        return {HeadVerdict::Refuse, 505, "the version '" + shown + "' is not answered: HTTP/1.0 or HTTP/1.1"};
    }
    if (last - first - 1 > kLongestAddress) {
        return {HeadVerdict::Refuse, 414, "the address is longer than " + std::to_string(kLongestAddress) + " bytes"};
    }
    if (head.find("\r\n\r\n") != std::string_view::npos || head.find("\n\n") != std::string_view::npos) {
        return {HeadVerdict::Ready, 0, {}};
    }
    if (head.size() >= kLongestAddress + kLongestHeaders) {
        return {HeadVerdict::Refuse, 431,
                "the request's head is longer than " + std::to_string(kLongestAddress + kLongestHeaders) + " bytes"};
    }
    return {HeadVerdict::Wait, 0, {}};
}

std::string AddressKey(const sockaddr* address) {
    char text[INET6_ADDRSTRLEN] = "";
    if (address->sa_family == AF_INET) {
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, sizeof text);
    } else if (address->sa_family == AF_INET6) {
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text, sizeof text);
    }
    return text;
}

void OnConnection(void* server, MHD_Connection* connection, void**, MHD_ConnectionNotificationCode code) {
    auto* self = static_cast<HttpServer*>(server);
    if (code == MHD_CONNECTION_NOTIFY_STARTED) {
        const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
        self->ConnectionOpened(connection, info ? info->connect_fd : -1);
    } else {
        self->ConnectionClosed(connection);
    }
}

void* OnRequestLine(void* server, const char* address, MHD_Connection*) {
    return static_cast<HttpServer*>(server)->BeginRequest(address);
}

MHD_Result OnRequest(void* server, MHD_Connection* connection, const char* path, const char* method, const char*,
                     const char*, std::size_t* uploadSize, void** state) {
    // The first call brings the head; a reply queued then counts as an early
    // one and closes the connection. The answer waits for the second call
    // (the request complete), which keeps the connection and the requests
    // pipelined behind it.
    auto* request = static_cast<RequestState*>(*state);
    if (request && !request->headSeen) {
        request->headSeen = true;
        static_cast<HttpServer*>(server)->HeadArrived(connection);
        return MHD_YES;
    }
    // A request body is read and dropped: no page takes one.
    if (*uploadSize != 0) {
        *uploadSize = 0;
        return MHD_YES;
    }
    return static_cast<HttpServer*>(server)->Answer(*state, method, path, connection) ? MHD_YES : MHD_NO;
}

void OnCompleted(void* server, MHD_Connection* connection, void** state, MHD_RequestTerminationCode) {
    static_cast<HttpServer*>(server)->EndRequest(*state, connection);
    *state = nullptr;
}

HttpReply Refusal(int status, const std::string& reason) { return {status, reason, "text/plain; charset=utf-8"}; }

// A refusal's reason is one line, whatever a page put into it.
void OneLine(std::string& text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    }
}

}  // namespace

// The gate's state. The pending connections are the gate thread's own; the
// counts and the library's connections are shared with the library's
// threads under the mutex.
struct HttpServer::Gate {
    struct Pending {
        int fd = -1;
        std::string address;
        sockaddr_storage peer{};
        socklen_t peerLength = 0;
        Clock::time_point deadline;
        std::size_t seen = 0;  // bytes of the head looked at so far
        Clock::time_point looked;
    };
    struct Kept {
        int fd = -1;
        std::string address;
        bool armed = false;  // waiting for a head
        Clock::time_point deadline;
    };
    int wake[2] = {-1, -1};
    std::thread thread;
    std::atomic<bool> stopping{false};
    std::vector<Pending> pending;
    std::mutex mutex;
    int open = 0;
    std::map<std::string, int> perAddress;
    std::unordered_map<int, std::string> handed;  // socket -> address, until the library starts the connection
    std::unordered_map<void*, Kept> kept;

    void Forget(const std::string& address) {
        --open;
        const auto it = perAddress.find(address);
        if (it != perAddress.end() && --it->second <= 0) perAddress.erase(it);
    }
};

HttpServer::HttpServer(Handler handler, Logger logger, int threads, ConnectionLimits limits)
    : m_handler(std::move(handler)),
      m_logger(std::move(logger)),
      m_threads(threads > 0 ? threads : 1),
      m_limits(limits),
      m_gate(std::make_unique<Gate>()) {}

HttpServer::~HttpServer() {
    StopGate();
    if (m_daemon) MHD_stop_daemon(m_daemon);
    if (m_listenSocket >= 0) close(m_listenSocket);
}

void HttpServer::StopGate() {
    Gate& g = *m_gate;
    g.stopping = true;
    if (g.wake[1] >= 0) (void)!write(g.wake[1], "x", 1);
    if (g.thread.joinable()) g.thread.join();
    for (const Gate::Pending& p : g.pending) close(p.fd);
    g.pending.clear();
    for (int& fd : g.wake) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
}

void HttpServer::ConnectionOpened(void* connection, int fd) {
    std::lock_guard lock(m_gate->mutex);
    Gate::Kept kept;
    kept.fd = fd;
    const auto handed = m_gate->handed.find(fd);
    if (handed != m_gate->handed.end()) {
        kept.address = std::move(handed->second);
        m_gate->handed.erase(handed);
    }
    // The gate hands over a connection whose head has arrived, or, when the
    // socket cannot hold a long head, one still arriving: its deadline runs on.
    kept.armed = true;
    kept.deadline = Clock::now() + std::chrono::seconds(m_limits.headSeconds);
    m_gate->kept[connection] = std::move(kept);
}

void HttpServer::ConnectionClosed(void* connection) {
    std::lock_guard lock(m_gate->mutex);
    const auto it = m_gate->kept.find(connection);
    if (it == m_gate->kept.end()) return;
    m_gate->Forget(it->second.address);
    m_gate->kept.erase(it);
}

void HttpServer::SetHeadDeadline(void* connection, int seconds) {
    std::lock_guard lock(m_gate->mutex);
    const auto it = m_gate->kept.find(connection);
    if (it == m_gate->kept.end()) return;
    it->second.armed = seconds >= 0;
    it->second.deadline = Clock::now() + std::chrono::seconds(seconds);
}

void HttpServer::HeadArrived(void* connection) { SetHeadDeadline(connection, -1); }

void HttpServer::GateLoop() {
    Gate& g = *m_gate;
    std::vector<char> buffer(kLongestAddress + kLongestHeaders);
    std::vector<pollfd> polled;
    auto drop = [&](std::size_t i) {
        {
            std::lock_guard lock(g.mutex);
            g.Forget(g.pending[i].address);
        }
        g.pending[i] = std::move(g.pending.back());
        g.pending.pop_back();
    };
    while (!g.stopping) {
        polled.clear();
        polled.push_back({m_listenSocket, POLLIN, 0});
        polled.push_back({g.wake[0], POLLIN, 0});
        for (const Gate::Pending& p : g.pending) polled.push_back({p.fd, POLLIN, 0});
        if (poll(polled.data(), polled.size(), kGateTickMillis) < 0 && errno != EINTR) break;
        if (g.stopping) break;
        const auto now = Clock::now();
        // From the last: a finished connection's place is taken by the last one, already seen.
        for (std::size_t i = g.pending.size(); i-- > 0;) {
            Gate::Pending& p = g.pending[i];
            if (now >= p.deadline) {
                WriteRefusal(p.fd, 408,
                             "the request's head did not arrive within " + std::to_string(m_limits.headSeconds) + " s");
                drop(i);
                continue;
            }
            const bool readable = polled[i + 2].revents != 0;
            if (!readable && (p.seen < kPeekStep || now - p.looked < std::chrono::milliseconds(kGateTickMillis))) {
                continue;
            }
            p.looked = now;
            const ssize_t n = recv(p.fd, buffer.data(), buffer.size(), MSG_PEEK | MSG_DONTWAIT);
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) continue;
            if (n <= 0) {
                close(p.fd);
                drop(i);
                continue;
            }
            const std::size_t size = static_cast<std::size_t>(n);
            HeadVerdict verdict = JudgeHead(std::string_view(buffer.data(), size));
            // A socket that cannot hold more of a long head: the library reads the rest.
            if (verdict.kind == HeadVerdict::Wait && readable && size == p.seen) verdict.kind = HeadVerdict::Ready;
            if (verdict.kind == HeadVerdict::Refuse) {
                WriteRefusal(p.fd, verdict.status, verdict.reason);
                drop(i);
            } else if (verdict.kind == HeadVerdict::Wait) {
                // Woken again when more has arrived (a long head: 16 KB more, or at a tick).
                p.seen = size;
                const int more = static_cast<int>(size < kPeekStep ? size + 1 : size + kPeekStep);
                setsockopt(p.fd, SOL_SOCKET, SO_RCVLOWAT, &more, sizeof more);
            } else {
                const int one = 1;
                setsockopt(p.fd, SOL_SOCKET, SO_RCVLOWAT, &one, sizeof one);
                {
                    std::lock_guard lock(g.mutex);
                    g.handed[p.fd] = p.address;
                }
                const int fd = p.fd;
                const std::string address = p.address;
                const sockaddr_storage peer = p.peer;
                const socklen_t peerLength = p.peerLength;
                g.pending[i] = std::move(g.pending.back());
                g.pending.pop_back();
                if (MHD_add_connection(m_daemon, fd, reinterpret_cast<const sockaddr*>(&peer), peerLength) != MHD_YES) {
                    std::lock_guard lock(g.mutex);
                    g.handed.erase(fd);
                    g.Forget(address);
                }
            }
        }
        if (polled[0].revents & POLLIN) {
            for (;;) {
                Gate::Pending p;
                p.peerLength = sizeof p.peer;
                p.fd = accept4(m_listenSocket, reinterpret_cast<sockaddr*>(&p.peer), &p.peerLength,
                               SOCK_NONBLOCK | SOCK_CLOEXEC);
                if (p.fd < 0) break;
                p.address = AddressKey(reinterpret_cast<const sockaddr*>(&p.peer));
                p.deadline = Clock::now() + std::chrono::seconds(m_limits.headSeconds);
                std::string refusal;
                {
                    std::lock_guard lock(g.mutex);
                    int& mine = g.perAddress[p.address];
                    if (g.open >= m_limits.connections) {
                        refusal = "the service holds " + std::to_string(g.open) + " connections, the most it takes";
                    } else if (mine >= m_limits.connectionsPerAddress) {
                        refusal =
                            "this address holds " + std::to_string(mine) + " connections, the most one client may";
                    } else {
                        ++mine;
                        ++g.open;
                    }
                    if (mine == 0) g.perAddress.erase(p.address);
                }
                if (!refusal.empty()) {
                    WriteRefusal(p.fd, 503, refusal);
                    continue;
                }
                g.pending.push_back(std::move(p));
            }
        }
        if (polled[1].revents & POLLIN) {
            char sink[64];
            (void)!read(g.wake[0], sink, sizeof sink);
        }
        // A kept connection whose next head is late is shut: the library then closes it.
        std::lock_guard lock(g.mutex);
        for (auto& [connection, kept] : g.kept) {
            if (kept.armed && now >= kept.deadline) {
                kept.armed = false;
                shutdown(kept.fd, SHUT_RDWR);
            }
        }
    }
}

int HttpServer::Bind(const std::string& host, int port) {
    if (m_listenSocket >= 0 || port < 0 || port > 65535) return -1;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.empty() ? nullptr : host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
        return -1;
    std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> addresses(found, freeaddrinfo);
    for (const addrinfo* a = found; a; a = a->ai_next) {
        const int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        const int yes = 1;
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        // Inherited by the accepted sockets: room for the longest head.
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &kReceiveBuffer, sizeof kReceiveBuffer);
        sockaddr_storage bound{};
        socklen_t length = sizeof bound;
        if (bind(fd, a->ai_addr, a->ai_addrlen) == 0 && listen(fd, kListenBacklog) == 0 &&
            getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length) == 0) {
            m_listenSocket = fd;
            return bound.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                                               : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
        }
        close(fd);
    }
    return -1;
}

void HttpServer::Run() {
    if (m_listenSocket < 0) return;
    {
        std::lock_guard lock(m_mutex);
        if (m_stopRequested) return;
        // The gate accepts; the library only gets the connections it passes.
        const unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO | MHD_USE_ITC | MHD_USE_NO_LISTEN_SOCKET;
        m_daemon = MHD_start_daemon(
            flags, 0, nullptr, nullptr, &OnRequest, this, MHD_OPTION_THREAD_POOL_SIZE, static_cast<unsigned>(m_threads),
            MHD_OPTION_CONNECTION_LIMIT, static_cast<unsigned>(m_limits.connections + 16),
            MHD_OPTION_CONNECTION_MEMORY_LIMIT, kConnectionMemory, MHD_OPTION_CONNECTION_MEMORY_INCREMENT,
            kMemoryIncrement, MHD_OPTION_CONNECTION_TIMEOUT, static_cast<unsigned>(m_limits.idleSeconds),
            MHD_OPTION_URI_LOG_CALLBACK, &OnRequestLine, this, MHD_OPTION_NOTIFY_COMPLETED, &OnCompleted, this,
            MHD_OPTION_NOTIFY_CONNECTION, &OnConnection, this, MHD_OPTION_END);
        if (!m_daemon) throw std::runtime_error("the HTTP server cannot start");
        if (pipe2(m_gate->wake, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("the HTTP server cannot start");
        fcntl(m_listenSocket, F_SETFL, fcntl(m_listenSocket, F_GETFL) | O_NONBLOCK);
        m_gate->thread = std::thread([this] { GateLoop(); });
    }
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stopRequested; });
    // Stop accepting, let the answers under way finish, then close the rest
    // (idle keep-alive connections).
    lock.unlock();
    StopGate();
    lock.lock();
    m_changed.wait(lock, [this] { return m_inFlight == 0; });
    lock.unlock();
    MHD_stop_daemon(m_daemon);
    m_daemon = nullptr;
    close(m_listenSocket);
    m_listenSocket = -1;
}

void HttpServer::Stop() {
    std::lock_guard lock(m_mutex);
    m_stopRequested = true;
    m_changed.notify_all();
}

int HttpServer::InFlight() {
    std::lock_guard lock(m_mutex);
    return m_inFlight;
}

void* HttpServer::BeginRequest(const char* address) {
    auto state = std::make_unique<RequestState>();
    state->address = address ? address : "";
    return state.release();
}

int HttpServer::Answer(void* opaque, const char* method, const char* path, void* connection) {
    auto* state = static_cast<RequestState*>(opaque);
    if (!state) return 0;
    if (state->answered) return 1;
    HttpRequest request;
    request.method = method ? method : "";
    request.path = path ? path : "";
    request.addressLength = state->address.size();
    const std::size_t mark = state->address.find('?');
    if (mark != std::string::npos) request.rawQuery = state->address.substr(mark + 1);
    std::string().swap(state->address);
    {
        std::lock_guard lock(m_mutex);
        ++m_inFlight;
    }

    HttpReply reply;
    if (request.addressLength > kLongestAddress) {
        reply = Refusal(414, "the address is longer than " + std::to_string(kLongestAddress) + " bytes");
    } else if (request.method != MHD_HTTP_METHOD_GET && request.method != MHD_HTTP_METHOD_HEAD) {
        reply = Refusal(405, "only GET is answered, not " + request.method.substr(0, 20));
    } else {
        try {
            reply = m_handler(request);
        } catch (const std::exception& e) {
            reply = Refusal(500, std::string("the request failed: ") + e.what());
        }
    }

    if (reply.status >= 400) OneLine(reply.body);
    bool closing = false;
    {
        std::lock_guard lock(m_mutex);
        closing = m_stopRequested;
    }
    MHD_Response* response =
        MHD_create_response_from_buffer(reply.body.size(), reply.body.data(), MHD_RESPMEM_MUST_COPY);
    if (!response) {
        FinishInFlight();
        return 0;
    }
    // While the service stops, a kept connection is not offered another request.
    if (closing) MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
    if (!reply.type.empty()) MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, reply.type.c_str());
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    const MHD_Result queued =
        MHD_queue_response(static_cast<MHD_Connection*>(connection), static_cast<unsigned>(reply.status), response);
    MHD_destroy_response(response);
    if (queued != MHD_YES) {
        FinishInFlight();
        return 0;
    }
    state->answered = true;
    const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - state->start).count();
    if (m_logger) m_logger(request, reply.status, micros);
    return 1;
}

void HttpServer::FinishInFlight() {
    std::lock_guard lock(m_mutex);
    --m_inFlight;
    m_changed.notify_all();
}

void HttpServer::EndRequest(void* opaque, void* connection) {
    // The idle time of a kept connection runs from the end of this reply.
    SetHeadDeadline(connection, m_limits.idleSeconds);
    std::unique_ptr<RequestState> state(static_cast<RequestState*>(opaque));
    if (state && state->answered) FinishInFlight();
}

}  // namespace zemra::pages
