// The service's edges: long addresses, query decoding, the host page, the
// control's files, and random queries that must never crash a page.
#include <fstream>
#include <random>

#include <nlohmann/json.hpp>

#include "ServiceHarness.h"
#include "http/HostPage.h"
#include "http/PageQuery.h"
#include "compute/PageContract.h"

namespace zemra::pages::testing {
namespace {

TEST(LongAddresses, OneMegabyteAddressIsAnswered) {
    TestDatabase database;
    RunningService service(database.Address());
    // About 1 MB of time changes: one carry piece for each.
    std::vector<double> times;
    std::size_t length = 0;
    for (int i = 0; length < 1024 * 1024; ++i) {
        times.push_back(i % 365 + 0.5);
        length += QueryNumber(times.back()).size() + 1;
    }
    const std::string target = CarryQuery(times).Page("CarryCalc");
    ASSERT_GE(target.size(), 1024u * 1024u);
    const Reply reply = service.Get(target);
    ASSERT_EQ(reply.status, 200) << reply.body.substr(0, 200);
    EXPECT_EQ(ReplyPiecesCount(reply.body), times.size());
}

TEST(LongAddresses, BeyondTheLimitIsRefusedWithAReason) {
    TestDatabase database;
    RunningService service(database.Address());
    const Reply reply = service.Get("/pages/QuickSearch?QuickSearch=" + std::string(kLongestAddress + 10, 'a'));
    EXPECT_EQ(reply.status, 414);
    EXPECT_NE(reply.body.find("longer than"), std::string::npos) << reply.body;
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
        if (reply.status == 0) continue;   // the client refused to send an address it cannot write
        EXPECT_TRUE((reply.status >= 200 && reply.status < 300) || (reply.status >= 400 && reply.status < 500))
            << target << " -> " << reply.status << " " << reply.body;
    }
    EXPECT_EQ(service.Get("/pages/GetScenario").status, 200);
}

}  // namespace
}  // namespace zemra::pages::testing
