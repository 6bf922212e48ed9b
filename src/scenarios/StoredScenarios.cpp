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
    : StoredScenarioWidgets(widgets), m_ctx(ctx) {
    BtnRetrieve->Click = [this] { BtnRetrieve_Click(); };
    BtnSave->Click = [this] { BtnSave_Click(); };
    BtnDelScenario->Click = [this] { BtnDelScenario_Click(); };
    ComboScenario->Click = [this] { ComboScenario_Click(); };
}

void StoredScenarios::BtnRetrieve_Click() {
    m_ctx.ShowProgress();
    const std::string reply = m_ctx.FetchReply(m_ctx.props.GetScenarioPath);
    // A malformed piece ends the retrieve there; the pieces before it stay.
    for (const std::string& piece : pages::ReplyPieces(reply)) {
        // An empty piece (after a trailing "|") holds no scenario and
        // overwrites nothing.
        if (piece.empty()) continue;
        auto record = std::make_shared<CScenario>();
        record->CreateScenarioFromDataBase(piece, pages::ReplyNumberFormat());
        // A time change beyond the calendar cannot be shown as a date: such a
        // scenario is not taken.
        CheckScenarioDate(*record, m_ctx.Today());
        m_ctx.portfolio.MergeStoredScenario(record);
    }
    m_ctx.HideProgress();
}

void StoredScenarios::BtnSave_Click() {
    const int row = m_ctx.ScenarioList().ListIndex();
    if (m_ctx.ScenarioList().Count() == 0 || row < 0) return;
    CScenario& record = m_ctx.portfolio.Scenarios().Item(row + 1);
    if (const auto refused = RefusedDescription(record.Getdescription())) {
        m_ctx.MsgOk(*refused);
        return;
    }
    m_ctx.ShowProgress();
    if (record.GetUid() > 0) {
        m_ctx.FetchReply(ModifyScenarioAddress(m_ctx.props.ModScenarioPath, record));
    } else {
        const std::string reply = m_ctx.FetchReply(InsertScenarioAddress(m_ctx.props.InsertScenarioPath, record));
        const auto uid = InsertedUid(reply);
        if (!uid)
            throw std::runtime_error("Scenario '" + record.Getdescription() +
                                     "' was not saved: the insert page answered '" + reply +
                                     "' instead of the new scenario's number.");
        // The stored entry is the same record, so it is saved too.
        record.SetUid(*uid);
    }
    m_ctx.HideProgress();
}

void StoredScenarios::BtnDelScenario_Click() {
    if (m_ctx.ScenarioList().SelCount() == 0) {
        m_ctx.MsgOk("Choose scenario you wish to delete!");
        return;
    }
    const int row = m_ctx.ScenarioList().ListIndex();
    if (row < 0) return;
    if (!m_ctx.AskYesNo("Are you sure you want to delete the selected scenario from database:'" +
                        scenarioDescription->Text() + "'?"))
        return;
    m_ctx.ShowProgress();
    const CScenario& record = m_ctx.portfolio.Scenarios().Item(row + 1);
    const int32_t uid = record.GetUid();
    const int32_t key = record.Getkey();
    if (uid > 0) m_ctx.FetchReply(DeleteScenarioAddress(m_ctx.props.DelScenarioPath, uid));
    RemoveCurrentScenario();
    if (const int p = m_ctx.portfolio.FindStoredScenarioPosition(key); p > 0) m_ctx.portfolio.RemoveStoredScenario(p);
    m_ctx.HideProgress();
}

void StoredScenarios::RemoveCurrentScenario() {
    const int row = m_ctx.ScenarioList().ListIndex();
    m_ctx.portfolio.RemoveScenario(row + 1);
    if (!m_ctx.portfolio.Scenarios().Empty()) m_ctx.ScenarioList().SetSelected(0, true);
    m_ctx.refresh.ShowScenarioDetail();
    m_ctx.refresh.ShowValuation();
}

void StoredScenarios::ComboScenario_Click() {
    const int entry = ComboScenario->ListIndex();
    if (entry < 0) return;
    const std::shared_ptr<CScenario>& stored = m_ctx.portfolio.StoredScenarios().Shared(entry + 1);
    if (stored->Getkey() < 0) {
        if (m_ctx.portfolio.LastScenarioKey() == std::numeric_limits<int32_t>::max())
            throw std::runtime_error("Loading scenario '" + stored->Getdescription() +
                                     "': every scenario key has been handed out; no new scenario can be listed.");
        m_ctx.portfolio.AddScenario(stored, m_ctx.portfolio.LastScenarioKey() + 1);
        m_ctx.ScenarioList().SetSelected(m_ctx.ScenarioList().Count() - 1, true);
        return;
    }
    const int position = m_ctx.portfolio.FindScenarioPosition(stored->Getkey());
    if (position == 0) {
        m_ctx.portfolio.RelistScenario(stored);
        m_ctx.ScenarioList().SetSelected(m_ctx.ScenarioList().Count() - 1, true);
        return;
    }
    m_ctx.portfolio.RefreshScenario(position, *stored);
    // Selected again, so that the selection handling shows it.
    m_ctx.ScenarioList().SetSelected(position - 1, false);
    m_ctx.ScenarioList().SetSelected(position - 1, true);
}

}  // namespace zemra
