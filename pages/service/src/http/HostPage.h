#pragma once
// The demo host page: the control with its sixteen properties as <param>
// children (values HTML-escaped).
#include <string>

#include "pages/HostProperties.h"

namespace zemra::pages {

std::string EscapeHtml(const std::string& text);
std::string HostPageHtml(const HostProperties& properties);
// The same properties as one JSON object of texts, for hosts other than a
// browser (the headless host reads its properties from such an object).
std::string HostPropertiesJson(const HostProperties& properties);

}  // namespace zemra::pages
