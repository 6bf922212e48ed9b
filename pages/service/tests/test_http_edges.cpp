// The service's edges: long addresses, connections, query decoding, the
// host page, the control's files, and random queries that must never crash
// a page. (The refusals of the HTTP side are in test_refusals.cpp.)
#include <cstdio>
#include <fstream>
#include <map>
#include <random>
#include <tuple>

#include "ServiceHarness.h"
#include "compute/PageContract.h"
#include "http/HostPage.h"

namespace zemra::pages::testing {
namespace {

using LongAddresses = ServiceTest;
using HostPage = ServiceTest;
using PageFuzz = ServiceTest;

TEST_F(LongAddresses, TheLongestIsAnswered) {
    // Time changes up to the longest address: one carry piece for each.
    std::vector<double> times = {0.5};
    for (std::size_t length = CarryQuery(times).Page("CarryCalc").size(); length < kLongestAddress;) {
        times.push_back(times.size() % 365 + 0.5);
        length += QueryNumber(times.back()).size() + 1;
        if (length > kLongestAddress) times.pop_back();
    }
    const std::size_t length = CarryQuery(times).Page("CarryCalc").size();
    ASSERT_TRUE(length <= kLongestAddress && length + 8 > kLongestAddress) << length;
    const Reply reply = service.Get(CarryQuery(times).Page("CarryCalc"));
    ASSERT_EQ(reply.status, 200) << reply.body.substr(0, 200);
    EXPECT_EQ(ReplyPieces(reply.body).size(), times.size());
}

// No client holds the service with idle or slow connections: beyond the
// caps a connection gets 503 at once; a head late beyond its deadline is
// refused and closed.
TEST(ConnectionCaps, CapsAndTheHeadDeadlineKeepTheServiceAnswering) {
    TestDatabase database;
    RunningService service(database.Address(), true, "", ConnectionLimits{1, 30, 6, 4});  // head 1 s; 6, 4 per address
    std::vector<std::unique_ptr<Connection>> idle;
    const std::vector<std::tuple<std::string, int, std::string>> table = {
        // from, idle ones opened first, reason
        {"127.0.0.1", 4, "this address holds 4 connections"},
        {"127.0.0.2", 2, "the service holds 6 connections"}};
    for (const auto& [from, before, reason] : table) {
        for (int i = 0; i < before; ++i) idle.push_back(std::make_unique<Connection>(service.Port(), from));
        Connection refused(service.Port(), from);
        const std::string reply = refused.Receive(0.5);
        EXPECT_EQ(reply.rfind("HTTP/1.1 503", 0), 0u) << from << ": " << reply;
        EXPECT_NE(reply.find(reason), std::string::npos) << from << ": " << reply;
        EXPECT_FALSE(refused.Open()) << from;
    }
    for (const auto& connection : idle) EXPECT_NE(connection->Receive(3).find("HTTP/1.1 408"), std::string::npos);
    const auto start = std::chrono::steady_clock::now();
    Connection dripping(service.Port());
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

// The host page and /properties.json carry the same sixteen properties:
// texts as stored in the JSON, HTML-escaped on the page. The page comes in
// the language asked for (its conventions are the control's), in the
// default one for any other text, which is never written back.
TEST_F(HostPage, CarriesTheSixteenPropertiesOfTheJsonEscapedInItsLanguage) {
    const Reply page = service.Get("/"), json = service.Get("/properties.json");
    ASSERT_EQ(page.status, 200);
    ASSERT_EQ(json.status, 200);
    EXPECT_NE(page.type.find("text/html"), std::string::npos);
    EXPECT_EQ(json.type, "application/json");
    const auto properties = nlohmann::json::parse(json.body);
    ASSERT_TRUE(properties.is_object() && properties.size() == 16u) << json.body;
    const std::string control = page.body.substr(page.body.find("<zemra-impact-analysis"));
    std::size_t params = 0;
    for (std::size_t at = control.find("<param "); at != std::string::npos; at = control.find("<param ", at + 1))
        ++params;
    EXPECT_EQ(params, 16u);
    for (const auto& [name, value] : properties.items()) {
        const std::string param =
            "<param name=\"" + name + "\" value=\"" + EscapeHtml(value.get<std::string>()) + "\">";
        EXPECT_NE(control.find(param), std::string::npos) << param;
    }
    EXPECT_EQ(properties["QuickSearchPath"], "/pages/QuickSearch");
    EXPECT_NE(properties["ScenarioString"].get<std::string>().find("Spread <b>&;0;0;0;0;25;100;0;1;N"),
              std::string::npos);
    EXPECT_EQ(page.body.find("<b>&"), std::string::npos);
    EXPECT_NE(page.body.find("value=\"1001;Orvane 2.5% 2031 CV;B;"), std::string::npos);
    EXPECT_EQ(EscapeHtml("<a href=\"x\">'&'</a>"), "&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;");
    const std::vector<std::pair<std::string, std::string>> languages = {
        // asked, the page's language
        {"", "en-US"},      {"de-DE", "de-DE"},
        {"DE-de", "de-DE"}, {"de", "de-DE"},
        {"sv-SE", "sv-SE"}, {"fr-CH", "fr-CH"},
        {"xx-YY", "en-US"}, {"de-DE-x", "en-US"},
        {"de%00", "en-US"}, {"de-DE%22%3E%3Cscript%3E", "en-US"},
        {"%FF", "en-US"}};
    for (const auto& [asked, language] : languages) {
        const Reply reply = service.Get("/?today=2026-12-07&lang=" + asked);
        EXPECT_EQ(reply.status, 200) << asked;
        EXPECT_EQ(reply.body.rfind("<!DOCTYPE html>\n<html lang=\"" + language + "\">", 0), 0u) << asked;
        EXPECT_EQ(reply.body.substr(reply.body.find("<zemra-impact-analysis")), control) << asked;
        EXPECT_EQ(reply.body.find("<script>"), std::string::npos) << asked;
    }
}

TEST(ControlFiles, ServedWithTheirTypesAndNeverFromOutside) {
    TestDatabase database;
    const std::filesystem::path folder = std::filesystem::path(database.File("")), dist = folder / "dist";
    std::filesystem::create_directories(dist);
    std::ofstream(dist / "zemra-impact-analysis.js") << "export {};";
    std::ofstream(dist / "zemra-module.wasm") << "\0asm";
    std::ofstream(folder / "secret.txt") << "the content of a file outside";
    std::filesystem::create_directory_symlink(folder, dist / "outside");
    std::filesystem::create_symlink(folder / "secret.txt", dist / "secret.js");
    RunningService service(database.Address(), true, dist.string());
    const std::vector<std::tuple<std::string, int, std::string>> table = {
        // address, status, type
        {"/control/zemra-impact-analysis.js", 200, "text/javascript; charset=utf-8"},
        {"/control/zemra-module.wasm", 200, "application/wasm"},
        {"/favicon.ico", 204, ""},
        {"/control/../secret.txt", 404, ""},
        {"/control/%2E%2E/secret.txt", 404, ""},
        {"/control/", 404, ""},
        {"/control/missing.js", 404, ""},
        {"/control/outside/secret.txt", 404, ""},
        {"/control/secret.js", 404, ""}};
    for (const auto& [target, status, type] : table) {
        const Reply reply = service.Get(target);
        EXPECT_EQ(std::to_string(reply.status) + " " + (status == 200 ? reply.type : ""),
                  std::to_string(status) + " " + type)
            << target;
        EXPECT_EQ(reply.body.find("the content"), std::string::npos) << target;
    }
}

// Random queries against every page: each answer is 2xx or 4xx, and the
// service keeps answering.
TEST_F(PageFuzz, RandomQueriesNeverCrashAPage) {
    const std::vector<std::string> pages = SplitItems(
        "QuickSearch ScenarioDetail CarryCalc CapitalCalc GetScenario InsertScenario ModScenario DelScenario", ' ');
    const std::vector<Query> valid = {DetailQuery({-10, 0, 10}), CarryQuery({0, 30}), CapitalQuery(),
                                      InsertQuery("Fuzz", "1;2;3;4;5;100;0;1", "Y")};
    // Pieces spliced in, "~" between them.
    const std::vector<std::string> pieces = SplitItems(
        "=~&~;~|~%~%2~%00~%FF~+~-~.~E~1e308~-1e308~NaN~1001~2001~0~-0~\xC3\xA9~'~\"~<~Secid~TimeChg~StkChg~Uid~Tuner~"
        "999999999999~ ",
        '~');
    std::mt19937 random(20261207);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    std::map<int, int> statuses;
    for (int i = 0; i < 400; ++i) {
        std::string query = valid[pick(valid.size())].Text();
        // Spoil the valid query: cut, splice or replace stretches with random pieces.
        for (int e = 0, edits = 1 + static_cast<int>(pick(4)); e < edits; ++e) {
            const std::size_t at = query.empty() ? 0 : pick(query.size());
            switch (pick(3)) {
                case 0: query.insert(at, pieces[pick(pieces.size())]); break;
                case 1: query.erase(at, pick(12)); break;
                default: query.replace(at, pick(6), pieces[pick(pieces.size())]); break;
            }
        }
        // Encoded, or as it stands (a space in it breaks the request line: 400).
        const std::string target =
            "/pages/" + pages[pick(pages.size())] + "?" + (pick(2) ? query : EncodeQueryValue(query));
        const Reply reply = service.Get(target);
        ++statuses[reply.status];
        EXPECT_TRUE((reply.status >= 200 && reply.status < 300) || (reply.status >= 400 && reply.status < 500))
            << target << " -> " << reply.status << " " << reply.body;
    }
    EXPECT_EQ(service.Get("/pages/GetScenario").status, 200);
    std::printf("page fuzz: 400 requests; answers by status:");
    for (const auto& [status, count] : statuses) std::printf(" %d: %d", status, count);
    std::printf("\n");
}

}  // namespace
}  // namespace zemra::pages::testing
