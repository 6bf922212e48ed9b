#pragma once
#include <set>
#include <string>

#include "HeadlessHost.h"
#include "toolkit/Form.h"
#include "toolkit/JsonValue.h"

namespace zemra::headless {

// What a script's dump prints: the model's snapshot (with `only` non-empty,
// just those elements) and what the control asked of its host: messages,
// requests and browser windows.
JsonValue DumpState(const UiContext& ui, const HeadlessHost& host, const std::set<std::string>& only = {});

}  // namespace zemra::headless
