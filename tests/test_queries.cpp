// The server channel and the queries: the exact query of each page (security
// half, scenario half, carry query with the time changes), how values are
// written into them, and the busy state around every request.
// The requests of a whole Update, the totals sent by the
// next one and the debug view's address are in the golden journeys
// impact_portfolio and impact_debug; without a carry page: carry_no_path;
// the debug view without a page: debug_no_page; numbers written plainly and
// text as UTF-8 in a German locale, and the replies read: queries_de.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Harness.h"
#include "compute/Queries.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

// A bond with awkward text values: a curve with & = + # % and a space, an
// exchange rate written 1E+20, a lower-case recovery choice.
const char* const kAwkward =
    "101;Query CV;B;1000;105.25;350;1;25;1;-12500;42.5;32.5;US&G=1+2 #3%;10;0;25;2;17.5;12.5;5.25;1.25;0.5;0.125;"
    "1E+20;06/15/2031;1.08;2;1;r;40;1;0.5";
// A security on the spread decay factor, with an empty curve and no
// maturity (the default, 30 years on, is sent).
const char* const kDecay = "102;Decay;D S;300;99;200;0;0;0;0;20;25;;10;0;3;1;15;15;4;1;0;0;1;;1;0;2;D;0.25;0;0";

const char* const kTwoScenarios = "Up;10;0;0;0;0;100;0;1;N|Down 10.5;-10.5;25;-5;30;1E+20;95.5;-1234.4;2;N";

const std::string kAwkwardSecurityHalf =
    "Secid=101&StockPrice=42.5&ConvertPrice=105.25&CallAdjustment=1&CreditSpread=350&CallAdjValue=25"
    "&BorrowCost=4.5&Volatility=32.5&Curve=US%26G%3D1%2B2%20%233%25&ConvertPosition=1000&StockPosition=-12500"
    "&Factor=10&Maturity=06%2F15%2F2031&SecType=B&FxRate=1E%2B20&BankruptcyModel=1&BondRecoveryRate=40"
    "&SpreadDecayFactor=0&DiscountingScheme=2&DividendType=1&DiscreteDivYrs=0&IAD=0.5";

const std::string kTwoScenarioHalf =
    "&StkChg=10;-10.5&RateChg=0;25&VolChg=0;-5&Impact=0;-1234.4&CreditSprdChg=0;1E%2B20&TunerVal=100;95.5"
    "&Tuner=1;2&TimeChg=0;30";

// The scenarios of kTwoScenarios in a portfolio model with one security,
// whose valuations give the tuners sent.
Portfolio TwoScenarios(const std::string& scenarios = kTwoScenarios) { return PortfolioOf({kAwkward}, scenarios); }

}  // namespace

TEST(QueryBuilders, EachQueryHasItsKeysInOrderWithEncodedValues) {
    const Portfolio model = TwoScenarios();
    const CSecurity& sec = model.Securities().Item(1);
    EXPECT_EQ(BuildSecurityQuery(sec), kAwkwardSecurityHalf);
    EXPECT_EQ(BuildScenarioQuery(model.Scenarios(), model.Valuations().Item(1)), kTwoScenarioHalf);
    EXPECT_EQ(SecurityAndScenarioQuery(model, 1), kAwkwardSecurityHalf + kTwoScenarioHalf);
    EXPECT_EQ(BuildCarryQuery(sec),
              "Secid=101&FinRate=5.25&RebRate=1.25&BrwCost=0.5&TailRate=0.125&ConvPosition=1000&StkPosition=-12500"
              "&CapitalRule=2&ConvCapital=17.5&StockCapital=12.5&ConvPrice=105.25&StkPrice=42.5&FxRate=1E%2B20"
              "&Maturity=06%2F15%2F2031");
    EXPECT_EQ(BuildTimeChangeList(model.Scenarios()), "&TimeChg=0;30");
    // One scenario's time change alone, by its 0-based row.
    EXPECT_EQ(BuildTimeChange(model.Scenarios(), 1), "&TimeChg=30");
    EXPECT_EQ(BuildTimeChange(model.Scenarios(), 0), "&TimeChg=0");
}

TEST(QueryBuilders, TheDecayFactorTakesTheStoredNumberAndEmptyTextsLeaveTheirKeyBare) {
    const std::string q = BuildSecurityQuery(SecurityOf(kDecay));
    for (const char* part : {"&Curve=&ConvertPosition=300&", "&Maturity=12%2F6%2F2056&SecType=D%20S&",
                             "&BondRecoveryRate=0&SpreadDecayFactor=0.25&"})
        EXPECT_TRUE(Contains(q, part)) << part << " in " << q;
}

// One scenario's single values and the tuners taken from the valuations:
// the Update requests of golden/scenario_empty, scenario_edits and
// carry_no_path.

TEST(ServerChannel, EveryRequestRunsInTheBusyStateWhichTheEndOfTheRunLeaves) {
    Harness h;
    // The pointer, the progress caption, and whether the caption's back is
    // white and frames 3, 1 and the totals' frame are enabled.
    const auto state = [&h] {
        return std::to_string(h.host.MousePointer()) + " " + h.Label("LabelProgress").caption + " " +
               std::to_string(h.Label("LabelProgress").backColor == kWhite) +
               std::to_string(h.Frame("Frame3").IsEnabled()) + std::to_string(h.Frame("Frame1").IsEnabled()) +
               std::to_string(h.Frame("Frame5").IsEnabled());
    };
    std::vector<std::string> seen;
    h.host.SetFetcher([&](const std::string& address) {
        seen.push_back(state());
        if (address.rfind(kCapital, 0) == 0) return FetchResult{true, "0", ""};
        return FetchResult{true, address.rfind(kDetail, 0) == 0 ? "1;100|1;100" : "0|0", ""};
    });
    h.Start(Harness::WithPages(
        {{"RecordString", std::string(kAwkward) + "|" + kDecay}, {"ScenarioString", kTwoScenarios}}));
    ASSERT_GE(seen.size(), 4u);
    const std::string busy = std::to_string(kPointerHourglass) + " Calculation in progress,please wait .. 1001";
    for (const std::string& s : seen) EXPECT_EQ(s, busy);
    EXPECT_EQ(state(), std::to_string(kPointerDefault) + "  0111");
    EXPECT_EQ(h.Label("LabelProgress").backColor, h.Frame("Frame1").backColor);
    EXPECT_TRUE(h.host.messages.empty());
}
