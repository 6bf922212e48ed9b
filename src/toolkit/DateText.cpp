#include "toolkit/DateText.h"

#include <vector>

#include "toolkit/TextSplit.h"

namespace zemra {

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && IsLeapYear(year)) return 29;
    return kDays[month - 1];
}

bool IsDateDigit(char c) { return c >= '0' && c <= '9'; }

std::string TwoDigits(int value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

std::string FourDigits(int value) {
    std::string text = std::to_string(value);
    while (text.size() < 4) text = "0" + text;
    return text;
}

// All characters decimal digits, 1 to maxLength of them.
bool IsDigitRun(const std::string& text, std::size_t maxLength) {
    if (text.empty() || text.size() > maxLength) return false;
    for (char c : text) {
        if (!IsDateDigit(c)) return false;
    }
    return true;
}

// The host's two-digit year window: 00..29 are 2000..2029, 30..99 1930..1999.
int WindowYear(const std::string& text) {
    const int value = std::stoi(text);
    if (text.size() > 2) return value;
    return value < 30 ? 2000 + value : 1900 + value;
}

// A time of day as the date reading accepts it after the date: h:mm or
// h:mm:ss, optionally followed by AM or PM (with or without a blank).
bool IsTimeOfDay(const std::string& text) {
    std::string clock = Trim(text);
    bool twelveHour = false;
    if (clock.size() >= 2) {
        const std::string suffix = ToUpper(clock.substr(clock.size() - 2));
        if (suffix == "AM" || suffix == "PM") {
            twelveHour = true;
            clock = Trim(clock.substr(0, clock.size() - 2));
        }
    }
    const std::vector<std::string> parts = SplitFields(clock, ':');
    if (parts.size() < 2 || parts.size() > 3) return false;
    for (const std::string& part : parts) {
        if (!IsDigitRun(part, 2)) return false;
    }
    if (parts[1].size() != 2 || (parts.size() == 3 && parts[2].size() != 2)) return false;
    const int hours = std::stoi(parts[0]);
    if (hours > (twelveHour ? 12 : 23)) return false;
    if (std::stoi(parts[1]) > 59) return false;
    if (parts.size() == 3 && std::stoi(parts[2]) > 59) return false;
    return true;
}

std::optional<Date> MakeDate(int year, int month, int day) {
    if (!IsValidDate(year, month, day)) return std::nullopt;
    return Date{year, month, day};
}

}  // namespace

bool IsValidDate(int year, int month, int day) {
    if (year < 1 || year > 9999) return false;
    if (month < 1 || month > 12) return false;
    return day >= 1 && day <= DaysInMonth(year, month);
}

// Days from civil: counts in 400-year eras starting on 1 March so that the
// leap day falls at the end of each cycle.
long DaySerial(const Date& date) {
    const long y = date.year - (date.month <= 2 ? 1 : 0);
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yearOfEra = y - era * 400;
    const long m = date.month;
    const long dayOfYear = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + date.day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

Date FromDaySerial(long serial) {
    const long z = serial + 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long dayOfEra = z - era * 146097;
    const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long mp = (5 * dayOfYear + 2) / 153;
    const long day = dayOfYear - (153 * mp + 2) / 5 + 1;
    const long month = mp < 10 ? mp + 3 : mp - 9;
    const long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return Date{static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
}

Date AddDays(const Date& date, long days) { return FromDaySerial(DaySerial(date) + days); }

long DaysBetween(const Date& from, const Date& to) { return DaySerial(to) - DaySerial(from); }

Date AddYears(const Date& date, int years) {
    Date result{date.year + years, date.month, date.day};
    if (result.month == 2 && result.day == 29 && !IsLeapYear(result.year)) result.day = 28;
    return result;
}

std::string FormatMmDdYyyy(const Date& date, char separator) {
    return TwoDigits(date.month) + separator + TwoDigits(date.day) + separator + FourDigits(date.year);
}

std::string FormatShortDate(const Date& date, const Locale& locale) {
    const std::string& pattern = locale.shortDatePattern;
    std::string out;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c) ++run;
        if (c == 'd') {
            out += run == 1 ? std::to_string(date.day) : TwoDigits(date.day);
        } else if (c == 'M') {
            out += run == 1 ? std::to_string(date.month) : TwoDigits(date.month);
        } else if (c == 'y') {
            out += run <= 2 ? TwoDigits(date.year % 100) : FourDigits(date.year);
        } else {
            out.append(run, c);
        }
        i += run;
    }
    return out;
}

std::optional<Date> ParseDate(const std::string& text, const Locale& locale) {
    std::string datePart = Trim(text);
    const auto blank = datePart.find_first_of(" \t");
    if (blank != std::string::npos) {
        if (!IsTimeOfDay(datePart.substr(blank + 1))) return std::nullopt;
        datePart.erase(blank);
    }
    // One separator throughout: "/", "-" or the locale's own.
    char separator = '\0';
    for (char c : datePart) {
        if (c == '/' || c == '-' || c == locale.dateSeparator) {
            separator = c;
            break;
        }
    }
    if (separator == '\0') return std::nullopt;
    const std::vector<std::string> parts = SplitFields(datePart, separator);
    if (parts.size() != 3) return std::nullopt;
    for (const std::string& part : parts) {
        if (!IsDigitRun(part, 4) || part.size() == 3) return std::nullopt;
    }
    // A four-digit first part is the ISO order year, month, day.
    if (parts[0].size() == 4) {
        if (parts[1].size() > 2 || parts[2].size() > 2) return std::nullopt;
        return MakeDate(std::stoi(parts[0]), std::stoi(parts[1]), std::stoi(parts[2]));
    }
    const std::string* year = &parts[2];
    const std::string* month = &parts[0];
    const std::string* day = &parts[1];
    switch (locale.dateOrder) {
        case DateOrder::MonthDayYear: break;
        case DateOrder::DayMonthYear:
            day = &parts[0];
            month = &parts[1];
            break;
        case DateOrder::YearMonthDay:
            year = &parts[0];
            month = &parts[1];
            day = &parts[2];
            break;
    }
    if (month->size() > 2 || day->size() > 2) return std::nullopt;
    return MakeDate(WindowYear(*year), std::stoi(*month), std::stoi(*day));
}

}  // namespace zemra
