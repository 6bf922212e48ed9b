#include "RequestLog.h"

namespace zemra::headless {

void RequestLog::Record(const std::string& address) {
    m_kept.push_back(address);
    m_bytes += address.size();
    while (m_bytes > m_keptBytes && m_kept.size() > 1) {
        m_bytes -= m_kept.front().size();
        m_kept.pop_front();
        ++m_leftOut;
    }
}

void RequestLog::clear() {
    m_kept.clear();
    m_bytes = 0;
    m_leftOut = 0;
}

}  // namespace zemra::headless
