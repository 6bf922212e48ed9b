// The service's edges: long addresses, query decoding, the host page, the
// control's files, and random queries that must never crash a page.
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <tuple>

#include <nlohmann/json.hpp>

#include "ServiceHarness.h"
#include "http/HostPage.h"
#include "pages/PageQuery.h"
#include "compute/PageContract.h"

namespace zemra::pages::testing {
namespace {

TEST(LongAddresses, TheLongestIsAnswered) {
    TestDatabase database;
    RunningService service(database.Address());
    // Time changes up to about the longest address (libcurl writes a little
    // less than 1 MB): one carry piece for each.
    std::vector<double> times;
    for (std::size_t length = 0; length < kLongestAddress - 2048;) {
        times.push_back(times.size() % 365 + 0.5);
        length += QueryNumber(times.back()).size() + 1;
    }
    const Reply reply = service.Get(CarryQuery(times).Page("CarryCalc"));
    ASSERT_EQ(reply.status, 200) << reply.body.substr(0, 200);
    EXPECT_EQ(ReplyPiecesCount(reply.body), times.size());
}

// Requests the HTTP library would refuse with pages of its own get the
// one-line text of every other refusal.
TEST(Connections, MalformedRequestLinesGetOneLineTexts) {
    TestDatabase database;
    RunningService service(database.Address());
    struct Case {
        std::string request;
        std::string status;
        std::string reason;
    };
    const std::vector<Case> table = {
        {"GET /pages/GetScenario\r\n\r\n", "505", "(HTTP/0.9) is not answered"},
        {"GET / HTTP/2.0\r\nHost: a\r\n\r\n", "505", "the version 'HTTP/2.0' is not answered"},
        {"PRI * HTTP/2.0\r\n\r\nSM\r\n\r\n", "505", "the version 'HTTP/2.0' is not answered"},
        {"\r\n\r\n", "400", "the request line is not"},
        {"GET /pages/QuickSearch?QuickSearch=" + std::string(kLongestAddress, 'a') + " HTTP/1.1\r\n\r\n", "414",
         "the address is longer than 1048576 bytes"},
    };
    for (const Case& c : table) {
        RawConnection connection(service.Port());
        connection.Send(c.request);
        const std::string reply = connection.Receive(10);
        const std::size_t body = reply.find("\r\n\r\n");
        EXPECT_EQ(reply.rfind("HTTP/1.1 " + c.status, 0), 0u) << c.request.substr(0, 60) << " -> " << reply;
        ASSERT_NE(body, std::string::npos) << reply;
        EXPECT_NE(reply.find("Content-Type: text/plain"), std::string::npos) << reply;
        EXPECT_NE(reply.find(c.reason, body), std::string::npos) << reply;
        EXPECT_EQ(reply.find_first_of("\n<", body + 4), std::string::npos) << reply;
    }
}

TEST(Connections, KeptAliveAndPipelinedRequestsAreAllAnswered) {
    TestDatabase database;
    RunningService service(database.Address());
    const std::string request = "GET /pages/GetScenario HTTP/1.1\r\nHost: a\r\n\r\n";
    RawConnection single(service.Port());
    single.Send("GET /pages/GetScenario HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n");
    const std::size_t replyBytes = single.Receive(10).size() - std::string("Connection: close\r\n").size();
    constexpr int kRequests = 51;
    RawConnection pipelined(service.Port());
    std::string batch;
    for (int i = 0; i < kRequests; ++i) batch += request;
    pipelined.Send(batch);   // in one write
    const std::string replies = pipelined.Receive(20, kRequests * replyBytes);
    int answered = 0;
    for (std::size_t at = replies.find("HTTP/1.1 200"); at != std::string::npos; at = replies.find("HTTP/1.1 200", at + 1)) {
        ++answered;
    }
    EXPECT_EQ(answered, kRequests) << replies.substr(0, 400);
    EXPECT_TRUE(pipelined.Open());
    HttpClient client(service.Port());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(client.Get("/favicon.ico").status, 204);
        EXPECT_EQ(client.NewConnections(), i == 0 ? 1 : 0) << "request " << i;
    }
}

// No client holds the service with idle or slow connections: beyond the
// caps a connection gets 503 at once; a head late beyond its deadline is
// refused and closed.
TEST(Connections, CapsAndTheHeadDeadlineKeepTheServiceAnswering) {
    TestDatabase database;
    ConnectionLimits limits;
    limits.headSeconds = 1;
    limits.connections = 6;
    limits.connectionsPerAddress = 4;
    RunningService service(database.Address(), true, "", limits);
    std::vector<std::unique_ptr<RawConnection>> idle;
    const std::vector<std::tuple<std::string, int, std::string>> table = {
        {"127.0.0.1", 4, "this address holds 4 connections"},   // from, idle ones opened first, reason
        {"127.0.0.2", 2, "the service holds 6 connections"},
    };
    for (const auto& [from, before, reason] : table) {
        for (int i = 0; i < before; ++i) idle.push_back(std::make_unique<RawConnection>(service.Port(), from));
        RawConnection refused(service.Port(), from);
        const std::string reply = refused.Receive(0.5);
        EXPECT_EQ(reply.rfind("HTTP/1.1 503", 0), 0u) << from << ": " << reply;
        EXPECT_NE(reply.find(reason), std::string::npos) << from << ": " << reply;
        EXPECT_FALSE(refused.Open()) << from;
    }
    for (const auto& connection : idle) EXPECT_NE(connection->Receive(3).find("HTTP/1.1 408"), std::string::npos);
    const auto start = std::chrono::steady_clock::now();
    RawConnection dripping(service.Port());
    std::string reply;
    for (int line = 0; line < 30 && reply.empty(); ++line) {
        dripping.Send(line == 0 ? "GET / HTTP/1.1\r\n" : "X-Drip: 1\r\n");
        reply = dripping.Receive(0.1);
    }
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(reply.rfind("HTTP/1.1 408", 0), 0u) << reply;
    EXPECT_LT(waited, 2.0) << "a head dripping line by line was not cut at its deadline";
    EXPECT_EQ(service.Get("/pages/GetScenario").status, 200);
}

TEST(Methods, OnlyGetAndHeadAreAnswered) {
    TestDatabase database;
    RunningService service(database.Address());
    struct Case {
        std::string method;
        int status;
        std::string body;
    };
    const std::vector<Case> table = {
        {"GET", 200, ""},
        {"HEAD", 200, ""},
        {"POST", 405, "only GET is answered, not POST"},
        {"DELETE", 405, "only GET is answered, not DELETE"},
    };
    for (const Case& c : table) {
        const Reply reply = HttpClient(service.Port()).Send(c.method, "/pages/GetScenario");
        EXPECT_EQ(reply.status, c.status) << c.method;
        if (c.status != 200) {
            EXPECT_EQ(reply.body, c.body) << c.method;
        }
    }
}

TEST(QueryDecoding, ReadsValuesAsAStandardPageDoes) {
    struct Case {
        std::string raw;
        std::string key;
        std::string value;
    };
    const std::vector<Case> table = {
        {"A=1&B=x%20y", "B", "x y"},
        {"A=a+b", "A", "a b"},            // "+" is a space
        {"A=a%2Bb", "A", "a+b"},          // an encoded "+" is a plus
        {"A=%3B%7C%26%3D", "A", ";|&="},
        {"A=100%", "A", "100%"},          // a "%" without hex digits stands for itself
        {"A=%zz", "A", "%zz"},
        {"A=1&A=2", "A", "1"},            // the first of a repeated key
        {"Flag&A=3", "Flag", ""},
        {"%41=%42", "A", "B"},
    };
    for (const Case& c : table) {
        const PageQuery query(c.raw);
        ASSERT_TRUE(query.Has(c.key)) << c.raw;
        EXPECT_EQ(query.Text(c.key), c.value) << c.raw;
    }
}

TEST(QueryDecoding, ReachesThePagesAsSent) {
    TestDatabase database;
    RunningService service(database.Address());
    const std::vector<std::pair<std::string, std::string>> table = {
        {"Orvane+2.5%25", "1001;"},       // "+" is a space, "%25" a percent sign
        {"orvane%202.5%25+2031", "1001;"},
        {"Jorvane%2B", "|"},              // an encoded "+" is a plus: nothing matches
    };
    for (const auto& [raw, start] : table) {
        const Reply reply = service.Get("/pages/QuickSearch?QuickSearch=" + raw);
        EXPECT_EQ(reply.status, 200) << raw;
        EXPECT_EQ(reply.body.rfind(start, 0), 0u) << raw << " -> " << reply.body.substr(0, 80);
    }
}

TEST(QueryDecoding, NumbersUseThePointAndRefuseTheRest) {
    const std::vector<std::pair<std::string, bool>> table = {
        {"1.5", true}, {"-10", true}, {"1E+20", true}, {"+3", true}, {" 7 ", true}, {".5", true},
        {"1,5", false}, {"1,000", false}, {"", false}, {"abc", false}, {"inf", false}, {"nan", false},
        {"0x10", false}, {"1e999", false}, {"++1", false},
    };
    for (const auto& [text, accepted] : table) {
        double value = 0;
        EXPECT_EQ(ReadNumber(text, value), accepted) << "'" << text << "'";
    }
}

TEST(HostPage, CarriesTheSixteenPropertiesEscaped) {
    TestDatabase database;
    RunningService service(database.Address());
    const Reply page = service.Get("/");
    ASSERT_EQ(page.status, 200);
    EXPECT_NE(page.type.find("text/html"), std::string::npos);
    std::size_t params = 0;
    for (std::size_t at = page.body.find("<param "); at != std::string::npos; at = page.body.find("<param ", at + 1)) {
        ++params;
    }
    EXPECT_EQ(params, 16u);
    EXPECT_NE(page.body.find("<param name=\"QuickSearchPath\" value=\"/pages/QuickSearch\">"), std::string::npos);
    EXPECT_NE(page.body.find("Spread &lt;b&gt;&amp;;0;0;0;0;25;100;0;1;N"), std::string::npos) << page.body;
    EXPECT_EQ(page.body.find("<b>&"), std::string::npos);
    EXPECT_NE(page.body.find("value=\"1001;Orvane 2.5% 2031 CV;B;"), std::string::npos);
    EXPECT_EQ(EscapeHtml("<a href=\"x\">'&'</a>"), "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");
}

TEST(HostPage, PropertiesAsJsonMatchTheHostPage) {
    TestDatabase database;
    RunningService service(database.Address());
    const Reply json = service.Get("/properties.json");
    ASSERT_EQ(json.status, 200);
    EXPECT_EQ(json.type, "application/json");
    const auto properties = nlohmann::json::parse(json.body);
    ASSERT_TRUE(properties.is_object());
    EXPECT_EQ(properties.size(), 16u);
    const std::string page = service.Get("/").body;
    for (const auto& [name, value] : properties.items()) {
        ASSERT_TRUE(value.is_string()) << name;
        EXPECT_NE(page.find("<param name=\"" + name + "\" value=\"" + EscapeHtml(value.get<std::string>()) + "\">"),
                  std::string::npos)
            << name;
    }
    // Texts stay as stored: markup in a description is data, not escaped twice.
    EXPECT_NE(properties["ScenarioString"].get<std::string>().find("Spread <b>&;0;0;0;0;25;100;0;1;N"), std::string::npos);
}

TEST(ControlFiles, ServedWithTheirTypesAndNeverFromOutside) {
    TestDatabase database;
    const TempFolder& folder = database.Folder();
    std::filesystem::create_directories(folder.Path() / "dist");
    std::ofstream(folder.Path() / "dist" / "zemra-impact-analysis.js") << "export {};";
    std::ofstream(folder.Path() / "dist" / "zemra-module.wasm") << "\0asm";
    std::ofstream(folder.Path() / "secret.txt") << "the content of a file outside";
    std::filesystem::create_directory_symlink(folder.Path(), folder.Path() / "dist" / "outside");
    std::filesystem::create_symlink(folder.Path() / "secret.txt", folder.Path() / "dist" / "secret.js");
    RunningService service(database.Address(), true, (folder.Path() / "dist").string());
    struct Case {
        std::string target;
        int status;
        std::string type;
    };
    const std::vector<Case> table = {
        {"/control/zemra-impact-analysis.js", 200, "text/javascript; charset=utf-8"},
        {"/control/zemra-module.wasm", 200, "application/wasm"},
        {"/control/../secret.txt", 404, ""},
        {"/control/%2E%2E/secret.txt", 404, ""},
        {"/control/", 404, ""},
        {"/control/missing.js", 404, ""},
        {"/control/outside/secret.txt", 404, ""},
        {"/control/secret.js", 404, ""},
    };
    for (const Case& c : table) {
        const Reply reply = service.Get(c.target);
        EXPECT_EQ(reply.status, c.status) << c.target;
        if (c.status == 200) {
            EXPECT_EQ(reply.type, c.type) << c.target;
        }
        EXPECT_EQ(reply.body.find("the content"), std::string::npos) << c.target;
    }
}

// Random queries against every page: each answer is 2xx or 4xx, and the
// service keeps answering.
TEST(PageFuzz, RandomQueriesNeverCrashAPage) {
    TestDatabase database;
    RunningService service(database.Address());
    const std::vector<std::string> pages = {"QuickSearch", "ScenarioDetail", "CarryCalc", "CapitalCalc",
                                            "GetScenario", "InsertScenario", "ModScenario", "DelScenario"};
    const std::vector<Query> valid = {DetailQuery({-10, 0, 10}), CarryQuery({0, 30}), CapitalQuery(),
                                      InsertQuery("Fuzz", "1;2;3;4;5;100;0;1", "Y")};
    const std::vector<std::string> pieces = {"=", "&", ";", "|", "%", "%2", "%00", "%FF", "+", "-", ".", "E", "1e308",
                                             "-1e308", "NaN", "1001", "2001", "0", "-0", "\xC3\xA9", "'", "\"", "<",
                                             "Secid", "TimeChg", "StkChg", "Uid", "Tuner", "999999999999", " "};
    std::mt19937 random(20261207);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    constexpr int kRequests = 400;
    std::map<int, int> statuses;
    for (int i = 0; i < kRequests; ++i) {
        const std::string& page = pages[pick(pages.size())];
        std::string query = valid[pick(valid.size())].Text();
        // Spoil the valid query: cut, splice or replace stretches with random pieces.
        const int edits = 1 + static_cast<int>(pick(4));
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = query.empty() ? 0 : pick(query.size());
            switch (pick(3)) {
                case 0: query.insert(at, pieces[pick(pieces.size())]); break;
                case 1: query.erase(at, pick(12)); break;
                default: query.replace(at, pick(6), pieces[pick(pieces.size())]); break;
            }
        }
        std::string target = "/pages/" + page + "?" + EncodeQueryValue(query);
        if (pick(2)) target = "/pages/" + page + "?" + query;   // as it stands, when the client accepts it
        const Reply reply = service.Get(target);
        ++statuses[reply.status];
        if (reply.status == 0) continue;   // the client refused to send an address it cannot write
        EXPECT_TRUE((reply.status >= 200 && reply.status < 300) || (reply.status >= 400 && reply.status < 500))
            << target << " -> " << reply.status << " " << reply.body;
    }
    EXPECT_EQ(service.Get("/pages/GetScenario").status, 200);
    std::printf("page fuzz: %d requests; answers by status:", kRequests);
    for (const auto& [status, count] : statuses) std::printf(" %d: %d", status, count);
    std::printf(" (0: not sent)\n");
}

}  // namespace
}  // namespace zemra::pages::testing
