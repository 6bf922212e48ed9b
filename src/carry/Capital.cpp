// Capital: the capital request of the selected security, shown in
// LbCapital, and the Capital Settings dialog.
#include <optional>
#include <stdexcept>
#include <string>

#include "carry/CarryCapital.h"
#include "compute/CapitalRules.h"
#include "compute/PageContract.h"
#include "compute/Queries.h"
#include "toolkit/NumberText.h"

namespace zemra {

void CarryCapital::BtnCapital_Click() {
    if (m_ctx.portfolio.Securities().Empty()) return;
    const int row = m_ctx.SecurityList().ListIndex();
    if (row < 0) return;  // no security to open the dialog for
    const CSecurity& sec = m_ctx.portfolio.Securities().Item(row + 1);

    m_ctx.DiscardDialog(frmCapital);
    frmCapital = std::make_unique<DlgCapital>(m_ctx.ui, Loc());
    DlgCapital& dlg = *frmCapital;
    dlg.ChgCapital = [this](std::optional<long> rule, double convRate, double stkRate) {
        frmCapital_ChgCapital(rule, convRate, stkRate);
    };
    dlg.UnLoadCapital = [this] { frmCapital_UnLoadCapital(); };

    dlg.ComboCpRule->Clear();
    FillCapitalRules(m_ctx.props.CapitalRules);
    SelectCapitalRule(sec.GetCapitalRule());
    dlg.TxtConvRate->SetText(PlainNumber(sec.GetConvCapital(), Loc().decimalSeparator));
    dlg.TxtStkRate->SetText(PlainNumber(sec.GetStockCapital(), Loc().decimalSeparator));
    dlg.Show(!m_ctx.host.ModelessAllowed());
}

// One entry per rule, its identifier as item data; the first rule is shown
// (a list without rules shows none).
void CarryCapital::FillCapitalRules(const std::string& rules) {
    ComboBox& combo = *frmCapital->ComboCpRule;
    for (const CapitalRuleEntry& rule : ParseCapitalRules(rules, Loc())) {
        combo.AddItem(rule.name);
        combo.SetItemData(combo.Count() - 1, rule.id);
    }
    if (combo.Count() > 0) SelectCapitalRule(combo.ItemData(0));
}

// Shows the first entry whose identifier is `rule`; none matching changes
// nothing.
void CarryCapital::SelectCapitalRule(long rule) {
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
void CarryCapital::frmCapital_ChgCapital(std::optional<long> rule, double convRate, double stkRate) {
    if (m_ctx.SecurityList().Count() == 0) return;
    m_ctx.ReleaseDialog(frmCapital);
    const int row = m_ctx.SecurityList().ListIndex();
    if (row < 0) return;
    CSecurity& sec = m_ctx.portfolio.Securities().Item(row + 1);
    if (rule) sec.SetCapitalRule(static_cast<int32_t>(*rule));
    sec.SetConvCapital(convRate);
    sec.SetStockCapital(stkRate);
    RequestCapital(row);
}

void CarryCapital::frmCapital_UnLoadCapital() { m_ctx.ReleaseDialog(frmCapital); }

// Requests the capital of the security at a 0-based row and shows it, then
// refreshes the selected pair's carry, which depends on it. A failed
// request, or a reply that is not a number, is reported and ends the
// capital request there (LbCapital keeps what it showed, the carry is not
// refreshed); whatever displayed the security goes on.
void CarryCapital::RequestCapital(int row) {
    m_ctx.ShowProgress();
    const CSecurity& sec = m_ctx.portfolio.Securities().Item(row + 1);
    try {
        std::string reply;
        try {
            reply = m_ctx.FetchReply(pages::Address(m_ctx.props.CapitalCalcPath, BuildCapitalQuery(sec)));
        } catch (const std::exception& e) {
            throw std::runtime_error("The capital of '" + sec.Getdescription() + "' cannot be shown: " + e.what());
        }
        const std::optional<double> capital = ParseNumber(reply, pages::ReplyNumberFormat());
        if (!capital)
            throw std::runtime_error("The capital of '" + sec.Getdescription() +
                                     "' cannot be shown: the capital page answered '" + reply + "'.");
        LbCapital->caption = FormatGrouped(*capital, 0, Loc());
        LbCapital->foreColor = SignColor(*capital, 0);
        RecalculateCarry();
    } catch (const std::exception& e) {
        m_ctx.HideProgress();
        m_ctx.MsgOk(e.what());
        return;
    }
    m_ctx.HideProgress();
}

}  // namespace zemra
