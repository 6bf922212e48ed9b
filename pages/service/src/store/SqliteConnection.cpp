// The SQLite side of the database interface: one file, write-ahead log,
// every value bound with sqlite3_bind_*.
#include <sqlite3.h>

#include <unordered_map>

#include "store/Sql.h"

namespace zemra::pages {

namespace {

constexpr int kBusyTimeoutMs = 10000;

// A prepared statement of the connection's cache, reset (its bindings
// cleared, its read released) when the query is done with it.
class StatementUse {
public:
    explicit StatementUse(sqlite3_stmt* stmt) : m_stmt(stmt) {}
    ~StatementUse() {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;
    sqlite3_stmt* get() const { return m_stmt; }

private:
    sqlite3_stmt* m_stmt;
};

class SqliteConnection final : public SqlConnection {
public:
    explicit SqliteConnection(const std::string& file) {
        const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
        if (sqlite3_open_v2(file.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
            const std::string reason = m_db ? sqlite3_errmsg(m_db) : "out of memory";
            sqlite3_close(m_db);
            throw SqlError("cannot open the database " + file + ": " + reason);
        }
        sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
        ExecuteScript("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;");
    }
    ~SqliteConnection() override {
        for (const auto& [sql, stmt] : m_statements) sqlite3_finalize(stmt);
        sqlite3_close(m_db);
    }

    SqlDialect Dialect() const override { return SqlDialect::Sqlite; }

    SqlRows Query(const std::string& sql, const std::vector<SqlValue>& params) override {
        const StatementUse stmt(Prepared(sql));
        if (sqlite3_bind_parameter_count(stmt.get()) != static_cast<int>(params.size())) {
            throw SqlError("a statement has " + std::to_string(sqlite3_bind_parameter_count(stmt.get())) +
                           " placeholders and " + std::to_string(params.size()) + " values");
        }
        for (std::size_t i = 0; i < params.size(); ++i) Bind(stmt.get(), static_cast<int>(i + 1), params[i]);
        SqlRows rows;
        for (;;) {
            const int rc = sqlite3_step(stmt.get());
            if (rc == SQLITE_DONE) break;
            if (rc != SQLITE_ROW) throw SqlError(std::string("SQLite: ") + sqlite3_errmsg(m_db));
            const int columns = sqlite3_column_count(stmt.get());
            SqlRow row;
            row.reserve(static_cast<std::size_t>(columns));
            for (int c = 0; c < columns; ++c) row.push_back(Column(stmt.get(), c));
            rows.push_back(std::move(row));
        }
        return rows;
    }

    void ExecuteScript(const std::string& sql) override {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string reason = error ? error : "unknown failure";
            sqlite3_free(error);
            throw SqlError("SQLite: " + reason);
        }
    }

    // IMMEDIATE takes the write lock at once, so two writers wait for each
    // other (busy timeout) instead of failing at their first write.
    void Begin() override { ExecuteScript("BEGIN IMMEDIATE"); }
    void Commit() override { ExecuteScript("COMMIT"); }
    void Rollback() override { ExecuteScript("ROLLBACK"); }

private:
    // The statements are few and fixed: each is prepared once per connection.
    sqlite3_stmt* Prepared(const std::string& sql) {
        if (const auto found = m_statements.find(sql); found != m_statements.end()) return found->second;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) != SQLITE_OK) {
            sqlite3_finalize(stmt);
            throw SqlError(std::string("SQLite cannot prepare a statement: ") + sqlite3_errmsg(m_db));
        }
        m_statements.emplace(sql, stmt);
        return stmt;
    }

    static void Bind(sqlite3_stmt* stmt, int index, const SqlValue& value) {
        const auto& raw = value.Raw();
        int rc = SQLITE_OK;
        if (const auto* i = std::get_if<int64_t>(&raw)) {
            rc = sqlite3_bind_int64(stmt, index, *i);
        } else if (const auto* d = std::get_if<double>(&raw)) {
            rc = sqlite3_bind_double(stmt, index, *d);
        } else if (const auto* s = std::get_if<std::string>(&raw)) {
            rc = sqlite3_bind_text(stmt, index, s->data(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
        } else {
            rc = sqlite3_bind_null(stmt, index);
        }
        if (rc != SQLITE_OK) throw SqlError("SQLite cannot bind value " + std::to_string(index));
    }

    static SqlValue Column(sqlite3_stmt* stmt, int c) {
        switch (sqlite3_column_type(stmt, c)) {
            case SQLITE_INTEGER: return SqlValue(static_cast<int64_t>(sqlite3_column_int64(stmt, c)));
            case SQLITE_FLOAT: return SqlValue(sqlite3_column_double(stmt, c));
            case SQLITE_NULL: return SqlValue();
            default: {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                return SqlValue(std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt, c))));
            }
        }
    }

    sqlite3* m_db = nullptr;
    std::unordered_map<std::string, sqlite3_stmt*> m_statements;
};

}  // namespace

std::unique_ptr<SqlConnection> OpenSqlite(const std::string& file) { return std::make_unique<SqliteConnection>(file); }

}  // namespace zemra::pages
