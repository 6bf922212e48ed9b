// The capital and carry pages: the capital rule of the query applied to the
// position's two legs, and the carry over each time change sent.
#include <cmath>

#include "PageWire.h"
#include "book/TextFields.h"
#include "models/CapitalModel.h"
#include "models/CarryModel.h"
#include "pages/PageContext.h"
#include "store/BookStore.h"

namespace zemra::pages {

namespace {

namespace key = contract::key;

// Time changes beyond a century are refused rather than walked day by day.
constexpr double kMostDays = 36525;

// A figure of a reply; values so large that the figures overflow are refused.
std::string Figure(double value) {
    if (!std::isfinite(value)) throw PageError(kBadRequest, "the figures overflow for the values sent");
    return ReplyNumber(value);
}

CapitalRule RequireCapitalRule(const PageQuery& query, PageContext& context) {
    const int id = static_cast<int>(query.Integer(key::kCapitalRule));
    auto rule = context.database.Run([&](SqlConnection& c) { return LoadCapitalRule(c, id); });
    if (!rule) {
        throw PageError(kNotFound, std::string(key::kCapitalRule) + ": " + Quoted(query.Text(key::kCapitalRule)) +
                                       " is not a known capital rule");
    }
    return *rule;
}

// The capital of the query's position in the security's currency.
double LocalCapital(const PageQuery& query, PageContext& context, const Security& security) {
    const CapitalRule rule = RequireCapitalRule(query, context);
    const double priceFactor = security.IsStock() ? 1.0 : security.face / 100;
    CapitalLegs legs;
    legs.convertValue = query.Number(key::kConvPosition) * query.Number(key::kConvPrice) * priceFactor;
    legs.stockValue = query.Number(key::kStkPosition) * query.Number(key::kStkPrice);
    legs.convertRatePct = query.Number(key::kConvCapital);
    legs.stockRatePct = query.Number(key::kStockCapital);
    return CapitalByRule(legs, rule.method);
}

}  // namespace

// The capital in US dollars: FxRate is the security currency's units per
// dollar (0 or below counts as 1).
std::string CapitalCalcPage(const PageQuery& query, PageContext& context) {
    const Security security = RequireSecurity(query, context);
    const double capital = LocalCapital(query, context, security);
    const double fx = query.Number(key::kFxRate);
    return Figure(fx > 0 ? capital / fx : capital);
}

std::string CarryCalcPage(const PageQuery& query, PageContext& context) {
    const Security security = RequireSecurity(query, context);
    CarryPosition position;
    position.financeRatePct = query.Number(key::kFinanceRate);
    position.rebateRatePct = query.Number(key::kRebateRate);
    position.borrowCostPct = query.Number(key::kBorrowRate);
    position.tailRatePct = query.Number(key::kTailRate);
    position.convertPosition = query.Number(key::kConvPosition);
    position.stockPosition = query.Number(key::kStkPosition);
    position.convertPrice = query.Number(key::kConvPrice);
    position.stockPrice = query.Number(key::kStkPrice);
    query.Number(key::kFxRate);  // checked as every number is; carry stays in the security's currency
    position.capital = LocalCapital(query, context, security);
    const std::vector<double> times = query.NumberList(key::kTimeChange);
    for (std::size_t i = 0; i < times.size(); ++i) {
        if (std::fabs(times[i]) > kMostDays) {
            throw PageError(kBadRequest, std::string(key::kTimeChange) + ": '" + ReplyNumber(times[i]) + "' (item " +
                                             std::to_string(i + 1) + ") is beyond " + ReplyNumber(kMostDays) + " days");
        }
    }

    // The maturity the portfolio holds wins over the master's when it is a date.
    std::optional<Date> maturity = security.maturity;
    if (const auto date = query.MonthDayYear(key::kMaturity)) maturity = *date;
    Security stock = security;
    if (security.underlying) {
        auto underlying = context.database.Run([&](SqlConnection& c) { return LoadSecurity(c, *security.underlying); });
        if (underlying) stock = std::move(*underlying);
    }

    std::string reply;
    for (std::size_t i = 0; i < times.size(); ++i) {
        const CarryFigures figures = CarryOver(context.today, times[i], security, stock, position, maturity);
        if (i > 0) reply += kPieceSeparator;
        for (int k = 0; k < kCarryFigures; ++k) {
            if (k > 0) reply += kFieldSeparator;
            reply += Figure(figures[static_cast<std::size_t>(k)]);
        }
    }
    return reply;
}

}  // namespace zemra::pages
