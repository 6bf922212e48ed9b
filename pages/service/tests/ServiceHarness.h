#pragma once
// Shared fixtures of the service tests: a client connection, a small book,
// a temporary folder, and the service running in-process on an ephemeral
// loopback port.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "compute/PageContract.h"
#include "compute/QueryEncoding.h"
#include "http/PagesService.h"
#include "store/BookImport.h"

namespace zemra::pages::testing {

struct Reply {
    int status = 0;  // 0: no answer at all
    std::string body;
    std::string type;
};

// A client's connection to the service (from another loopback address when
// `from` names one): bytes as given, for requests no client would write and
// ones written slowly, or requests kept alive on it (a new connection when
// the service closed the last).
class Connection {
public:
    explicit Connection(int port, const std::string& from = "") : m_port(port), m_from(from) { Connect(); }
    ~Connection() { Drop(); }
    Connection(const Connection&) = delete;

    bool Open() const { return m_fd >= 0; }
    int Opened() const { return m_opened; }
    // false when the service closed the connection before all was sent.
    bool Send(const std::string& data) {
        for (std::size_t sent = 0; m_fd >= 0 && sent < data.size();) {
            const ssize_t n = send(m_fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return false;
            sent += static_cast<std::size_t>(n);
        }
        return m_fd >= 0;
    }
    // What arrives until the service closes the connection, `seconds` pass,
    // `until` has come, or `length` bytes have.
    std::string Receive(double seconds, const std::string& until = "", std::string got = "",
                        std::size_t length = std::string::npos) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(long(seconds * 1000));
        char buffer[65536];
        for (pollfd p{m_fd, POLLIN, 0};
             m_fd >= 0 && got.size() < length && (until.empty() || got.find(until) == got.npos);) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
            const ssize_t n = recv(m_fd, buffer, sizeof buffer, 0);
            if (n <= 0) Drop();
            got.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
        }
        return got;
    }
    Reply Request(const std::string& method, const std::string& target) {
        if (m_fd < 0) Connect();
        if (!Send(method + " " + target + " HTTP/1.1\r\nHost: zemra\r\n\r\n")) return {};
        const std::string got = Receive(120, "\r\n\r\n");
        const std::size_t head = got.find("\r\n\r\n");
        if (head == got.npos || got.rfind("HTTP/1.1 ", 0) != 0) return {};
        const auto header = [&](const std::string& name) {
            const std::size_t at = got.find("\r\n" + name + ": ") + name.size() + 4;
            return at > head ? std::string() : got.substr(at, got.find("\r\n", at) - at);
        };
        const std::size_t length = head + 4 + (method == "HEAD" ? 0 : std::stoul("0" + header("Content-Length")));
        Reply reply{std::atoi(got.c_str() + 9), Receive(120, "", got, length).substr(head + 4), header("Content-Type")};
        if (header("Connection") == "close") Drop();
        return reply;
    }

private:
    void Connect() {
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in to{AF_INET, htons(static_cast<uint16_t>(m_port)), {htonl(INADDR_LOOPBACK)}, {}}, from = to;
        from.sin_port = 0;
        ++m_opened;
        const bool bound = m_from.empty() || (inet_pton(AF_INET, m_from.c_str(), &from.sin_addr) == 1 &&
                                              bind(m_fd, reinterpret_cast<sockaddr*>(&from), sizeof from) == 0);
        if (!bound || connect(m_fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) Drop();
    }
    void Drop() {
        if (m_fd >= 0) close(m_fd);
        m_fd = -1;
    }
    int m_port;
    std::string m_from;
    int m_fd = -1, m_opened = 0;
};

// The database of one test: a file of a temporary folder of its own, or,
// when ZEMRA_PAGES_TEST_POSTGRES holds the address of a PostgreSQL server
// (postgresql://user@host:port/database), a database of its own created
// there for the test and dropped after it. Every test of the service runs
// on either.
class TestDatabase {
public:
    TestDatabase() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zemra-pages-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
        m_folder = pattern;
        m_address = File("pages.sqlite");
        const char* server = std::getenv("ZEMRA_PAGES_TEST_POSTGRES");
        if (!server || !*server) return;
        static std::atomic<int> counter{0};
        m_name = "zemra_test_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
        m_server = server;
        OpenPostgres(m_server)->ExecuteScript("CREATE DATABASE " + m_name);
        m_address = m_server.substr(0, m_server.rfind('/') + 1) + m_name;
    }
    ~TestDatabase() {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
        try {
            if (!m_name.empty())
                OpenPostgres(m_server)->ExecuteScript("DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)");
        } catch (const std::exception&) {
            // Left for the throwaway cluster to take with it.
        }
    }
    const std::string& Address() const { return m_address; }
    // A file of the test's own folder.
    std::string File(const std::string& name) const { return (m_folder / name).string(); }

private:
    std::filesystem::path m_folder;
    std::string m_server, m_name, m_address;
};

// The valuation date every test runs on.
inline Date TestToday() { return Date{2026, 12, 7}; }

// A small book: two stocks, three convertibles (one in another currency,
// one with a put and a soft call), curves, option lists, two stored
// scenarios and a host page.
inline nlohmann::json TestBook() {
    using nlohmann::json;
    return json::parse(R"JSON(
{"securities": [{"id": 2001, "description": "Orvane Systems", "ticker": "ORV", "type": "E", "price": 40,
"volatility": 30, "borrowCost": 0.5, "dividends": [{"exDate": "2027-01-15", "amount": 0.25},
{"exDate": "2027-04-15", "amount": 0.25}], "defaults": {"convertPosition": 1000}}, {"id": 2002,
"description": "Jorvane Mobility", "ticker": "JVM", "type": "E", "currency": "EUR", "fxToUsd": 0.92, "price": 25,
"volatility": 35, "dividendYield": 2}, {"id": 1001, "description": "Orvane 2.5% 2031 CV", "ticker": "ORV 2.5 31",
"type": "B", "underlying": 2001, "price": 104.5, "creditSpread": 300, "face": 1000, "coupon": 2.5, "frequency": 2,
"dayCount": "30/360", "issueDate": "2024-06-15", "maturity": "2031-06-15", "conversionRatio": 20,
"calls": [{"from": "2028-06-15", "to": "2031-06-15", "price": 100, "trigger": 130}],
"puts": [{"date": "2029-06-15", "price": 100}], "defaults": {"convertPosition": 500, "stockPosition": -6000,
"finance": 5, "rebate": 4, "tail": 5, "capitalRule": 1}}, {"id": 1002, "description": "Jorvane 1% 2030 CV",
"ticker": "JVM 1 30", "type": "AS", "underlying": 2002, "currency": "EUR", "fxToUsd": 0.92, "price": 98,
"creditSpread": 250, "face": 1000, "coupon": 1, "frequency": 1, "dayCount": "ACT/365", "maturity": "2030-03-01",
"conversionRatio": 30, "defaults": {"convertPosition": 200, "stockPosition": -3000, "curve": "EUR",
"capitalRule": 2}}, {"id": 1003, "description": "Orvane 0% 2029 CV", "ticker": "ORV 0 29", "type": "P",
"underlying": 2001, "price": 95, "creditSpread": 400, "face": 1000, "coupon": 0, "frequency": 0,
"maturity": "2029-09-30", "conversionRatio": 15}], "curves": [{"code": "USG", "name": "US Government",
"points": [{"tenor": 0.25, "rate": 4.2}, {"tenor": 2, "rate": 3.9}, {"tenor": 10, "rate": 4.1}]}, {"code": "EUR",
"name": "Euro Swap", "points": [{"tenor": 1, "rate": 2.4}, {"tenor": 10, "rate": 2.7}]}], "tuners": [{"id": 1,
"name": "Constant implied volatility"}, {"id": 2, "name": "Constant cheapness"}, {"id": 3,
"name": "Constant implied spread"}], "callAdjustments": [{"id": 0, "name": "None"}, {"id": 1,
"name": "Call price + points"}], "capitalRules": [{"id": 1, "name": "Gross legs", "method": "gross"}, {"id": 2,
"name": "Net hedged", "method": "net"}], "scenarios": [{"description": "Crash -30%", "stockChange": -30,
"volChange": 20, "autoLoad": true}, {"description": "Rates +50bp", "rateChange": 50, "tuner": 2}],
"hostPage": {"securities": [1001, 2001, 1002], "scenarios": [{"description": "Stock +10%", "stockChange": 10},
{"description": "Spread <b>&", "spreadChange": 25}]}})JSON");
}

// The service on a loopback port of its own, answering from `database`
// (a file of `folder` unless given), with the test book imported once.
class RunningService {
public:
    explicit RunningService(const std::string& database, bool importBook = true, const std::string& controlDir = "",
                            ConnectionLimits limits = {}) {
        ServiceSettings settings;
        settings.database = database, settings.controlDir = controlDir, settings.today = TestToday();
        settings.limits = limits, settings.accessLog = &m_log;
        m_service = std::make_unique<PagesService>(settings);
        if (importBook) m_service->Database().Run([](SqlConnection& c) { ImportBookText(c, TestBook().dump()); });
        m_port = m_service->Bind("127.0.0.1", 0);
        if (m_port <= 0) throw std::runtime_error("cannot bind a loopback port");
        m_thread = std::thread([this] { m_service->Run(); });
    }
    ~RunningService() {
        m_service->Stop();
        m_thread.join();
    }

    int Port() const { return m_port; }
    PagesService& Service() { return *m_service; }
    std::string Log() const { return m_log.str(); }

    Reply Get(const std::string& target) const { return Connection(m_port).Request("GET", target); }
    // The replies, heads and bodies, to bytes sent on a connection of their
    // own; with `before`, a request answered first on the same connection.
    std::string Exchange(const std::string& request, const std::string& before = "") const {
        Connection connection(m_port);
        std::string replies = before.empty() || !connection.Send(before) ? "" : connection.Receive(10, "\r\n\r\n");
        connection.Send(request);
        return replies + connection.Receive(10);
    }

private:
    std::unique_ptr<PagesService> m_service;
    std::ostringstream m_log;
    int m_port = 0;
    std::thread m_thread;
};

// The service with the test book, for the tests that need nothing else.
class ServiceTest : public ::testing::Test {
protected:
    TestDatabase database;
    RunningService service{database.Address()};
};

// Query builders: keys with their values encoded as the control encodes them.
class Query {
public:
    Query& Add(const std::string& key, const std::string& text) { return Raw(key, EncodeQueryValue(text)); }
    Query& Add(const std::string& key, double number) { return Raw(key, QueryNumber(number)); }
    Query& AddList(const std::string& key, const std::vector<double>& numbers) {
        std::string list;
        for (std::size_t i = 0; i < numbers.size(); ++i) list += (i ? ";" : "") + QueryNumber(numbers[i]);
        return Raw(key, list);
    }
    // Without the key (for the tests of missing keys).
    Query Without(const std::string& key) const {
        Query q;
        std::istringstream pairs(m_text);
        for (std::string pair; std::getline(pairs, pair, '&');) {
            if (pair.rfind(key + "=", 0) != 0) q.Raw(pair);
        }
        return q;
    }
    // With key's value replaced by raw text (already encoded).
    Query With(const std::string& key, const std::string& raw) const { return Query(Without(key)).Raw(key, raw); }
    Query& Raw(const std::string& key, const std::string& raw) { return Raw(key + "=" + raw); }
    Query& Raw(const std::string& pairs) {
        m_text += (m_text.empty() ? "" : "&") + pairs;
        return *this;
    }
    std::string Page(const std::string& page) const { return "/pages/" + page + "?" + m_text; }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

// The positions, capital settings, prices and exchange rate the carry and
// capital pages both take, in the order the control sends them.
constexpr const char* kPositionAndCapital =
    "ConvPosition=500&StkPosition=-6000&CapitalRule=1&ConvCapital=15&StockCapital=10&ConvPrice=104.5&StkPrice=40&"
    "FxRate=1";

inline Query CapitalQuery(double secId = 1001) { return Query().Add("Secid", secId).Raw(kPositionAndCapital); }

inline Query CarryQuery(const std::vector<double>& times, double secId = 1001) {
    const std::string rates = "FinRate=5&RebRate=4&BrwCost=0.5&TailRate=5&";
    return Query()
        .Add("Secid", secId)
        .Raw(rates + kPositionAndCapital + "&Maturity=06%2F15%2F2031")
        .AddList("TimeChg", times);
}

// The scenario-detail query of a security with one entry per stock change.
inline Query DetailQuery(const std::vector<double>& stockChanges, double secId = 1001) {
    Query q;
    q.Add("Secid", secId)
        .Raw(
            "StockPrice=40&ConvertPrice=104.5&CallAdjustment=0&CreditSpread=300&CallAdjValue=0&BorrowCost=0.5&"
            "Volatility=30&Curve=USG&ConvertPosition=500&StockPosition=-6000&Factor=10&Maturity=06%2F15%2F2031&"
            "SecType=B&FxRate=1&BankruptcyModel=0&BondRecoveryRate=40&SpreadDecayFactor=0&DiscountingScheme=0&"
            "DividendType=1&DiscreteDivYrs=0&IAD=0")
        .AddList("StkChg", stockChanges);
    const std::size_t n = stockChanges.size();
    for (const char* key : {"RateChg", "VolChg", "Impact", "CreditSprdChg"}) q.AddList(key, std::vector<double>(n, 0));
    q.AddList("TunerVal", std::vector<double>(n, 100)).AddList("Tuner", std::vector<double>(n, 1));
    return q.AddList("TimeChg", std::vector<double>(n, 0));
}

inline Query InsertQuery(const std::string& description, const std::string& detail, const std::string& flag) {
    return Query().Add("Description", description).Add("ScenarioDetail", detail).Add("AutoLoad", flag);
}

}  // namespace zemra::pages::testing
