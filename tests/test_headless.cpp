// The headless host: its script language, its dump, its input files and its
// canned replies, which the golden journeys and batch runs rely on.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "Harness.h"
#include "HostSetup.h"
#include "ScriptRunner.h"

using namespace zemra;
using namespace zemra::headless;
using zemra::testing::Harness;
using Json = nlohmann::json;

namespace {

struct ScriptFixture : ::testing::Test {
    Harness h;
    std::ostringstream out, notes;
    ScriptRunner runner{h.ctl.Ui(), h.host, out, notes};

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

TEST_F(ScriptFixture, ADumpIsTheSnapshotOfTheNamedElementsWithTheHostsLog) {
    h.Start({{"ScenarioString", "A;1;0;0;0;0;100;0;1;N"}, {"TunerString", "1;Standard"}});
    const auto state = Run("\ntype DescriptionFld Up & away\ndump DescriptionFld ScenarioLst UpdateBtn\n");
    EXPECT_EQ(state["forms"].size(), 1u);
    const auto& panel = state["forms"][0];
    EXPECT_EQ(panel["focus"], "DescriptionFld");
    EXPECT_EQ(panel["widgets"].size(), 3u);
    EXPECT_EQ(panel["widgets"]["DescriptionFld"]["text"], "Up & away");
    EXPECT_EQ(panel["widgets"]["ScenarioLst"]["rows"], Json::array({"A"}));
    EXPECT_EQ(panel["widgets"]["UpdateBtn"]["toolTip"], "Recalculate $Impact");
    for (const char* key : {"pointer", "messages", "requests", "browserWindows"}) EXPECT_TRUE(state.contains(key)) << key;
    // Pretty-printed: one element a line.
    EXPECT_NE(out.str().find("\n        \"DescriptionFld\": {\"kind\": \"textbox\""), std::string::npos);
}

TEST_F(ScriptFixture, TabFollowsTheTabOrderAndActionsThatDoNotReachAreNoted) {
    h.Start({});
    const auto state = Run("focus TxtScenario(4)\nkey TxtScenario(4) 9\nkey ComboTuner 9 1\nclick BtnUptTuner\ndump\n");
    EXPECT_EQ(state["forms"][0]["focus"], "TxtScenario(4)");
    EXPECT_NE(notes.str().find("line 4: 'click BtnUptTuner' did not reach"), std::string::npos) << notes.str();
}

TEST(HostSetup, InputFilesAreCheckedWithClearMessages) {
    for (const auto& [text, isReplies] : std::vector<std::pair<const char*, bool>>{
             {"[1]", false}, {"{\"RecordString\": 5}", false}, {"{}", true}, {"[{\"reply\": \"x\"}]", true}})
        EXPECT_THROW(isReplies ? (void)ParseReplies(text, "r.json") : (void)ParseProperties(text, "p.json"),
                     std::runtime_error)
            << text;
    const auto replies = ParseReplies(R"([{"match": "http://a/", "reply": "1|2"}, {"match": "http://b/", "fail": true}])", "r.json");
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_TRUE(replies[1].fail);
    EXPECT_EQ(ParseIsoDate("2026-02-28"), (Date{2026, 2, 28}));
    EXPECT_THROW(ParseIsoDate("2026-02-30"), std::runtime_error);
}

TEST(HeadlessHost, CannedRepliesMatchByPrefixAndUnansweredAddressesFail) {
    HeadlessHost host(Date{2026, 12, 6});
    host.SetCannedReplies({{"http://s/Detail.asp?Secid=1&", "one", false}, {"http://s/Detail.asp", "any", false},
                           {"http://s/Down", "", true}});
    EXPECT_EQ(host.Fetch("http://s/Detail.asp?Secid=1&x=2").body, "one");
    EXPECT_EQ(host.Fetch("http://s/Detail.asp?Secid=2").body, "any");
    EXPECT_FALSE(host.Fetch("http://s/Down.asp").ok);
    const FetchResult none = host.Fetch("http://elsewhere/");
    EXPECT_FALSE(none.ok);
    EXPECT_NE(none.error.find("http://elsewhere/"), std::string::npos);
    EXPECT_EQ(host.requests.size(), 4u);
}

TEST(HeadlessHost, YesNoBoxesTakeTheQueuedAnswersThenNo) {
    HeadlessHost host(Date{2026, 12, 6});
    host.QueueAnswer(MsgAnswer::Yes);
    EXPECT_EQ(host.MessageBox("Sure?", MsgButtons::YesNo), MsgAnswer::Yes);
    EXPECT_EQ(host.MessageBox("Again?", MsgButtons::YesNo), MsgAnswer::No);
    EXPECT_EQ(host.MessageBox("Note", MsgButtons::Ok), MsgAnswer::Ok);
    EXPECT_EQ(host.messages.size(), 3u);
}

}  // namespace
