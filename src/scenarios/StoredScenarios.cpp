// The scenario database: retrieving every stored scenario, saving the
// current one (insert, then modify once it has an identity), deleting it,
// and loading a stored scenario into the working list.
#include <limits>
#include <stdexcept>

#include "compute/PageContract.h"
#include "compute/ScenarioDatabase.h"
#include "compute/ScenarioDate.h"
#include "scenarios/StoredScenarios.h"

namespace zemra {

StoredScenarios::StoredScenarios(PanelContext& ctx, const StoredScenarioWidgets& widgets)
    : StoredScenarioWidgets(widgets), ctx_(ctx) {
    BtnRetrieve->Click = [this] { BtnRetrieve_Click(); };
    BtnSave->Click = [this] { BtnSave_Click(); };
    BtnDelScenario->Click = [this] { BtnDelScenario_Click(); };
    ComboScenario->Click = [this] { ComboScenario_Click(); };
}

void StoredScenarios::BtnRetrieve_Click() {
    ctx_.ShowProgress();
    const std::string reply = ctx_.FetchReply(ctx_.props.GetScenarioPath);
    // A malformed piece ends the retrieve there; the pieces before it stay.
    for (const std::string& piece : pages::ReplyPieces(reply)) {
        // An empty piece (after a trailing "|") holds no scenario and
        // overwrites nothing.
        if (piece.empty()) continue;
        auto record = std::make_shared<CScenario>();
        record->CreateScenarioFromDataBase(piece, pages::ReplyNumberFormat());
        // A time change beyond the calendar cannot be shown as a date: such a
        // scenario is not taken.
        CheckScenarioDate(*record, ctx_.Today());
        ctx_.portfolio.MergeStoredScenario(record);
    }
    ctx_.HideProgress();
}

void StoredScenarios::BtnSave_Click() {
    const int row = ctx_.ScenarioList().ListIndex();
    if (ctx_.ScenarioList().Count() == 0 || row < 0) return;
    CScenario& record = ctx_.portfolio.Scenarios().Item(row + 1);
    if (const auto refused = RefusedDescription(record.Getdescription())) {
        ctx_.MsgOk(*refused);
        return;
    }
    ctx_.ShowProgress();
    if (record.GetUid() > 0) {
        ctx_.FetchReply(ModifyScenarioAddress(ctx_.props.ModScenarioPath, record));
    } else {
        const std::string reply = ctx_.FetchReply(InsertScenarioAddress(ctx_.props.InsertScenarioPath, record));
        const auto uid = InsertedUid(reply);
        if (!uid)
            throw std::runtime_error("Scenario '" + record.Getdescription() +
                                     "' was not saved: the insert page answered '" + reply +
                                     "' instead of the new scenario's number.");
        // The stored entry is the same record, so it is saved too.
        record.SetUid(*uid);
    }
    ctx_.HideProgress();
}

void StoredScenarios::BtnDelScenario_Click() {
    if (ctx_.ScenarioList().SelCount() == 0) {
        ctx_.MsgOk("Choose scenario you wish to delete!");
        return;
    }
    const int row = ctx_.ScenarioList().ListIndex();
    if (row < 0) return;
    if (!ctx_.AskYesNo("Are you sure you want to delete the selected scenario from database:'" +
                       scenarioDescription->Text() + "'?"))
        return;
    ctx_.ShowProgress();
    const CScenario& record = ctx_.portfolio.Scenarios().Item(row + 1);
    const int32_t uid = record.GetUid();
    const int32_t key = record.Getkey();
    if (uid > 0) ctx_.FetchReply(DeleteScenarioAddress(ctx_.props.DelScenarioPath, uid));
    RemoveCurrentScenario();
    if (const int p = ctx_.portfolio.FindStoredScenarioPosition(key); p > 0) ctx_.portfolio.RemoveStoredScenario(p);
    ctx_.HideProgress();
}

void StoredScenarios::RemoveCurrentScenario() {
    const int row = ctx_.ScenarioList().ListIndex();
    ctx_.portfolio.RemoveScenario(row + 1);
    if (!ctx_.portfolio.Scenarios().Empty()) ctx_.ScenarioList().SetSelected(0, true);
    ctx_.refresh.ShowScenarioDetail();
    ctx_.refresh.ShowValuation();
}

void StoredScenarios::ComboScenario_Click() {
    const int entry = ComboScenario->ListIndex();
    if (entry < 0) return;
    const std::shared_ptr<CScenario>& stored = ctx_.portfolio.StoredScenarios().Shared(entry + 1);
    if (stored->Getkey() < 0) {
        if (ctx_.portfolio.LastScenarioKey() == std::numeric_limits<int32_t>::max())
            throw std::runtime_error("Loading scenario '" + stored->Getdescription() +
                                     "': every scenario key has been handed out; no new scenario can be listed.");
        ctx_.portfolio.AddScenario(stored, ctx_.portfolio.LastScenarioKey() + 1);
        ctx_.ScenarioList().SetSelected(ctx_.ScenarioList().Count() - 1, true);
        return;
    }
    const int position = ctx_.portfolio.FindScenarioPosition(stored->Getkey());
    if (position == 0) {
        ctx_.portfolio.RelistScenario(stored);
        ctx_.ScenarioList().SetSelected(ctx_.ScenarioList().Count() - 1, true);
        return;
    }
    ctx_.portfolio.RefreshScenario(position, *stored);
    // Selected again, so that the selection handling shows it.
    ctx_.ScenarioList().SetSelected(position - 1, false);
    ctx_.ScenarioList().SetSelected(position - 1, true);
}

}  // namespace zemra
