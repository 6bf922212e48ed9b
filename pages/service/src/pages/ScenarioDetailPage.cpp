// The scenario-detail page: the decoded query and the security master's
// terms and market data become the engine's input; the engine values the
// security under every scenario of the query.
#include <cmath>
#include <optional>
#include <stdexcept>

#include "PageWire.h"
#include "ScenarioValuation.h"
#include "book/TextFields.h"
#include "pages/PageContext.h"
#include "store/BookStore.h"

namespace zemra::pages {

namespace {

namespace key = contract::key;

// Call-adjustment codes of the book's list: what "CallAdjValue" does.
constexpr int kCallPricePlusPoints = 1;  // every call price + the value, in points
constexpr int kCallNoticeDays = 2;       // every call period starts the value's days later

// More scenarios than this in one request are refused.
constexpr std::size_t kMostScenarios = 20000;

// The per-scenario keys, in query order.
constexpr std::string_view kScenarioKeys[] = {key::kStockChange, key::kRateChange,         key::kVolChange,
                                              key::kImpact,      key::kCreditSpreadChange, key::kTunerValue,
                                              key::kTuner,       key::kTimeChange};

double YearsTo(const Date& today, const Date& date) {
    return engine::YearsFromDays(static_cast<double>(DaysBetween(today, date)));
}

engine::ContractTerms TermsOf(const Security& bond, const Date& today, const Date& maturity, const PageQuery& query) {
    engine::ContractTerms terms;
    terms.face = bond.face;
    terms.couponPct = bond.frequency > 0 ? bond.coupon : 0;
    terms.couponFrequency = bond.frequency > 0 ? bond.frequency : 2;
    terms.issueTime = bond.issueDate ? YearsTo(today, *bond.issueDate) : -1;
    terms.maturityTime = YearsTo(today, maturity);
    terms.redemptionPct = bond.redemption;
    terms.conversionRatio = bond.conversionRatio;
    terms.conversionStart = bond.conversionStart ? YearsTo(today, *bond.conversionStart) : 0;
    terms.conversionEnd = bond.conversionEnd ? YearsTo(today, *bond.conversionEnd) : -1;
    const int adjustment = static_cast<int>(query.Integer(key::kCallAdjustment));
    const double adjustValue = query.Number(key::kCallAdjValue);
    for (const CallPeriod& call : bond.calls) {
        engine::CallPeriod period;
        period.start = YearsTo(today, call.from);
        period.end = YearsTo(today, call.to);
        period.pricePct = call.price;
        period.clean = bond.callPriceKind != "dirty";
        period.triggerPct = call.trigger.value_or(0);
        if (adjustment == kCallPricePlusPoints) period.pricePct += adjustValue;
        if (adjustment == kCallNoticeDays) period.start += engine::YearsFromDays(adjustValue);
        if (period.end < period.start) continue;  // the notice outlasts the period
        terms.calls.push_back(period);
    }
    for (const PutDate& put : bond.puts) {
        terms.puts.push_back({YearsTo(today, put.date), put.price, bond.putPriceKind != "dirty"});
    }
    return terms;
}

engine::DiscountingScheme Discounting(const PageQuery& query) {
    const int64_t code = query.Integer(key::kDiscountingScheme);
    switch (code) {
        case 0: return engine::DiscountingScheme::Risky;
        case 1: return engine::DiscountingScheme::BondPlusOption;
        case 2: return engine::DiscountingScheme::Blended;
        default:
            throw PageError(kBadRequest, std::string(key::kDiscountingScheme) + ": " +
                                             Quoted(query.Text(key::kDiscountingScheme)) +
                                             " is not a discounting scheme (0, 1 or 2)");
    }
}

std::vector<engine::ScenarioShift> ShiftsOf(const PageQuery& query) {
    std::vector<std::vector<double>> lists;
    for (const std::string_view k : kScenarioKeys) lists.push_back(query.NumberList(k));
    const std::size_t count = lists[0].size();
    for (std::size_t k = 1; k < lists.size(); ++k) {
        if (lists[k].size() != count) {
            throw PageError(kBadRequest, std::string(kScenarioKeys[k]) + ": " + std::to_string(lists[k].size()) +
                                             " values where " + std::string(kScenarioKeys[0]) + " has " +
                                             std::to_string(count));
        }
    }
    if (count > kMostScenarios) {
        throw PageError(kBadRequest, std::string(kScenarioKeys[0]) + ": " + std::to_string(count) +
                                         " scenarios, more than " + std::to_string(kMostScenarios));
    }
    std::vector<engine::ScenarioShift> shifts(count);
    for (std::size_t j = 0; j < count; ++j) {
        engine::ScenarioShift& s = shifts[j];
        s.stockChangePct = lists[0][j];
        s.rateChangeBp = lists[1][j];
        s.volChangePct = lists[2][j];
        s.spreadChangePct = lists[4][j];
        s.tunerValuePct = lists[5][j];
        const double tuner = lists[6][j];
        if (!contract::IsSmallInt(tuner)) {
            throw PageError(kBadRequest, std::string(key::kTuner) + ": '" + ReplyNumber(tuner) + "' (item " +
                                             std::to_string(j + 1) + ") is not a tuner identifier");
        }
        s.tuner = static_cast<int>(tuner);
        s.days = lists[7][j];
    }
    return shifts;
}

// One scenario's reply: today's fifteen figures, the same fifteen under the
// scenario, and the impact.
constexpr std::size_t kReplyFields = 31;

// Fifteen figures in reply order. A figure that does not exist (no implied
// volatility or spread) is written as the contract's missing figure, never
// as a number; a figure that overflows as 0.
void AppendColumn(const engine::Figures& f, std::string& reply) {
    const std::optional<double> figures[] = {
        f.stockPrice, f.estimatedPrice, f.fairValue,        f.bondFloor,       f.delta,    f.gamma,
        f.rho,        f.vega,           f.impliedVolPct,    f.impliedSpreadBp, f.pctCheap, f.yieldToMaturity,
        f.yieldToPut, f.yieldToCall,    f.spreadSensitivity};
    bool first = true;
    for (const std::optional<double>& figure : figures) {
        if (!first) reply += kFieldSeparator;
        first = false;
        if (!figure) {
            reply += contract::kMissingFigure;
        } else {
            reply += std::isfinite(*figure) ? ReplyNumber(*figure) : std::string("0");
        }
    }
}

}  // namespace

std::string ScenarioDetailPage(const PageQuery& query, PageContext& context) {
    const Security security = RequireSecurity(query, context);
    const Date& today = context.today;

    engine::ValuationInput input;
    input.isStock = security.IsStock() || query.Text(key::kSecurityType) == kStockType;
    input.marketPricePct = query.Number(key::kConvertPrice);

    engine::MarketData& market = input.market;
    market.stockPrice = query.Number(key::kStockPrice);
    market.volatilityPct = query.Number(key::kVolatility);
    market.borrowCostPct = query.Number(key::kBorrowCost);
    market.creditSpreadBp = query.Number(key::kCreditSpread);
    const std::string& curveCode = query.Text(key::kCurve);
    const auto curve = context.database.Run([&](SqlConnection& c) { return LoadCurve(c, curveCode); });
    if (!curve) {
        throw PageError(kNotFound, std::string(key::kCurve) + ": " + Quoted(curveCode) + " is not a known curve");
    }
    for (const CurvePoint& p : curve->points) market.zeroCurve.push_back({p.tenorYears, p.zeroRate});

    Security stock = security;
    if (security.underlying) {
        auto underlying = context.database.Run([&](SqlConnection& c) { return LoadSecurity(c, *security.underlying); });
        if (underlying) stock = std::move(*underlying);
    }
    for (const Dividend& d : stock.dividends) {
        if (DaySerial(d.exDate) > DaySerial(today)) market.dividends.push_back({YearsTo(today, d.exDate), d.amount});
    }
    market.dividendYieldPct = stock.dividendYield;
    market.fxStockToBond = security.fxToUsd / stock.fxToUsd;

    engine::ModelChoice& model = input.model;
    model.discounting = Discounting(query);
    model.bankruptcy = query.Integer(key::kBankruptcyModel) != 0;
    model.bondRecoveryPct = query.Number(key::kBondRecoveryRate);
    model.spreadDecayFactor = query.Number(key::kSpreadDecayFactor);
    model.dividendType = query.Integer(key::kDividendType) == static_cast<int>(engine::DividendType::Discrete)
                             ? engine::DividendType::Discrete
                             : engine::DividendType::Continuous;
    model.discreteDividendYears = query.Number(key::kDiscreteDividendYears);

    if (!security.IsStock()) {
        // The maturity the portfolio holds wins over the master's when it is a date.
        std::optional<Date> maturity = security.maturity;
        if (const auto date = query.MonthDayYear(key::kMaturity)) maturity = *date;
        if (!maturity) {
            throw PageError(kBadRequest,
                            std::string(key::kMaturity) + ": " + Quoted(query.Text(key::kMaturity)) + " is not a date");
        }
        input.terms = TermsOf(security, today, *maturity, query);
    }
    const std::vector<engine::ScenarioShift> shifts = ShiftsOf(query);

    std::vector<engine::ScenarioResult> results;
    try {
        results = engine::ValueScenarios(input, shifts, engine::RunOptions{context.engineThreads});
    } catch (const std::invalid_argument& e) {
        throw PageError(kBadRequest, std::string("the valuation model refuses the values: ") + e.what());
    }
    std::string reply;
    reply.reserve(results.size() * kReplyFields * 8);
    for (std::size_t j = 0; j < results.size(); ++j) {
        if (j > 0) reply += kPieceSeparator;
        AppendColumn(results[j].today, reply);
        reply += kFieldSeparator;
        AppendColumn(results[j].scenario, reply);
        reply += kFieldSeparator;
        reply += '0';  // the security's impact: the control computes it
    }
    return reply;
}

}  // namespace zemra::pages
