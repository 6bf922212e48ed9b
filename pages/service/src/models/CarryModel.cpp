#include "models/CarryModel.h"

#include <algorithm>
#include <cmath>

namespace zemra::pages {

namespace {

constexpr double kMoneyMarketDays = 360;
constexpr double kDaysPerYear = 365;
constexpr double kDividendsPerYearFromYield = 4;

int DaysInMonth(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && IsValidDate(year, 2, 29)) return 29;
    return days[month - 1];
}

// Coupon dates in (from, to]: dates running back from maturity.
int CouponsBetween(const Security& bond, const Date& maturity, const Date& from, const Date& to) {
    if (bond.coupon == 0 || bond.frequency <= 0) return 0;
    const int step = 12 / bond.frequency;
    int count = 0;
    for (int k = 0;; ++k) {
        const Date date = AddMonths(maturity, -k * step);
        const long serial = DaySerial(date);
        if (serial <= DaySerial(from)) break;
        if (serial <= DaySerial(to)) ++count;
    }
    return count;
}

}  // namespace

Date AddMonths(const Date& date, int months) {
    const int index = date.year * 12 + (date.month - 1) + months;
    const int year = index / 12;
    const int month = index % 12 + 1;
    return Date{year, month, std::min(date.day, DaysInMonth(year, month))};
}

double YearFraction(const std::string& dayCount, const Date& from, const Date& to) {
    const double actual = static_cast<double>(DaysBetween(from, to));
    if (dayCount == "ACT/360") return actual / 360;
    if (dayCount == "ACT/365") return actual / 365;
    if (dayCount == "ACT/ACT") return actual / 365.25;
    // 30/360 (US bond basis).
    int d1 = std::min(from.day, 30);
    int d2 = to.day;
    if (d2 == 31 && d1 == 30) d2 = 30;
    return ((to.year - from.year) * 360.0 + (to.month - from.month) * 30.0 + (d2 - d1)) / 360;
}

CarryFigures CarryOver(const Date& today, double days, const Security& security, const Security& stock,
                       const CarryPosition& p, const std::optional<Date>& maturity) {
    CarryFigures f{};
    const bool isStock = security.IsStock();
    double period = std::max(0.0, days);
    if (!isStock && maturity)
        period = std::min(period, static_cast<double>(std::max(0L, DaysBetween(today, *maturity))));
    if (period <= 0) return f;
    const Date horizon = AddDays(today, std::lround(period));
    const double tau = period / kMoneyMarketDays;
    const double priceFactor = isStock ? 1.0 : security.face / 100;
    const double convertValue = p.convertPosition * p.convertPrice * priceFactor;
    const double stockValue = p.stockPosition * p.stockPrice;

    f[kFinance] = -(convertValue + std::max(stockValue, 0.0)) * p.financeRatePct / 100 * tau;
    if (!isStock) {
        f[kIncome] =
            p.convertPosition * security.face * security.coupon / 100 * YearFraction(security.dayCount, today, horizon);
        if (maturity) f[kPayments] = CouponsBetween(security, *maturity, today, horizon);
    }
    f[kRebate] = std::max(-stockValue, 0.0) * (p.rebateRatePct - p.borrowCostPct) / 100 * tau;

    const double shares = p.stockPosition + (isStock ? p.convertPosition : 0.0);
    double perShare = 0;
    int count = 0;
    if (!stock.dividends.empty()) {
        for (const Dividend& d : stock.dividends) {
            const long serial = DaySerial(d.exDate);
            if (serial > DaySerial(today) && serial <= DaySerial(horizon)) {
                perShare += d.amount;
                ++count;
            }
        }
    } else if (stock.dividendYield != 0) {
        perShare = p.stockPrice * stock.dividendYield / 100 * period / kDaysPerYear;
        count = static_cast<int>(std::floor(period * kDividendsPerYearFromYield / kDaysPerYear));
    }
    f[kDividends] = shares * perShare;
    f[kDividendCount] = count;

    f[kCarry] = f[kFinance] + f[kIncome] + f[kRebate] + f[kDividends];
    f[kCapitalCost] = -p.capital * p.tailRatePct / 100 * tau;
    f[kNetCarry] = f[kCarry] + f[kCapitalCost];
    const double faceHeld = p.convertPosition * security.face;
    if (!isStock && faceHeld != 0) {
        f[kPoints] = f[kNetCarry] / faceHeld * 100;
        f[kPremium] = p.convertPrice - security.conversionRatio * p.stockPrice / security.face * 100;
        f[kNetPoints] = f[kPremium] - f[kPoints];
    }
    return f;
}

}  // namespace zemra::pages
