// The impact run: values every security under every scenario and computes
// the dollar Greeks, sub-impacts and scenario totals.
#include "control/MainCtl.h"

namespace zemra {

void MainCtl::WireServerEvents() {}

void MainCtl::UpdateBtn_Click() {}

}  // namespace zemra

namespace zemra {

void MainCtl::CalculateImpacts() {}

}  // namespace zemra
