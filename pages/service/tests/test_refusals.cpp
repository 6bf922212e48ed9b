// Requests that cannot be answered: a 4xx status and a one-line reason that
// names the key and the value at fault.
#include "ServiceHarness.h"

namespace zemra::pages::testing {
namespace {

struct Refusal {
    std::string name;
    std::string target;
    int status;
    std::string reason;   // the reply must hold this text
};

class RefusedRequests : public ::testing::Test {
protected:
    TestDatabase database;
    RunningService service{database.Address()};
};

TEST_F(RefusedRequests, AnswerFourHundredsWithTheirReasons) {
    const std::vector<Refusal> table = {
        {"search without its key", "/pages/QuickSearch?Other=x", 400, "QuickSearch: missing"},
        {"search text too long", "/pages/QuickSearch?QuickSearch=" + std::string(5000, 'x'), 400,
         "is longer than 200 characters"},
        {"capital without a key", CapitalQuery().Without("StkPrice").Page("CapitalCalc"), 400, "StkPrice: missing"},
        {"capital of a non-number", CapitalQuery().With("ConvPrice", "1O4.5").Page("CapitalCalc"), 400,
         "ConvPrice: '1O4.5' is not a number"},
        {"capital of an unknown security", CapitalQuery(9999).Page("CapitalCalc"), 404,
         "Secid: '9999' is not a known security"},
        {"capital of a fractional identifier", CapitalQuery().With("Secid", "10.5").Page("CapitalCalc"), 400,
         "Secid: '10.5' is not a whole number"},
        {"capital of an unknown rule", CapitalQuery().With("CapitalRule", "7").Page("CapitalCalc"), 404,
         "CapitalRule: '7' is not a known capital rule"},
        {"carry with a bad time change", CarryQuery({30}).With("TimeChg", "30;x;60").Page("CarryCalc"), 400,
         "TimeChg: 'x' (item 2) is not a number"},
        {"carry of an unknown security", CarryQuery({30}, 4242).Page("CarryCalc"), 404,
         "Secid: '4242' is not a known security"},
        {"carry beyond a century", CarryQuery({1e300}).Page("CarryCalc"), 400, "TimeChg: '1E+300' (item 1)"},
        {"detail of an unknown security", DetailQuery({0}, 777).Page("ScenarioDetail"), 404,
         "Secid: '777' is not a known security"},
        {"detail with lists of unequal length", DetailQuery({0, 10}).With("TimeChg", "0").Page("ScenarioDetail"), 400,
         "TimeChg: 1 values where StkChg has 2"},
        {"detail on an unknown curve", DetailQuery({0}).With("Curve", "XYZ").Page("ScenarioDetail"), 404,
         "Curve: 'XYZ' is not a known curve"},
        {"detail on a curve with a line break", DetailQuery({0}).With("Curve", "A%0AB").Page("ScenarioDetail"), 400,
         "Curve: 'A B' holds a control character"},
        {"detail on a long curve name", DetailQuery({0}).With("Curve", std::string(3000, 'C')).Page("ScenarioDetail"),
         404, "Curve: '" + std::string(60, 'C') + "...' is not a known curve"},
        {"detail with an unknown scheme", DetailQuery({0}).With("DiscountingScheme", "9").Page("ScenarioDetail"), 400,
         "DiscountingScheme: '9' is not a discounting scheme"},
        {"detail with a tuner beyond 16 bits", DetailQuery({0, 0}).With("Tuner", "1;32768").Page("ScenarioDetail"),
         400, "Tuner: '32768' (item 2) is not a tuner identifier"},
        {"insert with a tuner beyond 32 bits", InsertQuery("Up", "0;0;0;0;0;100;0;1e20", "N").Page("InsertScenario"),
         400, "ScenarioDetail: '1e20' (field 8) is not a tuner identifier"},
        {"insert with ';' in the description", InsertQuery("a;b", "0;0;0;0;0;100;0;1", "N").Page("InsertScenario"), 400,
         "Description: 'a;b' holds ';' or '|'"},
        {"insert with '|' in the description", InsertQuery("a|b", "0;0;0;0;0;100;0;1", "N").Page("InsertScenario"), 400,
         "Description: 'a|b' holds ';' or '|'"},
        {"insert with a short detail", InsertQuery("Up", "10;0;0", "N").Page("InsertScenario"), 400,
         "ScenarioDetail: '10;0;0' has 3 fields, not 8"},
        {"insert with a non-number in the detail", InsertQuery("Up", "10;0;abc;0;0;100;0;1", "N").Page("InsertScenario"),
         400, "ScenarioDetail: 'abc' (field 3) is not a number"},
        {"insert with a description of 256 characters",
         InsertQuery(std::string(256, 'd'), "0;0;0;0;0;100;0;1", "N").Page("InsertScenario"), 400,
         "is longer than 255 characters"},
        {"insert with a detail over 200 characters",
         InsertQuery("Up", "1;0;0;0;0;100;0;" + std::string(185, '0') + "1", "N").Page("InsertScenario"), 400,
         "is longer than 200 characters"},
        {"insert with a description not UTF-8", "/pages/InsertScenario?Description=a%FFb&ScenarioDetail=0", 400,
         "Description: 'a?b' is not UTF-8 text"},
        {"insert with a NUL in the description", "/pages/InsertScenario?Description=a%00b&ScenarioDetail=0", 400,
         "Description: 'a b' holds a control character"},
        {"search for a NUL", "/pages/QuickSearch?QuickSearch=%00", 400, "QuickSearch: ' ' holds a control character"},
        {"search not UTF-8", "/pages/QuickSearch?QuickSearch=%C3%28", 400, "QuickSearch: '?(' is not UTF-8 text"},
        {"a key with a line break", "/pages/GetScenario?a%0Ab=1", 400, "the key 'a b' holds a control character"},
        {"carry with a maturity that is no date", CarryQuery({30}).With("Maturity", "15.06.2031").Page("CarryCalc"), 400,
         "Maturity: '15.06.2031' is not a date (month, day and year)"},
        {"detail with a maturity that is no date", DetailQuery({0}).With("Maturity", "06/15").Page("ScenarioDetail"),
         400, "Maturity: '06/15' is not a date"},
        {"a path with a line break", "/nothing%0Aforged%20line", 404, "no page at '/nothing forged line'"},
        {"modify of an unknown identity",
         InsertQuery("Up", "10;0;0;0;0;100;0;1", "N").Add("Uid", 99999).Page("ModScenario"), 404,
         "Uid: '99999' is not a stored scenario"},
        {"delete of an unknown identity", "/pages/DelScenario?Uid=424242", 404, "Uid: '424242' is not a stored scenario"},
        {"delete without an identity", "/pages/DelScenario", 400, "Uid: missing"},
        {"delete of a non-number", "/pages/DelScenario?Uid=1%3B%20DROP%20TABLE%20scenarios", 400,
         "Uid: '1; DROP TABLE scenarios' is not a whole number"},
    };
    for (const Refusal& r : table) {
        const Reply reply = service.Get(r.target);
        EXPECT_EQ(reply.status, r.status) << r.name << ": " << reply.body;
        EXPECT_NE(reply.body.find(r.reason), std::string::npos) << r.name << ": " << reply.body;
        EXPECT_EQ(reply.body.find('\n'), std::string::npos) << r.name << ": the reason is one line";
    }
    // The scenarios survived the attempts above.
    EXPECT_EQ(ReplyPiecesCount(service.Get("/pages/GetScenario").body), 2u);
}

TEST_F(RefusedRequests, TextsReachTheDatabaseOnlyAsBoundValues) {
    const std::string hostile = "x' OR '1'='1";
    EXPECT_EQ(service.Get(Query().Add("QuickSearch", hostile).Page("QuickSearch")).body, "|");
    const Reply inserted = service.Get(InsertQuery("Robert'); DROP TABLE scenarios;--", "0;0;0;0;0;100;0;1", "N")
                                           .Page("InsertScenario"));
    EXPECT_EQ(inserted.status, 400);   // the ";" is refused before anything is stored
    const Reply quoted = service.Get(InsertQuery("It's \"quoted\" & <b>", "0;0;0;0;0;100;0;1", "N").Page("InsertScenario"));
    ASSERT_EQ(quoted.status, 200) << quoted.body;
    EXPECT_NE(service.Get("/pages/GetScenario").body.find(";It's \"quoted\" & <b>;"), std::string::npos);
}

}  // namespace
}  // namespace zemra::pages::testing
