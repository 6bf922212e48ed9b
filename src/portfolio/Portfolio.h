#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "portfolio/Collection.h"
#include "records/CScenario.h"
#include "records/CSecurity.h"
#include "records/CValuation.h"

namespace zemra {

class ComboBox;
class ListBox;

using ValuationRow = Collection<CValuation>;

// The list rows that stand for the records. Row r of each list belongs to
// item r + 1 of its collection: LstSecurity to the securities, ScenarioLst
// and LstImpact to the working list, ComboScenario to the stored scenarios.
// A portfolio without lists (a unit test's) keeps only its records.
struct PortfolioLists {
    ListBox* securities = nullptr;
    ListBox* scenarios = nullptr;
    ListBox* impacts = nullptr;
    ComboBox* stored = nullptr;
    // The text of an impact row.
    std::function<std::string(double impact)> impactText;
};

// The records of the control and the valuation grid. Every add and remove
// changes the records, their list rows and the grid in one step, so that
// they are always in step: the grid holds one row per security in list
// order, each with one valuation per scenario of the working list, or no
// rows at all while there are no scenarios. A record that cannot be taken
// whole is refused before anything changes.
class Portfolio {
public:
    void Attach(PortfolioLists lists) { m_lists = std::move(lists); }
    // The list rows attached (none for a portfolio without lists).
    const PortfolioLists& Lists() const { return m_lists; }

    const Collection<CSecurity>& Securities() const { return m_securities; }
    const Collection<CScenario>& Scenarios() const { return m_scenarios; }
    const Collection<CScenario>& StoredScenarios() const { return m_stored; }
    const Collection<ValuationRow>& Valuations() const { return m_valuations; }
    // The counter from which scenario keys are handed out.
    int32_t LastScenarioKey() const { return m_lastScenarioKey; }

    // A security at the end of the list, with a fresh valuation for every
    // scenario.
    void AddSecurity(std::shared_ptr<CSecurity> security);
    // Takes the security at a 1-based position off the list with its row of
    // valuations.
    void RemoveSecurity(int position);
    // A scenario at the end of the working list under `key` (which becomes
    // the last key handed out), with a fresh valuation for every security.
    // RecordError, and nothing changes, when its tuner does not fit a tuner
    // identifier.
    void AddScenario(const std::shared_ptr<CScenario>& scenario, int32_t key);
    // A stored scenario listed again at the end of the working list under
    // the key it kept (the key counter does not move).
    void RelistScenario(const std::shared_ptr<CScenario>& scenario);
    // A scenario at the end of the stored list; the same checks.
    void AddStoredScenario(const std::shared_ptr<CScenario>& scenario);
    // A scenario the database listed: the stored entry with its identity
    // (above 0) takes over its description, changes, tuner and auto-load
    // flag, keeping its impact, key and identity; one not yet known joins
    // the end of the stored list.
    void MergeStoredScenario(const std::shared_ptr<CScenario>& fromDatabase);
    // Takes the stored entry at a 1-based position off the stored list.
    void RemoveStoredScenario(int position);
    // The listed scenario at a 1-based position takes over the description,
    // changes and tuner of `from`; its impact becomes 0 and its valuations
    // fresh ones.
    void RefreshScenario(int position, const CScenario& from);
    // Takes the scenario at a 1-based position off the working list with
    // its valuations; its stored entry stays, without an impact. The last
    // scenario leaves the grid empty.
    void RemoveScenario(int position);
    // Takes every scenario whose flag is set (flag i for position i + 1) off
    // the working list, as RemoveScenario one after the other would, in one
    // pass over the records, their rows and the grid.
    void RemoveScenarios(const std::vector<bool>& flags);
    // Renames the scenario at a 1-based position, its stored entry and
    // their rows.
    void RenameScenario(int position, const std::string& description);
    // Writes the impact of the scenario at a 1-based position to its row.
    void ShowImpactRow(int position) const;

    // Whether a listed security has the identifier `id`.
    bool HoldsSecurity(int32_t id) const;
    // The working-list position (from 1) of the scenario with `key`, or 0.
    int FindScenarioPosition(int32_t key) const;
    // The stored-list position (from 1) of the scenario with `key`, or 0.
    int FindStoredScenarioPosition(int32_t key) const;
    // The stored entry of the scenario with `key`, or nullptr.
    CScenario* StoredEntry(int32_t key) const;
    // The stored-list position (from 1) of each key, the first entry with it;
    // for work on many scenarios at once.
    std::unordered_map<int32_t, int> StoredPositionsByKey() const;

    // The valuation of the security at a 1-based position under the
    // scenario at a 1-based position; throws when the grid holds none there.
    // Read for every valuation of an impact run: the check is inline, the
    // error out of line.
    CValuation& ValuationAt(int securityPosition, int scenarioPosition) const {
        if (securityPosition >= 1 && securityPosition <= m_valuations.Count()) {
            const ValuationRow& row = m_valuations.Item(securityPosition);
            if (scenarioPosition >= 1 && scenarioPosition <= row.Count()) return row.Item(scenarioPosition);
        }
        ThrowNoValuation(securityPosition, scenarioPosition);
    }

private:
    [[noreturn]] void ThrowNoValuation(int securityPosition, int scenarioPosition) const;
    static void CheckWhole(const CScenario& scenario);
    static std::shared_ptr<CValuation> FreshValuation(const CScenario& scenario);
    std::shared_ptr<ValuationRow> FreshRow() const;
    void ListScenario(const std::shared_ptr<CScenario>& scenario);

    Collection<CSecurity> m_securities{"the security list"};
    Collection<CScenario> m_scenarios{"the scenario list"};
    Collection<CScenario> m_stored{"the saved scenarios"};
    Collection<ValuationRow> m_valuations{"the valuation grid"};
    int32_t m_lastScenarioKey = 0;
    PortfolioLists m_lists;
};

}  // namespace zemra
