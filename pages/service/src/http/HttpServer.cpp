#include "http/HttpServer.h"

#include <microhttpd.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <exception>
#include <memory>
#include <stdexcept>

namespace zemra::pages {

namespace {

// The request line and the headers live in one per-connection memory area
// of the library; it must hold the longest address with room to spare (the
// area is reserved, not touched, until a request fills it). Beyond it the
// library itself answers 414 with a page of its own.
constexpr std::size_t kConnectionMemory = 2 * kLongestAddress + 1024 * 1024;
// The reading buffer grows by this much at a time: long addresses arrive
// in few steps.
constexpr std::size_t kMemoryIncrement = 64 * 1024;
// An idle keep-alive connection is closed after this many seconds.
constexpr unsigned kIdleSeconds = 30;
constexpr int kListenBacklog = 512;

using Clock = std::chrono::steady_clock;

struct RequestState {
    std::string address;
    Clock::time_point start = Clock::now();
    bool answered = false;
};

void* OnRequestLine(void* server, const char* address, MHD_Connection*) {
    return static_cast<HttpServer*>(server)->BeginRequest(address);
}

MHD_Result OnRequest(void* server, MHD_Connection* connection, const char* path, const char* method, const char*,
                     const char*, std::size_t* uploadSize, void** state) {
    // A request body is read and dropped: no page takes one.
    if (*uploadSize != 0) {
        *uploadSize = 0;
        return MHD_YES;
    }
    return static_cast<HttpServer*>(server)->Answer(*state, method, path, connection) ? MHD_YES : MHD_NO;
}

void OnCompleted(void* server, MHD_Connection*, void** state, MHD_RequestTerminationCode) {
    static_cast<HttpServer*>(server)->EndRequest(*state);
    *state = nullptr;
}

HttpReply Refusal(int status, const std::string& reason) {
    return {status, reason, "text/plain; charset=utf-8"};
}

}  // namespace

HttpServer::HttpServer(Handler handler, Logger logger, int threads)
    : m_handler(std::move(handler)), m_logger(std::move(logger)), m_threads(threads > 0 ? threads : 1) {}

HttpServer::~HttpServer() {
    if (m_daemon) MHD_stop_daemon(m_daemon);
    if (m_listenSocket >= 0) close(m_listenSocket);
}

int HttpServer::Bind(const std::string& host, int port) {
    if (m_listenSocket >= 0 || port < 0 || port > 65535) return -1;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.empty() ? nullptr : host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return -1;
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
        const unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO | MHD_USE_ITC;
        m_daemon = MHD_start_daemon(
            flags, 0, nullptr, nullptr, &OnRequest, this,
            MHD_OPTION_LISTEN_SOCKET, static_cast<MHD_socket>(m_listenSocket),
            MHD_OPTION_THREAD_POOL_SIZE, static_cast<unsigned>(m_threads),
            MHD_OPTION_CONNECTION_MEMORY_LIMIT, kConnectionMemory,
            MHD_OPTION_CONNECTION_MEMORY_INCREMENT, kMemoryIncrement,
            MHD_OPTION_CONNECTION_TIMEOUT, kIdleSeconds,
            MHD_OPTION_URI_LOG_CALLBACK, &OnRequestLine, this,
            MHD_OPTION_NOTIFY_COMPLETED, &OnCompleted, this,
            MHD_OPTION_END);
        if (!m_daemon) throw std::runtime_error("the HTTP server cannot start");
    }
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_stopRequested; });
    // Stop accepting, let the answers under way finish, then close the rest
    // (idle keep-alive connections).
    MHD_quiesce_daemon(m_daemon);
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

void HttpServer::EndRequest(void* opaque) {
    std::unique_ptr<RequestState> state(static_cast<RequestState*>(opaque));
    if (state && state->answered) FinishInFlight();
}

}  // namespace zemra::pages
