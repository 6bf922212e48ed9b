// The valuation panel of one security under one scenario.
#include "control/MainCtl.h"

namespace zemra {

void MainCtl::WireDisplayEvents() {
    LstSecurity->Click = [this] { LstSecurity_Click(); };
}

void MainCtl::ShowValuation() {}

void MainCtl::LstSecurity_Click() {
    ShowSecurity();
    ShowValuation();
}

}  // namespace zemra
