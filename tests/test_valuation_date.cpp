// The valuation date: a scenario's time change shown as a date from today
// (2026-12-06 on the test host), and a typed date read back into days.
#include <gtest/gtest.h>

#include "Harness.h"
#include "toolkit/NumberText.h"

using namespace zemra;
using zemra::testing::Harness;

namespace {

const char* const kStale = "Click Update button to recalculate $Impact!";

// Scenarios with time changes 0, 30, -1, 2.5 and 3.5 days.
const char* const kTimes =
    "Now;0;0;0;0;0;100;0;1;N|Month;0;0;0;30;0;100;0;1;N|Yesterday;0;0;0;-1;0;100;0;1;N|"
    "Half;0;0;0;2.5;0;100;0;1;N|Other half;0;0;0;3.5;0;100;0;1;N";

struct DatePanel : Harness {
    DatePanel() {
        Start({{"ScenarioString", kTimes}});
        host.messages.clear();
    }
    // Types a date and leaves the field; TypeDate selects scenario row
    // `row` first.
    bool LeaveDate(const std::string& text) {
        panel().UserType(*ctl.TxtDate, text);
        return panel().UserFocus(*ctl.DescriptionFld);
    }
    bool TypeDate(int row, const std::string& text) {
        panel().UserSelectRow(*ctl.ScenarioLst, row);
        return LeaveDate(text);
    }
    double TimeChange(int row) { return ctl.Model().Scenarios().Item(row + 1).GetScenarioProperties(m_TimeIdx); }
};

TEST(ValuationDateShown, TheTimeChangeCountsDaysFromToday) {
    DatePanel p;
    const char* const expected[] = {"12/06/2026", "01/05/2027", "12/05/2026", "12/08/2026", "12/10/2026"};
    for (int row = 0; row < 5; ++row) {
        p.panel().UserSelectRow(*p.ctl.ScenarioLst, row);
        EXPECT_EQ(p.ctl.TxtDate->Text(), expected[row]) << row;
    }
}

TEST(ValuationDateTyped, DatesReadMonthFirstWithYearsBefore1970InThisCentury) {
    struct Case {
        const char* typed;
        const char* shown;
        double days;
    };
    const Case cases[] = {
        {"1/5/30", "01/05/2030", 1126},       {"12/31/1969", "12/31/2069", 15731},
        {"07/04/1985", "07/04/1985", -15130}, {"2-28-70", "02/28/1970", -20735},
        {"  3/7/2027", "03/07/2027", 91},     {"12/7/2026 10:30", "12/07/2026", 1},
    };
    for (const Case& k : cases) {
        DatePanel p;
        ASSERT_TRUE(p.TypeDate(0, k.typed)) << k.typed;
        EXPECT_EQ(p.ctl.TxtDate->Text(), k.shown) << k.typed;
        EXPECT_EQ(p.TimeChange(0), k.days) << k.typed;
        EXPECT_EQ(p.ctl.Model().StoredScenarios().Item(1).GetScenarioProperties(m_TimeIdx), k.days);
        EXPECT_EQ(p.ctl.TxtScenario[3]->Text(), PlainNumber(k.days)) << k.typed;
        EXPECT_EQ(p.ctl.LabelProgress->caption, kStale) << k.typed;
        EXPECT_TRUE(p.host.messages.empty()) << k.typed;
    }
}

TEST(ValuationDateTyped, EmptyMeansTodayAndTodaySetsTheTimeChangeToZero) {
    DatePanel p;
    ASSERT_TRUE(p.TypeDate(1, ""));
    EXPECT_EQ(p.TimeChange(1), 0);
    EXPECT_EQ(p.ctl.TxtDate->Text(), "12/06/2026");
    EXPECT_EQ(p.ctl.TxtScenario[3]->Text(), "0");
    EXPECT_EQ(p.ctl.LabelProgress->caption, "");  // not touched by an empty field

    ASSERT_TRUE(p.TypeDate(2, "12/6/2026"));
    EXPECT_EQ(p.TimeChange(2), 0);
    EXPECT_EQ(p.ctl.TxtScenario[3]->Text(), "0");
    // The time change went from -1 to 0: the impacts are stale.
    EXPECT_EQ(p.ctl.LabelProgress->caption, kStale);
    // The date the scenario already has changes nothing.
    ASSERT_TRUE(p.TypeDate(1, "12/06/26"));
    EXPECT_EQ(p.ctl.LabelProgress->caption, "");
}

TEST(ValuationDateTyped, WhatIsNotADateIsRefusedAndKeepsTheTimeChange) {
    for (const char* text : {"13/45/2020", "tomorrow", "2/30/2027", "12.06.2026", "Dec 6, 2026"}) {
        DatePanel p;
        p.panel().UserSelectRow(*p.ctl.ScenarioLst, 1);
        p.panel().UserType(*p.ctl.DescriptionFld, "Month ahead");
        EXPECT_FALSE(p.LeaveDate(text)) << text;
        EXPECT_EQ(p.Messages(), (std::vector<std::string>{"Please enter only valid date in Field!"})) << text;
        EXPECT_EQ(p.panel().Focused(), p.ctl.TxtDate);
        EXPECT_EQ(p.TimeChange(1), 30);
        // The description was written before the date was read.
        EXPECT_EQ(p.Rows(*p.ctl.ComboScenario)[1], "Month ahead");
    }
}

TEST(ValuationDateTyped, AnEmptyDescriptionRefusesTheDateAndAnEmptyListAcceptsAnything) {
    DatePanel p;
    p.panel().UserSelectRow(*p.ctl.ScenarioLst, 1);
    p.panel().UserType(*p.ctl.DescriptionFld, "");
    EXPECT_FALSE(p.LeaveDate("1/1/2027"));
    EXPECT_EQ(p.Messages(), (std::vector<std::string>{"Please enter description for the current scenario!"}));
    EXPECT_EQ(p.TimeChange(1), 30);

    Harness h;
    h.Start({});
    h.host.messages.clear();
    h.panel().UserType(*h.ctl.TxtDate, "not a date");
    EXPECT_TRUE(h.panel().UserFocus(*h.ctl.DescriptionFld));
    EXPECT_TRUE(h.host.messages.empty());
}

TEST(ValuationDateTyped, ADayFirstHostStillReadsTheFieldMonthFirst) {
    Locale dayFirst;
    dayFirst.dateOrder = DateOrder::DayMonthYear;
    headless::HeadlessHost host{Date{2026, 12, 6}, dayFirst};
    MainCtl ctl{host};
    PropertyBag bag;
    bag.Write("ScenarioString", "Later;0;0;0;0;0;100;0;1;N");
    ctl.ReadProperties(bag);
    ctl.ProcessInitData();
    ctl.Panel().UserType(*ctl.TxtDate, "03/07/2027");
    ctl.Panel().UserFocus(*ctl.DescriptionFld);
    EXPECT_EQ(ctl.Model().Scenarios().Item(1).GetScenarioProperties(m_TimeIdx), 91);
}

}  // namespace
