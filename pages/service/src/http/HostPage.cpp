#include "http/HostPage.h"

#include <nlohmann/json.hpp>

namespace zemra::pages {

std::string EscapeHtml(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string HostPageHtml(const HostProperties& properties) {
    std::string params;
    for (const auto& [name, value] : properties) {
        params += "    <param name=\"" + EscapeHtml(name) + "\" value=\"" + EscapeHtml(value) + "\">\n";
    }
    return R"HTML(<!DOCTYPE html>
<html lang="en">
<head>
  <meta charset="utf-8">
  <title>ZemraImpactAnalysis</title>
  <script type="module" src="control/zemra-impact-analysis.js"></script>
  <style>body { font-family: sans-serif; margin: 1em; } header { margin-bottom: 0.5em; font-weight: bold; }</style>
</head>
<body>
  <header>ZemraImpactAnalysis &mdash; demo book (zemra-pages)</header>
  <zemra-impact-analysis id="control">
)HTML" + params +
           R"HTML(  </zemra-impact-analysis>
  <script type="module">
    const control = document.getElementById('control');
    const today = new URLSearchParams(location.search).get('today');
    if (today) control.setAttribute('today', today);
    window.controlStarted = control.ProcessInitData();
  </script>
</body>
</html>
)HTML";
}

std::string HostPropertiesJson(const HostProperties& properties) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (const auto& [name, value] : properties) object[name] = value;
    return object.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace zemra::pages
