#include "http/HttpServer.h"

#include "http/RequestHead.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <microhttpd.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <deque>
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
constexpr std::size_t kConnectionMemory = kLongestHead + 2 * kMemoryIncrement;
constexpr int kListenBacklog = 512;
// The gate checks its deadlines at least this often.
constexpr int kGateTickMillis = 200;
// A head still arriving is judged again when a line has ended in what came
// or it has grown by this much: a long head arriving in small pieces costs
// no more than a few dozen looks, however it is cut.
constexpr std::size_t kJudgeStep = 16 * 1024;
// What the gate holds for one side before it stops reading the other.
constexpr std::size_t kRelayBytes = 1024 * 1024;
constexpr std::size_t kReadChunk = 256 * 1024;
// After its last reply the gate reads what the client still sends for this
// long before closing, so that the close does not reset the connection
// under the reply.
constexpr int kLingerMillis = 2000;
// Once the requests in flight are answered, the replies have this long to
// reach their clients when the service stops.
constexpr int kStopGraceMillis = 5000;

using Clock = std::chrono::steady_clock;

struct RequestState {
    std::string address;
    Clock::time_point start = Clock::now();
    bool headSeen = false;  // the library's first call (the head) has been taken
    bool answered = false;
};

// The refusal of a connection the gate does not take at all (the caps).
void WriteRefusal(int fd, int status, const std::string& reason) {
    const std::string reply = RefusalReply(status, reason);
    (void)!send(fd, reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    shutdown(fd, SHUT_WR);
    char sink[4096];
    for (int i = 0; i < 64 && recv(fd, sink, sizeof sink, MSG_DONTWAIT) > 0; ++i) {}
    close(fd);
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

// Sends what it can of `out` from `at`; false when the peer is gone.
bool Flush(int fd, std::string& out) {
    std::size_t at = 0;
    while (at < out.size()) {
        const ssize_t n = send(fd, out.data() + at, out.size() - at, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            at += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
            break;
        }
    }
    out.erase(0, at);
    return true;
}

// Reads into `in` until nothing more is there or it holds `most`; false at
// the end of the stream or an error.
bool Fill(int fd, std::string& in, std::size_t most, std::vector<char>& buffer) {
    while (in.size() < most) {
        const ssize_t n = recv(fd, buffer.data(), std::min(buffer.size(), most - in.size()), MSG_DONTWAIT);
        if (n > 0) {
            in.append(buffer.data(), static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        }
    }
    return true;
}

}  // namespace

// One client connection: the client's socket, and the gate's end of a
// socket pair whose other end the library has. The gate passes the heads it
// takes (with their bodies) to the library and the library's replies back.
struct HttpServer::Link {
    std::uint64_t id = 0;
    int client = -1;
    int library = -1;
    std::string address;
    std::string in;          // the client's bytes not yet passed
    std::size_t judged = 0;  // the size of `in` when its head was last found incomplete
    std::uint64_t bodyLeft = 0;
    std::string toLibrary, toClient;
    std::deque<std::size_t> heads;  // the heads passed and not yet answered
    std::size_t headBytes = 0;
    std::atomic<int> answered{0};      // requests the library has finished (counted on its threads)
    std::atomic<bool> waiting{false};  // the gate waits for an answer: wake it
    int counted = 0;                   // of `answered`, the ones the gate has taken into account
    std::string refusal;               // written once the library has answered the requests before it
    bool passedAny = false;
    bool clientEnded = false;
    bool closing = false;  // the last bytes for the client are being written
    bool shut = false;     // ... and have been: the client's leftovers are read until it closes (no longer counted)
    Clock::time_point deadline;
    std::uint32_t clientEvents = 0, libraryEvents = 0;
};

// The gate's state. The links and the counts are the gate thread's own;
// the library's connections are shared with the library's threads under the
// mutex.
struct HttpServer::Gate {
    int epoll = -1;
    int wake[2] = {-1, -1};
    std::thread thread;
    std::atomic<bool> stopping{false};   // no new connection nor request
    std::atomic<bool> finishing{false};  // the requests in flight are answered
    std::uint64_t nextId = 1;
    std::unordered_map<std::uint64_t, std::shared_ptr<Link>> links;
    int open = 0;  // links counted against the caps: all but the ones closing after their last reply
    std::map<std::string, int> perAddress;
    std::vector<char> buffer = std::vector<char>(kReadChunk);
    std::mutex mutex;
    std::unordered_map<int, std::shared_ptr<Link>> handed;  // the library's socket -> link, until it starts
    std::unordered_map<void*, std::shared_ptr<Link>> connections;

    void Forget(const std::string& address) {
        --open;
        const auto it = perAddress.find(address);
        if (it != perAddress.end() && --it->second <= 0) perAddress.erase(it);
    }
    void Wake() {
        if (wake[1] >= 0) (void)!write(wake[1], "x", 1);
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
    g.finishing = true;
    g.Wake();
    if (g.thread.joinable()) g.thread.join();
    while (!g.links.empty()) Close(*g.links.begin()->second);
    for (int* fd : {&g.wake[0], &g.wake[1], &g.epoll}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
}

void HttpServer::ConnectionOpened(void* connection, int fd) {
    std::lock_guard lock(m_gate->mutex);
    const auto handed = m_gate->handed.find(fd);
    if (handed == m_gate->handed.end()) return;
    m_gate->connections[connection] = std::move(handed->second);
    m_gate->handed.erase(handed);
}

void HttpServer::ConnectionClosed(void* connection) {
    std::lock_guard lock(m_gate->mutex);
    m_gate->connections.erase(connection);
}

void HttpServer::Close(Link& link) {
    Gate& g = *m_gate;
    if (link.client >= 0) close(link.client);
    if (link.library >= 0) close(link.library);
    if (!link.shut) g.Forget(link.address);
    const std::uint64_t id = link.id;
    g.links.erase(id);  // the last use of `link`
}

void HttpServer::Accept() {
    Gate& g = *m_gate;
    for (;;) {
        sockaddr_storage peer{};
        socklen_t peerLength = sizeof peer;
        const int fd =
            accept4(m_listenSocket, reinterpret_cast<sockaddr*>(&peer), &peerLength, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        const std::string address = AddressKey(reinterpret_cast<const sockaddr*>(&peer));
        int& mine = g.perAddress[address];
        if (g.open >= m_limits.connections) {
            if (mine == 0) g.perAddress.erase(address);
            WriteRefusal(fd, 503, "the service holds " + std::to_string(g.open) + " connections, the most it takes");
            continue;
        }
        if (mine >= m_limits.connectionsPerAddress) {
            WriteRefusal(fd, 503,
                         "this address holds " + std::to_string(mine) + " connections, the most one client may");
            continue;
        }
        int pair[2];
        if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pair) != 0) {
            if (mine == 0) g.perAddress.erase(address);
            close(fd);
            continue;
        }
        ++mine;
        ++g.open;
        const int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        auto link = std::make_shared<Link>();
        link->id = g.nextId++;
        link->client = fd;
        link->library = pair[0];
        link->address = address;
        link->deadline = Clock::now() + std::chrono::seconds(m_limits.headSeconds);
        g.links[link->id] = link;
        {
            std::lock_guard lock(g.mutex);
            g.handed[pair[1]] = link;
        }
        sockaddr_un local{};
        local.sun_family = AF_UNIX;
        if (MHD_add_connection(m_daemon, pair[1], reinterpret_cast<const sockaddr*>(&local), sizeof(sa_family_t)) !=
            MHD_YES) {
            std::lock_guard lock(g.mutex);
            g.handed.erase(pair[1]);
            Close(*link);
            continue;
        }
        Watch(*link);
    }
}

// Registers the link's sockets for what the gate waits for on each.
void HttpServer::Watch(Link& link) {
    Gate& g = *m_gate;
    const bool readClient =
        !link.clientEnded && (link.shut || (!link.closing && link.refusal.empty() && link.in.size() <= kLongestHead &&
                                            link.toLibrary.size() < kRelayBytes));
    const std::uint32_t clientEvents = (readClient ? EPOLLIN : 0u) | (link.toClient.empty() ? 0u : EPOLLOUT);
    const std::uint32_t libraryEvents = link.library < 0 ? 0u
                                                         : (link.toClient.size() < kRelayBytes ? EPOLLIN : 0u) |
                                                               (link.toLibrary.empty() ? 0u : EPOLLOUT);
    const auto watch = [&](int fd, std::uint32_t& now, std::uint32_t wanted, std::uint64_t key) {
        if (fd < 0 || now == wanted) return;
        epoll_event event{};
        event.events = wanted;
        event.data.u64 = key;
        epoll_ctl(g.epoll, now == 0 ? EPOLL_CTL_ADD : wanted == 0 ? EPOLL_CTL_DEL : EPOLL_CTL_MOD, fd, &event);
        now = wanted;
    };
    watch(link.client, link.clientEvents, clientEvents, link.id << 1);
    watch(link.library, link.libraryEvents, libraryEvents, link.id << 1 | 1);
}

// Moves what can be moved between the client and the library, judges the
// heads, and closes the link when it is done.
void HttpServer::Pass(Link& link) {
    Gate& g = *m_gate;
    const auto now = Clock::now();
    for (bool again = true; again;) {
        again = false;
        // The library's answers: a held head or the refusal may go now.
        for (const int answered = link.answered; link.counted < answered; ++link.counted) {
            if (link.heads.empty()) break;
            link.headBytes -= link.heads.front();
            link.heads.pop_front();
            if (link.heads.empty()) link.deadline = now + std::chrono::seconds(m_limits.idleSeconds);
        }
        if (link.library >= 0 && !Fill(link.library, link.toClient, kRelayBytes, g.buffer)) {
            // The library closed its side (after a reply that closes the connection).
            close(link.library);
            link.library = -1;
            link.libraryEvents = 0;
            link.closing = true;
        }
        if (!link.clientEnded && (link.shut || (!link.closing && link.refusal.empty()))) {
            if (link.shut) link.in.clear();
            if (!Fill(link.client, link.in, link.shut ? kReadChunk : kLongestHead + 1, g.buffer)) {
                link.clientEnded = true;
            }
            if (link.shut) link.in.clear();
        }
        // The client's bytes: bodies pass as they come, heads once judged.
        while (!link.closing && link.refusal.empty() && !link.in.empty() && link.toLibrary.size() < kRelayBytes) {
            if (link.bodyLeft > 0) {
                const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(link.bodyLeft, link.in.size()));
                link.toLibrary.append(link.in, 0, n);
                link.in.erase(0, n);
                link.bodyLeft -= n;
                continue;
            }
            const std::size_t grown = link.in.size() - std::min(link.judged, link.in.size());
            if (link.judged > 0 && grown < kJudgeStep && link.in.size() <= kLongestHead &&
                link.in.find('\n', link.judged) == std::string::npos) {
                break;
            }
            const HeadVerdict verdict = JudgeHead(link.in);
            if (verdict.kind == HeadVerdict::Wait) {
                link.judged = link.in.size();
                break;
            }
            link.judged = 0;
            if (verdict.kind == HeadVerdict::Refuse) {
                link.refusal = RefusalReply(verdict.status, verdict.reason);
                link.in.clear();
                break;
            }
            // The library's memory area holds the heads it has not answered:
            // a long head waits for the answers before it.
            if (g.stopping || (!link.heads.empty() && link.headBytes + verdict.headLength > kLongestHead)) break;
            link.toLibrary.append(link.in, 0, verdict.headLength);
            link.in.erase(0, verdict.headLength);
            link.heads.push_back(verdict.headLength);
            link.headBytes += verdict.headLength;
            link.bodyLeft = verdict.bodyLength;
            link.passedAny = true;
        }
        if (link.library >= 0 && !link.toLibrary.empty() && !Flush(link.library, link.toLibrary)) {
            link.toLibrary.clear();
        }
        const bool idle = link.heads.empty() && link.toLibrary.empty();
        if (!link.closing && idle) {
            // Nothing with the library: what is left is the gate's to say.
            const bool late = now >= link.deadline;
            if (late && link.refusal.empty() && !link.passedAny) {
                link.refusal = RefusalReply(
                    408, "the request's head did not arrive within " + std::to_string(m_limits.headSeconds) + " s");
            }
            if (!link.refusal.empty() || late || g.stopping || link.clientEnded) {
                if (link.library >= 0) {
                    Fill(link.library, link.toClient, std::string::npos, g.buffer);
                    close(link.library);
                    link.library = -1;
                    link.libraryEvents = 0;
                }
                link.toClient += link.refusal;
                link.closing = true;
            }
        }
        if (!link.toClient.empty() && !Flush(link.client, link.toClient)) {
            Close(link);
            return;
        }
        if (link.closing && link.toClient.empty()) {
            if (!link.shut) {
                shutdown(link.client, SHUT_WR);
                link.shut = true;
                g.Forget(link.address);
                link.deadline = now + std::chrono::milliseconds(kLingerMillis);
                again = !link.clientEnded;
                continue;
            }
            if (link.clientEnded || now >= link.deadline) {
                Close(link);
                return;
            }
        }
        // Waiting on an answer of the library: its end wakes the gate.
        if (!link.heads.empty() && link.library >= 0 &&
            (!link.in.empty() || !link.refusal.empty() || link.clientEnded || g.stopping)) {
            link.waiting = true;
            again = link.answered != link.counted;
        }
    }
    Watch(link);
}

void HttpServer::GateLoop() {
    Gate& g = *m_gate;
    std::vector<epoll_event> events(256);
    bool accepting = true;
    auto swept = Clock::now();
    Clock::time_point finishBy{};
    while (true) {
        const int n = epoll_wait(g.epoll, events.data(), static_cast<int>(events.size()), kGateTickMillis);
        if (n < 0 && errno != EINTR) break;
        if (g.stopping && accepting) {
            epoll_ctl(g.epoll, EPOLL_CTL_DEL, m_listenSocket, nullptr);
            accepting = false;
        }
        bool sweep = false;
        for (int i = 0; i < n; ++i) {
            const std::uint64_t key = events[i].data.u64;
            if (key == 0) {
                if (accepting) Accept();
            } else if (key == 1) {
                char sink[256];
                while (read(g.wake[0], sink, sizeof sink) > 0) {}
                sweep = true;
            } else if (const auto it = g.links.find(key >> 1); it != g.links.end()) {
                const std::shared_ptr<Link> link = it->second;
                // A client gone (reset, or closed after the gate shut its side): nothing more reaches it.
                if ((key & 1) == 0 && (events[i].events & (EPOLLERR | EPOLLHUP))) {
                    Close(*link);
                } else {
                    Pass(*link);
                }
            }
        }
        // Deadlines, and the links whose answers came: every link, now and then.
        const auto now = Clock::now();
        if (sweep || now - swept >= std::chrono::milliseconds(kGateTickMillis)) {
            swept = now;
            std::vector<std::shared_ptr<Link>> all;
            all.reserve(g.links.size());
            for (const auto& [id, link] : g.links) all.push_back(link);
            for (const auto& link : all) {
                if (g.links.count(link->id)) Pass(*link);
            }
        }
        if (g.finishing && finishBy == Clock::time_point{})
            finishBy = now + std::chrono::milliseconds(kStopGraceMillis);
        if (g.finishing && (g.links.empty() || now >= finishBy)) break;
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
        Gate& g = *m_gate;
        g.epoll = epoll_create1(EPOLL_CLOEXEC);
        if (g.epoll < 0 || pipe2(g.wake, O_CLOEXEC | O_NONBLOCK) != 0) {
            throw std::runtime_error("the HTTP server cannot start");
        }
        fcntl(m_listenSocket, F_SETFL, fcntl(m_listenSocket, F_GETFL) | O_NONBLOCK);
        for (const auto& [fd, key] : {std::pair{m_listenSocket, 0}, std::pair{g.wake[0], 1}}) {
            epoll_event event{};
            event.events = EPOLLIN;
            event.data.u64 = static_cast<std::uint64_t>(key);
            epoll_ctl(g.epoll, EPOLL_CTL_ADD, fd, &event);
        }
        g.thread = std::thread([this] { GateLoop(); });
    }
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stopRequested; });
    // Stop accepting and passing requests, let the answers under way finish
    // and reach their clients, then close the rest (idle keep-alive
    // connections).
    lock.unlock();
    m_gate->stopping = true;
    m_gate->Wake();
    lock.lock();
    m_changed.wait(lock, [this] { return m_inFlight == 0; });
    lock.unlock();
    StopGate();
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
    {
        std::lock_guard lock(m_gate->mutex);
        const auto it = m_gate->connections.find(connection);
        if (it != m_gate->connections.end()) {
            ++it->second->answered;
            if (it->second->waiting.exchange(false)) m_gate->Wake();
        }
    }
    std::unique_ptr<RequestState> state(static_cast<RequestState*>(opaque));
    if (state && state->answered) FinishInFlight();
}

}  // namespace zemra::pages
