#include "store/Sql.h"

#include <charconv>
#include <cstdio>

namespace zemra::pages {

namespace {

template <class T>
T ParseColumn(const std::string& text) {
    T value{};
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        throw SqlError("the database returned '" + text + "' where a number belongs");
    }
    return value;
}

}  // namespace

int64_t SqlValue::AsInteger() const {
    if (const auto* i = std::get_if<int64_t>(&m_value)) return *i;
    if (const auto* d = std::get_if<double>(&m_value)) return static_cast<int64_t>(*d);
    if (const auto* s = std::get_if<std::string>(&m_value)) return ParseColumn<int64_t>(*s);
    return 0;
}

double SqlValue::AsDouble() const {
    if (const auto* d = std::get_if<double>(&m_value)) return *d;
    if (const auto* i = std::get_if<int64_t>(&m_value)) return static_cast<double>(*i);
    if (const auto* s = std::get_if<std::string>(&m_value)) return ParseColumn<double>(*s);
    return 0;
}

std::string SqlValue::AsText() const {
    if (const auto* s = std::get_if<std::string>(&m_value)) return *s;
    if (const auto* i = std::get_if<int64_t>(&m_value)) return std::to_string(*i);
    if (const auto* d = std::get_if<double>(&m_value)) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.17g", *d);
        return buf;
    }
    return {};
}

bool IsPostgresAddress(const std::string& database) {
    return database.rfind("postgresql://", 0) == 0 || database.rfind("postgres://", 0) == 0;
}

std::unique_ptr<SqlConnection> OpenConnection(const std::string& database) {
    return IsPostgresAddress(database) ? OpenPostgres(database) : OpenSqlite(database);
}

}  // namespace zemra::pages
