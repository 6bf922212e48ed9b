#pragma once
// A scenario's time change in days and the valuation date TxtDate shows
// for it, month first whatever the host's own date order.
#include <optional>
#include <string>

#include "toolkit/DateText.h"
#include "toolkit/Locale.h"

namespace zemra {

// Today plus a time change (a fraction of a day goes to the nearest whole
// day, halves to even) as "mm/dd/yyyy"; throws when that day lies outside
// the calendar (years 1 to 9999).
std::string ScenarioDateText(const Date& today, double days, const Locale& locale);

class CScenario;

// Refuses (RecordError naming the scenario) a scenario whose time change
// gives no calendar date from `today`: such a scenario cannot be loaded.
void CheckScenarioDate(const CScenario& scenario, const Date& today);

// A typed date, read month first; nothing when it is not a date.
std::optional<Date> ReadScenarioDate(const std::string& text, const Locale& locale);

// The date a typed text stands for: years before 1970 are taken as this
// century's (00 to 69 give 2000 to 2069, 70 to 99 give 1970 to 1999); a
// text that gives no calendar date stands for today.
Date ParseScenarioDate(const std::string& text, const Date& today, const Locale& locale);

}  // namespace zemra
