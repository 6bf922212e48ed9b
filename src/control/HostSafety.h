#pragma once
// What a host asks before it uses the control, as a browser asks an
// embedded control: it reads the control's properties from the page's data
// only when the control is safe for initialising (through
// IPersistPropertyBag), and calls ProcessInitData only when it is safe for
// scripting (through IDispatch). A host that is refused says why and stops.
#include <optional>
#include <string>

namespace zemra {

class MainCtl;

// Why the host must not read the properties, or nothing when it may.
std::optional<std::string> RefusalToInitialise(MainCtl& ctl);
// Why the host must not call ProcessInitData, or nothing when it may.
std::optional<std::string> RefusalToScript(MainCtl& ctl);

}  // namespace zemra
