#pragma once
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

namespace zemra::headless {

// The addresses the control fetched, in order, for the dump. Only the most
// recent ones are kept, up to kKeptBytes of address text in all (the last
// one always), so that a host running many Updates stays the same size: an
// Update of 50 securities x 625 scenarios fetches about 1 MB of addresses.
// How many earlier ones were let go is counted.
class RequestLog {
public:
    static constexpr std::size_t kKeptBytes = 4u * 1024u * 1024u;

    explicit RequestLog(std::size_t keptBytes = kKeptBytes) : m_keptBytes(keptBytes) {}

    void Record(const std::string& address);
    // Forgets every address, those let go included.
    void clear();

    std::size_t size() const { return m_kept.size(); }
    bool empty() const { return m_kept.empty(); }
    const std::string& operator[](std::size_t i) const { return m_kept[i]; }
    const std::string& back() const { return m_kept.back(); }
    // The kept addresses, in order.
    std::vector<std::string> Addresses() const { return {m_kept.begin(), m_kept.end()}; }
    std::deque<std::string>::const_iterator begin() const { return m_kept.begin(); }
    std::deque<std::string>::const_iterator end() const { return m_kept.end(); }
    // How many addresses before the kept ones were let go.
    std::size_t LeftOut() const { return m_leftOut; }
    // The bytes of address text kept.
    std::size_t KeptBytes() const { return m_bytes; }

private:
    std::size_t m_keptBytes;
    std::deque<std::string> m_kept;
    std::size_t m_bytes = 0;
    std::size_t m_leftOut = 0;
};

}  // namespace zemra::headless
