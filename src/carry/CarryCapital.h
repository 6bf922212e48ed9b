#pragma once
// Carry and capital: the Rates dialog of the selected security under the
// selected scenario with the single-scenario carry refresh, and the capital
// request of the selected security with the Capital Settings dialog.
#include <memory>
#include <optional>
#include <string>

#include "carry/DlgCapital.h"
#include "carry/DlgCarry.h"
#include "context/PanelContext.h"

namespace zemra {

// The carry and capital elements, made by the panel's layout.
struct CarryWidgets {
    Button* BtnCarry = nullptr;    // in the valuation frame
    Button* BtnCapital = nullptr;  // in the assumption frame
    Label* LbCapital = nullptr;
};

class CarryCapital : private CarryWidgets {
public:
    CarryCapital(PanelContext& ctx, const CarryWidgets& widgets);
    // The dialogs go before the panel they are registered on.
    ~CarryCapital();

    // Requests the capital of the security at a 0-based row and shows it,
    // then refreshes the selected pair's carry.
    void RequestCapital(int row);
    void ClearCapital() { LbCapital->caption.clear(); }

    // The open Rates and Capital Settings dialogs; empty while none is open.
    std::unique_ptr<DlgCarry> frmCarry;
    std::unique_ptr<DlgCapital> frmCapital;

private:
    const Locale& Loc() const { return m_ctx.Loc(); }
    void BtnCarry_Click();
    void frmCarry_ChgCarry(double finRate, double rebRate, double tailRate, double brwCost, long carryOption);
    void frmCarry_UnloadCarry();
    void RecalculateCarry();
    // The selected rows of LstSecurity and ScenarioLst, when both lists
    // have records and a selected row.
    struct SelectedPair {
        int secRow;
        int scenRow;
    };
    std::optional<SelectedPair> SelectedSecurityAndScenario() const;
    void RefreshCarry(const SelectedPair& pair, std::optional<long> carryOption);

    void BtnCapital_Click();
    void FillCapitalRules(const std::string& rules);
    void SelectCapitalRule(long rule);
    void frmCapital_ChgCapital(std::optional<long> rule, double convRate, double stkRate);
    void frmCapital_UnLoadCapital();

    PanelContext& m_ctx;
};

}  // namespace zemra
