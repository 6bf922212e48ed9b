#pragma once
// The query strings of the scenario-detail and carry pages: keys in their
// fixed order, each followed by its value written for the address
// (server/QueryEncoding.h).
#include <string>

#include "portfolio/Portfolio.h"

namespace zemra {

// The security half of the scenario-detail query.
std::string BuildSecurityQuery(const CSecurity& sec);
// The scenario half: one value per scenario in list order for each key; the
// tuner and tuner value come from the security's own valuations `row`.
std::string BuildScenarioQuery(const Collection<CScenario>& scenarios, const ValuationRow& row);
// The lists of the scenario half that are the same for every security: an
// impact run writes them once and each security's query copies them.
struct ScenarioLists {
    std::string beforeTuners;  // "&StkChg=...&RateChg=...&VolChg=...&Impact=...&CreditSprdChg=..."
    std::string timeChanges;   // "&TimeChg=..." (BuildTimeChangeList)
};
ScenarioLists BuildScenarioLists(const Collection<CScenario>& scenarios);
std::string BuildScenarioQuery(const ScenarioLists& lists, const ValuationRow& row);
// Both halves for the security at a 1-based position.
std::string SecurityAndScenarioQuery(const Portfolio& portfolio, int position);
std::string SecurityAndScenarioQuery(const Portfolio& portfolio, int position, const ScenarioLists& lists);
// The carry query of a security, without its time changes.
std::string BuildCarryQuery(const CSecurity& sec);
// "&TimeChg=" and every scenario's time change.
std::string BuildTimeChangeList(const Collection<CScenario>& scenarios);
// The capital query of a security.
std::string BuildCapitalQuery(const CSecurity& sec);
// "&TimeChg=" and the time change of the scenario at a 0-based list row
// alone (the carry of one security under one scenario).
std::string BuildTimeChange(const Collection<CScenario>& scenarios, int row);

}  // namespace zemra
