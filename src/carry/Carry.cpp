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

CarryCapital::CarryCapital(PanelContext& ctx, const CarryWidgets& widgets) : CarryWidgets(widgets), ctx_(ctx) {
    BtnCarry->Click = [this] { BtnCarry_Click(); };
    BtnCapital->Click = [this] { BtnCapital_Click(); };
}

CarryCapital::~CarryCapital() {
    frmCarry.reset();
    frmCapital.reset();
    ctx_.DestroyReleasedDialogs();
}

std::optional<CarryCapital::SelectedPair> CarryCapital::SelectedSecurityAndScenario() const {
    if (ctx_.portfolio.Securities().Empty() || ctx_.portfolio.Scenarios().Empty()) return std::nullopt;
    const int secRow = ctx_.SecurityList().ListIndex();
    const int scenRow = ctx_.ScenarioList().ListIndex();
    if (secRow < 0 || scenRow < 0) return std::nullopt;
    return SelectedPair{secRow, scenRow};
}

void CarryCapital::BtnCarry_Click() {
    const auto pair = SelectedSecurityAndScenario();
    if (!pair) return;
    const CValuation& val = ctx_.portfolio.ValuationAt(pair->secRow + 1, pair->scenRow + 1);
    const CSecurity& sec = ctx_.portfolio.Securities().Item(pair->secRow + 1);

    ctx_.DiscardDialog(frmCarry);
    frmCarry = std::make_unique<DlgCarry>(ctx_.ui, Loc());
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

    dlg.Show(!ctx_.host.ModelessAllowed());
}

// The dialog is modeless: the rows selected now are the ones that count.
// Without a selected security and scenario there is nothing to apply the
// rates to, and the dialog is only released.
void CarryCapital::frmCarry_ChgCarry(double finRate, double rebRate, double tailRate, double brwCost,
                                     long carryOption) {
    ctx_.ReleaseDialog(frmCarry);
    const auto pair = SelectedSecurityAndScenario();
    if (!pair) return;
    ctx_.ShowProgress();
    CSecurity& sec = ctx_.portfolio.Securities().Item(pair->secRow + 1);
    sec.SetFinance(finRate);
    sec.SetRebate(rebRate);
    sec.SetTail(tailRate);
    sec.SetBorrow(brwCost);
    RefreshCarry(*pair, carryOption);
    ctx_.HideProgress();
}

void CarryCapital::frmCarry_UnloadCarry() { ctx_.ReleaseDialog(frmCarry); }

void CarryCapital::RecalculateCarry() {
    const auto pair = SelectedSecurityAndScenario();
    if (!pair) return;
    ctx_.ShowProgress();
    RefreshCarry(*pair, std::nullopt);
    ctx_.HideProgress();
}

// Requests the carry of one security under one scenario with the
// security's current rates, sets the carry option when one is given, and
// shows the carry, the impacts and the security's sub-impact.
void CarryCapital::RefreshCarry(const SelectedPair& pair, std::optional<long> carryOption) {
    const Collection<CScenario>& scenarios = ctx_.portfolio.Scenarios();
    const std::string query =
        BuildCarryQuery(ctx_.portfolio.Securities().Item(pair.secRow + 1)) + BuildTimeChange(scenarios, pair.scenRow);
    std::string reply;
    try {
        reply = ctx_.FetchReply(pages::Address(ctx_.props.CarryCalcPath, query));
    } catch (const std::exception& e) {
        throw std::runtime_error("The carry of '" + ctx_.portfolio.Securities().Item(pair.secRow + 1).Getdescription() +
                                 "' cannot be shown: " + e.what());
    }
    CValuation& val = ctx_.portfolio.ValuationAt(pair.secRow + 1, pair.scenRow + 1);
    // One time change was sent, so the page answers one piece; a page that
    // answers more has only its first piece read, as the impact run reads
    // one piece per scenario.
    const auto pieces = pages::FirstReplyPieces(reply, 1);
    val.CreateCarry(pieces.empty() ? std::string_view() : pieces.front(), pages::ReplyNumberFormat());
    if (carryOption) val.SetoptCarry(static_cast<int32_t>(*carryOption));
    ctx_.refresh.ShowCarryLabel(val);
    ctx_.refresh.CalculateImpacts();
    ctx_.refresh.ShowSubImpact(val);
}

}  // namespace zemra
