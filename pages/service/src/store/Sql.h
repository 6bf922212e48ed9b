#pragma once
// The one way the service talks to its database: statements with "?"
// placeholders and a list of values bound to them. No value is ever written
// into the statement's text, so nothing a client sends can change a
// statement. Two implementations: SQLite (one file) and PostgreSQL.
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace zemra::pages {

// A value bound to a placeholder or read from a column.
class SqlValue {
public:
    SqlValue() = default;  // NULL
    SqlValue(std::nullptr_t) {}
    SqlValue(int value) : m_value(static_cast<int64_t>(value)) {}
    SqlValue(int64_t value) : m_value(value) {}
    SqlValue(double value) : m_value(value) {}
    SqlValue(std::string value) : m_value(std::move(value)) {}
    SqlValue(const char* value) : m_value(std::string(value)) {}
    template <class T>
    SqlValue(const std::optional<T>& value) {
        if (value) *this = SqlValue(*value);
    }

    bool IsNull() const { return std::holds_alternative<std::monostate>(m_value); }
    // Conversions of a column: a PostgreSQL column arrives as text and is
    // read here; NULL reads as 0 or the empty text.
    int64_t AsInteger() const;
    double AsDouble() const;
    std::string AsText() const;

    const std::variant<std::monostate, int64_t, double, std::string>& Raw() const { return m_value; }

private:
    std::variant<std::monostate, int64_t, double, std::string> m_value;
};

using SqlRow = std::vector<SqlValue>;
using SqlRows = std::vector<SqlRow>;

// A failure of the database itself (cannot open, statement refused).
class SqlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The differences of the two dialects that the schema needs.
enum class SqlDialect { Sqlite, Postgres };

class SqlConnection {
public:
    virtual ~SqlConnection() = default;
    virtual SqlDialect Dialect() const = 0;
    // Runs one statement with "?" placeholders bound to `params` in order
    // and returns its rows (none for a statement that returns none).
    virtual SqlRows Query(const std::string& sql, const std::vector<SqlValue>& params = {}) = 0;
    void Execute(const std::string& sql, const std::vector<SqlValue>& params = {}) { Query(sql, params); }
    // Runs a script of statements without parameters (the schema).
    virtual void ExecuteScript(const std::string& sql) = 0;

    virtual void Begin() = 0;  // a write transaction
    virtual void Commit() = 0;
    virtual void Rollback() = 0;
};

// Begins a transaction and rolls it back unless Commit was called.
class Transaction {
public:
    explicit Transaction(SqlConnection& connection) : m_connection(connection) { m_connection.Begin(); }
    ~Transaction() {
        if (!m_done) {
            try {
                m_connection.Rollback();
            } catch (...) {
                // The connection is broken; its owner finds out at the next use.
            }
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit() {
        m_connection.Commit();
        m_done = true;
    }

private:
    SqlConnection& m_connection;
    bool m_done = false;
};

// Opens a connection: "postgresql://..." or "postgres://..." opens
// PostgreSQL, anything else is the path of an SQLite file.
std::unique_ptr<SqlConnection> OpenConnection(const std::string& database);
bool IsPostgresAddress(const std::string& database);

std::unique_ptr<SqlConnection> OpenSqlite(const std::string& file);
std::unique_ptr<SqlConnection> OpenPostgres(const std::string& address);

}  // namespace zemra::pages
