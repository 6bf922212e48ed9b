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
    for (int p = 1; p <= scenarios_.Count(); ++p) row->Add(FreshValuation(scenarios_.Item(p)));
    return row;
}

void Portfolio::AddSecurity(std::shared_ptr<CSecurity> security) {
    std::shared_ptr<ValuationRow> row = scenarios_.Empty() ? nullptr : FreshRow();
    if (lists_.securities) lists_.securities->AddItem(security->Getdescription());
    securities_.Add(std::move(security));
    if (row) valuations_.Add(std::move(row));
}

void Portfolio::RemoveSecurity(int position) {
    securities_.Remove(position);
    if (lists_.securities) lists_.securities->RemoveItem(position - 1);
    if (!valuations_.Empty()) valuations_.Remove(position);
}

void Portfolio::AddScenario(const std::shared_ptr<CScenario>& scenario, int32_t key) {
    CheckWhole(*scenario);
    lastScenarioKey_ = key;
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
    for (int s = 1; s <= securities_.Count(); ++s) column.push_back(FreshValuation(*scenario));
    if (lists_.scenarios) lists_.scenarios->AddItem(scenario->Getdescription());
    if (lists_.impacts) lists_.impacts->AddItem(lists_.impactText(scenario->GetImpact()));
    scenarios_.Add(scenario);
    if (valuations_.Empty()) {
        // The first scenario: one row per security.
        for (int s = 1; s <= securities_.Count(); ++s) valuations_.Add(FreshRow());
        return;
    }
    for (int s = 1; s <= valuations_.Count(); ++s)
        valuations_.Item(s).Add(std::move(column[static_cast<std::size_t>(s - 1)]));
}

void Portfolio::AddStoredScenario(const std::shared_ptr<CScenario>& scenario) {
    CheckWhole(*scenario);
    if (lists_.stored) lists_.stored->AddItem(scenario->Getdescription());
    stored_.Add(scenario);
}

void Portfolio::MergeStoredScenario(const std::shared_ptr<CScenario>& fromDatabase) {
    CheckWhole(*fromDatabase);
    const int32_t uid = fromDatabase->GetUid();
    for (int p = 1; uid > 0 && p <= stored_.Count(); ++p) {
        CScenario& known = stored_.Item(p);
        if (known.GetUid() != uid) continue;
        known.Setdescription(fromDatabase->Getdescription());
        for (int i = 0; i < kScenarioSlots; ++i) known.SetScenarioProperties(i, fromDatabase->GetScenarioProperties(i));
        known.SetAutoLoad(fromDatabase->GetAutoLoad());
        known.Settuner(fromDatabase->Gettuner());
        if (lists_.stored) lists_.stored->SetItemText(p - 1, known.Getdescription());
        return;
    }
    AddStoredScenario(fromDatabase);
}

void Portfolio::RemoveStoredScenario(int position) {
    stored_.Remove(position);
    if (lists_.stored) lists_.stored->RemoveItem(position - 1);
}

void Portfolio::RefreshScenario(int position, const CScenario& from) {
    CheckWhole(from);
    CScenario& listed = scenarios_.Item(position);
    listed.Setdescription(from.Getdescription());
    for (int i = 0; i < kScenarioSlots; ++i) listed.SetScenarioProperties(i, from.GetScenarioProperties(i));
    listed.Settuner(from.Gettuner());
    listed.SetImpact(0);
    for (int s = 1; s <= valuations_.Count(); ++s) {
        ValuationRow& row = valuations_.Item(s);
        row.Replace(position, FreshValuation(listed));
    }
    if (lists_.scenarios) lists_.scenarios->SetItemText(position - 1, listed.Getdescription());
}

void Portfolio::RemoveScenario(int position) {
    // The stored entry stays to be loaded again, without an impact.
    if (CScenario* stored = StoredEntry(scenarios_.Item(position).Getkey())) stored->SetImpact(0);
    scenarios_.Remove(position);
    if (lists_.scenarios) lists_.scenarios->RemoveItem(position - 1);
    if (lists_.impacts) lists_.impacts->RemoveItem(position - 1);
    for (int s = 1; s <= valuations_.Count(); ++s) valuations_.Item(s).Remove(position);
    // No scenario is left, so no valuation either: the grid goes back to
    // empty, as before the first scenario, and grows again with the next.
    if (scenarios_.Empty()) valuations_.Clear();
}

void Portfolio::RemoveScenarios(const std::vector<bool>& flags) {
    // The stored entries stay to be loaded again, without an impact: the
    // first entry with each removed key.
    std::unordered_map<int32_t, bool> removedKeys;
    for (int p = 1; p <= scenarios_.Count(); ++p) {
        if (static_cast<std::size_t>(p - 1) < flags.size() && flags[static_cast<std::size_t>(p - 1)])
            removedKeys.emplace(scenarios_.Item(p).Getkey(), false);
    }
    if (removedKeys.empty()) return;
    for (int p = 1; p <= stored_.Count(); ++p) {
        const auto it = removedKeys.find(stored_.Item(p).Getkey());
        if (it == removedKeys.end() || it->second) continue;
        it->second = true;
        stored_.Item(p).SetImpact(0);
    }
    scenarios_.RemoveFlagged(flags);
    if (lists_.scenarios) lists_.scenarios->RemoveFlaggedItems(flags);
    if (lists_.impacts) lists_.impacts->RemoveFlaggedItems(flags);
    for (int s = 1; s <= valuations_.Count(); ++s) valuations_.Item(s).RemoveFlagged(flags);
    if (scenarios_.Empty()) valuations_.Clear();
}

void Portfolio::RenameScenario(int position, const std::string& description) {
    CScenario& record = scenarios_.Item(position);
    record.Setdescription(description);
    if (lists_.scenarios) lists_.scenarios->SetItemText(position - 1, description);
    const int stored = FindStoredScenarioPosition(record.Getkey());
    if (stored > 0) {
        stored_.Item(stored).Setdescription(description);
        if (lists_.stored) lists_.stored->SetItemText(stored - 1, description);
    }
}

void Portfolio::ShowImpactRow(int position) const {
    if (lists_.impacts)
        lists_.impacts->SetItemText(position - 1, lists_.impactText(scenarios_.Item(position).GetImpact()));
}

bool Portfolio::HoldsSecurity(int32_t id) const {
    for (int p = 1; p <= securities_.Count(); ++p)
        if (securities_.Item(p).GetsecId() == id) return true;
    return false;
}

int Portfolio::FindScenarioPosition(int32_t key) const {
    for (int p = 1; p <= scenarios_.Count(); ++p)
        if (scenarios_.Item(p).Getkey() == key) return p;
    return 0;
}

int Portfolio::FindStoredScenarioPosition(int32_t key) const {
    for (int p = 1; p <= stored_.Count(); ++p)
        if (stored_.Item(p).Getkey() == key) return p;
    return 0;
}

CScenario* Portfolio::StoredEntry(int32_t key) const {
    const int position = FindStoredScenarioPosition(key);
    return position > 0 ? &stored_.Item(position) : nullptr;
}

std::unordered_map<int32_t, int> Portfolio::StoredPositionsByKey() const {
    std::unordered_map<int32_t, int> positions;
    positions.reserve(static_cast<std::size_t>(stored_.Count()));
    for (int p = 1; p <= stored_.Count(); ++p) positions.emplace(stored_.Item(p).Getkey(), p);
    return positions;
}

void Portfolio::ThrowNoValuation(int securityPosition, int scenarioPosition) const {
    if (securityPosition < 1 || securityPosition > valuations_.Count()) {
        throw std::runtime_error("The valuation grid holds no valuations for security " +
                                 std::to_string(securityPosition) + " of the list (it holds " +
                                 std::to_string(valuations_.Count()) + " securities).");
    }
    const ValuationRow& row = valuations_.Item(securityPosition);
    if (scenarioPosition < 1 || scenarioPosition > row.Count()) {
        throw std::runtime_error("The valuation grid holds no valuation of security " +
                                 std::to_string(securityPosition) + " under scenario " +
                                 std::to_string(scenarioPosition) + " (it holds " + std::to_string(row.Count()) +
                                 " scenarios for that security).");
    }
    throw std::logic_error("ThrowNoValuation was called for a valuation the grid holds.");
}

}  // namespace zemra
