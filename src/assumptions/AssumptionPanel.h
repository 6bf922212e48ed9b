#pragma once
// The assumption panel of the current security: showing, editing and
// validating its base assumptions. Every accepted change goes straight into
// the security's record; nothing is recomputed until the next Update.
#include <array>
#include <cstdint>
#include <string>

#include "compute/OptionLists.h"
#include "context/PanelContext.h"

namespace zemra {

// The assumption frame's elements, made by the panel's layout.
struct AssumptionWidgets {
    Frame* AssumptionFrame = nullptr;
    std::array<TextBox*, 10> TxtAssumptions{};
    TextBox* TxtDelta = nullptr;
    ComboBox* CallAdjustmentComb = nullptr;
    ComboBox* CurveComboBox = nullptr;
    ComboBox* ComboDisc = nullptr;
    ComboBox* ComboDivType = nullptr;
    TextBox* TxtDiscrYrs = nullptr;
    CheckBox* CheckBnkrpcy = nullptr;
    ComboBox* ComboRecv = nullptr;
    TextBox* TxtRecvDecVal = nullptr;
    Label* LbFxRateToUSD = nullptr;
    Label* LabelRatioAdj = nullptr;
};

class AssumptionPanel : private AssumptionWidgets {
public:
    AssumptionPanel(PanelContext& ctx, const AssumptionWidgets& widgets);

    void ShowSecurity();
    // The fixed choices of a security as it is loaded: discounting, dividend
    // type, recovery/decay with its value, and the bankruptcy model.
    void ShowChoices(const CSecurity& sec);
    void LoadCurveOptions(const std::string& text);
    void LoadCallAdjustments(const std::string& text);

private:
    const Locale& Loc() const { return m_ctx.Loc(); }
    void ShowDelta(CSecurity& sec);
    void ApplyDelta(CSecurity& sec);
    void ShowDiscount(int16_t code);
    void ShowDivType(int16_t code);
    void ShowRecvDecay(const std::string& code);
    void ShowBankruptcy(int16_t value);
    bool IsRecvDecayValueValid() const;
    void ApplyDividendYearsRule(long code);
    void ApplyBankruptcyRule();
    CSecurity* CurrentSecurity() const;  // nullptr without a current row
    void SetStockPositionFromHedge(CSecurity& sec, double hedge);
    void TxtAssumptions_Validate(int index, bool& cancel);
    void TxtDelta_Validate(bool& cancel);
    void TxtDiscrYrs_Validate(bool& cancel);
    void TxtRecvDecVal_Validate(bool& cancel);
    void CallAdjustmentComb_Validate(bool& cancel);
    void CurveComboBox_Validate(bool& cancel);
    void ComboDisc_Validate(bool& cancel);
    void ComboDivType_Validate(bool& cancel);
    void ComboRecv_Validate(bool& cancel);
    void CheckBnkrpcy_Validate(bool& cancel);

    PanelContext& m_ctx;
    CurveList m_curves;
};

}  // namespace zemra
