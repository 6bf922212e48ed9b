// The scenario database: the requests and replies of its pages through
// ScenarioDatabase.h, and retrieve, save, delete, load and the auto-load
// flag through the panel, against canned pages.
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
    h.Replies({{kList, list}, {kInsert, inserted}, {kModify, ""}, {kDelete, ""}, {kDetail, "0|0|0"},
               {kCarry, "0|0|0"}, {kPages, "0"}});
    h.Start({{"TunerString", "1;Standard|2;Aggressive"},
             {"RecordString", std::string(kSecurityA) + "|" + kSecurityB},
             {"ScenarioString", scenarios},
             {"GetScenarioPath", kList},
             {"InsertScenarioPath", kInsert},
             {"ModScenarioPath", kModify},
             {"DelScenarioPath", kDelete},
             {"ScenarioDetailPath", kDetail},
             {"CarryCalcPath", kCarry},
             {"CapitalCalcPath", kCapital}});
    h.host.messages.clear();
    h.host.requests.clear();
}

void Load(Harness& h, const std::string& description) {
    h.ctl.ComboScenario->UserDropDown();
    for (int e = 0; e < h.ctl.ComboScenario->Count(); ++e)
        if (h.ctl.ComboScenario->ItemText(e) == description) {
            h.panel().UserPick(*h.ctl.ComboScenario, e);
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
    const std::pair<std::string, std::optional<int32_t>> replies[] = {
        {"42", 42}, {" 17\r\n", 17}, {"-3", -3}, {"", std::nullopt}, {"12a", std::nullopt},
        {"1.5", std::nullopt}, {"Error: table locked", std::nullopt}, {"99999999999", std::nullopt}};
    for (const auto& [reply, uid] : replies) EXPECT_EQ(InsertedUid(reply), uid) << "'" << reply << "'";

    const std::pair<std::string, bool> descriptions[] = {
        {"Up 10 & vol", false}, {"50% up #1", false}, {"a;b", true}, {"a|b", true}, {"", false}};
    for (const auto& [description, refused] : descriptions)
        EXPECT_EQ(RefusedDescription(description).has_value(), refused) << description;
}

// ---- Save.

TEST(StoredScenarioSave, ANewScenarioIsInsertedAndKeepsTheReturnedIdentityThenSavingAgainModifiesIt) {
    Harness h;
    StartDatabase(h, ScenarioText("Up 10", 10, 2));
    h.panel().UserClick(*h.ctl.BtnSave);
    ASSERT_EQ(h.host.requests.size(), 1u);
    EXPECT_EQ(h.host.requests[0], kInsert + "?Description=Up%2010&ScenarioDetail=10;0;0;0;0;100;0;2&AutoLoad=N");
    EXPECT_EQ(h.ctl.Model().Scenarios().Item(1).GetUid(), 42);
    EXPECT_EQ(h.ctl.Model().StoredScenarios().Item(1).GetUid(), 42);
    h.panel().UserClick(*h.ctl.BtnSave);
    ASSERT_EQ(h.host.requests.size(), 2u);
    EXPECT_EQ(h.host.requests[1], kModify + "?Uid=42&Description=Up%2010&ScenarioDetail=10;0;0;0;0;100;0;2&AutoLoad=N");
    EXPECT_TRUE(h.Messages().empty());
    EXPECT_EQ(h.ctl.LabelProgress->caption, "");
}

TEST(StoredScenarioSave, AnInsertReplyThatIsNoIdentityIsAFailedSaveAndTheNextSaveInsertsAgain) {
    Harness h;
    StartDatabase(h, ScenarioText("Up 10", 10, 2), kTwoStored, "Error: table locked");
    h.panel().UserClick(*h.ctl.BtnSave);
    ASSERT_EQ(h.Messages().size(), 1u);
    EXPECT_TRUE(Contains(h.Messages()[0], "'Error: table locked'"));
    EXPECT_EQ(h.ctl.Model().Scenarios().Item(1).GetUid(), -1);
    EXPECT_EQ(h.ctl.LabelProgress->caption, "");
    EXPECT_TRUE(h.ctl.Frame1->enabled);
    h.panel().UserClick(*h.ctl.BtnSave);
    ASSERT_EQ(h.host.requests.size(), 2u);
    EXPECT_TRUE(h.host.requests[1].starts_with(kInsert + "?"));
}

TEST(StoredScenarioSave, ADescriptionHoldingASeparatorIsRefusedAndNothingIsSent) {
    for (const std::string description : {"Up;10", "Up|10"}) {
        Harness h;
        StartDatabase(h, ScenarioText("Up", 10, 2));
        h.panel().UserType(*h.ctl.DescriptionFld, description);
        h.panel().UserClick(*h.ctl.BtnModify);
        h.panel().UserClick(*h.ctl.BtnSave);
        EXPECT_TRUE(h.host.requests.empty());
        ASSERT_EQ(h.Messages().size(), 1u);
        EXPECT_TRUE(Contains(h.Messages()[0], "';' and '|' are not allowed"));
    }
    Harness none;
    StartDatabase(none, "");
    none.panel().UserClick(*none.ctl.BtnSave);
    EXPECT_TRUE(none.host.requests.empty());
    EXPECT_TRUE(none.Messages().empty());
}

// ---- Retrieve.

TEST(StoredScenarioRetrieve, TheListReplyAddsEachScenarioOnceAndAKnownIdentityIsOverwrittenButItsImpactKept) {
    Harness h;
    StartDatabase(h, ScenarioText("Base"));
    h.panel().UserClick(*h.ctl.BtnRetrieve);
    EXPECT_EQ(h.host.requests.Addresses(), (std::vector<std::string>{kList}));
    EXPECT_EQ(h.Rows(*h.ctl.ComboScenario), (std::vector<std::string>{"Base", "A", "B"}));
    const auto& stored = h.ctl.Model().StoredScenarios();
    EXPECT_EQ(stored.Item(2).GetAutoLoad(), "Yes");
    EXPECT_EQ(stored.Item(3).GetAutoLoad(), "No");
    EXPECT_EQ(stored.Item(2).Getkey(), -1);
    EXPECT_EQ(h.ctl.ScenarioLst->Count(), 1);   // retrieved scenarios are not listed

    h.panel().UserClick(*h.ctl.BtnRetrieve);
    EXPECT_EQ(h.Rows(*h.ctl.ComboScenario), (std::vector<std::string>{"Base", "A", "B"}));

    stored.Item(2).SetImpact(1234);
    h.Replies({{kList, "7;A2;5;0;0;0;0;90;555;2;n|"}});
    h.panel().UserClick(*h.ctl.BtnRetrieve);
    EXPECT_EQ(h.Rows(*h.ctl.ComboScenario), (std::vector<std::string>{"Base", "A2", "B"}));
    EXPECT_EQ(stored.Item(2).GetScenarioProperties(m_StkChgIdx), 5);
    EXPECT_EQ(stored.Item(2).GetScenarioProperties(m_TunerValIdx), 90);
    EXPECT_EQ(stored.Item(2).Gettuner(), 2);
    EXPECT_EQ(stored.Item(2).GetAutoLoad(), "No");
    EXPECT_EQ(stored.Item(2).GetImpact(), 1234);
    EXPECT_EQ(stored.Item(2).GetUid(), 7);

    // An empty reply changes nothing; neither does a piece without identity.
    h.Replies({{kList, ""}});
    h.panel().UserClick(*h.ctl.BtnRetrieve);
    EXPECT_EQ(stored.Count(), 3);
    EXPECT_TRUE(h.Messages().empty());
}

// The list page writes data: its numbers read the same in every locale, and
// a time change beyond the calendar is refused with what came before it kept.
TEST(StoredScenarioRetrieve, TheListIsReadInTheDataFormatAndATimeChangeBeyondTheCalendarIsRefused) {
    Harness h(GermanLike());
    StartDatabase(h, ScenarioText("Base"), "7;A;1.5;0;0;0;0;100;0;1;Y|9;Far;0;0;0;1000000000;0;100;0;1;N|10;C;0;0;0;0;0;100;0;1;N");
    h.panel().UserClick(*h.ctl.BtnRetrieve);
    EXPECT_EQ(h.Rows(*h.ctl.ComboScenario), (std::vector<std::string>{"Base", "A"}));
    EXPECT_EQ(h.ctl.Model().StoredScenarios().Item(2).GetScenarioProperties(m_StkChgIdx), 1.5);
    ASSERT_EQ(h.Messages().size(), 1u);
    EXPECT_EQ(h.host.MousePointer(), kPointerDefault);
}

// ---- Load.

TEST(StoredScenarioLoad, NeverListedAppendsWithANewKeyListedIsRefreshedDeletedAppendsWithItsOldKey) {
    Harness h;
    StartDatabase(h, ScenarioText("Base"));
    h.panel().UserClick(*h.ctl.BtnRetrieve);
    const int32_t lastKey = h.ctl.Model().LastScenarioKey();

    Load(h, "A");
    EXPECT_EQ(h.Rows(*h.ctl.ScenarioLst), (std::vector<std::string>{"Base", "A"}));
    EXPECT_EQ(Keys(h.ctl.Model().Scenarios()), (std::vector<int32_t>{lastKey, lastKey + 1}));
    EXPECT_EQ(h.ctl.Model().Valuations().Item(2).Count(), 2);
    EXPECT_TRUE(h.ctl.ScenarioLst->Selected(1));

    // Listed: refreshed from a newer retrieve, its impact 0, shown.
    h.ctl.Model().Scenarios().Item(2).SetImpact(900);
    h.SelectRow(*h.ctl.ScenarioLst, 1);
    h.Replies({{kList, "7;A;1;0;0;0;0;100;0;1;Y"}});
    h.panel().UserClick(*h.ctl.BtnRetrieve);
    Load(h, "A");
    EXPECT_EQ(h.ctl.ScenarioLst->Count(), 2);
    EXPECT_EQ(h.ctl.Model().Scenarios().Item(2).GetImpact(), 0);
    EXPECT_EQ(h.ctl.ScenarioLst->ListIndex(), 1);
    EXPECT_EQ(h.ctl.DescriptionFld->Text(), "A");
    EXPECT_EQ(h.ctl.TxtScenario[0]->Text(), "1");
    EXPECT_EQ(h.Rows(*h.ctl.LstImpact)[1], "0");

    // Deleted from the working list: appended again under its old key.
    h.SelectRow(*h.ctl.ScenarioLst, 1);
    h.host.QueueAnswer(MsgAnswer::Yes);
    h.panel().UserClick(*h.ctl.DeleteBtn);
    Load(h, "A");
    EXPECT_EQ(h.Rows(*h.ctl.ScenarioLst), (std::vector<std::string>{"Base", "A"}));
    EXPECT_EQ(Keys(h.ctl.Model().Scenarios()), (std::vector<int32_t>{lastKey, lastKey + 1}));
    EXPECT_EQ(h.ctl.Model().LastScenarioKey(), lastKey + 1);
}

// ---- Delete from the database.

TEST(StoredScenarioDelete, ANeverSavedScenarioLeavesEveryListWithoutARequestASavedOneIsDeletedByIdentity) {
    Harness h;
    StartDatabase(h, ScenarioText("Up 10", 10) + "|" + ScenarioText("Down", -10));
    h.SelectRow(*h.ctl.ScenarioLst, 0);
    h.host.QueueAnswer(MsgAnswer::Yes);
    h.panel().UserClick(*h.ctl.BtnDelScenario);
    EXPECT_EQ(h.Messages(),
              (std::vector<std::string>{"Are you sure you want to delete the selected scenario from database:'Up 10'?"}));
    EXPECT_TRUE(h.host.requests.empty());
    EXPECT_EQ(h.Rows(*h.ctl.ScenarioLst), (std::vector<std::string>{"Down"}));
    EXPECT_EQ(h.ctl.LstImpact->Count(), 1);
    EXPECT_EQ(h.Rows(*h.ctl.ComboScenario), (std::vector<std::string>{"Down"}));
    EXPECT_EQ(h.ctl.Model().StoredScenarios().Count(), 1);
    EXPECT_EQ(h.ctl.Model().Valuations().Item(1).Count(), 1);
    EXPECT_EQ(h.ctl.ScenarioLst->ListIndex(), 0);

    h.panel().UserClick(*h.ctl.BtnSave);   // Uid 42
    h.host.QueueAnswer(MsgAnswer::No);
    h.panel().UserClick(*h.ctl.BtnDelScenario);
    EXPECT_EQ(h.ctl.ScenarioLst->Count(), 1);
    h.host.QueueAnswer(MsgAnswer::Yes);
    h.panel().UserClick(*h.ctl.BtnDelScenario);
    EXPECT_EQ(h.host.requests.back(), kDelete + "?Uid=42");
    EXPECT_EQ(h.ctl.ScenarioLst->Count(), 0);
    EXPECT_EQ(h.ctl.ComboScenario->Count(), 0);
    EXPECT_TRUE(h.ctl.Model().Valuations().Empty());

    h.host.messages.clear();
    h.panel().UserClick(*h.ctl.BtnDelScenario);
    EXPECT_EQ(h.Messages(), (std::vector<std::string>{"Choose scenario you wish to delete!"}));
}

// ---- The auto-load flag.

TEST(StoredScenarioAutoLoad, ANewValueSetsTheStaleNoticeAndTheSameValueClearsIt) {
    Harness h;
    StartDatabase(h, ScenarioText("Up 10", 10));
    auto pickAndLeave = [&](const std::string& value) {
        h.ctl.ComboAutoLoad->UserDropDown();
        h.panel().UserPick(*h.ctl.ComboAutoLoad, value == "Yes" ? 0 : 1);
        h.panel().UserFocus(*h.ctl.DescriptionFld);
    };
    pickAndLeave("Yes");
    EXPECT_EQ(h.ctl.LabelProgress->caption, kStale);
    EXPECT_EQ(h.ctl.Model().Scenarios().Item(1).GetAutoLoad(), "Yes");
    EXPECT_EQ(h.ctl.Model().StoredScenarios().Item(1).GetAutoLoad(), "Yes");
    pickAndLeave("Yes");
    EXPECT_EQ(h.ctl.LabelProgress->caption, "");
    h.panel().UserClick(*h.ctl.BtnSave);
    EXPECT_TRUE(Contains(h.host.requests.back(), "&AutoLoad=Y"));
}
