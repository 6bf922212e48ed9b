#pragma once
// QuantLib's binomial (Cox-Ross-Rubinstein) convertible engine on the
// engine's own inputs, as the reference of the tests and the benchmark: a
// flat continuous curve at the first zero rate, the dividend yield and
// volatility of the market.
#include <algorithm>
#include <cmath>
#include <vector>

#include <ql/exercise.hpp>
#include <ql/instruments/bonds/convertiblebonds.hpp>
#include <ql/methods/lattices/binomialtree.hpp>
#include <ql/pricingengines/bond/binomialconvertibleengine.hpp>
#include <ql/processes/blackscholesprocess.hpp>
#include <ql/quotes/simplequote.hpp>
#include <ql/settings.hpp>
#include <ql/termstructures/volatility/equityfx/blackconstantvol.hpp>
#include <ql/termstructures/yield/flatforward.hpp>
#include <ql/time/calendars/nullcalendar.hpp>
#include <ql/time/daycounters/actual365fixed.hpp>
#include <ql/time/daycounters/thirty360.hpp>
#include <ql/time/schedule.hpp>

#include "ScenarioValuation.h"

namespace zemra::engine::testing {

// A bond of the input's maturity from 1 March 2097 (five years are exactly
// 1825 days, so that the tree's years are the input's, Actual/365; coupon
// dates fall within two days of the input's), coupons at its frequency and
// amount (30/360, every coupon the same), American conversion, its clean
// calls (one on every day of a period) and puts, and its credit spread: the
// conversion probability discounts at r + spread x (1 - p).
inline double QuantLibConvertiblePrice(const ValuationInput& in, int steps) {
    namespace ql = QuantLib;
    const ql::Date today(1, ql::March, 2097);
    ql::Settings::instance().evaluationDate() = today;
    const ql::Actual365Fixed dayCount;
    auto day = [&](double years) { return today + static_cast<ql::Integer>(std::lround(years * 365)); };
    const ql::Date maturity = day(in.terms.maturityTime);
    const ql::Schedule schedule(today, maturity, ql::Period(12 / in.terms.couponFrequency, ql::Months),
                                ql::NullCalendar(), ql::Unadjusted, ql::Unadjusted, ql::DateGeneration::Backward,
                                false);
    ql::CallabilitySchedule calls;
    auto add = [&](double price, ql::Callability::Type type, ql::Date date) {
        calls.push_back(
            ql::ext::make_shared<ql::Callability>(ql::Bond::Price(price, ql::Bond::Price::Clean), type, date));
    };
    for (const auto& call : in.terms.calls)
        for (ql::Date d = day(call.start); d <= day(call.end) && d < maturity; ++d)
            add(call.pricePct, ql::Callability::Call, d);
    for (const auto& put : in.terms.puts) add(put.pricePct, ql::Callability::Put, day(put.time));
    std::sort(calls.begin(), calls.end(), [](const auto& a, const auto& b) { return a->date() < b->date(); });
    ql::ConvertibleFixedCouponBond bond(ql::ext::make_shared<ql::AmericanExercise>(today, maturity),
                                        in.terms.conversionRatio * 100 / in.terms.face, calls, today, 0,
                                        {in.terms.couponPct / 100}, ql::Thirty360(ql::Thirty360::BondBasis), schedule,
                                        in.terms.redemptionPct);
    auto flat = [&](double rate) {
        return ql::Handle<ql::YieldTermStructure>(
            ql::ext::make_shared<ql::FlatForward>(today, rate, dayCount, ql::Continuous));
    };
    auto process = ql::ext::make_shared<ql::BlackScholesMertonProcess>(
        ql::Handle<ql::Quote>(ql::ext::make_shared<ql::SimpleQuote>(in.market.stockPrice)),
        flat(in.market.dividendYieldPct / 100), flat(in.market.zeroCurve[0].ratePct / 100),
        ql::Handle<ql::BlackVolTermStructure>(ql::ext::make_shared<ql::BlackConstantVol>(
            today, ql::NullCalendar(), in.market.volatilityPct / 100, dayCount)));
    bond.setPricingEngine(ql::ext::make_shared<ql::BinomialConvertibleEngine<ql::CoxRossRubinstein>>(
        process, steps,
        ql::Handle<ql::Quote>(ql::ext::make_shared<ql::SimpleQuote>(in.market.creditSpreadBp / 10000))));
    return bond.NPV();
}

}  // namespace zemra::engine::testing
