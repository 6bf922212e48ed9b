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

    explicit RequestLog(std::size_t keptBytes = kKeptBytes) : keptBytes_(keptBytes) {}

    void Record(const std::string& address);
    // Forgets every address, those let go included.
    void clear();

    std::size_t size() const { return kept_.size(); }
    bool empty() const { return kept_.empty(); }
    const std::string& operator[](std::size_t i) const { return kept_[i]; }
    const std::string& back() const { return kept_.back(); }
    // The kept addresses, in order.
    std::vector<std::string> Addresses() const { return {kept_.begin(), kept_.end()}; }
    std::deque<std::string>::const_iterator begin() const { return kept_.begin(); }
    std::deque<std::string>::const_iterator end() const { return kept_.end(); }
    // How many addresses before the kept ones were let go.
    std::size_t LeftOut() const { return leftOut_; }
    // The bytes of address text kept.
    std::size_t KeptBytes() const { return bytes_; }

private:
    std::size_t keptBytes_;
    std::deque<std::string> kept_;
    std::size_t bytes_ = 0;
    std::size_t leftOut_ = 0;
};

}  // namespace zemra::headless
