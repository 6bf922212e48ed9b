#include "portfolio/Portfolio.h"

#include <stdexcept>
#include <vector>

#include "toolkit/Widgets.h"

namespace zemra {

void Portfolio::CheckWhole(const CScenario& scenario) {
    // Throws RecordError naming the scenario when the tuner is outside 16 bits.
    scenario.Gettuner();
}

// A fresh valuation: filled from two empty texts, with the scenario's tuner
// and tuner value.
std::shared_ptr<CValuation> Portfolio::FreshValuation(const CScenario& scenario) {
    auto val = std::make_shared<CValuation>();
    val->CreateValuation("", "", Locale{});
    val->Settuner(scenario.Gettuner());
    val->SetTunerValue(scenario.GetScenarioProperties(m_TunerValIdx));
    return val;
}

std::shared_ptr<ValuationRow> Portfolio::FreshRow() const {
    auto row = std::make_shared<ValuationRow>("the valuations of a security");
    for (int p = 1; p <= m_scenarios.Count(); ++p) row->Add(FreshValuation(m_scenarios.Item(p)));
    return row;
}

void Portfolio::AddSecurity(std::shared_ptr<CSecurity> security) {
    std::shared_ptr<ValuationRow> row = m_scenarios.Empty() ? nullptr : FreshRow();
    if (m_lists.securities) m_lists.securities->AddItem(security->Getdescription());
    m_securities.Add(std::move(security));
    if (row) m_valuations.Add(std::move(row));
}

void Portfolio::RemoveSecurity(int position) {
    m_securities.Remove(position);
    if (m_lists.securities) m_lists.securities->RemoveItem(position - 1);
    if (!m_valuations.Empty()) m_valuations.Remove(position);
}

void Portfolio::AddScenario(const std::shared_ptr<CScenario>& scenario, int32_t key) {
    CheckWhole(*scenario);
    m_lastScenarioKey = key;
    scenario->Setkey(key);
    ListScenario(scenario);
}

void Portfolio::RelistScenario(const std::shared_ptr<CScenario>& scenario) {
    CheckWhole(*scenario);
    ListScenario(scenario);
}

void Portfolio::ListScenario(const std::shared_ptr<CScenario>& scenario) {
    // Every valuation is made before anything is listed.
    std::vector<std::shared_ptr<CValuation>> column;
    for (int s = 1; s <= m_securities.Count(); ++s) column.push_back(FreshValuation(*scenario));
    if (m_lists.scenarios) m_lists.scenarios->AddItem(scenario->Getdescription());
    if (m_lists.impacts) m_lists.impacts->AddItem(m_lists.impactText(scenario->GetImpact()));
    m_scenarios.Add(scenario);
    if (m_valuations.Empty()) {
        // The first scenario: one row per security.
        for (int s = 1; s <= m_securities.Count(); ++s) m_valuations.Add(FreshRow());
        return;
    }
    for (int s = 1; s <= m_valuations.Count(); ++s)
        m_valuations.Item(s).Add(std::move(column[static_cast<std::size_t>(s - 1)]));
}

void Portfolio::AddStoredScenario(const std::shared_ptr<CScenario>& scenario) {
    CheckWhole(*scenario);
    if (m_lists.stored) m_lists.stored->AddItem(scenario->Getdescription());
    m_stored.Add(scenario);
}

void Portfolio::MergeStoredScenario(const std::shared_ptr<CScenario>& fromDatabase) {
    CheckWhole(*fromDatabase);
    const int32_t uid = fromDatabase->GetUid();
    for (int p = 1; uid > 0 && p <= m_stored.Count(); ++p) {
        CScenario& known = m_stored.Item(p);
        if (known.GetUid() != uid) continue;
        known.Setdescription(fromDatabase->Getdescription());
        for (int i = 0; i < kScenarioSlots; ++i) known.SetScenarioProperties(i, fromDatabase->GetScenarioProperties(i));
        known.SetAutoLoad(fromDatabase->GetAutoLoad());
        known.Settuner(fromDatabase->Gettuner());
        if (m_lists.stored) m_lists.stored->SetItemText(p - 1, known.Getdescription());
        return;
    }
    AddStoredScenario(fromDatabase);
}

void Portfolio::RemoveStoredScenario(int position) {
    m_stored.Remove(position);
    if (m_lists.stored) m_lists.stored->RemoveItem(position - 1);
}

void Portfolio::RefreshScenario(int position, const CScenario& from) {
    CheckWhole(from);
    CScenario& listed = m_scenarios.Item(position);
    listed.Setdescription(from.Getdescription());
    for (int i = 0; i < kScenarioSlots; ++i) listed.SetScenarioProperties(i, from.GetScenarioProperties(i));
    listed.Settuner(from.Gettuner());
    listed.SetImpact(0);
    for (int s = 1; s <= m_valuations.Count(); ++s) {
        ValuationRow& row = m_valuations.Item(s);
        row.Replace(position, FreshValuation(listed));
    }
    if (m_lists.scenarios) m_lists.scenarios->SetItemText(position - 1, listed.Getdescription());
}

void Portfolio::RemoveScenario(int position) {
    // The stored entry stays to be loaded again, without an impact.
    if (CScenario* stored = StoredEntry(m_scenarios.Item(position).Getkey())) stored->SetImpact(0);
    m_scenarios.Remove(position);
    if (m_lists.scenarios) m_lists.scenarios->RemoveItem(position - 1);
    if (m_lists.impacts) m_lists.impacts->RemoveItem(position - 1);
    for (int s = 1; s <= m_valuations.Count(); ++s) m_valuations.Item(s).Remove(position);
    // No scenario is left, so no valuation either: the grid goes back to
    // empty, as before the first scenario, and grows again with the next.
    if (m_scenarios.Empty()) m_valuations.Clear();
}

void Portfolio::RemoveScenarios(const std::vector<bool>& flags) {
    // The stored entries stay to be loaded again, without an impact: the
    // first entry with each removed key.
    std::unordered_map<int32_t, bool> removedKeys;
    for (int p = 1; p <= m_scenarios.Count(); ++p) {
        if (static_cast<std::size_t>(p - 1) < flags.size() && flags[static_cast<std::size_t>(p - 1)])
            removedKeys.emplace(m_scenarios.Item(p).Getkey(), false);
    }
    if (removedKeys.empty()) return;
    for (int p = 1; p <= m_stored.Count(); ++p) {
        const auto it = removedKeys.find(m_stored.Item(p).Getkey());
        if (it == removedKeys.end() || it->second) continue;
        it->second = true;
        m_stored.Item(p).SetImpact(0);
    }
    m_scenarios.RemoveFlagged(flags);
    if (m_lists.scenarios) m_lists.scenarios->RemoveFlaggedItems(flags);
    if (m_lists.impacts) m_lists.impacts->RemoveFlaggedItems(flags);
    for (int s = 1; s <= m_valuations.Count(); ++s) m_valuations.Item(s).RemoveFlagged(flags);
    if (m_scenarios.Empty()) m_valuations.Clear();
}

void Portfolio::RenameScenario(int position, const std::string& description) {
    CScenario& record = m_scenarios.Item(position);
    record.Setdescription(description);
    if (m_lists.scenarios) m_lists.scenarios->SetItemText(position - 1, description);
    const int stored = FindStoredScenarioPosition(record.Getkey());
    if (stored > 0) {
        m_stored.Item(stored).Setdescription(description);
        if (m_lists.stored) m_lists.stored->SetItemText(stored - 1, description);
    }
}

void Portfolio::ShowImpactRow(int position) const {
    if (m_lists.impacts)
        m_lists.impacts->SetItemText(position - 1, m_lists.impactText(m_scenarios.Item(position).GetImpact()));
}

bool Portfolio::HoldsSecurity(int32_t id) const {
    for (int p = 1; p <= m_securities.Count(); ++p)
        if (m_securities.Item(p).GetsecId() == id) return true;
    return false;
}

int Portfolio::FindScenarioPosition(int32_t key) const {
    for (int p = 1; p <= m_scenarios.Count(); ++p)
        if (m_scenarios.Item(p).Getkey() == key) return p;
    return 0;
}

int Portfolio::FindStoredScenarioPosition(int32_t key) const {
    for (int p = 1; p <= m_stored.Count(); ++p)
        if (m_stored.Item(p).Getkey() == key) return p;
    return 0;
}

CScenario* Portfolio::StoredEntry(int32_t key) const {
    const int position = FindStoredScenarioPosition(key);
    return position > 0 ? &m_stored.Item(position) : nullptr;
}

std::unordered_map<int32_t, int> Portfolio::StoredPositionsByKey() const {
    std::unordered_map<int32_t, int> positions;
    positions.reserve(static_cast<std::size_t>(m_stored.Count()));
    for (int p = 1; p <= m_stored.Count(); ++p) positions.emplace(m_stored.Item(p).Getkey(), p);
    return positions;
}

void Portfolio::ThrowNoValuation(int securityPosition, int scenarioPosition) const {
    if (securityPosition < 1 || securityPosition > m_valuations.Count()) {
        throw std::runtime_error("The valuation grid holds no valuations for security " +
                                 std::to_string(securityPosition) + " of the list (it holds " +
                                 std::to_string(m_valuations.Count()) + " securities).");
    }
    const ValuationRow& row = m_valuations.Item(securityPosition);
    if (scenarioPosition < 1 || scenarioPosition > row.Count()) {
        throw std::runtime_error("The valuation grid holds no valuation of security " +
                                 std::to_string(securityPosition) + " under scenario " +
                                 std::to_string(scenarioPosition) + " (it holds " + std::to_string(row.Count()) +
                                 " scenarios for that security).");
    }
    throw std::logic_error("ThrowNoValuation was called for a valuation the grid holds.");
}

}  // namespace zemra
