// The headless host's script language and its dump, which other tests and
// integrators' batch runs rely on.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "Harness.h"
#include "HostSetup.h"
#include "ScriptRunner.h"

using namespace zemra;
using namespace zemra::headless;
using zemra::testing::Harness;

namespace {

struct ScriptFixture : ::testing::Test {
    Harness h;
    std::ostringstream out, notes;
    ScriptRunner runner{h.ctl, h.host, out, notes};

    nlohmann::json Run(const std::string& script) {
        std::istringstream in(script);
        runner.Run(in);
        std::istringstream lines(out.str());
        std::string last;
        for (std::string line; std::getline(lines, line);) last = line;
        return nlohmann::json::parse(last);
    }
};

TEST_F(ScriptFixture, UnknownActionsAndElementsAreScriptErrors) {
    h.Start({});
    std::istringstream badAction("frobnicate UpdateBtn\n");
    EXPECT_THROW(runner.Run(badAction), ScriptError);
    std::istringstream badElement("click NoSuchButton\n");
    EXPECT_THROW(runner.Run(badElement), ScriptError);
    std::istringstream closedDialog("click DlgCarry.OKButton\n");
    EXPECT_THROW(runner.Run(closedDialog), ScriptError);
    std::istringstream wrongKind("type UpdateBtn hello\n");
    EXPECT_THROW(runner.Run(wrongKind), ScriptError);
}

TEST_F(ScriptFixture, DumpListsWidgetsFocusMessagesRequestsAndDialogs) {
    h.Start({{"ScenarioString", "A;1;0;0;0;0;100;0;1;N"}, {"TunerString", "1;Standard"}});
    const auto state = Run("# a comment\n\ntype DescriptionFld Up & away\ndump\n");
    for (const char* key : {"widgets", "focus", "pointer", "messages", "requests", "browserWindows", "dialogs"})
        EXPECT_TRUE(state.contains(key)) << key;
    EXPECT_EQ(state["widgets"]["DescriptionFld"]["text"], "Up & away");
    EXPECT_EQ(state["focus"], "DescriptionFld");
    EXPECT_EQ(state["widgets"]["TxtAssumptions(7)"]["kind"], "textbox");
    EXPECT_EQ(state["widgets"]["LabelValuation(30)"]["kind"], "label");
    EXPECT_EQ(state["widgets"]["ScenarioLst"]["rows"], nlohmann::json::array({"A"}));
    EXPECT_EQ(state["widgets"]["ComboTuner"]["itemData"], nlohmann::json::array({1}));
    EXPECT_EQ(state["widgets"]["UpdateBtn"]["toolTip"], "Recalculate $Impact");
    EXPECT_EQ(state["widgets"]["LabelProgress"]["backColor"], "#F0F0F0");
}

TEST_F(ScriptFixture, AFilteredDumpListsOnlyTheNamedElements) {
    h.Start({});
    const auto state = Run("dump UpdateBtn CmdDebug\n");
    EXPECT_EQ(state["widgets"].size(), 2u);
    EXPECT_EQ(state["widgets"]["CmdDebug"]["visible"], false);
}

TEST(HostSetup, InputFilesAreCheckedWithClearMessages) {
    EXPECT_THROW(ParseProperties("[1]", "p.json"), std::runtime_error);
    EXPECT_THROW(ParseProperties("{\"RecordString\": 5}", "p.json"), std::runtime_error);
    EXPECT_THROW(ParseReplies("{}", "r.json"), std::runtime_error);
    EXPECT_THROW(ParseReplies("[{\"reply\": \"x\"}]", "r.json"), std::runtime_error);
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
