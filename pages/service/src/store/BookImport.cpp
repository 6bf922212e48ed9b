#include "store/BookImport.h"

#include <fstream>
#include <sstream>

#include "book/BookJson.h"
#include "store/BookStore.h"

namespace zemra::pages {

void ImportBookText(SqlConnection& connection, const std::string& jsonText) {
    WriteBook(connection, ReadBook(jsonText));
}

void ImportBookFile(SqlConnection& connection, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw BookError("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    ImportBookText(connection, text.str());
}

}  // namespace zemra::pages
