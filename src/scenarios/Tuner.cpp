// The pricing tuner and tuner value, per scenario and per valuation.
#include "control/MainCtl.h"

namespace zemra {

void MainCtl::ApplyTunerToScenario(int32_t /*tuner*/, double /*tunerValue*/, int /*position*/) {}

}  // namespace zemra
