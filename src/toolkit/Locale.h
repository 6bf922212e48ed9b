#pragma once
#include <string>

namespace zemra {

// Order in which a numeric date names its parts.
enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

// The host's regional conventions. The control reads numbers typed by the
// user and writes numbers shown to the user with these; texts written by the
// page or a server are read in the one data format (DataFormat) and query
// strings always use "." and no grouping, whatever the locale. The group
// separator and the minus sign are UTF-8 texts: a locale may use a
// non-breaking or narrow space (U+00A0, U+202F) or the minus sign U+2212.
struct Locale {
    char decimalSeparator = '.';
    std::string groupSeparator = ",";
    char dateSeparator = '/';
    DateOrder dateOrder = DateOrder::MonthDayYear;
    std::string shortDatePattern = "M/d/yyyy";
    std::string minusSign = "-";

    static Locale EnUs() { return Locale{}; }
};

// The format of every text that comes from the host page or a server page:
// start-up records, option lists, stored scenarios and replies. "." is the
// decimal sign, a "," between digits groups thousands, dates are month
// first; the pages write their data this way whatever the user's locale.
inline const Locale& DataFormat() {
    static const Locale format = Locale::EnUs();
    return format;
}

}  // namespace zemra
