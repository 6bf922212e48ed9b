#include "http/HostPage.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <nlohmann/json.hpp>

#include "pages/PageQuery.h"

namespace zemra::pages {

namespace {

// The languages the page is offered in; the first is the default.
constexpr std::array<const char*, 12> kLanguages = {"en-US", "en-GB", "de-DE", "de-AT", "de-CH", "fr-FR",
                                                    "fr-CH", "it-IT", "es-ES", "nl-NL", "sv-SE", "ja-JP"};

bool SameLetters(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::string PageLanguage(const std::string& rawQuery) {
    std::string asked;
    try {
        asked = PageQuery(rawQuery).Text("lang");
    } catch (const PageError&) {
        return kLanguages[0];  // a query that is not text: the default page
    }
    for (const char* language : kLanguages) {
        const std::string tag = language;
        if (SameLetters(asked, tag) || SameLetters(asked, tag.substr(0, tag.find('-')))) return tag;
    }
    return kLanguages[0];
}

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

std::string HostPageHtml(const HostProperties& properties, const std::string& language) {
    std::string params;
    for (const auto& [name, value] : properties) {
        params += "    <param name=\"" + EscapeHtml(name) + "\" value=\"" + EscapeHtml(value) + "\">\n";
    }
    return R"HTML(<!DOCTYPE html>
<html lang=")HTML" +
           EscapeHtml(language) +
           R"HTML(">
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
