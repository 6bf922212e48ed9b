#pragma once
// The figures of the valuation panel, the totals frame and the scenario
// summary, and how they are written. No panel is involved.
#include <array>
#include <optional>
#include <string>

#include "portfolio/Portfolio.h"
#include "toolkit/DateText.h"

namespace zemra {

// Decimals LabelValuation(slot) shows.
int ValuationDecimals(int slot);

// The figure LabelValuation(slot) shows for a valuation figure: the stock
// prices (slots m_CurStkPrice and m_UpdateStkPrice) are divided by the
// security's FX rate and have no value (NaN, the empty text) without one.
double ShownValuation(int slot, double value, double fxRate);

// Today plus a time change in days (rounded, halves to even) as
// "mm/dd/yyyy"; the empty text when that day lies outside the calendar.
// The text LabelValuation(slot) shows for a valuation figure: grouped with
// the slot's decimals, and "n/a" for an implied figure that does not exist.
std::string ValuationText(int slot, double value, double fxRate, const Locale& locale);

std::string ValuationDateText(const Date& today, double days);

// The dollar Greeks of every security under one scenario, summed; index 0
// the current state, 1 the state under the scenario.
struct DollarTotals {
    std::array<double, 2> delta{}, gamma{}, vega{}, rho{}, spread{};
};
DollarTotals SumDollarGreeks(const Portfolio& portfolio, int scenarioPosition);
// Whether every sum is a finite number (a sum of large figures may not be).
bool AllFinite(const DollarTotals& totals);

// The share figures of one column of the totals for the current security:
// the net delta and gamma in its shares (nothing when its stock price is 0,
// NaN when an FX rate is 0) and the effective delta (nothing when it is not
// defined and the label shows "0").
struct ShareTotals {
    std::optional<double> deltaShares, gammaShares, effectiveDelta;
};
ShareTotals ShareTotalsOf(const DollarTotals& totals, int column, const CSecurity& security,
                          const CValuation& valuation);

}  // namespace zemra
