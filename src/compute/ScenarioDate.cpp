#include "compute/ScenarioDate.h"

#include <cmath>
#include <stdexcept>

#include "records/CScenario.h"
#include "records/RecordError.h"
#include "toolkit/NumberText.h"

namespace zemra {

namespace {

// Days beyond this reach past the calendar (years 1 to 9999) from any today.
constexpr double kMaxDays = 3660000;

Locale MonthFirst(const Locale& host) {
    Locale locale = host;
    locale.dateOrder = DateOrder::MonthDayYear;
    return locale;
}

}  // namespace

std::string ScenarioDateText(const Date& today, double days, const Locale& locale) {
    if (days == 0) return FormatMmDdYyyy(today);
    const double whole = RoundHalfEven(days);
    const auto outside = [&] {
        return std::runtime_error("The time change of " + PlainNumber(days, locale.decimalSeparator) +
                                  " days gives no valuation date: it lies outside the calendar (years 1 to 9999).");
    };
    if (!(std::fabs(whole) <= kMaxDays)) throw outside();
    const Date date = AddDays(today, static_cast<long>(whole));
    if (!IsValidDate(date.year, date.month, date.day)) throw outside();
    return FormatMmDdYyyy(date);
}

void CheckScenarioDate(const CScenario& scenario, const Date& today) {
    try {
        ScenarioDateText(today, scenario.GetScenarioProperties(m_TimeIdx), DataFormat());
    } catch (const std::runtime_error& e) {
        throw RecordError("Scenario '" + scenario.Getdescription() + "' cannot be loaded: " + e.what());
    }
}

std::optional<Date> ReadScenarioDate(const std::string& text, const Locale& locale) {
    return ParseDate(text, MonthFirst(locale));
}

Date ParseScenarioDate(const std::string& text, const Date& today, const Locale& locale) {
    const auto parsed = ReadScenarioDate(text, locale);
    if (!parsed) return today;
    int year = parsed->year;
    if (year < 1970) year = 2000 + year % 100;
    if (!IsValidDate(year, parsed->month, parsed->day)) return today;
    return Date{year, parsed->month, parsed->day};
}

}  // namespace zemra
