#pragma once
// Carry of a hedged position over a time change, in the security's
// currency. Money-market figures accrue on actual days / 360 (tau); the
// coupon accrues by the bond's day count. Bond figures stop at maturity.
//
//   V_c = convert position x convert price x price factor (as capital)
//   V_s = stock position x stock price
//   finance    F = -(V_c + max(V_s, 0)) x finance rate x tau
//   income     I = convert position x face x coupon rate x year fraction
//   payments   coupon dates in (today, horizon], dates running back from
//              maturity every 12 / frequency months
//   rebate     R = max(-V_s, 0) x (rebate rate - additional borrow cost) x tau
//   dividends  D = shares held x (dividends with an ex-date in the period),
//              shares held = stock position (plus the convert position of a
//              stock); without a schedule the yield: price x yield x days /
//              365, a dividend a quarter
//   carry      F + I + R + D
//   capital    K = -capital x tail rate x tau (the cost of the capital)
//   net carry  carry + K
//   points     net carry per 100 of face held
//   premium    conversion premium in points: convert price - parity,
//              parity = ratio x stock price / face x 100
//   net points premium - points (the premium the carry has not paid back)
// A stock or a position without face has no points.
#include <array>
#include <vector>

#include "book/Book.h"
#include "toolkit/DateText.h"

namespace zemra::pages {

constexpr int kCarryFigures = 12;
using CarryFigures = std::array<double, kCarryFigures>;

// Slots of the reply, in reply order.
enum CarrySlot : int {
    kFinance = 0,
    kIncome,
    kPayments,
    kCarry,
    kCapitalCost,
    kNetCarry,
    kRebate,
    kDividends,
    kDividendCount,
    kPoints,
    kPremium,
    kNetPoints,
};

struct CarryPosition {
    double financeRatePct = 0;
    double rebateRatePct = 0;
    double borrowCostPct = 0;
    double tailRatePct = 0;
    double convertPosition = 0;
    double stockPosition = 0;
    double convertPrice = 0;
    double stockPrice = 0;
    double capital = 0;  // from the capital rule, security's currency
};

// security: its terms (type, face, coupon, frequency, day count, maturity,
// conversion ratio); stock: the stock whose dividends the stock leg pays.
CarryFigures CarryOver(const Date& today, double days, const Security& security, const Security& stock,
                       const CarryPosition& position, const std::optional<Date>& maturity);

// Year fraction from `from` to `to` by a day count ("30/360", "ACT/360",
// "ACT/365", "ACT/ACT" as actual / 365.25).
double YearFraction(const std::string& dayCount, const Date& from, const Date& to);
Date AddMonths(const Date& date, int months);

}  // namespace zemra::pages
