// The capital of a security and the Capital Settings dialog.
#include "control/MainCtl.h"

namespace zemra {

void MainCtl::RequestCapital(int /*row*/) {}

}  // namespace zemra
