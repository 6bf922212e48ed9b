#pragma once
// The demo host page's sixteen properties, drawn from the database.
#include <string>
#include <utility>
#include <vector>

#include "store/Sql.h"

namespace zemra::pages {

using HostProperties = std::vector<std::pair<std::string, std::string>>;

// The sixteen properties: option lists, the host portfolio and scenarios,
// the stored scenarios and the addresses of the eight pages under `pagesBase`.
HostProperties DemoProperties(SqlConnection& connection, const std::string& pagesBase);

}  // namespace zemra::pages
