#pragma once
#include <optional>
#include <string>

#include "toolkit/Locale.h"

namespace zemra {

// A calendar date without time of day (proleptic Gregorian).
struct Date {
    int year = 1970;
    int month = 1;
    int day = 1;
    bool operator==(const Date&) const = default;
};

bool IsValidDate(int year, int month, int day);
long DaySerial(const Date& date);  // days since 1970-01-01
Date FromDaySerial(long serial);
Date AddDays(const Date& date, long days);
long DaysBetween(const Date& from, const Date& to);  // to - from
Date AddYears(const Date& date, int years);          // 29 Feb -> 28 Feb

// "mm/dd/yyyy" with the given separator (two-digit month and day).
std::string FormatMmDdYyyy(const Date& date, char separator = '/');
// The host's short date pattern: tokens d, dd, M, MM, yy, yyyy; other
// characters are copied ("M/d/yyyy" -> 6/5/2056).
std::string FormatShortDate(const Date& date, const Locale& locale);

// Reads a numeric date in the host's date order (month first for en-US):
// m/d/yy, mm/dd/yyyy, with "/" or "-" or the locale's date separator,
// surrounding blanks allowed; an optional time of day after a blank is
// dropped (hh:mm or hh:mm:ss with optional AM/PM). Two-digit years 00..29
// read as 2000..2029 and 30..99 as 1930..1999 (the host's own window;
// callers that need another window apply it themselves). Also reads ISO
// yyyy-mm-dd. Returns nothing when the text is not a valid date.
std::optional<Date> ParseDate(const std::string& text, const Locale& locale);

}  // namespace zemra
