#include "store/ConnectionPool.h"

namespace zemra::pages {

std::unique_ptr<SqlConnection> ConnectionPool::Borrow() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_idle.empty()) {
            auto connection = std::move(m_idle.back());
            m_idle.pop_back();
            return connection;
        }
    }
    return OpenConnection(m_database);
}

void ConnectionPool::GiveBack(std::unique_ptr<SqlConnection> connection) {
    std::lock_guard lock(m_mutex);
    m_idle.push_back(std::move(connection));
}

}  // namespace zemra::pages
