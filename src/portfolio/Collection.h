#pragma once
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace zemra {

// An ordered collection whose positions count from 1, holding shared record
// objects (one record can stand in two collections at once).
template <class T>
class Collection {
public:
    explicit Collection(std::string name = "collection") : m_name(std::move(name)) {}

    int Count() const { return static_cast<int>(m_items.size()); }
    bool Empty() const { return m_items.empty(); }
    void Add(std::shared_ptr<T> item) { m_items.push_back(std::move(item)); }
    void Remove(int position) {
        Check(position);
        m_items.erase(m_items.begin() + (position - 1));
    }
    // Takes off every item whose flag is set (flag i for position i + 1; items
    // beyond the flags stay), keeping the order of the rest, in one pass.
    void RemoveFlagged(const std::vector<bool>& flags) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < m_items.size(); ++i) {
            if (i < flags.size() && flags[i]) continue;
            if (kept != i) m_items[kept] = std::move(m_items[i]);
            ++kept;
        }
        m_items.resize(kept);
    }
    void Clear() { m_items.clear(); }
    void Replace(int position, std::shared_ptr<T> item) {
        Check(position);
        m_items[position - 1] = std::move(item);
    }
    T& Item(int position) const {
        Check(position);
        return *m_items[position - 1];
    }
    const std::shared_ptr<T>& Shared(int position) const {
        Check(position);
        return m_items[position - 1];
    }
    const std::shared_ptr<T>& Last() const { return Shared(Count()); }

private:
    void Check(int position) const {
        if (position < 1 || position > Count())
            throw std::out_of_range("There is no item " + std::to_string(position) + " in " + m_name + " (it holds " +
                                    std::to_string(Count()) + ").");
    }
    std::string m_name;
    std::vector<std::shared_ptr<T>> m_items;
};

}  // namespace zemra
