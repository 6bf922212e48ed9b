#pragma once
// The demo host page: the control with its sixteen properties as <param>
// children (values HTML-escaped).
#include <string>

#include "pages/HostProperties.h"

namespace zemra::pages {

std::string EscapeHtml(const std::string& text);
// The page's language from the host page's query (`lang=de-DE`): one of the
// languages the page is offered in, as written there (a language alone, `de`,
// gives its first), matched in any letter case; anything else, absent or
// not, gives the default, en-US. The client's text is never written back.
std::string PageLanguage(const std::string& rawQuery);
// The page in `language` (its lang attribute): the control takes its number
// and date conventions from it.
std::string HostPageHtml(const HostProperties& properties, const std::string& language = "en-US");
// The same properties as one JSON object of texts, for hosts other than a
// browser (the headless host reads its properties from such an object).
std::string HostPropertiesJson(const HostProperties& properties);

}  // namespace zemra::pages
