#pragma once
// The demo host page: the control with its sixteen properties, drawn from
// the database, as <param> children (values HTML-escaped).
#include <string>
#include <utility>
#include <vector>

#include "store/Sql.h"

namespace zemra::pages {

using HostProperties = std::vector<std::pair<std::string, std::string>>;

// The sixteen properties: option lists, the host portfolio and scenarios,
// the stored scenarios and the addresses of the eight pages under `pagesBase`.
HostProperties DemoProperties(SqlConnection& connection, const std::string& pagesBase);

std::string EscapeHtml(const std::string& text);
std::string HostPageHtml(const HostProperties& properties);
// The same properties as one JSON object of texts, for hosts other than a
// browser (the headless host reads its properties from such an object).
std::string HostPropertiesJson(const HostProperties& properties);

}  // namespace zemra::pages
