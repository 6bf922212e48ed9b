// The valuation date of the current scenario: its time change in days shown
// as a calendar date in TxtDate, and a typed date read back into days.
#include <cmath>
#include <stdexcept>

#include "control/MainCtl.h"
#include "control/WholeText.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"

namespace zemra {

namespace {

// Days beyond this reach past the calendar (years 1 to 9999) from any today.
constexpr double kMaxDays = 3660000;

// The field shows month first whatever the host's own date order, and is
// read the same way.
Locale MonthFirst(const Locale& host) {
    Locale locale = host;
    locale.dateOrder = DateOrder::MonthDayYear;
    return locale;
}

}  // namespace

void MainCtl::WireValuationDateEvents() {
    TxtDate->GotFocus = [this] { TxtDate_GotFocus(); };
    TxtDate->Validate = [this](bool& cancel) { TxtDate_Validate(cancel); };
}

std::string MainCtl::ScenarioDateText(double days) const {
    const Date today = Today();
    if (days == 0) return FormatMmDdYyyy(today);
    // A fraction of a day goes to the nearest whole day, halves to even, as
    // the scenario summary shows it.
    const double whole = RoundHalfEven(days);
    if (!(std::fabs(whole) <= kMaxDays))
        throw std::runtime_error("The time change of " + PlainNumber(days, Loc().decimalSeparator) +
                                 " days gives no valuation date: it lies outside the calendar (years 1 to 9999).");
    const Date date = AddDays(today, static_cast<long>(whole));
    if (!IsValidDate(date.year, date.month, date.day))
        throw std::runtime_error("The time change of " + PlainNumber(days, Loc().decimalSeparator) +
                                 " days gives no valuation date: it lies outside the calendar (years 1 to 9999).");
    return FormatMmDdYyyy(date);
}

void MainCtl::ShowScenarioDate(double days) { TxtDate->SetText(ScenarioDateText(days)); }

Date MainCtl::ParseScenarioDate(const std::string& text) const {
    const auto parsed = ParseDate(text, MonthFirst(Loc()));
    if (!parsed) return Today();
    int year = parsed->year;
    // Years before 1970 are taken as this century's: two-digit years 00 to
    // 69 give 2000 to 2069, 70 to 99 give 1970 to 1999.
    if (year < 1970) year = 2000 + year % 100;
    if (!IsValidDate(year, parsed->month, parsed->day)) return Today();
    return Date{year, parsed->month, parsed->day};
}

void MainCtl::TxtDate_GotFocus() { SelectWholeText(*TxtDate); }

void MainCtl::TxtDate_Validate(bool& cancel) {
    if (ScenarioLst->Count() == 0) return;
    const int r = ScenarioLst->ListIndex();
    if (r < 0) return;  // no current row: no scenario to date
    const int position = r + 1;
    CScenario& record = portfolio_.Scenarios().Item(position);
    const int storedPosition = portfolio_.FindStoredScenarioPosition(record.Getkey());
    CScenario* stored = storedPosition > 0 ? &portfolio_.StoredScenarios().Item(storedPosition) : nullptr;
    auto setTimeChange = [&](double days) {
        record.SetScenarioProperties(m_TimeIdx, days);
        if (stored) stored->SetScenarioProperties(m_TimeIdx, days);
    };

    if (DescriptionFld->Text().empty()) {
        MsgOk("Please enter description for the current scenario!");
        cancel = true;
        return;
    }
    WriteScenarioDescription(position);

    const Date today = Today();
    if (TxtDate->Text().empty()) {
        setTimeChange(0);
        TxtDate->SetText(FormatMmDdYyyy(today));
        TxtScenario[m_TimeIdx]->SetText("0");
        return;
    }
    const std::string text = Trim(TxtDate->Text());
    if (!ParseDate(text, MonthFirst(Loc()))) {
        MsgOk("Please enter only valid date in Field!");
        cancel = true;
        return;
    }
    const Date date = ParseScenarioDate(text);
    const double days = static_cast<double>(DaysBetween(today, date));
    // Typing the time change the scenario already has clears the notice;
    // any other date (today included) changes it.
    const bool changed = days != record.GetScenarioProperties(m_TimeIdx);
    setTimeChange(days);
    TxtDate->SetText(FormatMmDdYyyy(date));
    TxtScenario[m_TimeIdx]->SetText(PlainNumber(days, Loc().decimalSeparator));
    if (changed) SetStaleNotice();
    else ClearStaleNotice();
}

}  // namespace zemra
