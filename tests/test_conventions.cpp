#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <tuple>

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

TEST(Rounding, HalfAwayOnTheDecimalRepresentationAndHalfEvenToWhole) {
    // Value, decimals (-1: half to even, to whole), rounded.
    const std::tuple<double, int, double> cases[] = {
        {12.34567, 3, 12.346}, {25.55, 1, 25.6},     {2.675, 2, 2.68}, {1.005, 2, 1.01},
        {1234.5, 0, 1235},     {-1234.56, 0, -1235}, {-0.5, 0, -1},    {0.1 + 0.2, 3, 0.3},
        {1e20, 3, 1e20},       {-0.4, 0, 0},         {2.5, -1, 2},     {3.5, -1, 4},
        {-2.5, -1, -2},        {12.5, -1, 12},       {13.5, -1, 14},   {-2.6, -1, -3},
    };
    for (const auto& [value, decimals, rounded] : cases) {
        const double got = decimals < 0 ? RoundHalfEven(value) : RoundHalfAway(value, decimals);
        EXPECT_EQ(got, rounded) << value << " to " << decimals << " decimals (-1: half to even)";
        EXPECT_FALSE(got == 0 && std::signbit(got)) << value << ": a negative zero";
    }
    EXPECT_EQ(ToInt32(-3.5), -4);
    EXPECT_EQ(ToInt32(-2147483648.0), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(ToInt16(32767.4), 32767);
    EXPECT_THROW(ToInt32(2147483648.0), std::overflow_error);
    EXPECT_THROW(ToInt16(32767.5), std::overflow_error);
    EXPECT_THROW(ToInt16(-32769.0), std::overflow_error);
    EXPECT_THROW(ToInt32(kNaN), std::invalid_argument);
}

// Fifteen significant digits without trailing zeros, the exponent form from
// 1E+15, nothing for what is not finite.
TEST(PlainNumberText, FifteenDigitsExponentFormAndNonFinite) {
    // clang-format off
    const std::pair<double, const char*> cases[] = {
        {0.1 + 0.2, "0.3"}, {100, "100"}, {0.5, "0.5"}, {-2.5, "-2.5"}, {0, "0"}, {-0.0, "0"},
        {123456789012345.0, "123456789012345"}, {1e-10, "0.0000000001"}, {1e20, "1E+20"}, {1e15, "1E+15"},
        {1.5e-12, "1.5E-12"}, {123456789012345678.0, "1.23456789012346E+17"}, {1e100, "1E+100"}, {kInf, ""},
        {kNaN, ""}};
    // clang-format on
    for (const auto& [value, text] : cases) EXPECT_EQ(PlainNumber(value), text) << value;
    EXPECT_EQ(PlainNumber(-1234.5, ','), "-1234,5");
}

TEST(GroupedNumberFormat, GroupsFixesDecimalsAndBracketsNegatives) {
    // Value, decimals, whether a negative takes the minus form, text.
    const std::tuple<double, int, bool, const char*> cases[] = {
        {999.5, 0, false, "1,000"},   {0.5, 3, false, "0.500"},       {1234567.8, 0, false, "1,234,568"},
        {1, 4, false, "1.0000"},      {-1234.6, 0, false, "(1,235)"}, {-12.6, 0, false, "(13)"},
        {-1234.6, 0, true, "-1,235"}, {-0.4, 0, false, "0"},          {-0.0004, 3, true, "0.000"},
        {kInf, 0, false, ""},         {kNaN, 2, false, ""},
    };
    for (const auto& [value, decimals, minusForm, text] : cases)
        EXPECT_EQ(FormatGrouped(value, decimals, Locale{}, minusForm), text)
            << value << " with " << decimals << " decimals" << (minusForm ? ", minus form" : "");
    EXPECT_EQ(FormatGrouped(1234567.891, 2, GermanLike()), "1.234.567,89");
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

TEST(DateReading, MonthFirstIsoTimeOfDayAndOtherDateOrders) {
    Locale ymd;
    ymd.dateOrder = DateOrder::YearMonthDay;
    const std::optional<Date> none;
    // clang-format off
    const std::tuple<const char*, Locale, std::optional<Date>> cases[] = {
        {"1/5/30", {}, Date{1930, 1, 5}}, {"1/5/29", {}, Date{2029, 1, 5}}, {"12/31/1969", {}, Date{1969, 12, 31}},
        {"07/04/1985", {}, Date{1985, 7, 4}}, {" 6-15-2010 ", {}, Date{2010, 6, 15}},
        {"2010-06-15", {}, Date{2010, 6, 15}}, {"6/15/2010 10:30", {}, Date{2010, 6, 15}},
        {"6/15/2010 10:30:00 PM", {}, Date{2010, 6, 15}}, {"15.06.2010", GermanLike(), Date{2010, 6, 15}},
        {"6/15/2010", GermanLike(), none}, {"10/6/15", ymd, Date{2010, 6, 15}}, {"13/45/2020", {}, none},
        {"2/30/2020", {}, none}, {"hello", {}, none}, {"", {}, none}, {"1/5", {}, none}, {"1/5/2020/1", {}, none},
        {"6/15/2010 hello", {}, none}, {"6/15/2010 25:00", {}, none}, {"6/15-2010", {}, none},
        {"6/15/201", {}, none}};
    // clang-format on
    auto text = [](const std::optional<Date>& d) { return d ? FormatMmDdYyyy(*d) : std::string("no date"); };
    for (const auto& [typed, locale, date] : cases)
        EXPECT_EQ(text(ParseDate(typed, locale)), text(date)) << "'" << typed << "'";
}

// The colour follows the figure as shown: one that rounds to zero is not a
// loss, one that rounds away from zero keeps its sign.
TEST(Rounding, SignColourFollowsTheShownFigure) {
    const struct {
        double value;
        int decimals;
        Rgb colour;
    } table[] = {{-0.0004, 3, kBlue}, {-0.0005, 3, kRed}, {-0.4, 0, kBlue},   {-0.5, 0, kRed}, {-1e-9, 2, kBlue},
                 {0.0, 0, kBlue},     {-2.0, 0, kRed},    {-0.004, 2, kBlue}, {-0.05, 1, kRed}};
    for (const auto& c : table)
        EXPECT_EQ(SignColor(c.value, c.decimals), c.colour) << c.value << " with " << c.decimals << " decimals";
}
