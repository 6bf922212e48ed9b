#pragma once
// Connections shared by the service's worker threads: each request borrows
// one for its duration. A connection whose use failed is dropped, not
// returned, so a broken PostgreSQL connection is replaced by a fresh one.
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

#include "store/Sql.h"

namespace zemra::pages {

class ConnectionPool {
public:
    explicit ConnectionPool(std::string database) : m_database(std::move(database)) {}

    const std::string& Database() const { return m_database; }

    // Runs `work` on a borrowed connection and returns what it returns.
    template <class Work>
    auto Run(Work&& work) {
        std::unique_ptr<SqlConnection> connection = Borrow();
        try {
            if constexpr (std::is_void_v<decltype(work(*connection))>) {
                work(*connection);
                GiveBack(std::move(connection));
            } else {
                auto result = work(*connection);
                GiveBack(std::move(connection));
                return result;
            }
        } catch (const SqlError&) {
            throw;  // the connection is dropped
        } catch (...) {
            GiveBack(std::move(connection));
            throw;
        }
    }

private:
    std::unique_ptr<SqlConnection> Borrow();
    void GiveBack(std::unique_ptr<SqlConnection> connection);

    std::string m_database;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<SqlConnection>> m_idle;
};

}  // namespace zemra::pages
