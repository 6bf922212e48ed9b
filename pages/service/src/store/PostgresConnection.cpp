// The PostgreSQL side of the database interface (libpq): "?" placeholders
// become $1, $2 ... and every value travels as a separate parameter.
#include <libpq-fe.h>

#include <memory>

#include "store/Sql.h"

namespace zemra::pages {

namespace {

struct ResultDeleter {
    void operator()(PGresult* result) const { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

// "?" outside quoted literals and identifiers becomes $n.
std::string NumberedPlaceholders(const std::string& sql) {
    std::string out;
    out.reserve(sql.size() + 16);
    int next = 1;
    char quote = 0;
    for (const char c : sql) {
        if (quote) {
            if (c == quote) quote = 0;
            out += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            out += c;
        } else if (c == '?') {
            out += '$' + std::to_string(next++);
        } else {
            out += c;
        }
    }
    return out;
}

class PostgresConnection final : public SqlConnection {
public:
    explicit PostgresConnection(const std::string& address) : m_conn(PQconnectdb(address.c_str())) {
        if (!m_conn || PQstatus(m_conn) != CONNECTION_OK) {
            const std::string reason = m_conn ? PQerrorMessage(m_conn) : "out of memory";
            PQfinish(m_conn);
            throw SqlError("cannot connect to the PostgreSQL database: " + reason);
        }
        ExecuteScript("SET client_min_messages = warning");
    }
    ~PostgresConnection() override { PQfinish(m_conn); }

    SqlDialect Dialect() const override { return SqlDialect::Postgres; }

    SqlRows Query(const std::string& sql, const std::vector<SqlValue>& params) override {
        std::vector<std::string> texts;
        std::vector<const char*> values;
        texts.reserve(params.size());
        values.reserve(params.size());
        for (const SqlValue& p : params) {
            texts.push_back(p.AsText());
            values.push_back(p.IsNull() ? nullptr : texts.back().c_str());
        }
        const std::string statement = NumberedPlaceholders(sql);
        Result result(PQexecParams(m_conn, statement.c_str(), static_cast<int>(values.size()), nullptr, values.data(),
                                   nullptr, nullptr, 0));
        const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            throw SqlError(std::string("PostgreSQL: ") + PQerrorMessage(m_conn));
        }
        SqlRows rows;
        const int count = PQntuples(result.get());
        const int columns = PQnfields(result.get());
        rows.reserve(static_cast<std::size_t>(count));
        for (int r = 0; r < count; ++r) {
            SqlRow row;
            row.reserve(static_cast<std::size_t>(columns));
            for (int c = 0; c < columns; ++c) {
                if (PQgetisnull(result.get(), r, c)) {
                    row.emplace_back();
                } else {
                    row.emplace_back(std::string(PQgetvalue(result.get(), r, c),
                                                 static_cast<std::size_t>(PQgetlength(result.get(), r, c))));
                }
            }
            rows.push_back(std::move(row));
        }
        return rows;
    }

    void ExecuteScript(const std::string& sql) override {
        Result result(PQexec(m_conn, sql.c_str()));
        const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            throw SqlError(std::string("PostgreSQL: ") + PQerrorMessage(m_conn));
        }
    }

    void Begin() override { ExecuteScript("BEGIN"); }
    void Commit() override { ExecuteScript("COMMIT"); }
    void Rollback() override { ExecuteScript("ROLLBACK"); }

private:
    PGconn* m_conn = nullptr;
};

}  // namespace

std::unique_ptr<SqlConnection> OpenPostgres(const std::string& address) {
    return std::make_unique<PostgresConnection>(address);
}

}  // namespace zemra::pages
