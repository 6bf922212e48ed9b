#pragma once
// The tests' HTTP client: requests over HTTP/1.1 on a loopback port, one
// connection kept alive between requests, the address sent exactly as
// given. A plain socket client, because the service must be asked with
// addresses of several megabytes and general clients cap the request they
// write (libcurl at 1 MB); it reads the replies this service writes
// (Content-Length bodies).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <string>

namespace zemra::pages::testing {

struct Reply {
    int status = 0;   // 0: no answer at all
    std::string body;
    std::string type;
};

class HttpClient {
public:
    explicit HttpClient(int port, int timeoutSeconds = 60) : m_port(port), m_timeoutSeconds(timeoutSeconds) {}
    ~HttpClient() { Disconnect(); }
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    Reply Get(const std::string& target) { return Send("GET", target); }

    // Any method, without a request body; a HEAD reply has no body to read.
    Reply Send(const std::string& method, const std::string& target) {
        // A kept connection the service has closed meanwhile fails at once:
        // ask once more on a new one.
        const bool reused = m_socket >= 0;
        Reply reply = Ask(method, target);
        if (reply.status == 0 && reused) reply = Ask(method, target);
        return reply;
    }

private:
    Reply Ask(const std::string& method, const std::string& target) {
        if (m_socket < 0 && !Connect()) return {};
        const std::string request = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" +
                                    std::to_string(m_port) + "\r\nContent-Length: 0\r\n\r\n";
        if (!SendAll(request)) return Fail();
        std::string received;
        std::size_t headerEnd = std::string::npos;
        while ((headerEnd = received.find("\r\n\r\n")) == std::string::npos) {
            if (!Receive(received)) return Fail();
        }
        const std::string head = received.substr(0, headerEnd);
        Reply reply;
        const std::size_t space = head.find(' ');
        if (head.rfind("HTTP/1.", 0) != 0 || space == std::string::npos) return Fail();
        reply.status = std::atoi(head.c_str() + space + 1);
        reply.type = Header(head, "content-type");
        const std::size_t length =
            method == "HEAD" ? 0 : static_cast<std::size_t>(std::strtoull(Header(head, "content-length").c_str(), nullptr, 10));
        received.erase(0, headerEnd + 4);
        while (received.size() < length) {
            if (!Receive(received)) return Fail();
        }
        reply.body = received.substr(0, length);
        if (Lowered(Header(head, "connection")) == "close") Disconnect();
        return reply;
    }

    bool Connect() {
        m_socket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_socket < 0) return false;
        timeval timeout{m_timeoutSeconds, 0};
        setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        setsockopt(m_socket, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(m_port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            Disconnect();
            return false;
        }
        return true;
    }

    void Disconnect() {
        if (m_socket >= 0) close(m_socket);
        m_socket = -1;
    }

    Reply Fail() {
        Disconnect();
        return {};
    }

    bool SendAll(const std::string& data) {
        for (std::size_t sent = 0; sent < data.size();) {
            const ssize_t n = send(m_socket, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return false;
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }

    bool Receive(std::string& into) {
        char buffer[65536];
        const ssize_t n = recv(m_socket, buffer, sizeof buffer, 0);
        if (n <= 0) return false;
        into.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    static std::string Lowered(std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    }

    // The value of a header of the reply's head ("" when absent).
    static std::string Header(const std::string& head, const std::string& lowerName) {
        const std::string lowered = Lowered(head);
        const std::size_t at = lowered.find("\r\n" + lowerName + ":");
        if (at == std::string::npos) return {};
        std::size_t begin = at + 2 + lowerName.size() + 1;
        while (begin < head.size() && head[begin] == ' ') ++begin;
        const std::size_t end = head.find("\r\n", begin);
        return head.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
    }

    int m_port;
    int m_timeoutSeconds;
    int m_socket = -1;
};

}  // namespace zemra::pages::testing
