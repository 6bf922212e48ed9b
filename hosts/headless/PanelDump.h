#pragma once
#include <set>
#include <string>

#include "HeadlessHost.h"
#include "toolkit/Form.h"
#include "toolkit/JsonValue.h"

namespace zemra::headless {

// What a script's dump prints: the model's snapshot (with `only` non-empty,
// just those elements) and what the control asked of its host: messages,
// requests and browser windows. Without `layout`, the forms and widgets
// leave out where they stand (columns, place, parent, cell, role, height,
// tab index): what a `values` line prints.
JsonValue DumpState(const UiContext& ui, const HeadlessHost& host, const std::set<std::string>& only = {},
                    bool layout = true);

}  // namespace zemra::headless
