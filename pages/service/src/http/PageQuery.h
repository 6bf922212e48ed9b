#pragma once
// A page's query, decoded the standard way (the control percent-encodes
// every value; "+" reads as a space), and the readers of its values. A value
// that is missing or cannot be read answers 400 with a one-line reason that
// names the key and the value at fault.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
constexpr int kUnavailable = 503;

std::string DecodeComponent(const std::string& text);

class PageQuery {
public:
    // rawQuery: what follows "?" in the address, not yet decoded.
    explicit PageQuery(const std::string& rawQuery);

    bool Has(std::string_view key) const;
    // The value of the first occurrence of key; 400 when absent.
    const std::string& Text(std::string_view key) const;
    double Number(std::string_view key) const;
    int64_t Integer(std::string_view key) const;   // a whole number of 32 bits
    // A ";"-separated list of numbers.
    std::vector<double> NumberList(std::string_view key) const;

private:
    std::vector<std::pair<std::string, std::string>> m_values;
};

// A value as a reason quotes it: in quotes, at most 60 characters, control
// characters as blanks (a reason is one line).
std::string Quoted(const std::string& value);

// Reads a number written with "." (an optional sign, digits, an optional
// fraction and exponent); blanks around it are allowed.
bool ReadNumber(const std::string& text, double& value);

}  // namespace zemra::pages
