// The scenario database: retrieving every stored scenario, saving the
// current one (insert, then modify once it has an identity), deleting it,
// loading a stored scenario into the working list and its auto-load flag.
#include <limits>
#include <stdexcept>

#include "control/MainCtl.h"
#include "compute/ScenarioDatabase.h"
#include "compute/ScenarioDate.h"
#include "compute/PageContract.h"

namespace zemra {

void MainCtl::WireStoredScenarioEvents() {
    BtnRetrieve->Click = [this] { BtnRetrieve_Click(); };
    BtnSave->Click = [this] { BtnSave_Click(); };
    BtnDelScenario->Click = [this] { BtnDelScenario_Click(); };
    ComboScenario->Click = [this] { ComboScenario_Click(); };
    ComboAutoLoad->Validate = [this](bool& cancel) { ComboAutoLoad_Validate(cancel); };
    BtnScenMatrix->Click = [this] { BtnScenMatrix_Click(); };
}

void MainCtl::BtnRetrieve_Click() {
    ShowProgress();
    const std::string reply = FetchReply(props_.GetScenarioPath);
    // A malformed piece ends the retrieve there; the pieces before it stay.
    for (const std::string& piece : pages::ReplyPieces(reply)) {
        // An empty piece (after a trailing "|") holds no scenario and
        // overwrites nothing.
        if (piece.empty()) continue;
        auto record = std::make_shared<CScenario>();
        record->CreateScenarioFromDataBase(piece, pages::ReplyNumberFormat());
        // A time change beyond the calendar cannot be shown as a date: such a
        // scenario is not taken.
        CheckScenarioDate(*record, Today());
        portfolio_.MergeStoredScenario(record);
    }
    HideProgress();
}

void MainCtl::BtnSave_Click() {
    const int row = ScenarioLst->ListIndex();
    if (ScenarioLst->Count() == 0 || row < 0) return;
    CScenario& record = portfolio_.Scenarios().Item(row + 1);
    if (const auto refused = RefusedDescription(record.Getdescription())) {
        MsgOk(*refused);
        return;
    }
    ShowProgress();
    if (record.GetUid() > 0) {
        FetchReply(ModifyScenarioAddress(props_.ModScenarioPath, record));
    } else {
        const std::string reply = FetchReply(InsertScenarioAddress(props_.InsertScenarioPath, record));
        const auto uid = InsertedUid(reply);
        if (!uid)
            throw std::runtime_error("Scenario '" + record.Getdescription() +
                                     "' was not saved: the insert page answered '" + reply +
                                     "' instead of the new scenario's number.");
        // The stored entry is the same record, so it is saved too.
        record.SetUid(*uid);
    }
    HideProgress();
}

void MainCtl::BtnDelScenario_Click() {
    if (ScenarioLst->SelCount() == 0) {
        MsgOk("Choose scenario you wish to delete!");
        return;
    }
    const int row = ScenarioLst->ListIndex();
    if (row < 0) return;
    if (!AskYesNo("Are you sure you want to delete the selected scenario from database:'" + DescriptionFld->Text() +
                  "'?"))
        return;
    ShowProgress();
    const CScenario& record = portfolio_.Scenarios().Item(row + 1);
    const int32_t uid = record.GetUid();
    const int32_t key = record.Getkey();
    if (uid > 0) FetchReply(DeleteScenarioAddress(props_.DelScenarioPath, uid));
    RemoveCurrentScenario();
    if (const int p = portfolio_.FindStoredScenarioPosition(key); p > 0) portfolio_.RemoveStoredScenario(p);
    HideProgress();
}

void MainCtl::RemoveCurrentScenario() {
    const int row = ScenarioLst->ListIndex();
    portfolio_.RemoveScenario(row + 1);
    if (!portfolio_.Scenarios().Empty()) ScenarioLst->SetSelected(0, true);
    ShowScenarioDetail();
    ShowValuation();
}

void MainCtl::ComboScenario_Click() {
    const int entry = ComboScenario->ListIndex();
    if (entry < 0) return;
    const std::shared_ptr<CScenario>& stored = portfolio_.StoredScenarios().Shared(entry + 1);
    if (stored->Getkey() < 0) {
        if (portfolio_.LastScenarioKey() == std::numeric_limits<int32_t>::max())
            throw std::runtime_error("Loading scenario '" + stored->Getdescription() +
                                     "': every scenario key has been handed out; no new scenario can be listed.");
        portfolio_.AddScenario(stored, portfolio_.LastScenarioKey() + 1);
        ScenarioLst->SetSelected(ScenarioLst->Count() - 1, true);
        return;
    }
    const int position = portfolio_.FindScenarioPosition(stored->Getkey());
    if (position == 0) {
        portfolio_.RelistScenario(stored);
        ScenarioLst->SetSelected(ScenarioLst->Count() - 1, true);
        return;
    }
    portfolio_.RefreshScenario(position, *stored);
    // Selected again, so that the selection handling shows it.
    ScenarioLst->SetSelected(position - 1, false);
    ScenarioLst->SetSelected(position - 1, true);
}

void MainCtl::ComboAutoLoad_Validate(bool& /*cancel*/) {
    const int row = ScenarioLst->ListIndex();
    if (ScenarioLst->Count() == 0 || row < 0) return;
    CScenario& record = portfolio_.Scenarios().Item(row + 1);
    const std::string chosen = ComboAutoLoad->Text();
    if (chosen == record.GetAutoLoad()) {
        ClearStaleNotice();
        return;
    }
    record.SetAutoLoad(chosen);
    if (CScenario* stored = portfolio_.StoredEntry(record.Getkey())) stored->SetAutoLoad(chosen);
    SetStaleNotice();
}

}  // namespace zemra
