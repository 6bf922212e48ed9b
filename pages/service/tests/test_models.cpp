// The capital and carry models against figures worked out by hand.
#include <gtest/gtest.h>

#include <tuple>

#include "book/Book.h"
#include "models/CapitalModel.h"
#include "models/CarryModel.h"

namespace zemra::pages {
namespace {

TEST(CapitalModel, RulesOnTheTwoLegs) {
    const std::vector<std::tuple<const char*, CapitalLegs, double>> table = {
        // method, legs (convert, stock, their rates %), capital
        {kCapitalGross, {522500, -240000, 15, 10}, 0.15 * 522500 + 0.10 * 240000},
        {kCapitalNet, {522500, -240000, 15, 10}, 0.15 * 282500 + 0.10 * 240000},
        {kCapitalLarger, {522500, -240000, 15, 10}, 0.15 * 522500},
        {kCapitalLarger, {100000, -400000, 15, 10}, 0.10 * 400000},
        {kCapitalNet, {-300000, 0, 20, 10}, 0.20 * 300000},
        {"unknown", {1000, 1000, 10, 10}, 200},
    };
    for (const auto& [method, legs, expected] : table) {
        EXPECT_NEAR(CapitalByRule(legs, method), expected, 1e-6) << method << " " << legs.convertValue;
    }
}

// 3% semi-annual 30/360 coupons to 15 Jun 2031, 20 shares per bond of 1000;
// 100 bonds at 110 against 1000 shares short at 50, capital 20000.
Security Bond() {
    Security b;
    b.type = "B", b.coupon = 3, b.maturity = Date{2031, 6, 15}, b.conversionRatio = 20;
    return b;
}
const Security kBond = Bond();
const CarryPosition kPosition{5, 4, 0.5, 6, 100, -1000, 110, 50, 20000};

TEST(CarryModel, NinetyDaysOfAHedgedConvertible) {
    const Date today{2026, 12, 7};
    // A dividend in the period, one after it.
    Security stock;
    stock.type = "E", stock.dividends = {{Date{2027, 1, 15}, 0.3}, {Date{2027, 4, 15}, 0.3}};
    const CarryFigures f = CarryOver(today, 90, kBond, stock, kPosition, kBond.maturity);
    const double tau = 90.0 / 360;
    EXPECT_NEAR(f[kFinance], -110000 * 0.05 * tau, 1e-9);
    EXPECT_NEAR(f[kIncome], 100 * 1000 * 0.03 * (90.0 / 360), 1e-9);  // 7 Dec to 7 Mar, 30/360
    EXPECT_EQ(f[kPayments], 1);                                       // 15 Dec (coupons on 15 Jun and 15 Dec)
    EXPECT_NEAR(f[kRebate], 50000 * 0.035 * tau, 1e-9);
    EXPECT_NEAR(f[kDividends], -1000 * 0.3, 1e-9);
    EXPECT_EQ(f[kDividendCount], 1);
    EXPECT_NEAR(f[kCarry], f[kFinance] + f[kIncome] + f[kRebate] + f[kDividends], 1e-9);
    EXPECT_NEAR(f[kCapitalCost], -20000 * 0.06 * tau, 1e-9);
    EXPECT_NEAR(f[kNetCarry], f[kCarry] + f[kCapitalCost], 1e-9);
    EXPECT_NEAR(f[kPoints], f[kNetCarry] / 100000 * 100, 1e-9);
    EXPECT_NEAR(f[kPremium], 110 - 20 * 50.0 / 1000 * 100, 1e-9);
    EXPECT_NEAR(f[kNetPoints], f[kPremium] - f[kPoints], 1e-9);
}

TEST(CarryModel, PeriodsAndCounts) {
    const Date today{2026, 12, 7};
    Security stock;
    stock.type = "E", stock.dividendYield = 2;
    const std::vector<std::tuple<double, std::optional<Date>, double, double>> table = {
        // days, maturity, counts
        {0, kBond.maturity, 0, 0},   {-30, kBond.maturity, 0, 0},  // no carry backwards
        {200, kBond.maturity, 2, 2},  // 15 Dec, 15 Jun; a dividend a quarter from the yield
        {400, kBond.maturity, 3, 4}, {5000, Date{2027, 12, 15}, 3, 4},  // stops at maturity (373 days)
    };
    for (const auto& [days, maturity, payments, dividendCount] : table) {
        const CarryFigures f = CarryOver(today, days, kBond, stock, kPosition, maturity);
        EXPECT_EQ(f[kPayments], payments) << days;
        EXPECT_EQ(f[kDividendCount], dividendCount) << days;
    }
}

TEST(CarryModel, DayCounts) {
    const Date from{2026, 12, 7}, to{2027, 3, 7};
    EXPECT_NEAR(YearFraction("30/360", from, to), 90.0 / 360, 1e-12);
    EXPECT_NEAR(YearFraction("ACT/360", from, to), 90.0 / 360, 1e-12);
    EXPECT_NEAR(YearFraction("ACT/365", from, to), 90.0 / 365, 1e-12);
    EXPECT_NEAR(YearFraction("30/360", Date{2027, 1, 31}, Date{2027, 3, 31}), 60.0 / 360, 1e-12);
    EXPECT_EQ(AddMonths(Date{2027, 8, 31}, -6), (Date{2027, 2, 28}));
    EXPECT_EQ(AddMonths(Date{2031, 6, 15}, -54), (Date{2026, 12, 15}));
}

}  // namespace
}  // namespace zemra::pages
