#include "http/StaticFiles.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace zemra::pages {

std::string ContentTypeOf(const std::string& path) {
    static const std::map<std::string, std::string> types = {
        {".html", "text/html; charset=utf-8"}, {".js", "text/javascript; charset=utf-8"},
        {".mjs", "text/javascript; charset=utf-8"}, {".css", "text/css; charset=utf-8"},
        {".wasm", "application/wasm"}, {".json", "application/json; charset=utf-8"},
        {".png", "image/png"}, {".svg", "image/svg+xml"}, {".map", "application/json; charset=utf-8"},
    };
    const auto it = types.find(std::filesystem::path(path).extension().string());
    return it == types.end() ? "application/octet-stream" : it->second;
}

StaticFile ReadStaticFile(const std::string& folder, const std::string& relative) {
    // No segment may climb out of the folder or name a hidden file.
    std::istringstream segments(relative);
    std::string segment;
    while (std::getline(segments, segment, '/')) {
        if (segment.empty() || segment[0] == '.' || segment.find('\\') != std::string::npos ||
            segment.find('\0') != std::string::npos) {
            return {404, "", "no file " + relative.substr(0, 200)};
        }
    }
    const std::filesystem::path file = std::filesystem::path(folder) / relative;
    std::error_code error;
    if (relative.empty() || !std::filesystem::is_regular_file(file, error)) {
        return {404, "", "no file " + relative.substr(0, 200)};
    }
    std::ifstream in(file, std::ios::binary);
    std::ostringstream body;
    body << in.rdbuf();
    if (!in) return {404, "", "cannot read " + relative.substr(0, 200)};
    return {200, ContentTypeOf(relative), body.str()};
}

}  // namespace zemra::pages
