#include "compute/ValuationFigures.h"

#include <cmath>
#include <limits>

#include "records/SecurityType.h"
#include "toolkit/NumberText.h"

namespace zemra {

namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
// How a figure that does not exist is shown.
constexpr const char* kNotAvailable = "n/a";

// a / b, or no value when b is 0 or has no value itself.
double Quotient(double a, double b) { return b == 0 || std::isnan(b) ? kNoValue : a / b; }

}  // namespace

int ValuationDecimals(int slot) {
    switch (slot) {
        case m_SubImpact:
        case m_CurImpSprd:
        case m_UpdateImpSprd: return 0;
        case m_CurDelta:
        case m_UpdateDelta:
        case m_CurYTM:
        case m_UpdateYTM:
        case m_CurYTC:
        case m_UpdateYTC:
        case m_CurYTP:
        case m_UpdateYTP: return 2;
        case m_CurImpVol:
        case m_UpdateImpVol: return 1;
        default: return 3;
    }
}

double ShownValuation(int slot, double value, double fxRate) {
    if (slot != m_CurStkPrice && slot != m_UpdateStkPrice) return value;
    return fxRate != 0 ? value / fxRate : kNoValue;
}

std::string ValuationText(int slot, double value, double fxRate, const Locale& locale) {
    if (std::isnan(value) && IsImpliedSlot(static_cast<std::size_t>(slot))) return kNotAvailable;
    return FormatGrouped(ShownValuation(slot, value, fxRate), ValuationDecimals(slot), locale);
}

std::string ValuationDateText(const Date& today, double days) {
    static const long kFirstDay = DaySerial(Date{1, 1, 1});
    static const long kLastDay = DaySerial(Date{9999, 12, 31});
    const double whole = RoundHalfEven(days);
    if (!std::isfinite(whole)) return "";
    const double serial = static_cast<double>(DaySerial(today)) + whole;
    if (serial < static_cast<double>(kFirstDay) || serial > static_cast<double>(kLastDay)) return "";
    return FormatMmDdYyyy(FromDaySerial(static_cast<long>(serial)));
}

DollarTotals SumDollarGreeks(const Portfolio& portfolio, int scenarioPosition) {
    DollarTotals t;
    for (int p = 1; p <= portfolio.Securities().Count(); ++p) {
        const CValuation& val = portfolio.ValuationAt(p, scenarioPosition);
        for (int k = 0; k < 2; ++k) {
            t.delta[k] += val.GetDolDelta(k);
            t.gamma[k] += val.GetDolGamma(k);
            t.vega[k] += val.GetDolVega(k);
            t.rho[k] += val.GetDolRho(k);
            t.spread[k] += val.GetDolCSprd(k);
        }
    }
    return t;
}

bool AllFinite(const DollarTotals& totals) {
    for (const auto* sums : {&totals.delta, &totals.gamma, &totals.vega, &totals.rho, &totals.spread}) {
        for (double sum : *sums) {
            if (!std::isfinite(sum)) return false;
        }
    }
    return true;
}

ShareTotals ShareTotalsOf(const DollarTotals& totals, int k, const CSecurity& security, const CValuation& valuation) {
    ShareTotals shares;
    // The totals divided by the current security's stock price in dollars.
    const double price = valuation.Getvaluation(k == 0 ? m_CurStkPrice : m_UpdateStkPrice);
    if (price == 0) return shares;
    const double usd = Quotient(Quotient(price, security.GetFxRate()), security.FxToUsdValue());
    shares.deltaShares = Quotient(totals.delta[k], usd);
    shares.gammaShares = Quotient(totals.gamma[k], usd);
    // Effective delta: the net delta in shares as points of the current
    // security's delta (the factor that turns its delta into shares).
    const double ratio = security.GetRatio();
    const double position = security.GetProperties(ConvertPosIdx);
    if (ratio == 0 || position == 0 || !HasDeltaShares(security.GetSectype())) return shares;
    shares.effectiveDelta = Quotient(*shares.deltaShares, ratio * 0.01 * position);
    return shares;
}

}  // namespace zemra
