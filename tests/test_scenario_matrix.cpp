// The scenario matrix: generation through ScenarioMatrix.h, and the
// Scenario Matrix dialog through the panel: its field checks, OK, Cancel,
// and a 5 x 5 x 5 x 5 x 5 grid listed and valued by the next Update.
#include <gtest/gtest.h>

#include "Harness.h"
#include "scenarios/DlgScenMatrix.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

MatrixSetup Grid(std::initializer_list<std::pair<MatrixColumnIdx, MatrixColumn>> columns, long tuner = 2) {
    MatrixSetup s;
    for (const auto& [idx, column] : columns) s.columns[idx] = column;
    s.tuner = tuner;
    return s;
}

std::vector<std::string> Descriptions(const std::vector<std::string>& texts) {
    std::vector<std::string> out;
    for (const std::string& t : texts) out.push_back(t.substr(0, t.find(';')));
    return out;
}

// The control with two securities and one scenario, the matrix dialog open.
struct MatrixHarness {
    Harness h;
    explicit MatrixHarness(const std::string& tuners = "1;Standard|2;Aggressive") {
        h.Replies({{kDetail, "0|0"}, {kCarry, "0|0"}, {kPages, "0"}});
        h.Start({{"TunerString", tuners},
                 {"RecordString", std::string(kSecurityA) + "|" + kSecurityB},
                 {"ScenarioString", ScenarioText("Base")},
                 {"ScenarioDetailPath", kDetail},
                 {"CarryCalcPath", kCarry},
                 {"CapitalCalcPath", kCapital}});
        h.host.messages.clear();
        h.panel().UserClick(h.Button("BtnScenMatrix"));
    }
    DlgScenMatrix& dlg() { return *h.ScenMatrixDialog(); }
    Form& form() { return dlg().Window(); }
    // Types a text into a field and leaves it for the OK button's neighbour.
    bool Enter(TextBox& field, const std::string& text) {
        form().UserType(field, text);
        return form().UserFocus(dlg().TxtTunerVal == &field ? *dlg().TxtStk[0] : *dlg().TxtTunerVal);
    }
};

}  // namespace

// ---- Generation.

TEST(MatrixGeneration, SeriesNestStockOutermostAndCreditSpreadInnermostWithTheirDescriptions) {
    struct Case {
        const char* name;
        MatrixSetup setup;
        std::vector<std::string> texts;
    };
    const Case cases[] = {
        {"stock 0 by 5, two steps",
         Grid({{kMatrixStock, {0, 5, 2}}}),
         {"S 0%,;0;0;0;0;0;100;0;2;N", "S 5%,;5;0;0;0;0;100;0;2;N", "S 10%,;10;0;0;0;0;100;0;2;N"}},
        {"stock and time, one step each",
         Grid({{kMatrixStock, {5, 5, 1}}, {kMatrixTime, {0, 30, 1}}}),
         {"S 5%,T 0;5;0;0;0;0;100;0;2;N", "S 5%,T 30;5;0;0;30;0;100;0;2;N", "S 10%,T 0;10;0;0;0;0;100;0;2;N",
          "S 10%,T 30;10;0;0;30;0;100;0;2;N"}},
        {"every column: credit spread before time in the description, after it in the values",
         Grid({{kMatrixStock, {1, 0, 0}},
               {kMatrixRate, {2, 0, 0}},
               {kMatrixVol, {3, 0, 0}},
               {kMatrixTime, {4, 0, 0}},
               {kMatrixCrdSprd, {5, 0, 0}}}),
         {"S 1%,R 2bp,V 3%,C 5%,T 4;1;2;3;4;5;100;0;2;N"}},
        {"a tenth in three steps",
         Grid({{kMatrixRate, {0, 0.1, 3}}}),
         {"R 0bp,;0;0;0;0;0;100;0;2;N", "R 0.1bp,;0;0.1;0;0;0;100;0;2;N", "R 0.2bp,;0;0.2;0;0;0;100;0;2;N",
          "R 0.3bp,;0;0.3;0;0;0;100;0;2;N"}},
        {"a column of zeros with steps repeats every combination",
         Grid({{kMatrixStock, {5, 0, 0}}, {kMatrixVol, {0, 0, 2}}}),
         {"S 5%,;5;0;0;0;0;100;0;2;N", "S 5%,;5;0;0;0;0;100;0;2;N", "S 5%,;5;0;0;0;0;100;0;2;N"}},
        {"negative steps give no values", Grid({{kMatrixStock, {5, 5, 1}}, {kMatrixTime, {1, 0, -1}}}), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto texts = GenerateMatrixScenarios(c.setup, '.');
        ASSERT_TRUE(texts.has_value());
        EXPECT_EQ(*texts, c.texts);
    }
    EXPECT_FALSE(GenerateMatrixScenarios(Grid({{kMatrixStock, {0, 0, 4}}}), '.').has_value());
    EXPECT_EQ(Descriptions(*GenerateMatrixScenarios(Grid({{kMatrixVol, {0.5, 0, 0}}}), ',')),
              (std::vector<std::string>{"V 0,5%,"}));
}

TEST(MatrixGeneration, FiveStepsInEveryColumnGive3125ScenariosInOrder) {
    MatrixSetup setup;
    for (MatrixColumn& c : setup.columns) c = {1, 1, 4};
    const auto texts = GenerateMatrixScenarios(setup, '.');
    ASSERT_EQ(texts->size(), 3125u);
    EXPECT_EQ(texts->front(), "S 1%,R 1bp,V 1%,C 1%,T 1;1;1;1;1;1;100;0;0;N");
    EXPECT_EQ((*texts)[1], "S 1%,R 1bp,V 1%,C 2%,T 1;1;1;1;1;2;100;0;0;N");
    EXPECT_EQ(texts->back(), "S 5%,R 5bp,V 5%,C 5%,T 5;5;5;5;5;5;100;0;0;N");
}

// ---- The dialog (its fields, checks, OK and Cancel, modal or not: golden/matrix_dialog,
// golden/matrix_modal and golden/matrix_session).

TEST(MatrixDialog, AnEmptyTunerListGivesTuner0) {
    MatrixHarness m("");
    EXPECT_EQ(m.dlg().ComboTuner->Count(), 0);
    m.Enter(*m.dlg().TxtTime[0], "30");
    m.form().UserClick(*m.dlg().OKButton);
    EXPECT_EQ(m.h.Model().Scenarios().Item(2).Gettuner(), 0);
    EXPECT_EQ(m.h.Model().Scenarios().Item(2).Getdescription(), "T 30");
}

TEST(MatrixDialog, A3125ScenarioGridIsListedAndTheNextUpdateValuesEveryScenario) {
    MatrixHarness m;
    for (auto* column : {&m.dlg().TxtStk, &m.dlg().TxtVol, &m.dlg().TxtCrdSprd, &m.dlg().TxtRate, &m.dlg().TxtTime}) {
        m.Enter(*(*column)[1], "1");
        m.Enter(*(*column)[2], "4");
    }
    m.form().UserClick(*m.dlg().OKButton);
    ASSERT_EQ(m.h.List("ScenarioLst").Count(), 3126);
    EXPECT_EQ(m.h.List("LstImpact").Count(), 3126);
    EXPECT_EQ(m.h.Combo("ComboScenario").Count(), 3126);
    EXPECT_EQ(m.h.Model().Valuations().Item(1).Count(), 3126);
    EXPECT_EQ(m.h.Model().Valuations().Item(2).Count(), 3126);

    // Every scenario gets a valuation piece from the pages.
    std::string pieces = "0";
    for (int i = 1; i < 3126; ++i) pieces += "|" + Piece({{m_CurStkPrice, 40}, {m_UpdateStkPrice, 44}});
    m.h.Replies({{kDetail, pieces}, {kCarry, pieces}, {kPages, "0"}});
    m.h.host.requests.clear();
    m.h.panel().UserClick(m.h.Button("UpdateBtn"));
    EXPECT_TRUE(m.h.Messages().empty()) << m.h.Messages().front();
    // Detail and carry per security, then the display's capital and carry.
    EXPECT_EQ(FromFirst(m.h.host.requests, kDetail).size(), 6u);
    EXPECT_EQ(m.h.host.requests.size(), 6u);
    EXPECT_EQ(m.h.Val(2, 3126).Getvaluation(m_UpdateStkPrice), 44);
}
