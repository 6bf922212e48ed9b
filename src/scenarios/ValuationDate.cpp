// The valuation date of the current scenario: its time change in days shown
// as a calendar date in TxtDate, and a typed date read back into days.
#include "compute/ScenarioDate.h"
#include "scenarios/ScenarioList.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"
#include "toolkit/WholeText.h"

namespace zemra {

void ScenarioList::WireValuationDateEvents() {
    TxtDate->GotFocus = [this] { TxtDate_GotFocus(); };
    TxtDate->Validate = [this](bool& cancel) { TxtDate_Validate(cancel); };
}

void ScenarioList::ShowScenarioDate(double days) { TxtDate->SetText(ScenarioDateText(Today(), days, Loc())); }

void ScenarioList::TxtDate_GotFocus() { SelectWholeText(*TxtDate); }

void ScenarioList::TxtDate_Validate(bool& cancel) {
    if (ScenarioLst->Count() == 0) return;
    const int r = ScenarioLst->ListIndex();
    if (r < 0) return;  // no current row: no scenario to date
    const int position = r + 1;
    CScenario& record = m_ctx.portfolio.Scenarios().Item(position);
    const int storedPosition = m_ctx.portfolio.FindStoredScenarioPosition(record.Getkey());
    CScenario* stored = storedPosition > 0 ? &m_ctx.portfolio.StoredScenarios().Item(storedPosition) : nullptr;
    auto setTimeChange = [&](double days) {
        record.SetScenarioProperties(m_TimeIdx, days);
        if (stored) stored->SetScenarioProperties(m_TimeIdx, days);
    };

    if (DescriptionFld->Text().empty()) {
        m_ctx.MsgOk("Please enter description for the current scenario!");
        cancel = true;
        return;
    }
    WriteScenarioDescription(position);

    const Date today = Today();
    // Passing through without typing changes nothing: the field still shows
    // the date of the scenario's time change (a fraction of a day included).
    if (TxtDate->Text() == ScenarioDateText(today, record.GetScenarioProperties(m_TimeIdx), Loc())) return;
    if (TxtDate->Text().empty()) {
        setTimeChange(0);
        TxtDate->SetText(FormatMmDdYyyy(today));
        TxtScenario[m_TimeIdx]->SetText("0");
        return;
    }
    const std::string text = Trim(TxtDate->Text());
    if (!ReadScenarioDate(text, Loc())) {
        m_ctx.MsgOk("Please enter only valid date in Field!");
        cancel = true;
        return;
    }
    const Date date = ParseScenarioDate(text, today, Loc());
    const double days = static_cast<double>(DaysBetween(today, date));
    // Typing the time change the scenario already has clears the notice;
    // any other date (today included) changes it.
    const bool changed = days != record.GetScenarioProperties(m_TimeIdx);
    setTimeChange(days);
    TxtDate->SetText(FormatMmDdYyyy(date));
    TxtScenario[m_TimeIdx]->SetText(PlainNumber(days, Loc().decimalSeparator));
    if (changed)
        m_ctx.SetStaleNotice();
    else
        m_ctx.ClearStaleNotice();
}

}  // namespace zemra
