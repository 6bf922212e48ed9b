#pragma once
// The valuation panel of one security under one scenario (the server's
// figures in a current and an estimated column, the dollar Greeks and share
// figures of the position, the carry and the tuner the valuation used) and
// the portfolio totals.
#include <array>

#include "context/PanelContext.h"

namespace zemra {

// The valuation and totals frames' elements, made by the panel's layout.
struct ValuationWidgets {
    Frame* FrameDetail = nullptr;
    std::array<Label*, 31> LabelValuation{};
    std::array<Label*, 2> LbDolDelta{}, LbDolGamma{}, LbDolRho{}, LbDolVega{}, LbDolCSprd01{}, LbGamShrs{},
        LbDolDelShrs{}, LbDelShrs{}, LbEffDelta{};
    Label* LbCarry = nullptr;
    ComboBox* ComboTuner2 = nullptr;
    TextBox* TxtTunerVal = nullptr;

    Frame* Frame5 = nullptr;  // "Totals"
    std::array<Label*, 2> LbDolDeltaTol{}, LbDolGamTol{}, LbDolRhoTol{}, LbDolVegaTol{}, LbDolCSprd01Tot{},
        LbGamShrsTot{}, LbDolDelShrsTot{};
};

class ValuationPanel : private ValuationWidgets {
public:
    ValuationPanel(PanelContext& ctx, const ValuationWidgets& widgets);

    void ShowValuation();
    // The carry a valuation's option chooses, in LbCarry.
    void ShowCarryLabel(const CValuation& val);
    // A valuation's sub-impact in its $Impact label.
    void ShowSubImpact(const CValuation& val);
    void ShowTuner2(long code);

private:
    const Locale& Loc() const { return m_ctx.Loc(); }
    void BlankValuationPanel();
    void ShowTotals();
    // The tuner and tuner value of the current security under the current
    // scenario.
    void ComboTuner2_Validate(bool& cancel);
    void TxtTunerVal_GotFocus();
    void TxtTunerVal_Validate(bool& cancel);

    PanelContext& m_ctx;
};

}  // namespace zemra
