// The valuation date: a scenario's time change as a date from today and a
// typed date read back into days, through scenarios/ScenarioDate.h; then
// TxtDate on the panel (today is 2026-12-06 on the test host).
#include <gtest/gtest.h>

#include "Harness.h"
#include "compute/ScenarioDate.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

const Date kToday{2026, 12, 6};

struct DatePanel : Harness {
    DatePanel() {
        Start({{"ScenarioString", "Now;0;0;0;0;0;100;0;1;N|Month;0;0;0;30;0;100;0;1;N|Yesterday;0;0;0;-1;0;100;0;1;N"}});
        host.messages.clear();
    }
    // Types a date and leaves the field; TypeDate selects scenario row
    // `row` first.
    bool LeaveDate(const std::string& text) {
        panel().UserType(*ctl.TxtDate, text);
        return panel().UserFocus(*ctl.DescriptionFld);
    }
    bool TypeDate(int row, const std::string& text) {
        SelectRow(*ctl.ScenarioLst, row);
        return LeaveDate(text);
    }
    double TimeChange(int row) { return ctl.Model().Scenarios().Item(row + 1).GetScenarioProperties(m_TimeIdx); }
};

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
        {"1/5/30", {2030, 1, 5}},     {"12/31/1969", {2069, 12, 31}},  {"07/04/1985", {1985, 7, 4}},
        {"2-28-70", {1970, 2, 28}},   {"  3/7/2027", {2027, 3, 7}},    {"12/7/2026 10:30", {2026, 12, 7}}};
    for (const auto& [typed, date] : table)
        for (const Locale& host : {Locale::EnUs(), dayFirst}) {
            const Date read = ParseScenarioDate(typed, kToday, host);
            EXPECT_EQ(FormatMmDdYyyy(read), FormatMmDdYyyy(date)) << typed;
        }
    for (const char* text : {"13/45/2020", "tomorrow", "2/30/2027", "12.06.2026", "Dec 6, 2026"})
        EXPECT_FALSE(ReadScenarioDate(text, Locale::EnUs())) << text;
}

TEST(ValuationDateTyped, ADateIsWrittenAsDaysToTheScenarioAndItsStoredEntry) {
    DatePanel p;
    ASSERT_TRUE(p.TypeDate(0, "1/5/30"));
    EXPECT_EQ(p.ctl.TxtDate->Text(), "01/05/2030");
    EXPECT_EQ(p.TimeChange(0), 1126);
    EXPECT_EQ(p.ctl.Model().StoredScenarios().Item(1).GetScenarioProperties(m_TimeIdx), 1126);
    EXPECT_EQ(p.ctl.TxtScenario[m_TimeIdx]->Text(), "1126");
    EXPECT_EQ(p.ctl.LabelProgress->caption, kStale);
    EXPECT_TRUE(p.host.messages.empty());
}

TEST(ValuationDateTyped, EmptyMeansTodayAndTheDateTheScenarioHasClearsTheNotice) {
    DatePanel p;
    ASSERT_TRUE(p.TypeDate(1, ""));
    EXPECT_EQ(p.TimeChange(1), 0);
    EXPECT_EQ(p.ctl.TxtDate->Text(), "12/06/2026");
    EXPECT_EQ(p.ctl.TxtScenario[m_TimeIdx]->Text(), "0");
    EXPECT_EQ(p.ctl.LabelProgress->caption, "");   // not touched by an empty field
    ASSERT_TRUE(p.TypeDate(2, "12/6/2026"));         // -1 to 0: stale
    EXPECT_EQ(p.ctl.LabelProgress->caption, kStale);
    ASSERT_TRUE(p.TypeDate(1, "12/06/26"));          // the date it has
    EXPECT_EQ(p.ctl.LabelProgress->caption, "");
}

TEST(ValuationDateTyped, WhatIsNotADateOrAnEmptyDescriptionIsRefusedAndKeepsTheTimeChange) {
    DatePanel p;
    p.SelectRow(*p.ctl.ScenarioLst, 1);
    p.panel().UserType(*p.ctl.DescriptionFld, "Month ahead");
    EXPECT_FALSE(p.LeaveDate("2/30/2027"));
    EXPECT_EQ(p.Messages(), (std::vector<std::string>{"Please enter only valid date in Field!"}));
    EXPECT_EQ(p.panel().Focused(), p.ctl.TxtDate);
    EXPECT_EQ(p.TimeChange(1), 30);
    // The description was written before the date was read.
    EXPECT_EQ(p.Rows(*p.ctl.ComboScenario)[1], "Month ahead");

    DatePanel q;
    q.SelectRow(*q.ctl.ScenarioLst, 1);
    q.panel().UserType(*q.ctl.DescriptionFld, "");
    EXPECT_FALSE(q.LeaveDate("1/1/2027"));
    EXPECT_EQ(q.Messages(), (std::vector<std::string>{"Please enter description for the current scenario!"}));
    EXPECT_EQ(q.TimeChange(1), 30);
}

// Passing through TxtDate without typing changes nothing, whatever time
// change the date stands for (a fraction of a day included).
TEST(ValuationDateTyped, PassingThroughWithoutTypingChangesNothing) {
    Harness h;
    h.Start({{"ScenarioString", "Part;0;0;0;30.4;0;100;0;1;N|Hours;0;0;0;0.4;0;100;0;1;N|Back;0;0;0;-0.6;0;100;0;1;N|"
                                "Now;0;0;0;0;0;100;0;1;N"}});
    h.host.messages.clear();
    const std::vector<double> timeChanges = {30.4, 0.4, -0.6, 0};
    for (int row = 0; row < static_cast<int>(timeChanges.size()); ++row) {
        SCOPED_TRACE(row);
        h.SelectRow(*h.ctl.ScenarioLst, row);
        ASSERT_TRUE(h.panel().UserFocus(*h.ctl.TxtDate));
        ASSERT_TRUE(h.panel().UserFocus(*h.ctl.DescriptionFld));
        EXPECT_EQ(h.ctl.Model().Scenarios().Item(row + 1).GetScenarioProperties(m_TimeIdx), timeChanges[row]);
        EXPECT_EQ(h.ctl.LabelProgress->caption, "");
    }
    EXPECT_TRUE(h.host.messages.empty());
}
