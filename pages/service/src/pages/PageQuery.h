#pragma once
// A page's query, decoded the standard way (the control percent-encodes
// every value; "+" reads as a space), and the readers of its values. A value
// that is missing or cannot be read answers 400 with a one-line reason that
// names the key and the value at fault.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "toolkit/DateText.h"

namespace zemra::pages {

// The answer to a request that cannot be answered: its status and reason.
class PageError : public std::runtime_error {
public:
    PageError(int status, const std::string& reason) : std::runtime_error(reason), m_status(status) {}
    int Status() const { return m_status; }

private:
    int m_status;
};

constexpr int kBadRequest = 400;
constexpr int kNotFound = 404;
constexpr int kConflict = 409;
constexpr int kUnavailable = 503;

std::string DecodeComponent(const std::string& text);

class PageQuery {
public:
    // rawQuery: what follows "?" in the address, not yet decoded. Every key
    // and value must be UTF-8 text without control characters (400 naming
    // the first that is not), on every database alike.
    explicit PageQuery(const std::string& rawQuery);

    bool Has(std::string_view key) const;
    // The value of the first occurrence of key; 400 when absent.
    const std::string& Text(std::string_view key) const;
    // The same, 400 when longer than `longest` characters.
    const std::string& Text(std::string_view key, std::size_t longest) const;
    // A date as the control writes it: month, day and year (four digits)
    // with "/", "." or "-" between them (the page's date separator); also
    // the other forms of ParseDate. Nothing when the key is absent or
    // empty; 400 naming the value when it is not a date.
    std::optional<Date> MonthDayYear(std::string_view key) const;
    double Number(std::string_view key) const;
    int64_t Integer(std::string_view key) const;  // a whole number of 32 bits
    // A ";"-separated list of numbers.
    std::vector<double> NumberList(std::string_view key) const;

private:
    std::vector<std::pair<std::string, std::string>> m_values;
};

// A value as a reason quotes it: in quotes, at most 60 characters, control
// characters as blanks (a reason is one line), bytes that are not UTF-8 as "?".
std::string Quoted(const std::string& value);

// Reads a number written with "." (an optional sign, digits, an optional
// fraction and exponent); blanks around it are allowed.
bool ReadNumber(const std::string& text, double& value);

// What is wrong with a text a page may store or search for: "" when it is
// UTF-8 without control characters, else the fault ("is not UTF-8 text",
// "holds a control character").
std::string TextFault(const std::string& text);
// The characters (code points) of a UTF-8 text.
std::size_t CharacterCount(const std::string& text);

}  // namespace zemra::pages
