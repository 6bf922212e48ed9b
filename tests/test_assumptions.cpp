// The assumption panel: the hedge through Hedge.h, and a curve missing from
// the list. What the panel shows, the hedge coupling, the checks and
// messages of every field, the stale notice, the drop-downs and the
// recovery/decay field: golden/assumption_checks and
// golden/display_assumptions (a stock's read-only fields, the bankruptcy
// model's lock).
#include <gtest/gtest.h>

#include <cmath>

#include "Harness.h"
#include "compute/Hedge.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

using Sec = SecurityFields;

// A security on a panel with two curves and three call adjustments.
struct Desk : Harness {
    explicit Desk(const Sec& security) {
        Replies({{kDetail, "0"}, {kCarry, "0"}, {kPages, "0"}});
        // clang-format off
        Start({{"CurveOptions", "USG;US Government|EUR;Euro Swap"},
            {"CallAdjustment", "0;None|1;Hard Call|2;Soft Call"}, {"RecordString", security.Text()},
            {"ScenarioString", "S1;0;0;0;0;0;100;0;1;N"}, {"ScenarioDetailPath", kDetail}, {"CarryCalcPath", kCarry}});
        // clang-format on
        host.messages.clear();
    }
};

}  // namespace

TEST(Hedge, ComesFromThePositionsRoundedHalfToEvenAndGivesTheStockPosition) {
    // 1000 x ratio 25 = 25,000 shares: a stock position of -12,500 is 50.
    const std::vector<std::pair<Sec, double>> table = {
        {Sec{}, 50},           {Sec{.stkPos = "-3125"}, 12}, {Sec{.stkPos = "-3375"}, 14}, {Sec{.stkPos = "5000"}, -20},
        {Sec{.type = "E"}, 0}, {Sec{.cp = "0"}, 0},          {Sec{.ratio = "0"}, 0}};
    for (const auto& [fields, hedge] : table)
        EXPECT_EQ(HedgePercent(SecurityOf(fields.Text())), hedge) << fields.Text();
    EXPECT_EQ(HedgedStockPosition(SecurityOf(Sec{}.Text()), 40), -10000);
    EXPECT_FALSE(std::isfinite(HedgedStockPosition(SecurityOf(Sec{}.Text()), 1e308)));
}

TEST(AssumptionPanel, ACurveMissingFromTheListShowsNoCurveAndIsKept) {
    Desk d(Sec{.type = "E", .curve = "XXX"});
    EXPECT_EQ(d.Combo("CurveComboBox").Text(), "");
    EXPECT_EQ(d.Combo("CurveComboBox").ListIndex(), -1);
    // The rest of the panel is shown all the same.
    EXPECT_TRUE(d.Text("TxtAssumptions", StkPosIdx).locked);
    EXPECT_EQ(d.Text("TxtDelta").Text(), "0");
    ASSERT_TRUE(d.panel().UserFocus(d.Combo("CurveComboBox")));
    EXPECT_TRUE(d.Do("focus LstSecurity"));
    EXPECT_EQ(d.Model().Securities().Item(1).GetCurve(), "XXX");
    EXPECT_TRUE(d.host.messages.empty());
}
