#pragma once
#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "HeadlessHost.h"
#include "control/MainCtl.h"

namespace zemra::headless {

// The panel's state as one JSON object: widgets, focus, pointer, messages,
// requests, browser windows and open dialogs. With `only` non-empty, just
// those widgets are listed.
nlohmann::ordered_json DumpState(MainCtl& ctl, const HeadlessHost& host, const std::set<std::string>& only = {});
nlohmann::ordered_json DumpWidget(const Widget& w);

}  // namespace zemra::headless
