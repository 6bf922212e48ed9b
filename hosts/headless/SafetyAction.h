#pragma once
#include <stdexcept>
#include <string>

namespace zemra::headless {

// The host's `safety` action: the questions a browser asks an embedded
// control, answered as one line of JSON.
//   safety get IID                  {"supported": N, "enabled": N, "result": "0x%08X"}
//                                   ("enabled" only when the call sets it)
//   safety set IID MASK ENABLED     {"result": "0x%08X"}
// IID is an interface identifier's registry text in any letter case, or
// "-" for an absent one. Throws std::invalid_argument for a malformed line.
std::string RunSafetyAction(const std::string& arguments);

}  // namespace zemra::headless
