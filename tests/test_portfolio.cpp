// The portfolio model: records, list rows and the valuation grid change in
// one step, and a record that cannot be taken whole changes nothing; then
// random user journeys over malformed start-up data, with the model in step
// after every action.
#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "Builders.h"
#include "Harness.h"
#include "LocaleTags.h"
#include "portfolio/Portfolio.h"
#include "records/RecordError.h"

using namespace zemra;
using namespace zemra::testing;
using zemra::headless::KnownLocaleTags;
using zemra::headless::LocaleForTag;

namespace {

using Rows = std::vector<std::string>;

const char* const kBusyCaption = "Calculation in progress,please wait ..";

std::shared_ptr<CScenario> Scenario(const std::string& text) { return std::make_shared<CScenario>(ScenarioOf(text)); }
std::shared_ptr<CSecurity> Security(const std::string& text) { return std::make_shared<CSecurity>(SecurityOf(text)); }

// Why the records, the list rows and the grid are not in step, or "".
std::string OutOfStep(const Portfolio& model, Harness* h = nullptr) {
    const int securities = model.Securities().Count();
    const int scenarios = model.Scenarios().Count();
    const auto& grid = model.Valuations();
    if (h) {
        if (h->List("LstSecurity").Count() != securities) return "LstSecurity rows differ from the securities";
        if (h->List("ScenarioLst").Count() != scenarios) return "ScenarioLst rows differ from the scenarios";
        if (h->List("LstImpact").Count() != scenarios) return "LstImpact rows differ from the scenarios";
        if (h->Combo("ComboScenario").Count() != model.StoredScenarios().Count())
            return "ComboScenario entries differ from the stored scenarios";
    }
    if (scenarios == 0) return grid.Empty() ? "" : "a grid without scenarios";
    if (grid.Count() != securities) return "the grid has " + std::to_string(grid.Count()) + " rows";
    for (int s = 1; s <= securities; ++s)
        if (grid.Item(s).Count() != scenarios) return "grid row " + std::to_string(s) + " is short";
    return "";
}

}  // namespace

TEST(PortfolioModel, TheGridFollowsEveryAddAndRemoveInEitherOrder) {
    Portfolio model;
    model.AddSecurity(Security(kSecurityA));
    EXPECT_TRUE(model.Valuations().Empty());  // no scenario yet
    model.AddScenario(Scenario(ScenarioText("Up", 10, 3)), 1);
    model.AddSecurity(Security(kSecurityB));
    model.AddScenario(Scenario(ScenarioText("Down", -10, 2)), 2);
    EXPECT_EQ(OutOfStep(model), "");
    ASSERT_EQ(model.Valuations().Count(), 2);
    // A fresh valuation carries its scenario's tuner and tuner value.
    EXPECT_EQ(model.ValuationAt(2, 1).Gettuner(), 3);
    EXPECT_EQ(model.ValuationAt(2, 2).Gettuner(), 2);
    EXPECT_EQ(model.ValuationAt(1, 2).GetTunerValue(), 100);
    EXPECT_EQ(model.LastScenarioKey(), 2);

    model.RemoveScenario(1);
    EXPECT_EQ(OutOfStep(model), "");
    EXPECT_EQ(model.ValuationAt(1, 1).Gettuner(), 2);
    model.RemoveScenario(1);
    EXPECT_TRUE(model.Valuations().Empty());
    model.AddScenario(Scenario(ScenarioText("Again")), 3);
    EXPECT_EQ(OutOfStep(model), "");
    EXPECT_THROW(model.ValuationAt(3, 1), std::runtime_error);
    EXPECT_THROW(model.ValuationAt(1, 2), std::runtime_error);
}

TEST(PortfolioModel, AScenarioWhoseTunerDoesNotFitIsRefusedWithNothingChanged) {
    Portfolio model;
    model.AddSecurity(Security(kSecurityA));
    model.AddScenario(Scenario(ScenarioText("A")), 1);
    for (double tuner : {32768.0, -32769.0}) {
        EXPECT_THROW(model.AddScenario(Scenario(ScenarioText("B", 0, tuner)), 2), RecordError);
        EXPECT_THROW(model.AddStoredScenario(Scenario(ScenarioText("B", 0, tuner))), RecordError);
    }
    EXPECT_EQ(model.Scenarios().Count(), 1);
    EXPECT_EQ(model.StoredScenarios().Count(), 0);
    EXPECT_EQ(model.LastScenarioKey(), 1);
    EXPECT_EQ(OutOfStep(model), "");
}

TEST(PortfolioModel, RemovingKeepsTheStoredEntryWithoutAnImpactAndRenamingRenamesBoth) {
    Portfolio model;
    auto scenario = Scenario(ScenarioText("Up", 10, 1, 500));
    model.AddScenario(scenario, 1);
    model.AddStoredScenario(scenario);
    model.RenameScenario(1, "Renamed");
    EXPECT_EQ(model.StoredEntry(1)->Getdescription(), "Renamed");
    model.RemoveScenario(1);
    ASSERT_EQ(model.StoredScenarios().Count(), 1);
    EXPECT_EQ(model.StoredScenarios().Item(1).GetImpact(), 0);
    EXPECT_EQ(model.FindStoredScenarioPosition(7), 0);
}

// A start-up item that cannot be taken whole is reported and not listed;
// start-up ends there, and what was listed before it has its valuations, so
// that an Update values it.
TEST(StartUpMend, AnItemThatCannotBeTakenWholeIsNotListedAndWhatWasLoadedIsValued) {
    // The records, the stored scenarios and the scenarios, the rows listed
    // and the message.
    using Case = std::tuple<std::string, std::string, std::string, Rows, Rows, std::string>;
    const std::string a = kSecurityA, ab = a + "|" + kSecurityB, one = "A;1;0;0;0;0;100;0;1;N";
    // clang-format off
    const std::vector<Case> table = {
        {a, "", "A;0;0;0;0;0;100;0;1;N|B;0;0;0;0;0;100;0;32768;N", {"ACME CV"}, {"A"},
         "Scenario 'B' tuner 32768 is outside the range of a tuner identifier"},
        {a, "5;Fine;0;0;0;0;0;100;0;1;Y|6;Wide;0;0;0;0;0;100;0;40000;Y", "", {"ACME CV"}, {"Fine"},
         "Scenario 'Wide' tuner 40000"},
        {ab, "", "Up;10;0;0;0;0;100;0;1;N|Bad;x;0;0;0;0;100;0;1;N", {"ACME CV", "Beta Corp"}, {"Up"}, "Bad"},
        {a + "|1003;Broken;B;abc|" + kSecurityB, "", one, {"ACME CV"}, {}, "Broken"},
        {a + "|", "", one, {"ACME CV"}, {}, "needs at least an id and a description"},
        // A time change beyond the calendar gives no valuation date.
        {a, "5;Fine;0;0;0;0;0;100;0;1;Y|6;Far;0;0;0;3000000;0;100;0;1;Y", "", {"ACME CV"}, {"Fine"},
         "Scenario 'Far' cannot be loaded: The time change of 3000000 days gives no valuation date"},
        {a, "", "A;0;0;0;0;0;100;0;1;N|Past;0;0;0;-740000;0;100;0;1;N", {"ACME CV"}, {"A"},
         "Scenario 'Past' cannot be loaded"},
    };
    // clang-format on
    for (const auto& [records, stored, scenarios, securityRows, scenarioRows, message] : table) {
        SCOPED_TRACE(message);
        Harness h;
        h.Replies({{kDetail, "0|0"}, {kCarry, "0|0"}, {kPages, "0"}});
        h.Start(Harness::WithPages(
            {{"RecordString", records}, {"StoredScenarios", stored}, {"ScenarioString", scenarios}}));
        ASSERT_EQ(h.Messages().size(), 1u);
        EXPECT_TRUE(Contains(h.Messages()[0], message)) << h.Messages()[0];
        EXPECT_EQ(h.Rows(h.List("LstSecurity")), securityRows);
        EXPECT_EQ(h.Rows(h.List("ScenarioLst")), scenarioRows);
        EXPECT_EQ(OutOfStep(h.Model(), &h), "");
        EXPECT_EQ(h.host.MousePointer(), kPointerDefault);
        h.SelectRow(h.List("LstSecurity"), 0);
        if (!scenarioRows.empty()) h.SelectRow(h.List("ScenarioLst"), 0);
        h.panel().UserClick(h.Button("UpdateBtn"));
        EXPECT_TRUE(scenarioRows.empty() || h.Messages().size() == 1u) << h.Messages().back();
    }
}

// Random journeys: start-up data with malformed pieces mixed in, then user
// actions on every list, field, drop-down and button of the panel, with
// random answers to the confirmations, in a random one of the known
// locales. Seeded, so a failure repeats. After every action: the model in
// step, never busy, and no request with an empty or non-finite number.
TEST(PortfolioJourneys, RecordsRowsAndGridStayInStepAfterEveryAction) {
    const std::vector<std::string> securityPieces = {kSecurityA,
                                                     kSecurityB,
                                                     SecurityRecord(1003, "Gamma AS", "AS", 200, 12, 0, 1, 4, "1"),
                                                     SecurityRecord(1006, "No FX", "DS", 10, 5, 0, 1, 1, "0"),
                                                     SecurityRecord(1007, "Delta P", "P", 50, 20, -10, 1, 2, "1"),
                                                     "1004;Broken;B;abc",
                                                     "1005"};
    const std::vector<std::string> scenarioPieces = {ScenarioText("Up", 10),         ScenarioText("Down", -10, 2),
                                                     ScenarioText("Flat"),           ScenarioText("Gone", -100),
                                                     ScenarioText("Up", 5),          ScenarioText("Wide", 0, 32768),
                                                     ScenarioText("Low", 0, -40000), "Short;1",
                                                     "Bad;x;0;0;0;0;100;0;1;N"};
    const std::vector<std::string> storedPieces = {"5;Kept;0;0;0;0;0;100;0;1;Y", "7;Waiting;1;0;0;0;0;100;0;1;N",
                                                   "6;Wide;0;0;0;0;0;100;0;99999;Y", "x;Bad"};
    // Figures a double holds whose products it does not come often.
    const std::vector<std::string> texts = {"",         "0",          "10",    "-5",    "abc",   "1E+300", "12/31/2030",
                                            "100",      "Up 5",       "1e308", "1e308", "1e308", "-1e308", "12,5",
                                            "\u221215", "1\u00A0000", "2e6",   "1e309", "0.4"};
    const std::vector<std::string> tags = KnownLocaleTags();
    const std::vector<std::string> fields = {"TxtScenario(0)", "TxtScenario(3)", "TxtScenario(5)",    "DescriptionFld",
                                             "TxtDate",        "TxtTunerVal",    "TxtAssumptions(0)", "TxtDelta"},
                                   buttons = {"ScenarioAddBtn", "DeleteBtn", "BtnModify", "UpdateBtn", "BtnUptTuner"},
                                   lists = {"LstSecurity", "ScenarioLst", "LstImpact"},
                                   combos = {"ComboTuner", "ComboTuner2", "ComboDisc", "ComboDivType"};

    std::mt19937 random(20261206);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    // One to three pieces of a list; the malformed ones (the last `bad` of
    // the list) in one list of three.
    auto some = [&](const std::vector<std::string>& pieces, int bad) {
        const int from = static_cast<int>(pieces.size()) - (pick(3) == 0 ? 0 : bad);
        std::vector<std::string> chosen;
        for (int k = 1 + pick(3); k > 0; --k) chosen.push_back(pieces[static_cast<std::size_t>(pick(from))]);
        return Joined(chosen);
    };

    const std::string detailReply =
        Joined(std::vector<std::string>(40, Piece({{m_CurEstPrice, 100}, {m_UpdateEstPrice, 101}, {m_CurDelta, 50}})));
    const std::string carryReply = Joined(std::vector<std::string>(40, kCarryPiece));
    for (int journey = 0; journey < 400; ++journey) {
        const std::string tag = tags[static_cast<std::size_t>(pick(static_cast<int>(tags.size())))];
        Harness h(*LocaleForTag(tag));
        // Replies with a piece for each of up to 40 scenarios, or short ones.
        h.Replies({{kDetail, pick(3) ? detailReply : "1|2"}, {kCarry, carryReply}, {kPages, "0"}});
        const std::string records = some(securityPieces, 2), stored = some(storedPieces, 2),
                          scenarios = some(scenarioPieces, 4);
        // clang-format off
        h.Start({{"TunerString", "1;Standard|2;Aggressive"}, {"RecordString", records}, {"StoredScenarios", stored},
            {"ScenarioString", scenarios}, {"ScenarioDetailPath", kDetail}, {"CarryCalcPath", kCarry}});
        // clang-format on
        std::string trail = tag + " records '" + records + "' stored '" + stored + "' scenarios '" + scenarios + "'";
        std::size_t checkedRequests = 0;
        ASSERT_EQ(OutOfStep(h.Model(), &h), "") << trail;

        for (int step = 0; step < 30; ++step) {
            h.host.QueueAnswer(pick(2) ? MsgAnswer::Yes : MsgAnswer::No);
            // An action in the script language of the headless host.
            std::string action;
            const int kind = pick(12);
            const std::string field = fields[static_cast<std::size_t>(pick(8))];
            ListBox& list = h.List(lists[static_cast<std::size_t>(pick(3))]);
            ComboBox& combo = h.Combo(combos[static_cast<std::size_t>(pick(4))]);
            if (kind == 5) {  // the host starts the control again: the lists get a second copy
                trail += " | ProcessInitData";
                h.ctl.ProcessInitData();
            } else if (kind == 0 || kind == 6) {
                action = "type " + field + " " + texts[static_cast<std::size_t>(pick(static_cast<int>(texts.size())))];
            } else if (kind == 1 || kind == 7) {
                action = "click " + buttons[static_cast<std::size_t>(pick(5))];
            } else if ((kind == 2 || kind == 8) && list.Count() > 0) {
                action = (pick(2) ? "select " : "ctrlselect ") + list.Name() + " " + std::to_string(pick(list.Count()));
            } else if ((kind == 3 || kind == 9) && combo.Count() > 0) {
                action = "pick " + combo.Name() + " " + combo.ItemText(pick(combo.Count()));
            } else if (kind == 4 || kind > 9) {
                action = "key " + field + (pick(2) ? " 13" : " 40");
            }
            if (!action.empty()) {
                trail += " | " + action;
                h.Do(action);
            }
            ASSERT_EQ(OutOfStep(h.Model(), &h), "") << "journey " << journey << ": " << trail;
            ASSERT_EQ(h.host.MousePointer(), kPointerDefault) << "journey " << journey << ": " << trail;
            ASSERT_NE(h.Label("LabelProgress").caption, kBusyCaption) << "journey " << journey << ": " << trail;
            for (const std::string& row : h.Rows(h.List("LstImpact")))
                ASSERT_FALSE(row.empty()) << "a blank impact row\njourney " << journey << ": " << trail;
            for (; checkedRequests < h.host.requests.size(); ++checkedRequests) {
                const std::string& request = h.host.requests[checkedRequests];
                ASSERT_EQ(EmptyOrNonFiniteNumberIn(request), "") << request << "\njourney " << journey << ": " << trail;
            }
            for (const auto& message : h.host.messages)
                ASSERT_FALSE(Contains(message.text, "in the valuation grid")) << message.text << "\n" << trail;
        }
    }
}
