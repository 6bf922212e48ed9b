#pragma once
#include "store/Sql.h"

namespace zemra::pages {

// The schema version this build writes and reads.
int CurrentSchemaVersion();

// Creates the tables of a new database and brings an older one up to the
// current version, step by step, in one transaction; the version reached is
// kept in the table schema_version. Two services starting at once on one
// PostgreSQL database take turns (an advisory lock).
void MigrateSchema(SqlConnection& connection);

}  // namespace zemra::pages
