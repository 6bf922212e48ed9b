#pragma once
// The stored scenarios of the scenario database.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "book/Book.h"
#include "store/Sql.h"

namespace zemra::pages {

std::vector<StoredScenario> ListScenarios(SqlConnection& connection);
// Stores a new scenario and returns its identity (the scenario's id is ignored).
int64_t InsertScenario(SqlConnection& connection, const StoredScenario& scenario);
// The same, refused (nothing) when the database already holds `most` scenarios.
std::optional<int64_t> InsertScenarioWithin(SqlConnection& connection, const StoredScenario& scenario,
                                            std::size_t most);
// Rewrites the scenario of scenario.id; false when there is none.
bool ModifyScenario(SqlConnection& connection, const StoredScenario& scenario);
// false when there is no scenario of that identity.
bool DeleteScenario(SqlConnection& connection, int64_t id);

}  // namespace zemra::pages
