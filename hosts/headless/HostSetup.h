#pragma once
#include <string>
#include <vector>

#include "HeadlessHost.h"
#include "context/PropertyBag.h"

namespace zemra::headless {

// Readers of the headless host's input files. Each throws
// std::runtime_error with a message naming the file and what is wrong.
PropertyBag ReadPropertiesFile(const std::string& path);
std::vector<CannedReply> ReadRepliesFile(const std::string& path);
PropertyBag ParseProperties(const std::string& jsonText, const std::string& source);
std::vector<CannedReply> ParseReplies(const std::string& jsonText, const std::string& source);
// "YYYY-MM-DD", exactly: four, two and two digits.
Date ParseIsoDate(const std::string& text);

}  // namespace zemra::headless
