#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "records/CScenario.h"

namespace zemra {

// The requests of the scenario database pages and the reading of their
// replies. Every value is written for the address (server/QueryEncoding.h),
// so that a page that decodes its query stores exactly what the user typed.

// The eight fields a page stores for a scenario: its six changes, "0" in the
// impact place and its tuner (10;25;0;30;0;100;0;2).
std::string BuildScenarioDetailField(const CScenario& scenario);

// The flag of an auto-load value: "Y" for "Yes", "N" for "No" (in any
// case), empty otherwise.
std::string AutoLoadFlag(const std::string& autoLoad);

// The characters that separate the fields (";") and the scenarios ("|") of
// a list reply cannot stand in a stored description: the message that says
// so, or nothing when the description can be stored.
std::optional<std::string> RefusedDescription(const std::string& description);

std::string InsertScenarioAddress(const std::string& page, const CScenario& scenario);
std::string ModifyScenarioAddress(const std::string& page, const CScenario& scenario);
std::string DeleteScenarioAddress(const std::string& page, int32_t uid);

// The identity an insert page answered: the reply, without surrounding
// blanks or line ends, as a whole number of 32 bits; nothing otherwise.
std::optional<int32_t> InsertedUid(const std::string& reply);

}  // namespace zemra
