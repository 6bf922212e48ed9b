// The scenario database: the requests and replies of its pages through
// ScenarioDatabase.h, and retrieve and load through the panel, against
// canned pages. Saving (insert, modify, a refused description, an insert
// without identity), the auto-load flag and deleting from the database:
// golden/stored_session; retrieve and load: golden/stored_load.
#include <gtest/gtest.h>

#include "Harness.h"
#include "compute/ScenarioDatabase.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

const std::string kList = kPages + "GetScenario.asp";
const std::string kInsert = kPages + "InsertScenario.asp";
const std::string kModify = kPages + "ModScenario.asp";
const std::string kDelete = kPages + "DelScenario.asp";
const std::string kTwoStored = "7;A;1;0;0;0;0;100;0;1;Y|8;B;0;0;0;0;0;100;0;1;n";

// Securities A and B under the scenarios `scenarios`, with the four
// database pages; the list page answers `list`, the insert page `inserted`.
void StartDatabase(Harness& h, const std::string& scenarios, const std::string& list = kTwoStored,
                   const std::string& inserted = "42") {
    // clang-format off
    h.Replies({{kList, list}, {kInsert, inserted}, {kModify, ""}, {kDelete, ""}, {kDetail, "0|0|0"}, {kCarry, "0|0|0"},
        {kPages, "0"}});
    h.Start({{"TunerString", "1;Standard|2;Aggressive"}, {"RecordString", std::string(kSecurityA) + "|" + kSecurityB},
        {"ScenarioString", scenarios}, {"GetScenarioPath", kList}, {"InsertScenarioPath", kInsert},
        {"ModScenarioPath", kModify}, {"DelScenarioPath", kDelete}, {"ScenarioDetailPath", kDetail},
        {"CarryCalcPath", kCarry}, {"CapitalCalcPath", kCapital}});
    // clang-format on
    h.host.messages.clear();
    h.host.requests.clear();
}

void Load(Harness& h, const std::string& description) {
    h.Combo("ComboScenario").UserDropDown();
    for (int e = 0; e < h.Combo("ComboScenario").Count(); ++e)
        if (h.Combo("ComboScenario").ItemText(e) == description) {
            h.panel().UserPick(h.Combo("ComboScenario"), e);
            return;
        }
    FAIL() << "no saved scenario " << description;
}

std::vector<int32_t> Keys(const Collection<CScenario>& scenarios) {
    std::vector<int32_t> keys;
    for (int p = 1; p <= scenarios.Count(); ++p) keys.push_back(scenarios.Item(p).Getkey());
    return keys;
}

}  // namespace

// ---- The pages' requests and replies.

TEST(ScenarioDatabaseRequests, ValuesReachThePagesAsTypedAndTheFlagFollowsTheAutoLoadValue) {
    CScenario up = ScenarioOf(ScenarioText("Up 10 & vol", 10, 2));
    up.SetScenarioProperties(m_TimeIdx, 30);
    up.SetScenarioProperties(m_RateChgIdx, 0.25);
    EXPECT_EQ(BuildScenarioDetailField(up), "10;0.25;0;30;0;100;0;2");
    EXPECT_EQ(InsertScenarioAddress("p", up),
              "p?Description=Up%2010%20%26%20vol&ScenarioDetail=10;0.25;0;30;0;100;0;2&AutoLoad=N");
    up.SetUid(42);
    up.SetAutoLoad("yes");
    EXPECT_EQ(ModifyScenarioAddress("p", up),
              "p?Uid=42&Description=Up%2010%20%26%20vol&ScenarioDetail=10;0.25;0;30;0;100;0;2&AutoLoad=Y");
    EXPECT_EQ(DeleteScenarioAddress("p", 42), "p?Uid=42");

    const std::pair<std::string, std::string> flags[] = {{"Yes", "Y"}, {"NO", "N"}, {"no", "N"}, {"Y", ""}, {"", ""}};
    for (const auto& [value, flag] : flags) EXPECT_EQ(AutoLoadFlag(value), flag) << value;
}

TEST(ScenarioDatabaseRequests, OnlyAWholeNumberIsAnIdentityAndOnlySeparatorsAreRefusedInADescription) {
    const std::pair<std::string, std::optional<int32_t>> replies[] = {{"42", 42},
                                                                      {" 17\r\n", 17},
                                                                      {"-3", -3},
                                                                      {"", std::nullopt},
                                                                      {"12a", std::nullopt},
                                                                      {"1.5", std::nullopt},
                                                                      {"Error: table locked", std::nullopt},
                                                                      {"99999999999", std::nullopt}};
    for (const auto& [reply, uid] : replies) EXPECT_EQ(InsertedUid(reply), uid) << "'" << reply << "'";

    const std::pair<std::string, bool> descriptions[] = {
        {"Up 10 & vol", false}, {"50% up #1", false}, {"a;b", true}, {"a|b", true}, {"", false}};
    for (const auto& [description, refused] : descriptions)
        EXPECT_EQ(RefusedDescription(description).has_value(), refused) << description;
}

// What the panel shows of retrieve and load: golden/stored_load and
// stored_load_de. The keys and the stored impact, which it does not show:
TEST(StoredScenarioLoad, KeysContinueADeletedScenarioComesBackUnderItsOldKeyAndARetrieveKeepsTheImpact) {
    Harness h;
    StartDatabase(h, ScenarioText("Base"));
    h.panel().UserClick(h.Button("BtnRetrieve"));
    const int32_t lastKey = h.Model().LastScenarioKey();
    h.Model().StoredScenarios().Item(2).SetImpact(1234);
    h.panel().UserClick(h.Button("BtnRetrieve"));
    EXPECT_EQ(h.Model().StoredScenarios().Item(2).GetImpact(), 1234);
    EXPECT_EQ(h.Model().StoredScenarios().Item(2).GetUid(), 7);
    for (int round = 0; round < 2; ++round) {
        Load(h, "A");
        EXPECT_EQ(Keys(h.Model().Scenarios()), (std::vector<int32_t>{lastKey, lastKey + 1})) << round;
        h.SelectRow(h.List("ScenarioLst"), 1);
        h.host.QueueAnswer(MsgAnswer::Yes);
        h.panel().UserClick(h.Button("DeleteBtn"));
    }
    EXPECT_EQ(h.Model().LastScenarioKey(), lastKey + 1);
}
