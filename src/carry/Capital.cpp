// Capital: the capital request of the selected security, shown in
// LbCapital, and the Capital Settings dialog.
#include <optional>
#include <stdexcept>
#include <string>

#include "control/MainCtl.h"
#include "compute/CapitalRules.h"
#include "compute/PageContract.h"
#include "compute/Queries.h"
#include "toolkit/NumberText.h"

namespace zemra {

void MainCtl::WireCapitalEvents() { BtnCapital->Click = [this] { BtnCapital_Click(); }; }

void MainCtl::BtnCapital_Click() {
    if (portfolio_.Securities().Empty()) return;
    const int row = LstSecurity->ListIndex();
    if (row < 0) return;   // no security to open the dialog for
    const CSecurity& sec = portfolio_.Securities().Item(row + 1);

    DiscardDialog(frmCapital);
    frmCapital = std::make_unique<DlgCapital>(ui_, Loc());
    DlgCapital& dlg = *frmCapital;
    dlg.ChgCapital = [this](std::optional<long> rule, double convRate, double stkRate) {
        frmCapital_ChgCapital(rule, convRate, stkRate);
    };
    dlg.UnLoadCapital = [this] { frmCapital_UnLoadCapital(); };

    dlg.ComboCpRule->Clear();
    FillCapitalRules(props_.CapitalRules);
    SelectCapitalRule(sec.GetCapitalRule());
    dlg.TxtConvRate->SetText(PlainNumber(sec.GetConvCapital(), Loc().decimalSeparator));
    dlg.TxtStkRate->SetText(PlainNumber(sec.GetStockCapital(), Loc().decimalSeparator));
    dlg.Show(!host_.ModelessAllowed());
}

// One entry per rule, its identifier as item data; the first rule is shown
// (a list without rules shows none).
void MainCtl::FillCapitalRules(const std::string& rules) {
    ComboBox& combo = *frmCapital->ComboCpRule;
    for (const CapitalRuleEntry& rule : ParseCapitalRules(rules, Loc())) {
        combo.AddItem(rule.name);
        combo.SetItemData(combo.Count() - 1, rule.id);
    }
    if (combo.Count() > 0) SelectCapitalRule(combo.ItemData(0));
}

// Shows the first entry whose identifier is `rule`; none matching changes
// nothing.
void MainCtl::SelectCapitalRule(long rule) {
    ComboBox& combo = *frmCapital->ComboCpRule;
    for (int i = 0; i < combo.Count(); ++i) {
        if (combo.ItemData(i) == rule) {
            combo.SetText(combo.ItemText(i));
            return;
        }
    }
}

// The three values go into the selected security before its capital is
// requested, so that they stay even when the request fails. Without a
// selected rule the security keeps its own.
void MainCtl::frmCapital_ChgCapital(std::optional<long> rule, double convRate, double stkRate) {
    if (LstSecurity->Count() == 0) return;
    ReleaseDialog(frmCapital);
    const int row = LstSecurity->ListIndex();
    if (row < 0) return;
    CSecurity& sec = portfolio_.Securities().Item(row + 1);
    if (rule) sec.SetCapitalRule(static_cast<int32_t>(*rule));
    sec.SetConvCapital(convRate);
    sec.SetStockCapital(stkRate);
    RequestCapital(row);
}

void MainCtl::frmCapital_UnLoadCapital() { ReleaseDialog(frmCapital); }

// Requests the capital of the security at a 0-based row and shows it, then
// refreshes the selected pair's carry, which depends on it. A failed
// request, or a reply that is not a number, is reported and ends the
// capital request there (LbCapital keeps what it showed, the carry is not
// refreshed); whatever displayed the security goes on.
void MainCtl::RequestCapital(int row) {
    ShowProgress();
    const CSecurity& sec = portfolio_.Securities().Item(row + 1);
    try {
        const std::string reply = FetchReply(pages::Address(props_.CapitalCalcPath, BuildCapitalQuery(sec)));
        const std::optional<double> capital = ParseNumber(reply, pages::ReplyNumberFormat());
        if (!capital)
            throw std::runtime_error("The capital of '" + sec.Getdescription() +
                                     "' cannot be shown: the capital page answered '" + reply + "'.");
        LbCapital->caption = FormatGrouped(*capital, 0, Loc());
        LbCapital->foreColor = SignColor(*capital);
        RecalculateCarry();
    } catch (const std::exception& e) {
        HideProgress();
        MsgOk(e.what());
        return;
    }
    HideProgress();
}

}  // namespace zemra
