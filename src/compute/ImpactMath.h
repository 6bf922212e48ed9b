#pragma once
// What the impact run computes from the records: the dollar Greeks and
// share figures of a valuation, the three impact functions, each security's
// sub-impact and each scenario's total $Impact. No panel is involved.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "portfolio/Portfolio.h"

namespace zemra {

// NSP: the stock price under a scenario with stock change S (in percent).
double NewStockPrice(double stockChange, double stockPrice);

// An impact with the carry its carry option adds (full, net or none).
double WithCarry(double impact, long carryOption, double fullCarry, double netCarry);

// The change in the price (estimated price or bond floor) on the convert
// position plus the change in the stock price on the stock position.
double PriceChangeImpact(double updatePrice, double currentPrice, double factor, double convertPosition,
                         double stockPrice, double newStockPrice, double stockPosition, long carryOption,
                         double fullCarry, double netCarry);
// A stock: the change in the stock price on the position.
double StockChangeImpact(double newStockPrice, double stockPrice, double factor, double convertPosition,
                         long carryOption, double fullCarry, double netCarry);
// The change in the value above the bond floor (0 when below it) on the
// convert position plus the stock leg.
double OptionValueImpact(double updateEstPrice, double updateBondFloor, double currentEstPrice, double currentBondFloor,
                         double convertPosition, double factor, double newStockPrice, double stockPrice,
                         double stockPosition, long carryOption, double fullCarry, double netCarry);

// The security's FxToUsd as a divisor; throws (saying that the `figures`
// are divided by it) when it is not a number or is 0.
double DivisorFx(const CSecurity& sec, const char* figures);

// Writes the dollar Greeks and share figures of `val` (its valuation slots
// already filled) for the security under a scenario whose stock price is
// `newStockPrice`; `fx` is the security's FxToUsd. Each formula is
// evaluated left to right as written.
void FillDollarGreeks(const CSecurity& sec, double newStockPrice, double fx, CValuation& val);

// The valuations of one security under every scenario filled from its two
// replies (one piece per scenario each), with their dollar Greeks and share
// figures, written to `staged` (one per scenario, in order; its room is
// reused from security to security): copies of `row`, so that the records
// change only when every piece could be applied. The replies are read in
// place. Throws, saying what is wrong, on a short reply, a piece with too
// many numbers, a figure that would divide by 0, or one too large to
// compute (not a finite number).
void StageValuations(const CSecurity& sec, const Collection<CScenario>& scenarios, const ValuationRow& row,
                     std::string_view detailReply, std::string_view carryReply, std::vector<CValuation>& staged);

// Writes every security's sub-impact under every scenario into its
// valuation and hands each scenario's position and total $Impact to `done`,
// scenario by scenario in list order. A security without the price its type
// needs (an estimated price or bond floor of 0) is skipped and keeps its
// previous sub-impact. Throws, naming the security, when its FxToUsd is not
// a number or is 0, and naming the security and the scenario when a
// sub-impact or a total is too large to compute (not a finite number); the
// scenarios before it have been handed on.
void CalculateImpacts(const Portfolio& portfolio, const std::function<void(int scenario, double total)>& done);

}  // namespace zemra
