// The valuation date: a scenario's time change as a date from today and a
// typed date read back into days, through scenarios/ScenarioDate.h. TxtDate
// on the panel: golden/valuation_date and golden/scenarios_session.
#include <gtest/gtest.h>

#include <stdexcept>

#include "compute/ScenarioDate.h"
#include "toolkit/DateText.h"

using namespace zemra;

namespace {
const Date kToday{2026, 12, 6};
}  // namespace

TEST(ScenarioDate, TheTimeChangeCountsDaysFromTodayRoundedHalfToEven) {
    const std::vector<std::pair<double, const char*>> table = {
        {0, "12/06/2026"}, {30, "01/05/2027"}, {-1, "12/05/2026"}, {2.5, "12/08/2026"}, {3.5, "12/10/2026"}};
    for (const auto& [days, text] : table) EXPECT_EQ(ScenarioDateText(kToday, days, Locale::EnUs()), text) << days;
    for (double days : {1e300, -800000.0, 3000000.0})
        EXPECT_THROW(ScenarioDateText(kToday, days, Locale::EnUs()), std::runtime_error) << days;
}

TEST(ScenarioDate, TypedDatesReadMonthFirstWithYearsBefore1970InThisCentury) {
    Locale dayFirst = Locale::EnUs();
    dayFirst.dateOrder = DateOrder::DayMonthYear;
    const std::vector<std::pair<const char*, Date>> table = {
        {"1/5/30", {2030, 1, 5}},   {"12/31/1969", {2069, 12, 31}}, {"07/04/1985", {1985, 7, 4}},
        {"2-28-70", {1970, 2, 28}}, {"  3/7/2027", {2027, 3, 7}},   {"12/7/2026 10:30", {2026, 12, 7}}};
    for (const auto& [typed, date] : table)
        for (const Locale& host : {Locale::EnUs(), dayFirst}) {
            const Date read = ParseScenarioDate(typed, kToday, host);
            EXPECT_EQ(FormatMmDdYyyy(read), FormatMmDdYyyy(date)) << typed;
        }
    for (const char* text : {"13/45/2020", "tomorrow", "2/30/2027", "12.06.2026", "Dec 6, 2026"})
        EXPECT_FALSE(ReadScenarioDate(text, Locale::EnUs())) << text;
}
