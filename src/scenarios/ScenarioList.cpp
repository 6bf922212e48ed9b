// The working list of scenarios and its two parallel list boxes: adding,
// selecting one or several, editing the six changes, renaming and deleting,
// with the stored-scenario drop-down and the valuation grid kept in step.
#include <limits>
#include <stdexcept>
#include <vector>

#include "compute/ScenarioDate.h"
#include "scenarios/ScenarioList.h"
#include "toolkit/FieldMessages.h"
#include "toolkit/NumberText.h"
#include "toolkit/WholeText.h"

namespace zemra {

ScenarioList::ScenarioList(PanelContext& ctx, const ScenarioWidgets& widgets) : ScenarioWidgets(widgets), m_ctx(ctx) {
    ScenarioLst->Click = [this] { ScenarioLst_Click(); };
    ScenarioAddBtn->Click = [this] { ScenarioAddBtn_Click(); };
    DeleteBtn->Click = [this] { DeleteBtn_Click(); };
    BtnModify->Click = [this] { BtnModify_Click(); };
    for (int i = 0; i < static_cast<int>(TxtScenario.size()); ++i) {
        TxtScenario[i]->GotFocus = [this, i] { TxtScenario_GotFocus(i); };
        TxtScenario[i]->Validate = [this, i](bool& cancel) { TxtScenario_Validate(i, cancel); };
    }
    DescriptionFld->GotFocus = [this] { DescriptionFld_GotFocus(); };
    LstImpact->Click = [this] { LstImpact_Click(); };
    ComboAutoLoad->Validate = [this](bool& cancel) { ComboAutoLoad_Validate(cancel); };
    WireTunerEvents();
    WireValuationDateEvents();
}

void ScenarioList::ScenarioAddBtn_Click() {
    const std::string description = DescriptionFld->Text();
    if (description.empty()) {
        m_ctx.MsgOk("Input scenario you wish to add!");
        return;
    }
    if (m_ctx.portfolio.LastScenarioKey() == std::numeric_limits<int32_t>::max())
        throw std::runtime_error("Adding scenario '" + description +
                                 "': every scenario key has been handed out; no new scenario can be listed.");
    // A blank scenario: all changes 0, tuner value 100. The figures standing
    // in the fields are not taken over; the tuner is the first of the list.
    auto record = std::make_shared<CScenario>();
    record->CreateScenario("", DataFormat());
    record->Setdescription(description);
    record->Settuner(ComboTuner->Count() > 0 ? static_cast<int32_t>(ComboTuner->ItemData(0)) : 0);
    m_ctx.portfolio.AddScenario(record, m_ctx.portfolio.LastScenarioKey() + 1);
    m_ctx.portfolio.AddStoredScenario(record);
    // Rows already selected stay selected, so adding beside a selected row
    // switches the panel to the multiple mode.
    ScenarioLst->SetSelected(ScenarioLst->Count() - 1, true);
}

void ScenarioList::DeleteBtn_Click() {
    if (ScenarioLst->SelCount() == 0) {
        m_ctx.MsgOk("Choose scenario you wish to delete!");
        return;
    }
    if (!m_ctx.AskYesNo(std::string("Are you sure you want to delete the selected scenarios from list:") + "?")) return;

    // Row i belongs to position i + 1 everywhere: the selected rows go in one
    // pass, however many there are.
    std::vector<bool> selected;
    selected.reserve(static_cast<std::size_t>(ScenarioLst->Count()));
    for (const ListBox::Row& row : ScenarioLst->Rows()) selected.push_back(row.selected);
    m_ctx.portfolio.RemoveScenarios(selected);

    if (!m_ctx.portfolio.Scenarios().Empty()) {
        ScenarioLst->SetSelected(0, true);
    } else {
        // The single mode, and nothing to apply a common tuner to.
        EnableSingleScenarioEditing();
        BtnUptTuner->enabled = false;
    }
    ShowScenarioDetail();
    m_ctx.refresh.ShowValuation();
}

void ScenarioList::BtnModify_Click() {
    if (m_ctx.portfolio.Scenarios().Empty()) {
        m_ctx.MsgOk("Choose scenario you wish to update!");
        return;
    }
    const int r = ScenarioLst->ListIndex();
    if (r < 0) return;  // no current row: nothing to rename
    // An empty description is accepted by a rename.
    WriteScenarioDescription(r + 1);
}

void ScenarioList::WriteScenarioDescription(int position) {
    m_ctx.portfolio.RenameScenario(position, DescriptionFld->Text());
}

void ScenarioList::ScenarioLst_Click() {
    if (ScenarioLst->SelCount() > 1) {
        DisableSingleScenarioEditing();
        BtnUptTuner->enabled = true;
        return;
    }
    EnableSingleScenarioEditing();
    const int r = ScenarioLst->ListIndex();
    if (r >= 0 && r < m_ctx.portfolio.Scenarios().Count()) {
        const CScenario& record = m_ctx.portfolio.Scenarios().Item(r + 1);
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
        m_ctx.refresh.ShowValuation();
    }
    BtnUptTuner->enabled = false;
}

void ScenarioList::TxtScenario_GotFocus(int index) { SelectWholeText(*TxtScenario.at(static_cast<size_t>(index))); }

void ScenarioList::DescriptionFld_GotFocus() { SelectWholeText(*DescriptionFld); }

void ScenarioList::TxtScenario_Validate(int index, bool& cancel) {
    // With several rows selected only BtnUptTuner applies a value.
    if (ScenarioLst->Count() == 0 || ScenarioLst->SelCount() != 1) return;
    const int r = ScenarioLst->ListIndex();
    if (r < 0) return;  // no current row: nothing to edit
    const int position = r + 1;
    CScenario& record = m_ctx.portfolio.Scenarios().Item(position);
    const int storedPosition = m_ctx.portfolio.FindStoredScenarioPosition(record.Getkey());
    CScenario* stored = storedPosition > 0 ? &m_ctx.portfolio.StoredScenarios().Item(storedPosition) : nullptr;
    auto setProperty = [&](double v) {
        record.SetScenarioProperties(index, v);
        if (stored) stored->SetScenarioProperties(index, v);
    };

    if (DescriptionFld->Text().empty()) {
        m_ctx.MsgOk("Please enter description for the current scenario!");
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
        m_ctx.MsgOk(kDigitsOnlyFieldMessage);
        cancel = true;
        return;
    }
    const double v = *value;
    if (v == record.GetScenarioProperties(index)) {
        m_ctx.ClearStaleNotice();
        return;
    }
    // A time change must give a calendar date; this is checked before
    // anything is written.
    const std::string dateText = index == m_TimeIdx ? ScenarioDateText(Today(), v, Loc()) : std::string();
    setProperty(v);
    if (index == m_TunerValIdx) ApplyTunerToScenario(record.Gettuner(), v, position);
    if (index == m_TimeIdx) TxtDate->SetText(dateText);
    m_ctx.SetStaleNotice();
}

void ScenarioList::DisableSingleScenarioEditing() {
    // The frame says why its fields are disabled (a disabled field shows
    // no tooltip of its own in a browser).
    ScenarioFrame->toolTip = "Several scenarios are selected: select one to edit it.";
    for (TextBox* box : TxtScenario) box->enabled = false;
    TxtScenario[m_TunerValIdx]->enabled = true;
    SetSingleScenarioControls(false);
}

void ScenarioList::EnableSingleScenarioEditing() {
    ScenarioFrame->toolTip.clear();
    for (TextBox* box : TxtScenario) box->enabled = true;
    SetSingleScenarioControls(true);
}

void ScenarioList::SetSingleScenarioControls(bool enabled) {
    for (Widget* w : singleScenarioControls) w->enabled = enabled;
}

void ScenarioList::ComboAutoLoad_Validate(bool& /*cancel*/) {
    const int row = ScenarioLst->ListIndex();
    if (ScenarioLst->Count() == 0 || row < 0) return;
    CScenario& record = m_ctx.portfolio.Scenarios().Item(row + 1);
    const std::string chosen = ComboAutoLoad->Text();
    if (chosen == record.GetAutoLoad()) {
        m_ctx.ClearStaleNotice();
        return;
    }
    record.SetAutoLoad(chosen);
    if (CScenario* stored = m_ctx.portfolio.StoredEntry(record.Getkey())) stored->SetAutoLoad(chosen);
    m_ctx.SetStaleNotice();
}

}  // namespace zemra
