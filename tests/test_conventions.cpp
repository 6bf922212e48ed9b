#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "Builders.h"
#include "toolkit/Color.h"
#include "toolkit/DateText.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"

using namespace zemra;
using zemra::testing::GermanLike;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

TEST(TextSplitting, ItemsAndFields) {
    EXPECT_TRUE(SplitItems("", '|').empty());
    EXPECT_EQ(SplitItems("a|", '|'), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(SplitFields("", ';'), (std::vector<std::string>{""}));
    EXPECT_EQ(SplitFields(";x;", ';'), (std::vector<std::string>{"", "x", ""}));
    EXPECT_EQ(Trim(" \t a b \t"), "a b");
}

// Reading numbers in every locale: test_number_reader.

TEST(Rounding, HalfAwayOnTheDecimalRepresentation) {
    EXPECT_EQ(RoundHalfAway(12.34567, 3), 12.346);
    EXPECT_EQ(RoundHalfAway(25.55, 1), 25.6);
    EXPECT_EQ(RoundHalfAway(2.675, 2), 2.68);
    EXPECT_EQ(RoundHalfAway(1.005, 2), 1.01);
    EXPECT_EQ(RoundHalfAway(1234.5, 0), 1235.0);
    EXPECT_EQ(RoundHalfAway(-1234.56, 0), -1235.0);
    EXPECT_EQ(RoundHalfAway(-0.5, 0), -1.0);
    EXPECT_EQ(RoundHalfAway(0.1 + 0.2, 3), 0.3);
    EXPECT_EQ(RoundHalfAway(1e20, 3), 1e20);
    EXPECT_FALSE(std::signbit(RoundHalfAway(-0.4, 0)));
}

TEST(Rounding, HalfEvenAndWholeNumberConversions) {
    EXPECT_EQ(RoundHalfEven(2.5), 2.0);
    EXPECT_EQ(RoundHalfEven(3.5), 4.0);
    EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
    EXPECT_EQ(RoundHalfEven(12.5), 12.0);
    EXPECT_EQ(RoundHalfEven(13.5), 14.0);
    EXPECT_EQ(RoundHalfEven(-2.6), -3.0);
    EXPECT_EQ(ToInt32(-3.5), -4);
    EXPECT_EQ(ToInt32(-2147483648.0), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(ToInt16(32767.4), 32767);
    EXPECT_THROW(ToInt32(2147483648.0), std::overflow_error);
    EXPECT_THROW(ToInt16(32767.5), std::overflow_error);
    EXPECT_THROW(ToInt16(-32769.0), std::overflow_error);
    EXPECT_THROW(ToInt32(kNaN), std::invalid_argument);
}

TEST(PlainNumberText, FifteenDigitsNoTrailingZeros) {
    EXPECT_EQ(PlainNumber(0.1 + 0.2), "0.3");
    EXPECT_EQ(PlainNumber(100), "100");
    EXPECT_EQ(PlainNumber(0.5), "0.5");
    EXPECT_EQ(PlainNumber(-2.5), "-2.5");
    EXPECT_EQ(PlainNumber(0), "0");
    EXPECT_EQ(PlainNumber(-0.0), "0");
    EXPECT_EQ(PlainNumber(123456789012345.0), "123456789012345");
    EXPECT_EQ(PlainNumber(1e-10), "0.0000000001");
    EXPECT_EQ(PlainNumber(-1234.5, ','), "-1234,5");
}

TEST(PlainNumberText, ExponentFormAndNonFinite) {
    EXPECT_EQ(PlainNumber(1e20), "1E+20");
    EXPECT_EQ(PlainNumber(1e15), "1E+15");
    EXPECT_EQ(PlainNumber(1.5e-12), "1.5E-12");
    EXPECT_EQ(PlainNumber(123456789012345678.0), "1.23456789012346E+17");
    EXPECT_EQ(PlainNumber(1e100), "1E+100");
    EXPECT_EQ(PlainNumber(kInf), "");
    EXPECT_EQ(PlainNumber(kNaN), "");
}

TEST(GroupedNumberFormat, GroupsAndFixesDecimals) {
    const Locale us;
    EXPECT_EQ(FormatGrouped(999.5, 0, us), "1,000");
    EXPECT_EQ(FormatGrouped(0.5, 3, us), "0.500");
    EXPECT_EQ(FormatGrouped(1234567.8, 0, us), "1,234,568");
    EXPECT_EQ(FormatGrouped(1, 4, us), "1.0000");
    EXPECT_EQ(FormatGrouped(1234567.891, 2, GermanLike()), "1.234.567,89");
}

TEST(GroupedNumberFormat, NegativesZeroAndNonFinite) {
    const Locale us;
    EXPECT_EQ(FormatGrouped(-1234.6, 0, us), "(1,235)");
    EXPECT_EQ(FormatGrouped(-12.6, 0, us), "(13)");
    EXPECT_EQ(FormatGrouped(-1234.6, 0, us, true), "-1,235");
    EXPECT_EQ(FormatGrouped(-0.4, 0, us), "0");
    EXPECT_EQ(FormatGrouped(-0.0004, 3, us, true), "0.000");
    EXPECT_EQ(FormatGrouped(kInf, 0, us), "");
    EXPECT_EQ(FormatGrouped(kNaN, 2, us), "");
}

TEST(CalendarDates, SerialsAndArithmetic) {
    EXPECT_EQ(DaySerial(Date{1970, 1, 1}), 0);
    EXPECT_EQ(DaySerial(Date{1969, 12, 31}), -1);
    for (long serial : {-800000L, 59L, 11016L, 2932896L}) EXPECT_EQ(DaySerial(FromDaySerial(serial)), serial);
    EXPECT_EQ(AddDays(Date{2026, 12, 6}, 30), (Date{2027, 1, 5}));
    EXPECT_EQ(AddDays(Date{2024, 2, 28}, 1), (Date{2024, 2, 29}));
    EXPECT_EQ(DaysBetween(Date{2026, 12, 6}, Date{2026, 12, 5}), -1);
    EXPECT_EQ(AddYears(Date{2026, 12, 6}, 30), (Date{2056, 12, 6}));
    EXPECT_EQ(AddYears(Date{2024, 2, 29}, 30), (Date{2054, 2, 28}));
    EXPECT_FALSE(IsValidDate(2100, 2, 29));
    EXPECT_TRUE(IsValidDate(2000, 2, 29));
}

TEST(CalendarDates, Formatting) {
    EXPECT_EQ(FormatMmDdYyyy(Date{2010, 6, 15}), "06/15/2010");
    EXPECT_EQ(FormatShortDate(Date{2056, 6, 5}, Locale{}), "6/5/2056");
    EXPECT_EQ(FormatShortDate(Date{2056, 12, 6}, GermanLike()), "06.12.2056");
    Locale shortYear;
    shortYear.shortDatePattern = "yy-MM-dd (d/M)";
    EXPECT_EQ(FormatShortDate(Date{2005, 1, 9}, shortYear), "05-01-09 (9/1)");
}

TEST(DateReading, MonthFirstIsoAndTimeOfDay) {
    const Locale us;
    EXPECT_EQ(ParseDate("1/5/30", us), (Date{1930, 1, 5}));
    EXPECT_EQ(ParseDate("1/5/29", us), (Date{2029, 1, 5}));
    EXPECT_EQ(ParseDate("12/31/1969", us), (Date{1969, 12, 31}));
    EXPECT_EQ(ParseDate("07/04/1985", us), (Date{1985, 7, 4}));
    EXPECT_EQ(ParseDate(" 6-15-2010 ", us), (Date{2010, 6, 15}));
    EXPECT_EQ(ParseDate("2010-06-15", us), (Date{2010, 6, 15}));
    EXPECT_EQ(ParseDate("6/15/2010 10:30", us), (Date{2010, 6, 15}));
    EXPECT_EQ(ParseDate("6/15/2010 10:30:00 PM", us), (Date{2010, 6, 15}));
}

TEST(DateReading, RefusesWhatIsNotADate) {
    const Locale us;
    for (const char* text : {"13/45/2020", "2/30/2020", "hello", "", "1/5", "1/5/2020/1", "6/15/2010 hello",
                             "6/15/2010 25:00", "6/15-2010", "6/15/201"}) {
        EXPECT_FALSE(ParseDate(text, us).has_value()) << "'" << text << "'";
    }
}

TEST(DateReading, HonoursOtherDateOrders) {
    const Locale de = GermanLike();
    EXPECT_EQ(ParseDate("15.06.2010", de), (Date{2010, 6, 15}));
    EXPECT_FALSE(ParseDate("6/15/2010", de).has_value());
    Locale ymd;
    ymd.dateOrder = DateOrder::YearMonthDay;
    EXPECT_EQ(ParseDate("10/6/15", ymd), (Date{2010, 6, 15}));
}

// The colour follows the figure as shown: one that rounds to zero is not a
// loss, one that rounds away from zero keeps its sign.
TEST(Rounding, SignColourFollowsTheShownFigure) {
    const struct {
        double value;
        int decimals;
        Rgb colour;
    } table[] = {{-0.0004, 3, kBlue}, {-0.0005, 3, kRed}, {-0.4, 0, kBlue}, {-0.5, 0, kRed}, {-1e-9, 2, kBlue},
                 {0.0, 0, kBlue},     {-2.0, 0, kRed},    {-0.004, 2, kBlue}, {-0.05, 1, kRed}};
    for (const auto& c : table)
        EXPECT_EQ(SignColor(c.value, c.decimals), c.colour) << c.value << " with " << c.decimals << " decimals";
}
