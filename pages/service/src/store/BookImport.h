#pragma once
#include <string>

#include "store/Sql.h"

namespace zemra::pages {

// Reads an import document and writes it in one transaction: all of it or,
// on the first fault (BookError naming the field), nothing.
void ImportBookText(SqlConnection& connection, const std::string& jsonText);
void ImportBookFile(SqlConnection& connection, const std::string& path);

}  // namespace zemra::pages
