#pragma once
// The control's static files: a file of one folder by its relative path,
// never outside it, with the content type browsers require (JavaScript
// modules and WebAssembly included).
#include <string>

namespace zemra::pages {

struct StaticFile {
    int status = 200;
    std::string type;
    std::string body;  // the file, or the reason when status is not 200
};

std::string ContentTypeOf(const std::string& path);
StaticFile ReadStaticFile(const std::string& folder, const std::string& relative);

}  // namespace zemra::pages
