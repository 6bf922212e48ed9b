// Quick search, the Add Security dialog's events and removing a security.
#include "control/MainCtl.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"

namespace zemra {

void MainCtl::WireSecurityEvents() {}

// Duplicates are recognised by identifier only. A field 0 that is not a
// whole number matches no security.
void MainCtl::SecurityExists(const std::string& idText, bool& found) const {
    found = false;
    if (LstSecurity->Count() == 0) return;
    const auto v = ParseNumber(Trim(idText), Loc());
    if (!v) return;
    int32_t id = 0;
    try {
        id = ToInt32(*v);
    } catch (const std::exception&) {
        return;
    }
    for (int r = 0; r < LstSecurity->Count() && r < portfolio_.Securities().Count(); ++r) {
        if (portfolio_.Securities().Item(r + 1).GetsecId() == id) {
            found = true;
            return;
        }
    }
}

}  // namespace zemra
