#pragma once
// Shared builders of the service tests: a small book, a temporary folder,
// and the service running in-process on an ephemeral loopback port.
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "compute/QueryEncoding.h"
#include "http/PagesService.h"
#include "store/BookImport.h"

namespace zemra::pages::testing {

struct Reply {
    int status = 0;  // 0: no answer at all
    std::string body;
    std::string type;
};

// The tests' HTTP client (libcurl): one connection kept between requests,
// the address sent as given (up to libcurl's 1 MB of request).
class HttpClient {
public:
    explicit HttpClient(int port) : m_base("http://127.0.0.1:" + std::to_string(port)), m_curl(curl_easy_init()) {}
    ~HttpClient() { curl_easy_cleanup(m_curl); }
    HttpClient(const HttpClient&) = delete;

    Reply Get(const std::string& target) { return Send("GET", target); }
    // Any method, without a request body.
    Reply Send(const std::string& method, const std::string& target) {
        Reply reply;
        const std::string url = m_base + target;
        curl_easy_setopt(m_curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(m_curl, CURLOPT_PATH_AS_IS, 1L);
        curl_easy_setopt(m_curl, CURLOPT_TIMEOUT, 120L);
        curl_easy_setopt(m_curl, CURLOPT_NOBODY, method == "HEAD" ? 1L : 0L);
        curl_easy_setopt(m_curl, CURLOPT_CUSTOMREQUEST, method == "GET" || method == "HEAD" ? nullptr : method.c_str());
        curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, &reply.body);
        curl_easy_setopt(
            m_curl, CURLOPT_WRITEFUNCTION, +[](char* data, size_t, size_t n, void* body) {
                static_cast<std::string*>(body)->append(data, n);
                return n;
            });
        if (curl_easy_perform(m_curl) != CURLE_OK) return {};
        long status = 0;
        const char* type = nullptr;
        curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &status);
        curl_easy_getinfo(m_curl, CURLINFO_CONTENT_TYPE, &type);
        reply.status = static_cast<int>(status);
        reply.type = type ? type : "";
        return reply;
    }
    // Connections opened so far beyond the first (0 when one was kept).
    long NewConnections() {
        long count = 0;
        curl_easy_getinfo(m_curl, CURLINFO_NUM_CONNECTS, &count);
        return count;
    }

private:
    std::string m_base;
    CURL* m_curl;
};

// A connection that carries bytes as given (libcurl connect-only), from
// another loopback address when `from` names one: requests no HTTP client
// would write, and ones written slowly.
class RawConnection {
public:
    explicit RawConnection(int port, const std::string& from = "") : m_curl(curl_easy_init()) {
        const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/";
        curl_easy_setopt(m_curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(m_curl, CURLOPT_CONNECT_ONLY, 1L);
        if (!from.empty()) curl_easy_setopt(m_curl, CURLOPT_INTERFACE, ("host!" + from).c_str());
        m_open = curl_easy_perform(m_curl) == CURLE_OK;
    }
    ~RawConnection() { curl_easy_cleanup(m_curl); }
    RawConnection(const RawConnection&) = delete;

    // false when the service closed the connection before all was sent.
    bool Send(const std::string& data) {
        for (std::size_t sent = 0; m_open && sent < data.size();) {
            std::size_t n = 0;
            const CURLcode code = curl_easy_send(m_curl, data.data() + sent, data.size() - sent, &n);
            if (code == CURLE_AGAIN)
                Wait(POLLOUT, 1000);
            else if (code != CURLE_OK)
                return false;
            sent += n;
        }
        return m_open;
    }
    // What arrives until the service closes the connection, `seconds` pass,
    // or `enough` bytes have come.
    std::string Receive(double seconds, std::size_t enough = std::string::npos) {
        std::string received;
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (m_open && received.size() < enough) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            char buffer[65536];
            std::size_t n = 0;
            const CURLcode code = curl_easy_recv(m_curl, buffer, sizeof buffer, &n);
            if (code == CURLE_AGAIN) {
                Wait(POLLIN, static_cast<int>(left.count()));
            } else {
                if (code != CURLE_OK || n == 0) m_open = false;
                received.append(buffer, n);
            }
        }
        return received;
    }
    bool Open() const { return m_open; }

private:
    void Wait(short events, int millis) {
        curl_socket_t fd = CURL_SOCKET_BAD;
        curl_easy_getinfo(m_curl, CURLINFO_ACTIVESOCKET, &fd);
        pollfd p{fd, events, 0};
        poll(&p, 1, millis);
    }
    CURL* m_curl;
    bool m_open = false;
};

// A folder removed with everything in it at the end of the test.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zemra-pages-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
        m_path = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// The database of one test: a file of a temporary folder, or, when
// ZEMRA_PAGES_TEST_POSTGRES holds the address of a PostgreSQL server
// (postgresql://user@host:port/database), a database of its own created
// there for the test and dropped after it. Every test of the service runs
// on either.
class TestDatabase {
public:
    TestDatabase() {
        const char* server = std::getenv("ZEMRA_PAGES_TEST_POSTGRES");
        if (!server || !*server) {
            m_address = m_folder.File("pages.sqlite");
            return;
        }
        static std::atomic<int> counter{0};
        m_name = "zemra_test_" + std::to_string(getpid()) + "_" + std::to_string(counter++);
        m_server = server;
        OpenPostgres(m_server)->ExecuteScript("CREATE DATABASE " + m_name);
        const std::size_t slash = m_server.rfind('/');
        m_address = m_server.substr(0, slash + 1) + m_name;
    }
    ~TestDatabase() {
        if (m_name.empty()) return;
        try {
            OpenPostgres(m_server)->ExecuteScript("DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)");
        } catch (const std::exception&) {
            // Left for the throwaway cluster to take with it.
        }
    }
    const std::string& Address() const { return m_address; }
    const TempFolder& Folder() const { return m_folder; }

private:
    TempFolder m_folder;
    std::string m_server;
    std::string m_name;
    std::string m_address;
};

// The valuation date every test runs on.
inline Date TestToday() { return Date{2026, 12, 7}; }

// A small book: two stocks, three convertibles (one in another currency,
// one with a put and a soft call), curves, option lists, two stored
// scenarios and a host page.
inline nlohmann::json TestBook() {
    using nlohmann::json;
    return json::parse(R"JSON({
  "securities": [
    {"id": 2001, "description": "Orvane Systems", "ticker": "ORV", "type": "E", "price": 40, "volatility": 30,
     "borrowCost": 0.5, "dividends": [{"exDate": "2027-01-15", "amount": 0.25}, {"exDate": "2027-04-15", "amount": 0.25}],
     "defaults": {"convertPosition": 1000}},
    {"id": 2002, "description": "Jorvane Mobility", "ticker": "JVM", "type": "E", "currency": "EUR", "fxToUsd": 0.92,
     "price": 25, "volatility": 35, "dividendYield": 2},
    {"id": 1001, "description": "Orvane 2.5% 2031 CV", "ticker": "ORV 2.5 31", "type": "B", "underlying": 2001,
     "price": 104.5, "creditSpread": 300, "face": 1000, "coupon": 2.5, "frequency": 2, "dayCount": "30/360",
     "issueDate": "2024-06-15", "maturity": "2031-06-15", "conversionRatio": 20,
     "calls": [{"from": "2028-06-15", "to": "2031-06-15", "price": 100, "trigger": 130}],
     "puts": [{"date": "2029-06-15", "price": 100}],
     "defaults": {"convertPosition": 500, "stockPosition": -6000, "finance": 5, "rebate": 4, "tail": 5, "capitalRule": 1}},
    {"id": 1002, "description": "Jorvane 1% 2030 CV", "ticker": "JVM 1 30", "type": "AS", "underlying": 2002,
     "currency": "EUR", "fxToUsd": 0.92, "price": 98, "creditSpread": 250, "face": 1000, "coupon": 1, "frequency": 1,
     "dayCount": "ACT/365", "maturity": "2030-03-01", "conversionRatio": 30,
     "defaults": {"convertPosition": 200, "stockPosition": -3000, "curve": "EUR", "capitalRule": 2}},
    {"id": 1003, "description": "Orvane 0% 2029 CV", "ticker": "ORV 0 29", "type": "P", "underlying": 2001,
     "price": 95, "creditSpread": 400, "face": 1000, "coupon": 0, "frequency": 0, "maturity": "2029-09-30",
     "conversionRatio": 15}
  ],
  "curves": [
    {"code": "USG", "name": "US Government", "points": [{"tenor": 0.25, "rate": 4.2}, {"tenor": 2, "rate": 3.9}, {"tenor": 10, "rate": 4.1}]},
    {"code": "EUR", "name": "Euro Swap", "points": [{"tenor": 1, "rate": 2.4}, {"tenor": 10, "rate": 2.7}]}
  ],
  "tuners": [{"id": 1, "name": "Constant implied volatility"}, {"id": 2, "name": "Constant cheapness"},
             {"id": 3, "name": "Constant implied spread"}],
  "callAdjustments": [{"id": 0, "name": "None"}, {"id": 1, "name": "Call price + points"}],
  "capitalRules": [{"id": 1, "name": "Gross legs", "method": "gross"}, {"id": 2, "name": "Net hedged", "method": "net"}],
  "scenarios": [{"description": "Crash -30%", "stockChange": -30, "volChange": 20, "autoLoad": true},
                {"description": "Rates +50bp", "rateChange": 50, "tuner": 2}],
  "hostPage": {"securities": [1001, 2001, 1002],
               "scenarios": [{"description": "Stock +10%", "stockChange": 10}, {"description": "Spread <b>&", "spreadChange": 25}]}
})JSON");
}

// The service on a loopback port of its own, answering from `database`
// (a file of `folder` unless given), with the test book imported once.
class RunningService {
public:
    explicit RunningService(const std::string& database, bool importBook = true, const std::string& controlDir = "",
                            ConnectionLimits limits = {}) {
        ServiceSettings settings;
        settings.limits = limits;
        settings.database = database;
        settings.controlDir = controlDir;
        settings.today = TestToday();
        settings.threads = 8;
        settings.accessLog = &m_log;
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

    Reply Get(const std::string& target) const { return HttpClient(m_port).Get(target); }
    // The reply, head and body, to bytes sent on a connection of their own.
    std::string Exchange(const std::string& request) const {
        RawConnection connection(m_port);
        connection.Send(request);
        return connection.Receive(10);
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
            if (pair.rfind(key + "=", 0) != 0) q.m_text += (q.m_text.empty() ? "" : "&") + pair;
        }
        return q;
    }
    // With key's value replaced by raw text (already encoded).
    Query With(const std::string& key, const std::string& raw) const { return Query(Without(key)).Raw(key, raw); }
    Query& Raw(const std::string& key, const std::string& raw) {
        m_text += (m_text.empty() ? "" : "&") + key + "=" + raw;
        return *this;
    }
    std::string Page(const std::string& page) const { return "/pages/" + page + "?" + m_text; }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

inline std::size_t ReplyPiecesCount(const std::string& reply) {
    if (reply.empty()) return 0;
    return static_cast<std::size_t>(std::count(reply.begin(), reply.end(), '|')) + 1;
}

// The positions, capital settings, prices and exchange rate the carry and
// capital pages both take, in the order the control sends them.
inline Query& AddPositionAndCapital(Query& q) {
    return q.Add("ConvPosition", 500)
        .Add("StkPosition", -6000)
        .Add("CapitalRule", 1)
        .Add("ConvCapital", 15)
        .Add("StockCapital", 10)
        .Add("ConvPrice", 104.5)
        .Add("StkPrice", 40)
        .Add("FxRate", 1);
}

inline Query CapitalQuery(double secId = 1001) {
    Query q;
    return AddPositionAndCapital(q.Add("Secid", secId));
}

inline Query CarryQuery(const std::vector<double>& times, double secId = 1001) {
    Query q;
    q.Add("Secid", secId).Add("FinRate", 5).Add("RebRate", 4).Add("BrwCost", 0.5).Add("TailRate", 5);
    return AddPositionAndCapital(q).Add("Maturity", "06/15/2031").AddList("TimeChg", times);
}

// The scenario-detail query of security 1001 with one entry per stock change.
inline Query DetailQuery(const std::vector<double>& stockChanges, double secId = 1001) {
    const std::size_t n = stockChanges.size();
    Query q;
    q.Add("Secid", secId)
        .Add("StockPrice", 40)
        .Add("ConvertPrice", 104.5)
        .Add("CallAdjustment", 0)
        .Add("CreditSpread", 300)
        .Add("CallAdjValue", 0)
        .Add("BorrowCost", 0.5)
        .Add("Volatility", 30)
        .Add("Curve", "USG")
        .Add("ConvertPosition", 500)
        .Add("StockPosition", -6000)
        .Add("Factor", 10)
        .Add("Maturity", "06/15/2031")
        .Add("SecType", "B")
        .Add("FxRate", 1)
        .Add("BankruptcyModel", 0)
        .Add("BondRecoveryRate", 40)
        .Add("SpreadDecayFactor", 0)
        .Add("DiscountingScheme", 0)
        .Add("DividendType", 1)
        .Add("DiscreteDivYrs", 0)
        .Add("IAD", 0);
    q.AddList("StkChg", stockChanges)
        .AddList("RateChg", std::vector<double>(n, 0))
        .AddList("VolChg", std::vector<double>(n, 0))
        .AddList("Impact", std::vector<double>(n, 0))
        .AddList("CreditSprdChg", std::vector<double>(n, 0))
        .AddList("TunerVal", std::vector<double>(n, 100))
        .AddList("Tuner", std::vector<double>(n, 1))
        .AddList("TimeChg", std::vector<double>(n, 0));
    return q;
}

inline Query InsertQuery(const std::string& description, const std::string& detail, const std::string& flag) {
    return Query().Add("Description", description).Add("ScenarioDetail", detail).Add("AutoLoad", flag);
}

}  // namespace zemra::pages::testing
