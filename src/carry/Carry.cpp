// Carry: the Rates dialog of the selected security under the selected
// scenario, and the single-scenario carry refresh.
#include <optional>
#include <stdexcept>
#include <string>

#include "carry/CarryCapital.h"
#include "compute/PageContract.h"
#include "compute/Queries.h"
#include "compute/ValuationFigures.h"
#include "records/CarryOption.h"
#include "toolkit/NumberText.h"

namespace zemra {

namespace {

// The breakdown labels show whole numbers, the three point figures two
// decimals.
int BreakdownDecimals(int slot) { return slot >= kCarrySlots - 3 ? 2 : 0; }

}  // namespace

CarryCapital::CarryCapital(PanelContext& ctx, const CarryWidgets& widgets) : CarryWidgets(widgets), m_ctx(ctx) {
    BtnCarry->Click = [this] { BtnCarry_Click(); };
    BtnCapital->Click = [this] { BtnCapital_Click(); };
}

CarryCapital::~CarryCapital() {
    frmCarry.reset();
    frmCapital.reset();
    m_ctx.DestroyReleasedDialogs();
}

std::optional<CarryCapital::SelectedPair> CarryCapital::SelectedSecurityAndScenario() const {
    if (m_ctx.portfolio.Securities().Empty() || m_ctx.portfolio.Scenarios().Empty()) return std::nullopt;
    const int secRow = m_ctx.SecurityList().ListIndex();
    const int scenRow = m_ctx.ScenarioList().ListIndex();
    if (secRow < 0 || scenRow < 0) return std::nullopt;
    return SelectedPair{secRow, scenRow};
}

void CarryCapital::BtnCarry_Click() {
    const auto pair = SelectedSecurityAndScenario();
    if (!pair) return;
    const CValuation& val = m_ctx.portfolio.ValuationAt(pair->secRow + 1, pair->scenRow + 1);
    const CSecurity& sec = m_ctx.portfolio.Securities().Item(pair->secRow + 1);

    m_ctx.DiscardDialog(frmCarry);
    frmCarry = std::make_unique<DlgCarry>(m_ctx.ui, Loc());
    DlgCarry& dlg = *frmCarry;
    dlg.ChgCarry = [this](double fin, double reb, double tail, double brw, long option) {
        frmCarry_ChgCarry(fin, reb, tail, brw, option);
    };
    dlg.UnloadCarry = [this] { frmCarry_UnloadCarry(); };

    // Writing the finance rate also writes the tail rate; the tail rate,
    // written last, replaces that copy.
    dlg.TxtFinRate->SetText(dlg.RateText(sec.GetFinance()));
    dlg.TxtRebRate->SetText(dlg.RateText(sec.GetRebate()));
    dlg.TxtBrwCost->SetText(dlg.RateText(sec.GetBorrow()));
    dlg.TxtTailRate->SetText(dlg.RateText(sec.GetTail()));
    for (int k = 0; k < kCarrySlots; ++k) {
        const double v = val.GetCarry(k);
        Label* label = dlg.LbCarryVal[static_cast<std::size_t>(k)];
        label->caption = FormatGrouped(v, BreakdownDecimals(k), Loc());
        label->foreColor = SignColor(v, BreakdownDecimals(k));
    }
    if (val.GetoptCarry() == kUseNetCarry)
        dlg.OptNetCarry->SetValue(true);
    else if (val.GetoptCarry() == kUseFullCarry)
        dlg.OptFullCarry->SetValue(true);

    dlg.Show(!m_ctx.host.ModelessAllowed());
}

// The dialog is modeless: the rows selected now are the ones that count.
// Without a selected security and scenario there is nothing to apply the
// rates to, and the dialog is only released.
void CarryCapital::frmCarry_ChgCarry(double finRate, double rebRate, double tailRate, double brwCost,
                                     long carryOption) {
    m_ctx.ReleaseDialog(frmCarry);
    const auto pair = SelectedSecurityAndScenario();
    if (!pair) return;
    m_ctx.ShowProgress();
    CSecurity& sec = m_ctx.portfolio.Securities().Item(pair->secRow + 1);
    sec.SetFinance(finRate);
    sec.SetRebate(rebRate);
    sec.SetTail(tailRate);
    sec.SetBorrow(brwCost);
    RefreshCarry(*pair, carryOption);
    m_ctx.HideProgress();
}

void CarryCapital::frmCarry_UnloadCarry() { m_ctx.ReleaseDialog(frmCarry); }

void CarryCapital::RecalculateCarry() {
    const auto pair = SelectedSecurityAndScenario();
    if (!pair) return;
    m_ctx.ShowProgress();
    RefreshCarry(*pair, std::nullopt);
    m_ctx.HideProgress();
}

// Requests the carry of one security under one scenario with the
// security's current rates, sets the carry option when one is given, and
// shows the carry, the impacts and the security's sub-impact.
void CarryCapital::RefreshCarry(const SelectedPair& pair, std::optional<long> carryOption) {
    const Collection<CScenario>& scenarios = m_ctx.portfolio.Scenarios();
    const std::string query =
        BuildCarryQuery(m_ctx.portfolio.Securities().Item(pair.secRow + 1)) + BuildTimeChange(scenarios, pair.scenRow);
    std::string reply;
    try {
        reply = m_ctx.FetchReply(pages::Address(m_ctx.props.CarryCalcPath, query));
    } catch (const std::exception& e) {
        throw std::runtime_error("The carry of '" +
                                 m_ctx.portfolio.Securities().Item(pair.secRow + 1).Getdescription() +
                                 "' cannot be shown: " + e.what());
    }
    CValuation& val = m_ctx.portfolio.ValuationAt(pair.secRow + 1, pair.scenRow + 1);
    // One time change was sent, so the page answers one piece; a page that
    // answers more has only its first piece read, as the impact run reads
    // one piece per scenario.
    const auto pieces = pages::FirstReplyPieces(reply, 1);
    val.CreateCarry(pieces.empty() ? std::string_view() : pieces.front(), pages::ReplyNumberFormat());
    if (carryOption) val.SetoptCarry(static_cast<int32_t>(*carryOption));
    m_ctx.refresh.ShowCarryLabel(val);
    m_ctx.refresh.CalculateImpacts();
    m_ctx.refresh.ShowSubImpact(val);
}

}  // namespace zemra
