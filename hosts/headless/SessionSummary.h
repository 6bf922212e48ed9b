#pragma once
#include <string>

#include "HeadlessHost.h"
#include "toolkit/Form.h"

namespace zemra::headless {

// The panel for a person to read, as plain text: the number of securities,
// a table of each scenario with its $Impact (the scenario list beside the
// impact list, the shown scenario marked), the totals frame as a table of
// its captions and the current and estimated columns, and the messages the
// control showed. Everything is read from the model, as a display would
// show it; nothing is computed here.
std::string SessionSummary(const UiContext& ui, const HeadlessHost& host);

}  // namespace zemra::headless
