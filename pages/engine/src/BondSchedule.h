// The bond's cash-flow dates seen from one valuation date: coupon dates
// (running back from maturity), accrued interest and the dirty prices of
// calls and puts. Amounts in points (percent of face), times in years.
#pragma once

#include <vector>

#include "ScenarioValuation.h"

namespace zemra::engine {

// Times (in years) closer than this are the same date of the schedule.
inline constexpr double kTimeTolerance = 1e-9;

struct CashFlow {
    double time = 0;
    double amount = 0;  // points
};

class BondSchedule {
public:
    explicit BondSchedule(const ContractTerms& terms);

    double Maturity() const { return m_maturity; }
    double CouponAmount() const { return m_couponAmount; }                    // points per payment
    const std::vector<double>& CouponTimes() const { return m_couponTimes; }  // after issue, ascending
    double Accrued(double t) const;  // points accrued at time t (0 on a coupon date)
    // Points accrued an instant before t: on a coupon date, the coupon's
    // accrual (the whole coupon after a full period); elsewhere Accrued(t).
    double AccruedBefore(double t) const;

    // Coupons strictly after `from` up to and including `to`, then `finalAmount` at `to`.
    std::vector<CashFlow> FlowsTo(double from, double to, double finalAmount) const;

    // The first call date after `from` and its dirty price; false when none.
    bool NextCall(double from, double& time, double& dirtyPrice) const;
    // The first put date after `from` and its dirty price; false when none.
    bool NextPut(double from, double& time, double& dirtyPrice) const;

private:
    const ContractTerms& m_terms;
    double m_maturity = 0;
    double m_couponAmount = 0;
    double m_period = 0;
    std::vector<double> m_couponTimes;
};

// Yield (decimal, compounded `frequency` times a year; 0 means annual) at
// which the flows, seen from `from`, are worth `dirtyPrice`. False when no
// yield in (-99%, 1000%) does it.
bool YieldOfFlows(const std::vector<CashFlow>& flows, double from, double dirtyPrice, int frequency, double& yield);

}  // namespace zemra::engine
