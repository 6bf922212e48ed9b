// Finite-difference model of a convertible bond in the stock price.
//
// Crank-Nicolson in time with two fully implicit half steps after maturity
// and after every event (Rannacher), on a sinh-concentrated stock grid with
// today's stock price on a node. Conversion and calls are imposed at every
// step by holding the nodes that break them at the bound inside the
// implicit step (then exactly by projection), puts on their
// dates by projection; coupons and discrete dividends are jump
// conditions on their dates, which are always time steps. Values are dirty,
// in points (percent of face).
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "BondSchedule.h"
#include "ScenarioValuation.h"
#include "YieldCurve.h"

namespace zemra::engine {

// What a scenario changes in a solve (decimals).
struct ModelState {
    double rateShift = 0;   // added to every zero rate
    double volatility = 0;  // a year
    double spread = 0;      // credit spread
};

class ConvertibleModel {
public:
    // The stock grid depends on the terms, today's stock price and the
    // highest stock price to be read from it (a scenario's) only, so that
    // solves with other volatilities, rates or spreads share its nodes.
    explicit ConvertibleModel(const ValuationInput& input, double highestStock = 0);

    const std::vector<double>& Stock() const { return m_stock; }
    std::size_t SpotNode() const { return m_spotNode; }
    // Parity points per unit of stock price: ratio x fx x 100 / face.
    double ParityPerShare() const { return m_parityPerShare; }
    const BondSchedule& Schedule() const { return m_schedule; }
    // False under the bankruptcy model, where a higher spread also raises the
    // stock's drift and the price need not fall with it.
    bool PriceMonotoneInSpread() const { return !m_input.model.bankruptcy; }
    // What a solve carries beside the value (without the bankruptcy model):
    // the Tsiveriotis-Fernandes cash part under Bond+Option, the probability
    // of conversion under Blended.
    enum class Companion { None, Cash, ConversionProbability };
    Companion CompanionQuantity() const;
    // True where the value is split into a cash part and an equity part.
    bool SplitsCash() const { return CompanionQuantity() == Companion::Cash; }

    // Dirty values on the stock grid at every horizon (years, 0 <= h < maturity,
    // ascending), seen from that horizon: coupons paid on or before it excluded.
    std::vector<std::vector<double>> Solve(const ModelState& state, bool conversion,
                                           std::span<const double> horizons) const;

    // The least a holder's dirty value can be at a stock price and time:
    // parity where conversion is allowed then, else 0.
    double ConversionFloor(double stock, double t) const {
        return ConversionAllowed(t) ? m_parityPerShare * stock : 0.0;
    }

    // Value at maturity of a stock price, for horizons at or past maturity.
    double PayoffAtMaturity(double stock, bool conversion) const;

private:
    struct TimeNode;
    class Stepper;
    // A solve's frame. Under Blended a solve follows the call's corner: its
    // values are W(z, t) = V(z c(t), t) / c(t) on the grid z = S / c(t), c(t)
    // the corner's stock price over the one where the solve first meets it.
    // Dividing by c keeps parity where it is and makes the dirty call price a
    // constant, so that the corner is one node at every step; the equations
    // gain a growth g = c'/c off the drift and off the discount rate of every
    // amount of money. Between dates c follows the accrued interest (linear
    // in t); on a coupon date, and where a call period starts, it jumps and
    // the values move to the new frame by cubic interpolation.
    struct Frame {
        std::vector<double> after, before;  // c at each time node, an instant after and before it
        std::vector<double> growth;         // g of each time step
    };

    void BuildStockGrid(double highestStock);
    // Moves the node nearest `level` onto it unless that node is among
    // `moved` (today's stock, the ends, an earlier level); orOther: then the
    // node on the level's other side. The node now at the level, or SIZE_MAX.
    std::size_t PlaceLevel(double level, std::vector<std::size_t>& moved, bool orOther);
    std::vector<TimeNode> BuildTimeNodes(std::span<const double> horizons) const;
    // The blocks of time steps (first and last node) that share one rate.
    std::vector<std::pair<std::size_t, std::size_t>> RateBlocks(const std::vector<TimeNode>& nodes) const;
    std::vector<double> StepRates(const std::vector<TimeNode>& nodes, double rateShift) const;
    // Whether solves with conversion follow the call's corner (Blended: its
    // probability of conversion is decided there).
    bool FollowsCorner() const;
    // The frame of a solve on these time nodes (c = 1 throughout where the
    // solve does not follow the corner).
    Frame BuildFrame(const std::vector<TimeNode>& nodes, bool conversion) const;
    // A price in the frame of scale c: price / c, exactly the corner's own
    // price where it is that within rounding.
    double FramePrice(double price, double scale) const;
    // Values in the frame of scale `from` moved into the frame of scale `to`
    // (money: amounts of money, else a probability).
    void ChangeFrame(double from, double to, bool money, std::vector<double>& values) const;
    bool ConversionAllowed(double t) const;
    // Whether the call period is in force at t (not on the maturity date),
    // or (justBefore) an instant before t.
    bool CallInForce(const CallPeriod& call, double t, bool justBefore = false) const;
    // binding: after a time step, the nodes it held at a bound (they alone
    // move the companion); null at other times. `cash` is the companion.
    // rows: the nodes from it up were held at the floor by the step and stay
    // as they are.
    // scale: the frame's c at t.
    void ApplyConstraints(double t, bool conversion, double scale, std::vector<double>& value,
                          std::vector<double>& cash, const std::vector<char>* binding = nullptr,
                          std::size_t rows = SIZE_MAX) const;
    // The call caps in force at t, or (justBefore) an instant before t, where
    // a coupon paid at t has fully accrued; convertible: whether conversion
    // is allowed there.
    void ApplyCalls(double t, bool justBefore, bool convertible, double scale, std::vector<double>& value,
                    std::vector<double>& cash, const std::vector<char>* binding = nullptr,
                    std::size_t rows = SIZE_MAX) const;
    void ApplyDividend(double amount, std::vector<double>& values) const;
    // The corner of the call cap at t: the lowest call price in force where
    // conversion is allowed and the stock price at which parity reaches it.
    // Below it the holder is paid the price, above it he converts; the value
    // meets the cap there at a kink that moves with a clean price's accrued
    // interest. False when no call is in force there. In the frame of
    // scale c; justBefore: an instant before t.
    bool CallCorner(double t, bool conversion, double scale, double& level, double& price,
                    bool justBefore = false) const;
    // Share of node i's cell (between the midpoints to its neighbours) below
    // a stock price.
    double CellShareBelow(std::size_t i, double level) const;
    // The companion where a call at `price` binds at node i: no cash part
    // (the holder is paid or converts at once); a probability of conversion
    // of 1 where he converts (parity at least the price), 0 where paid.
    double CalledCompanion(std::size_t i, double price, bool convertible) const;
    void BindingShares(const std::vector<double>& gap, std::vector<double>& share) const;
    // What the last bounds were written for (ContinuousBounds): whether
    // conversion was allowed, and each call's price and first node.
    struct BoundsKey {
        std::vector<double> terms;
        bool any = false;
    };
    // Conversion floor and call cap in force at t (infinite where none);
    // false when neither is.
    // capCompanion: the companion where the cap holds. last: the key of the
    // bounds as they stand, which are written again only when it changes.
    bool ContinuousBounds(double t, bool conversion, double scale, std::vector<double>& floor, std::vector<double>& cap,
                          std::vector<double>& capCompanion, BoundsKey& last) const;

    const ValuationInput& m_input;
    BondSchedule m_schedule;
    std::vector<double> m_stock;
    std::vector<double> m_parity;  // parity at each node
    std::size_t m_spotNode = 0;
    double m_parityPerShare = 0;
    double m_conversionEnd = 0;
    std::vector<Dividend> m_discreteDividends;
    // The corner's stock price where a solve that follows it first meets it
    // (c = 1 there) and its node; 0 and none where it never does.
    double m_anchorLevel = 0;
    std::size_t m_anchorNode = SIZE_MAX;
};

}  // namespace zemra::engine
