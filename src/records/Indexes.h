#pragma once
#include <cstddef>

namespace zemra {

// Slots of CSecurity::Properties and members of TxtAssumptions.
enum AssumptionFldsIdxConst {
    ConvertPosIdx = 0,
    ConvertPriceIdx = 1,
    CreditSprdIdx = 2,
    CallAdjValIdx = 3,
    BorrowCostIdx = 4,
    StkPosIdx = 5,
    StkPriceIdx = 6,
    VolatilityIdx = 7,
    DeltaAdjIdx = 8,
    IAD = 9,
    UseBorrowIdx = 10,
};
constexpr int kAssumptionSlots = 11;

// Slots of CScenario::ScenarioProperties and members of TxtScenario.
enum ScenarioPropertiesIdx {
    m_StkChgIdx = 0,
    m_RateChgIdx = 1,
    m_VolChgIdx = 2,
    m_TimeIdx = 3,
    m_CreditSprdChgIdx = 4,
    m_TunerValIdx = 5,
};
constexpr int kScenarioSlots = 6;

// Slots of CValuation::valuation and members of LabelValuation.
enum ValuationIdx {
    m_CurStkPrice = 0,
    m_CurEstPrice = 1,
    m_CurFairValue = 2,
    m_CurBondFlr = 3,
    m_CurDelta = 4,
    m_CurGamma = 5,
    m_CurRho = 6,
    m_CurVega = 7,
    m_CurImpVol = 8,
    m_CurImpSprd = 9,
    m_CurPctCheap = 10,
    m_CurYTM = 11,
    m_CurYTP = 12,
    m_CurYTC = 13,
    m_CurCrdSprd01 = 14,
    m_UpdateStkPrice = 15,
    m_UpdateEstPrice = 16,
    m_UpdateFairValue = 17,
    m_UpdateBondFlr = 18,
    m_UpdateDelta = 19,
    m_UpdateGamma = 20,
    m_UpdateRho = 21,
    m_UpdateVega = 22,
    m_UpdateImpVol = 23,
    m_UpdateImpSprd = 24,
    m_UpdatePctCheap = 25,
    m_UpdateYTM = 26,
    m_UpdateYTP = 27,
    m_UpdateYTC = 28,
    m_UpdateCrdSprd01 = 29,
    m_SubImpact = 30,
};
constexpr int kValuationSlots = 31;

// The implied volatility and spread, today and under the scenario: the only
// figures a page may mark as not existing (no volatility or spread gives the
// market price). Such a figure is held as NaN and shown as missing.
constexpr bool IsImpliedSlot(std::size_t slot) {
    return slot == m_CurImpVol || slot == m_CurImpSprd || slot == m_UpdateImpVol || slot == m_UpdateImpSprd;
}

// Slots of CValuation::Carry and members of DlgCarry.LbCarryVal.
enum CarryIdx {
    m_FinanceIdx = 0,
    m_IncomeIdx = 1,
    m_PaymentsIdx = 2,
    m_CarryIdx = 3,
    m_CapitalIdx = 4,
    m_NetCarryIdx = 5,
    m_RebateIdx = 6,
    m_DividendsIdx = 7,
    m_EstDivIdx = 8,
    m_PtsIdx = 9,
    m_PremIdx = 10,
    m_NetPtsIdx = 11,
};
constexpr int kCarrySlots = 12;

}  // namespace zemra
