// The scenario matrix's generation through ScenarioMatrix.h; the dialog
// through golden journeys.
#include <gtest/gtest.h>

#include "compute/ScenarioMatrix.h"

using namespace zemra;

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
        EXPECT_EQ(MatrixScenarioCount(c.setup), c.texts.size());  // what the dialog shows
    }
    EXPECT_FALSE(GenerateMatrixScenarios(Grid({{kMatrixStock, {0, 0, 4}}}), '.').has_value());
    EXPECT_EQ(MatrixScenarioCount(Grid({{kMatrixStock, {0, 0, 4}}})), 0u);
    EXPECT_EQ(Descriptions(*GenerateMatrixScenarios(Grid({{kMatrixVol, {0.5, 0, 0}}}), ',')),
              (std::vector<std::string>{"V 0,5%,"}));
}

TEST(MatrixGeneration, FiveStepsInEveryColumnGive3125ScenariosInOrder) {
    MatrixSetup setup;
    for (MatrixColumn& c : setup.columns) c = {1, 1, 4};
    const auto texts = GenerateMatrixScenarios(setup, '.');
    ASSERT_EQ(texts->size(), 3125u);
    EXPECT_EQ(MatrixScenarioCount(setup), 3125u);
    EXPECT_EQ(texts->front(), "S 1%,R 1bp,V 1%,C 1%,T 1;1;1;1;1;1;100;0;0;N");
    EXPECT_EQ((*texts)[1], "S 1%,R 1bp,V 1%,C 2%,T 1;1;1;1;1;2;100;0;0;N");
    EXPECT_EQ(texts->back(), "S 5%,R 5bp,V 5%,C 5%,T 5;5;5;5;5;5;100;0;0;N");
}

// ---- The dialog (its fields, checks, OK and Cancel, modal or not, its
// count and keys, no tuners: golden/matrix_dialog, matrix_modal,
// matrix_session, matrix_count, matrix_no_tuners, dialog_keys). A grid of
// 3125 from the dialog: golden/matrix_count counts it; its lists stay in
// step (test_portfolio), an Update sends two requests per security
// (golden/impact_portfolio), and the browser takes its address
// (web/tests/failures.test.js).
