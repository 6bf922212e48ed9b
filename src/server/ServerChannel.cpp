// The one way every server request is made, and the busy state shown while
// one runs.
#include <stdexcept>

#include "control/MainCtl.h"

namespace zemra {

void MainCtl::ShowProgress() {
    host_.SetMousePointer(kPointerHourglass);
    LabelProgress->backColor = kWhite;
    LabelProgress->caption = "Calculation in progress,please wait ..";
    Frame3->enabled = false;
    Frame1->enabled = false;
}

void MainCtl::HideProgress() {
    host_.SetMousePointer(kPointerDefault);
    LabelProgress->backColor = Frame1->backColor;
    LabelProgress->caption.clear();
    Frame3->enabled = true;
    Frame1->enabled = true;
}

std::string MainCtl::FetchReply(const std::string& address) {
    FetchResult result = host_.Fetch(address);
    if (!result.ok) throw std::runtime_error(result.error.empty() ? "The request to " + address + " failed." : result.error);
    return result.body;
}

}  // namespace zemra
