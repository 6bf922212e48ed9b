// The impact list, the portfolio totals and the scenario summary.
#include "control/MainCtl.h"

namespace zemra {

void MainCtl::ShowTotals() {}

void MainCtl::ShowScenarioDetail() {}

void MainCtl::LstImpact_Click() {}

}  // namespace zemra
