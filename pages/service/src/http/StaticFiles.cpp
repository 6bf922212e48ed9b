#include "http/StaticFiles.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace zemra::pages {

std::string ContentTypeOf(const std::string& path) {
    static const std::map<std::string, std::string> types = {
        {".html", "text/html; charset=utf-8"},
        {".js", "text/javascript; charset=utf-8"},
        {".mjs", "text/javascript; charset=utf-8"},
        {".css", "text/css; charset=utf-8"},
        {".wasm", "application/wasm"},
        {".json", "application/json; charset=utf-8"},
        {".png", "image/png"},
        {".svg", "image/svg+xml"},
        {".map", "application/json; charset=utf-8"},
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
    // Regular files inside the folder only: no symbolic link on the way
    // (the folder itself may be one).
    std::filesystem::path file = folder;
    std::error_code error;
    std::istringstream steps(relative);
    std::string step;
    while (std::getline(steps, step, '/')) {
        file /= step;
        if (std::filesystem::is_symlink(std::filesystem::symlink_status(file, error))) {
            return {404, "", "no file " + relative.substr(0, 200)};
        }
    }
    if (relative.empty() || !std::filesystem::is_regular_file(std::filesystem::symlink_status(file, error))) {
        return {404, "", "no file " + relative.substr(0, 200)};
    }
    std::ifstream in(file, std::ios::binary);
    std::ostringstream body;
    body << in.rdbuf();
    if (!in) return {404, "", "cannot read " + relative.substr(0, 200)};
    return {200, ContentTypeOf(relative), body.str()};
}

}  // namespace zemra::pages
