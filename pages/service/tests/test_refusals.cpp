// Requests that cannot be answered, from the pages and from the HTTP side
// alike: a 4xx or 505 status and one line of text/plain that names the key
// and the value at fault.
#include <tuple>

#include "ServiceHarness.h"

namespace zemra::pages::testing {
namespace {

using RefusedRequests = ServiceTest;

TEST_F(RefusedRequests, AnswerOneLineReasons) {
    const std::string okDetail = "0;0;0;0;0;100;0;1";
    const auto capital = [](auto key, auto raw) { return CapitalQuery().With(key, raw).Page("CapitalCalc"); };
    const auto detail = [](auto key, auto raw) { return DetailQuery({0}).With(key, raw).Page("ScenarioDetail"); };
    const auto insert = [](const std::string& description, const std::string& scenario) {
        return InsertQuery(description, scenario, "N").Page("InsertScenario");
    };
    const std::vector<std::tuple<std::string, int, std::string>> table = {
        // an address sent with GET or the bytes of a whole request, status, a text the reply holds
        {"/pages/QuickSearch?Other=x", 400, "QuickSearch: missing"},
        {"/pages/QuickSearch?QuickSearch=" + std::string(5000, 'x'), 400, "is longer than 200 characters"},
        {CapitalQuery().Without("StkPrice").Page("CapitalCalc"), 400, "StkPrice: missing"},
        {capital("ConvPrice", "1O4.5"), 400, "ConvPrice: '1O4.5' is not a number"},
        {capital("ConvPrice", "1,5"), 400, "'1,5' is not a number"},  // the point, no grouping
        {capital("ConvPrice", "inf"), 400, "'inf' is not a number"},
        {capital("ConvPrice", "0x10"), 400, "'0x10' is not a number"},
        {capital("ConvPrice", "1e999"), 400, "'1e999' is not a number"},
        {capital("Secid", "9999"), 404, "Secid: '9999' is not a known security"},
        {capital("Secid", "10.5"), 400, "Secid: '10.5' is not a whole number"},
        {capital("CapitalRule", "7"), 404, "CapitalRule: '7' is not a known capital rule"},
        {CarryQuery({30}).With("TimeChg", "30;x;60").Page("CarryCalc"), 400, "TimeChg: 'x' (item 2) is not a number"},
        {CarryQuery({30}, 4242).Page("CarryCalc"), 404, "Secid: '4242' is not a known security"},
        {CarryQuery({1e300}).Page("CarryCalc"), 400, "TimeChg: '1E+300' (item 1)"},  // beyond a century
        {DetailQuery({0}, 777).Page("ScenarioDetail"), 404, "Secid: '777' is not a known security"},
        {DetailQuery({0, 10}).With("TimeChg", "0").Page("ScenarioDetail"), 400, "TimeChg: 1 values where StkChg has 2"},
        {detail("Curve", "XYZ"), 404, "Curve: 'XYZ' is not a known curve"},
        {detail("Curve", "A%0AB"), 400, "Curve: 'A B' holds a control character"},
        {detail("Curve", std::string(3000, 'C')), 404, "Curve: '" + std::string(60, 'C') + "...' is not a known curve"},
        {detail("DiscountingScheme", "9"), 400, "DiscountingScheme: '9' is not a discounting scheme"},
        {DetailQuery({0, 0}).With("Tuner", "1;32768").Page("ScenarioDetail"), 400,
         "Tuner: '32768' (item 2) is not a tuner identifier"},
        {insert("Up", "0;0;0;0;0;100;0;1e20"), 400, "ScenarioDetail: '1e20' (field 8) is not a tuner identifier"},
        {insert("a;b", okDetail), 400, "Description: 'a;b' holds ';' or '|'"},
        {insert("Robert'); DROP TABLE scenarios;--", okDetail), 400, "holds ';' or '|'"},
        {insert("a|b", okDetail), 400, "Description: 'a|b' holds ';' or '|'"},
        {insert("Up", "10;0;0"), 400, "ScenarioDetail: '10;0;0' has 3 fields, not 8"},
        {insert("Up", "10;0;abc;0;0;100;0;1"), 400, "ScenarioDetail: 'abc' (field 3) is not a number"},
        {insert(std::string(256, 'd'), okDetail), 400, "is longer than 255 characters"},
        {insert("Up", "1;0;0;0;0;100;0;" + std::string(185, '0') + "1"), 400, "is longer than 200 characters"},
        {"/pages/InsertScenario?Description=a%FFb&ScenarioDetail=0", 400, "Description: 'a?b' is not UTF-8 text"},
        {"/pages/InsertScenario?Description=a%00b&ScenarioDetail=0", 400,
         "Description: 'a b' holds a control character"},
        {"/pages/QuickSearch?QuickSearch=%00", 400, "QuickSearch: ' ' holds a control character"},
        {"/pages/QuickSearch?QuickSearch=%C3%28", 400, "QuickSearch: '?(' is not UTF-8 text"},
        {"/pages/GetScenario?a%0Ab=1", 400, "the key 'a b' holds a control character"},
        {CarryQuery({30}).With("Maturity", "15.06.2031").Page("CarryCalc"), 400,
         "Maturity: '15.06.2031' is not a date (month, day and year)"},
        {detail("Maturity", "06/15"), 400, "Maturity: '06/15' is not a date"},
        {"/nothing%0Aforged%20line", 404, "no page at '/nothing forged line'"},
        {"/pages/NoSuchPage", 404, "no page named NoSuchPage"},
        {InsertQuery("Up", "10;0;0;0;0;100;0;1", "N").Add("Uid", 99999).Page("ModScenario"), 404,
         "Uid: '99999' is not a stored scenario"},
        {"/pages/DelScenario?Uid=424242", 404, "Uid: '424242' is not a stored scenario"},
        {"/pages/DelScenario", 400, "Uid: missing"},
        {"/pages/DelScenario?Uid=1%3B%20DROP%20TABLE%20scenarios", 400,
         "Uid: '1; DROP TABLE scenarios' is not a whole number"},
        // Heads the service does not take, answered by its own gate.
        {"GET /pages/GetScenario\r\n\r\n", 505, "(HTTP/0.9) is not answered"},
        {"GET / HTTP/2.0\r\nHost: a\r\n\r\n", 505, "the version 'HTTP/2.0' is not answered"},
        {"PRI * HTTP/2.0\r\n\r\nSM\r\n\r\n", 505, "the version 'HTTP/2.0' is not answered"},
        {"\r\n\r\n", 400, "the request line is not"},
        {"garbage\r\n\r\n", 400, "the request line is not 'METHOD ADDRESS HTTP/1.1'"},
        {"GET / HTTP/1.1\r\nbad header\r\n\r\n", 400, "the header line 'bad header' is not 'Name: value'"},
        {"GET / HTTP/1.1\r\nContent-Length: 1x\r\n\r\n", 400, "the Content-Length '1x' is not a length"},
        {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n", 411, "taken only with Content-Length"},
        {"GET /pages/QuickSearch?QuickSearch=" + std::string(kLongestAddress, 'a') + " HTTP/1.1\r\n\r\n", 414,
         "the address is longer than 1048576 bytes"},
        {"GET /?" + std::string(1300 * 1024, 'a') + " HTTP/1.1\r\n\r\n", 414, "the address is longer than"},
        {"GET / HTTP/1.1\r\nX-Long: " + std::string(kLongestHeaders, 'x') + "\r\n\r\n", 431, "headers are longer"},
        {"POST /pages/GetScenario HTTP/1.1\r\nConnection: close\r\nContent-Length: 5\r\n\r\nGET /", 405,
         "only GET is answered, not POST"},
        {"DELETE /pages/GetScenario HTTP/1.1\r\nConnection: close\r\n\r\n", 405, "only GET is answered, not DELETE"},
    };
    // Every request of the HTTP side also after one answered on the same
    // connection, and pipelined behind 50 in one write.
    const std::string good = "GET /favicon.ico HTTP/1.1\r\nHost: a\r\n\r\n";
    std::string fifty;
    for (int i = 0; i < 50; ++i) fifty += good;
    for (const auto& [sent, status, reason] : table) {
        const bool address = sent.rfind("/", 0) == 0;
        const std::string request =
            address ? "GET " + sent + " HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n" : sent;
        std::vector<std::pair<int, std::string>> exchanges = {{0, service.Exchange(request)}};  // answers before, bytes
        if (!address)
            exchanges.insert(exchanges.end(),
                             {{1, service.Exchange(request, good)}, {50, service.Exchange(fifty + request)}});
        for (const auto& [before, replies] : exchanges) {
            const std::string name = std::to_string(before) + " before " + sent.substr(0, 80);
            std::size_t at = 0;  // the answers before: 204, no body
            for (int i = 0; i < before && at < replies.size(); ++i) {
                EXPECT_EQ(replies.compare(at, 13, "HTTP/1.1 204 "), 0) << name << " -> " << replies.substr(at, 200);
                at = std::min(replies.size(), replies.find("\r\n\r\n", at)) + 4;
            }
            const std::string reply = replies.substr(std::min(at, replies.size()));
            const std::size_t body = reply.find("\r\n\r\n");
            EXPECT_EQ(reply.rfind("HTTP/1.1 " + std::to_string(status), 0), 0u) << name << " -> " << reply;
            ASSERT_NE(body, std::string::npos) << name << " -> " << reply;
            EXPECT_NE(reply.find("Content-Type: text/plain"), std::string::npos) << name << " -> " << reply;
            EXPECT_NE(reply.find(reason, body), std::string::npos) << name << " -> " << reply;
            EXPECT_EQ(reply.find_first_of("\n<", body + 4), std::string::npos) << name << ": the reason is one line";
        }
    }
    // The scenarios survived the attempts above; the pages answer with the
    // ".asp" ending too; every request wrote one log line.
    EXPECT_EQ(ReplyPieces(service.Get("/pages/GetScenario.asp").body).size(), 2u);
    EXPECT_EQ(Connection(service.Port()).Request("HEAD", "/pages/GetScenario").status, 200);
    const std::string log = service.Log();
    EXPECT_NE(log.find("GET /pages/GetScenario.asp 200 "), std::string::npos) << log;
    EXPECT_NE(log.find("GET /nothing\\x0Aforged line 404 "), std::string::npos) << log;
    EXPECT_EQ(log.find("\nforged"), std::string::npos) << log;
}

}  // namespace
}  // namespace zemra::pages::testing
