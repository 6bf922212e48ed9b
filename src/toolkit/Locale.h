#pragma once
#include <string>

namespace zemra {

// Order in which a numeric date names its parts.
enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

// The host's regional conventions. The control reads numbers typed by the
// user and writes numbers shown to the user with these; query strings always
// use "." and no grouping, whatever the locale.
struct Locale {
    char decimalSeparator = '.';
    char groupSeparator = ',';
    char dateSeparator = '/';
    DateOrder dateOrder = DateOrder::MonthDayYear;
    std::string shortDatePattern = "M/d/yyyy";
    std::string minusSign = "-";

    static Locale EnUs() { return Locale{}; }
};

}  // namespace zemra
