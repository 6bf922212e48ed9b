// The working list of scenarios and its two parallel list boxes: adding,
// selecting one or several, editing the six changes, renaming and deleting,
// with the stored-scenario drop-down and the valuation grid kept in step.
#include <limits>
#include <stdexcept>

#include "control/MainCtl.h"
#include "toolkit/NumberText.h"

namespace zemra {

namespace {

// Entering an editable field selects its whole text.
constexpr int kSelectAll = 9999;

// The controls that act on one scenario (or start a request) and the frames
// that are usable only in the single mode.
void SetSingleScenarioControls(MainCtl& c, bool enabled) {
    Widget* const controls[] = {c.TxtDate,        c.DescriptionFld, c.ComboScenario, c.ComboAutoLoad,
                                c.ScenarioAddBtn, c.BtnModify,      c.BtnSave,       c.BtnDelScenario,
                                c.BtnRetrieve,    c.UpdateBtn,      c.AssumptionFrame, c.FrameDetail,
                                c.Frame1,         c.Frame5};
    for (Widget* w : controls) w->enabled = enabled;
}

}  // namespace

void MainCtl::WireScenarioEvents() {
    ScenarioLst->Click = [this] { ScenarioLst_Click(); };
    ScenarioAddBtn->Click = [this] { ScenarioAddBtn_Click(); };
    DeleteBtn->Click = [this] { DeleteBtn_Click(); };
    BtnModify->Click = [this] { BtnModify_Click(); };
    for (int i = 0; i < static_cast<int>(TxtScenario.size()); ++i) {
        TxtScenario[i]->GotFocus = [this, i] { TxtScenario_GotFocus(i); };
        TxtScenario[i]->Validate = [this, i](bool& cancel) { TxtScenario_Validate(i, cancel); };
    }
    DescriptionFld->GotFocus = [this] { DescriptionFld_GotFocus(); };
    WireTunerEvents();
    WireValuationDateEvents();
}

void MainCtl::ScenarioAddBtn_Click() {
    const std::string description = DescriptionFld->Text();
    if (description.empty()) {
        MsgOk("Input scenario you wish to add!");
        return;
    }
    if (m_LastScenarioKey == std::numeric_limits<int32_t>::max())
        throw std::runtime_error("Adding scenario '" + description +
                                 "': every scenario key has been handed out; no new scenario can be listed.");
    // A blank scenario: all changes 0, tuner value 100. The figures standing
    // in the fields are not taken over; the tuner is the first of the list.
    auto record = std::make_shared<CScenario>();
    record->CreateScenario("", Loc());
    record->Setdescription(description);
    record->Settuner(ComboTuner->Count() > 0 ? static_cast<int32_t>(ComboTuner->ItemData(0)) : 0);
    ++m_LastScenarioKey;
    record->Setkey(m_LastScenarioKey);

    ScenarioLst->AddItem(description);
    LstImpact->AddItem(FormatGrouped(record->GetImpact(), 0, Loc()));
    m_Scenarios.Add(record);
    m_StoredScenarios.Add(record);
    ComboScenario->AddItem(description);
    if (!m_Securities.Empty()) AddScenarioValuations(*record);
    // Rows already selected stay selected, so adding beside a selected row
    // switches the panel to the multiple mode.
    ScenarioLst->SetSelected(ScenarioLst->Count() - 1, true);
}

void MainCtl::DeleteBtn_Click() {
    if (ScenarioLst->SelCount() == 0) {
        MsgOk("Choose scenario you wish to delete!");
        return;
    }
    if (!AskYesNo(std::string("Are you sure you want to delete the selected scenarios from list:") + "?")) return;

    // Row i belongs to position i + 1 everywhere. A removed row moves the
    // rows below it up by one, so i stays on the same index after a removal.
    int i = 0;
    while (i < ScenarioLst->Count()) {
        if (!ScenarioLst->Selected(i)) {
            ++i;
            continue;
        }
        const int position = i + 1;
        const int stored = FindStoredScenarioPosition(m_Scenarios.Item(position).Getkey());
        // The stored entry stays to be loaded again, without an impact.
        if (stored > 0) m_StoredScenarios.Item(stored).SetImpact(0);
        m_Scenarios.Remove(position);
        ScenarioLst->RemoveItem(i);
        LstImpact->RemoveItem(i);
        for (int s = 1; s <= m_Valuations.Count(); ++s) m_Valuations.Item(s).Remove(position);
    }

    if (!m_Scenarios.Empty()) {
        ScenarioLst->SetSelected(0, true);
    } else {
        // No scenario is left, so no valuation either: the grid goes back
        // to empty, as before the first scenario. Rows left without
        // valuations would not grow with a security added now (it needs a
        // row only once there are scenarios), and the next scenario would
        // then leave that security without its valuation.
        m_Valuations.Clear();
        // The single mode, and nothing to apply a common tuner to.
        EnableSingleScenarioEditing();
        BtnUptTuner->enabled = false;
    }
    ShowScenarioDetail();
    ShowValuation();
}

void MainCtl::BtnModify_Click() {
    if (m_Scenarios.Empty()) {
        MsgOk("Choose scenario you wish to update!");
        return;
    }
    const int r = ScenarioLst->ListIndex();
    if (r < 0) return;  // no current row: nothing to rename
    // An empty description is accepted by a rename.
    WriteScenarioDescription(r + 1);
}

void MainCtl::WriteScenarioDescription(int position) {
    const std::string description = DescriptionFld->Text();
    CScenario& record = m_Scenarios.Item(position);
    record.Setdescription(description);
    ScenarioLst->SetItemText(position - 1, description);
    const int stored = FindStoredScenarioPosition(record.Getkey());
    if (stored > 0) {
        m_StoredScenarios.Item(stored).Setdescription(description);
        ComboScenario->SetItemText(stored - 1, description);
    }
}

void MainCtl::ScenarioLst_Click() {
    if (ScenarioLst->SelCount() > 1) {
        DisableSingleScenarioEditing();
        BtnUptTuner->enabled = true;
        return;
    }
    EnableSingleScenarioEditing();
    const int r = ScenarioLst->ListIndex();
    if (r >= 0 && r < m_Scenarios.Count()) {
        const CScenario& record = m_Scenarios.Item(r + 1);
        DescriptionFld->SetText(record.Getdescription());
        for (int i = 0; i < static_cast<int>(TxtScenario.size()); ++i)
            TxtScenario[i]->SetText(PlainNumber(record.GetScenarioProperties(i), Loc().decimalSeparator));
        LabelImpact->caption = FormatGrouped(record.GetImpact(), 0, Loc(), true);
        LstImpact->SetItemText(r, FormatGrouped(record.GetImpact(), 0, Loc()));
        // Selecting the impact row runs its click handling, which comes back
        // here; once the row is the selected current one it is left alone,
        // so the two lists do not select each other without end.
        if (LstImpact->ListIndex() != r || !LstImpact->Selected(r)) LstImpact->SetSelected(r, true);
        ShowTuner(record.Gettuner());
        ComboAutoLoad->SetText(record.GetAutoLoad());
        ShowScenarioDate(record.GetScenarioProperties(m_TimeIdx));
        ShowValuation();
    }
    BtnUptTuner->enabled = false;
}

void MainCtl::TxtScenario_GotFocus(int index) { TxtScenario.at(static_cast<size_t>(index))->Select(0, kSelectAll); }

void MainCtl::DescriptionFld_GotFocus() { DescriptionFld->Select(0, kSelectAll); }

void MainCtl::TxtScenario_Validate(int index, bool& cancel) {
    // With several rows selected only BtnUptTuner applies a value.
    if (ScenarioLst->Count() == 0 || ScenarioLst->SelCount() != 1) return;
    const int r = ScenarioLst->ListIndex();
    if (r < 0) return;  // no current row: nothing to edit
    const int position = r + 1;
    CScenario& record = m_Scenarios.Item(position);
    const int storedPosition = FindStoredScenarioPosition(record.Getkey());
    CScenario* stored = storedPosition > 0 ? &m_StoredScenarios.Item(storedPosition) : nullptr;
    auto setProperty = [&](double v) {
        record.SetScenarioProperties(index, v);
        if (stored) stored->SetScenarioProperties(index, v);
    };

    if (DescriptionFld->Text().empty()) {
        MsgOk("Please enter description for the current scenario!");
        cancel = true;
        return;
    }
    WriteScenarioDescription(position);

    const std::string& text = TxtScenario.at(static_cast<size_t>(index))->Text();
    if (text.empty()) {
        setProperty(0);
        if (index == m_TunerValIdx) ApplyTunerToScenario(record.Gettuner(), 0, position);
        // The date field shows the time change too; it must not keep the
        // old date, which leaving it would read back.
        if (index == m_TimeIdx) ShowScenarioDate(0);
        return;
    }
    const auto value = ParseNumber(text, Loc());
    if (!value) {
        MsgOk("Please enter only digit characters in Field!");
        cancel = true;
        return;
    }
    const double v = *value;
    if (v == record.GetScenarioProperties(index)) {
        ClearStaleNotice();
        return;
    }
    // A time change must give a calendar date; this is checked before
    // anything is written.
    const std::string dateText = index == m_TimeIdx ? ScenarioDateText(v) : std::string();
    setProperty(v);
    if (index == m_TunerValIdx) ApplyTunerToScenario(record.Gettuner(), v, position);
    if (index == m_TimeIdx) TxtDate->SetText(dateText);
    SetStaleNotice();
}

int MainCtl::FindScenarioListIndex(int32_t key) const {
    for (int p = 1; p <= m_Scenarios.Count(); ++p)
        if (m_Scenarios.Item(p).Getkey() == key) return p - 1;
    return -999;
}

int MainCtl::FindStoredScenarioPosition(int32_t key) const {
    for (int p = 1; p <= m_StoredScenarios.Count(); ++p)
        if (m_StoredScenarios.Item(p).Getkey() == key) return p;
    return 0;
}

void MainCtl::AddScenarioValuations(const CScenario& scenario) {
    if (m_Valuations.Empty()) {
        // No grid yet. Normally the scenario is the only one listed; when
        // start-up ended before it built the grid, scenarios listed before
        // this one get their valuations too, so the grid matches the list.
        const bool listedLast = !m_Scenarios.Empty() && &m_Scenarios.Item(m_Scenarios.Count()) == &scenario;
        for (int s = 1; s <= m_Securities.Count(); ++s) {
            auto inner = std::make_shared<ValuationRow>("the valuations of a security");
            for (int p = 1; p <= m_Scenarios.Count(); ++p) inner->Add(FreshValuation(m_Scenarios.Item(p)));
            if (!listedLast) inner->Add(FreshValuation(scenario));
            m_Valuations.Add(inner);
        }
        return;
    }
    for (int s = 1; s <= m_Valuations.Count(); ++s) m_Valuations.Item(s).Add(FreshValuation(scenario));
}

void MainCtl::AddSecurityValuations() {
    if (m_Scenarios.Empty()) return;
    auto inner = std::make_shared<ValuationRow>("the valuations of a security");
    for (int p = 1; p <= m_Scenarios.Count(); ++p) inner->Add(FreshValuation(m_Scenarios.Item(p)));
    m_Valuations.Add(inner);
}

void MainCtl::ResetScenarioValuations(int position) {
    const CScenario& scenario = m_Scenarios.Item(position);
    for (int s = 1; s <= m_Valuations.Count(); ++s) {
        // Renewed in place as a fresh record: no figures, dollar Greeks or
        // carry option of the scenario's earlier contents are left behind.
        CValuation& val = m_Valuations.Item(s).Item(position);
        val = *FreshValuation(scenario);
        val.SetoptCarry(0);
    }
}

void MainCtl::DisableSingleScenarioEditing() {
    for (TextBox* box : TxtScenario) box->enabled = false;
    TxtScenario[m_TunerValIdx]->enabled = true;
    SetSingleScenarioControls(*this, false);
}

void MainCtl::EnableSingleScenarioEditing() {
    for (TextBox* box : TxtScenario) box->enabled = true;
    SetSingleScenarioControls(*this, true);
}

}  // namespace zemra
