// Showing, editing and validating the current security's assumptions.
#include "control/MainCtl.h"

namespace zemra {

void MainCtl::WireAssumptionEvents() {
    CheckBnkrpcy->Click = [this] { ApplyBankruptcyRule(); };
}

void MainCtl::ShowSecurity() {}

}  // namespace zemra
