// The headless host: its script language, its dump, its input files and its
// canned replies, which the golden journeys and batch runs rely on.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "Harness.h"
#include "HostOptions.h"
#include "HostSetup.h"
#include "PageOrigin.h"
#include "PanelDump.h"
#include "RequestLog.h"
#include "ScriptRunner.h"

using namespace zemra;
using namespace zemra::headless;
using zemra::testing::Harness;
using Json = nlohmann::json;

namespace {

struct ScriptFixture : ::testing::Test {
    Harness h;
    std::ostringstream out, notes;
    ScriptRunner runner{h.Ui(), h.host, out, notes};

    // Runs a script; returns its last dump.
    Json Run(const std::string& script) {
        std::istringstream in(script);
        runner.Run(in);
        const std::string text = out.str();
        return Json::parse(text.substr(text.rfind("\n{") == std::string::npos ? 0 : text.rfind("\n{")));
    }
};

TEST_F(ScriptFixture, LinesThatNameNothingAreScriptErrorsWithTheirLineNumber) {
    h.Start({});
    // The toolkit's tests cover every way an action can name nothing.
    for (const char* line : {"frobnicate UpdateBtn", "click DlgCarry.OKButton", "answer perhaps"}) {
        std::istringstream in(std::string("# comment\n") + line + "\n");
        try {
            runner.Run(in);
            ADD_FAILURE() << line;
        } catch (const ScriptError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("line 2: ", 0), 0u) << e.what();
        }
    }
}

// A dump of named elements, pretty-printed with the host's log: every golden journey.
TEST_F(ScriptFixture, TabFollowsTheTabOrderAndActionsThatDoNotReachAreNoted) {
    h.Start({});
    const auto state = Run("focus TxtScenario(4)\nkey TxtScenario(4) 9\nkey ComboTuner 9 1\nclick BtnUptTuner\ndump\n");
    EXPECT_EQ(state["forms"][0]["focus"], "TxtScenario(4)");
    EXPECT_NE(notes.str().find("line 4: 'click BtnUptTuner' did not reach"), std::string::npos) << notes.str();
}

TEST(PageOrigin, RelativePageAddressesResolveAgainstThePropertiesOrigin) {
    struct Case {
        std::string properties, address, fetched;
    };
    const std::vector<Case> table = {
        {"http://127.0.0.1:8080/properties.json", "/pages/ScenarioDetail?Secid=1",
         "http://127.0.0.1:8080/pages/ScenarioDetail?Secid=1"},
        {"HTTPS://desk.example:443?x=/y", "/pages/QuickSearch", "HTTPS://desk.example:443/pages/QuickSearch"},
        {"http://host#frag", "/a", "http://host/a"},
        // Absolute addresses, protocol-relative ones and relative paths stand.
        {"http://host/p.json", "http://other/pages/X", "http://other/pages/X"},
        {"http://host/p.json", "//other/pages/X", "//other/pages/X"},
        {"http://host/p.json", "pages/X", "pages/X"},
        // Properties from a file give no origin.
        {"samples/portfolio.json", "/pages/X", "/pages/X"},
        {"http:///nohost", "/pages/X", "/pages/X"},
        {"ftp://host/p.json", "/pages/X", "/pages/X"},
    };
    for (const auto& c : table)
        EXPECT_EQ(ResolveAgainst(OriginOf(c.properties), c.address), c.fetched) << c.properties << " + " << c.address;
}

TEST(HostSetup, InputFilesAreCheckedWithClearMessages) {
    for (const auto& [text, isReplies] :
         std::vector<std::pair<const char*, bool>>{{"[1]", false},
                                                   {"{\"RecordString\": 5}", false},
                                                   {"{}", true},
                                                   {"[{\"reply\": \"x\"}]", true},
                                                   {"[{\"match\": \"a\", \"status\": 99, \"reply\": \"x\"}]", true}})
        EXPECT_THROW(isReplies ? (void)ParseReplies(text, "r.json") : (void)ParseProperties(text, "p.json"),
                     std::runtime_error)
            << text;
    const auto replies = ParseReplies(R"([{"match": "a", "reply": "1|2"}, {"match": "b", "fail": true},
                                          {"match": "c", "status": 400, "reply": "no"}])",
                                      "r.json");
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_TRUE(replies[1].fail);
    EXPECT_EQ(replies[2].status, 400);
    EXPECT_EQ(ParseIsoDate("2026-02-28"), (Date{2026, 2, 28}));  // refusals: HostOptions.ValuesAreReadStrictly
}

// Canned replies (the first whose match is a prefix answers, "fail" and
// "status" fail the fetch): every golden journey, impact_failure and
// impact_refused. Yes/No boxes take the queued answers, then No:
// golden/scenario_delete.

// The host keeps the most recent addresses up to its budget (the last one
// always) and counts the ones it let go, so that it stays the same size
// over any number of Updates.
TEST(HeadlessHost, TheRequestRecordKeepsTheLatestAddressesWithinItsBudget) {
    struct Case {
        std::size_t budget;
        std::vector<std::size_t> lengths;  // of the addresses fetched, in order
        std::size_t kept, leftOut;
    };
    const std::vector<Case> table = {
        {100, {10, 20, 30}, 3, 0},  {100, {40, 40, 40}, 2, 1},
        {100, {150}, 1, 0},  // the last one stays, however long
        {100, {10, 150, 10}, 1, 2}, {100, {60, 50, 50, 50}, 2, 2},
    };
    for (const Case& c : table) {
        RequestLog log(c.budget);
        for (std::size_t i = 0; i < c.lengths.size(); ++i)
            log.Record(std::string(c.lengths[i], 'a' + static_cast<char>(i)));
        EXPECT_EQ(log.size(), c.kept) << ::testing::PrintToString(c.lengths);
        EXPECT_EQ(log.LeftOut(), c.leftOut) << ::testing::PrintToString(c.lengths);
        EXPECT_EQ(log.back(), std::string(c.lengths.back(), 'a' + static_cast<char>(c.lengths.size() - 1)));
        EXPECT_LE(log.KeptBytes(), std::max(c.budget, c.lengths.back()));
    }
}

// The goldens' dumps, with no address let go, have no count.
TEST(HeadlessHost, TheDumpSaysHowManyEarlierRequestsWereLetGo) {
    Harness h;
    for (int i = 0; i < 5; ++i) h.host.Fetch(std::string(RequestLog::kKeptBytes / 2, 'x') + std::to_string(i));
    const Json state = Json::parse(DumpState(h.Ui(), h.host, {}).WritePretty());
    ASSERT_EQ(state["requests"].size(), 1u);
    EXPECT_EQ(state["requests"][0].get<std::string>().back(), '4');
    EXPECT_EQ(state["requestsLeftOut"], 4);
}

}  // namespace

// A text that is not well-formed UTF-8 is dumped with U+FFFD for each byte
// that is not, and the script goes on.
TEST_F(ScriptFixture, TextsThatAreNotUtf8AreDumpedWithReplacementCharacters) {
    h.Start({{"ScenarioString", "A;1;0;0;0;0;100;0;1;N"}, {"TunerString", "1;Standard"}});
    const std::string fffd = "\xEF\xBF\xBD";
    const std::vector<std::pair<std::string, std::string>> table = {
        {"ab\xC3", "ab" + fffd},
        {"\xE2\x82 x", fffd + fffd + " x"},
        {"\xFF\xC0\xAF", fffd + fffd + fffd},
        {"\xED\xA0\x80", fffd + fffd + fffd},             // a surrogate
        {"\xF4\x90\x80\x80", fffd + fffd + fffd + fffd},  // past U+10FFFF
        {"Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x98\x80", "Z\xC3\xBCrich \xE2\x82\xAC \xF0\x9F\x98\x80"},
    };
    for (const auto& [typed, dumped] : table) {
        const Json state = Run("type DescriptionFld " + typed + "\ndump DescriptionFld\n");
        EXPECT_EQ(state["forms"][0]["widgets"]["DescriptionFld"]["text"], dumped) << typed;
    }
}

// The command line is read strictly: a value its option does not take is an
// error saying so, never a default.
TEST(HostOptions, ValuesAreReadStrictly) {
    struct Case {
        std::vector<std::string> args;
        std::string error;  // empty: accepted
    };
    const std::vector<Case> table = {
        {{"--timeout", "30"}, ""},
        {{"--timeout", "86400"}, ""},
        {{"--today", "2026-12-06"}, ""},
        {{"--locale", "sv-SE"}, ""},
        {{"--timeout", "abc"}, "--timeout takes a whole number of seconds from 1 to 86400, not 'abc'"},
        {{"--timeout", "1e9"}, "not '1e9'"},
        {{"--timeout", "99999999999999999999"}, "not '99999999999999999999'"},
        {{"--timeout", "0"}, "not '0'"},
        {{"--timeout", "86401"}, "not '86401'"},
        {{"--timeout", " 30"}, "not ' 30'"},
        {{"--timeout"}, "--timeout needs a value"},
        {{"--today", "2026-12-6"}, "--today: '2026-12-6' is not a date of the form YYYY-MM-DD"},
        {{"--today", "2026-02-30"}, "is not a date"},
        {{"--today", "+2026-1-01"}, "is not a date"},
        {{"--locale", "xx"}, "--locale: unknown language tag 'xx' (known: en-US de-DE fr-FR sv-SE)"},
        {{"--frobnicate"}, "unknown option --frobnicate"},
    };
    for (const Case& c : table) {
        std::string error;
        try {
            ParseHostOptions(c.args);
        } catch (const OptionError& e) {
            error = e.what();
        }
        if (c.error.empty())
            EXPECT_EQ(error, "") << c.args[0];
        else
            EXPECT_TRUE(zemra::testing::Contains(error, c.error)) << c.args[0] << ": " << error;
    }
    EXPECT_EQ(ParseHostOptions({"--timeout", "30"}).timeoutSeconds, 30);
    EXPECT_EQ(ParseHostOptions({"--locale", "de-DE"}).locale.decimalSeparator, ',');
}
