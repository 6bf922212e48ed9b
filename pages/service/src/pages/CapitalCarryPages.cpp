// The capital and carry pages: the capital rule of the query applied to the
// position's two legs, and the carry over each time change sent.
#include <cmath>

#include "book/TextFields.h"
#include "models/CapitalModel.h"
#include "models/CarryModel.h"
#include "pages/PageContext.h"
#include "store/BookStore.h"

namespace zemra::pages {

namespace {

// Time changes beyond a century are refused rather than walked day by day.
constexpr double kMostDays = 36525;

// A figure of a reply; values so large that the figures overflow are refused.
std::string Figure(double value) {
    if (!std::isfinite(value)) throw PageError(kBadRequest, "the figures overflow for the values sent");
    return ReplyNumber(value);
}

CapitalRule RequireCapitalRule(const PageQuery& query, PageContext& context) {
    const int id = static_cast<int>(query.Integer("CapitalRule"));
    auto rule = context.database.Run([&](SqlConnection& c) { return LoadCapitalRule(c, id); });
    if (!rule) throw PageError(kNotFound, "CapitalRule: " + Quoted(query.Text("CapitalRule")) + " is not a known capital rule");
    return *rule;
}

// The capital of the query's position in the security's currency.
double LocalCapital(const PageQuery& query, PageContext& context, const Security& security) {
    const CapitalRule rule = RequireCapitalRule(query, context);
    const double priceFactor = security.IsStock() ? 1.0 : security.face / 100;
    CapitalLegs legs;
    legs.convertValue = query.Number("ConvPosition") * query.Number("ConvPrice") * priceFactor;
    legs.stockValue = query.Number("StkPosition") * query.Number("StkPrice");
    legs.convertRatePct = query.Number("ConvCapital");
    legs.stockRatePct = query.Number("StockCapital");
    return CapitalByRule(legs, rule.method);
}

}  // namespace

// The capital in US dollars: FxRate is the security currency's units per
// dollar (0 or below counts as 1).
std::string CapitalCalcPage(const PageQuery& query, PageContext& context) {
    const Security security = RequireSecurity(query, context);
    const double capital = LocalCapital(query, context, security);
    const double fx = query.Number("FxRate");
    return Figure(fx > 0 ? capital / fx : capital);
}

std::string CarryCalcPage(const PageQuery& query, PageContext& context) {
    const Security security = RequireSecurity(query, context);
    CarryPosition position;
    position.financeRatePct = query.Number("FinRate");
    position.rebateRatePct = query.Number("RebRate");
    position.borrowCostPct = query.Number("BrwCost");
    position.tailRatePct = query.Number("TailRate");
    position.convertPosition = query.Number("ConvPosition");
    position.stockPosition = query.Number("StkPosition");
    position.convertPrice = query.Number("ConvPrice");
    position.stockPrice = query.Number("StkPrice");
    query.Number("FxRate");   // checked as every number is; carry stays in the security's currency
    position.capital = LocalCapital(query, context, security);
    const std::vector<double> times = query.NumberList("TimeChg");
    for (std::size_t i = 0; i < times.size(); ++i) {
        if (std::fabs(times[i]) > kMostDays) {
            throw PageError(kBadRequest, "TimeChg: '" + ReplyNumber(times[i]) + "' (item " + std::to_string(i + 1) +
                                             ") is beyond " + ReplyNumber(kMostDays) + " days");
        }
    }

    // The maturity the portfolio holds wins over the master's when it is a date.
    std::optional<Date> maturity = security.maturity;
    if (const auto date = query.MonthDayYear("Maturity")) maturity = *date;
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
