// The one way every server request is made, and the busy state shown while
// one runs.
#include <stdexcept>
#include <utility>

#include "control/MainCtl.h"
#include "compute/PageContract.h"
#include "compute/Queries.h"

namespace zemra {

void MainCtl::ShowProgress() {
    busy_ = true;
    host_.SetMousePointer(kPointerHourglass);
    LabelProgress->backColor = kWhite;
    LabelProgress->caption = "Calculation in progress,please wait ..";
    Frame3->enabled = false;
    Frame1->enabled = false;
}

void MainCtl::HideProgress() {
    busy_ = false;
    host_.SetMousePointer(kPointerDefault);
    LabelProgress->backColor = Frame1->backColor;
    LabelProgress->caption.clear();
    Frame3->enabled = true;
    Frame1->enabled = true;
    HideRunProgress();
    ShowResultsView();
}

std::string MainCtl::FetchReply(const std::string& address) {
    FetchResult result = host_.Fetch(address);
    if (!result.ok) throw std::runtime_error(result.error.empty() ? "The request to " + address + " failed." : result.error);
    if (result.body.size() > pages::kMaxReplyBytes)
        throw std::runtime_error(pages::ReplyTooLarge(address, result.body.size()));
    return std::move(result.body);
}

// The debug view: the selected security's scenario-detail address, with the
// debug switch, in a new browser window. No reply is read and nothing
// changes.
void MainCtl::CmdDebug_Click() {
    if (portfolio_.Securities().Empty() || portfolio_.Scenarios().Empty()) return;
    const int row = LstSecurity->ListIndex();
    if (row < 0) return;  // no selected security to build the query for
    const int position = row + 1;
    const std::string query = SecurityAndScenarioQuery(portfolio_, position);
    std::string address;
    if (!props_.ScenarioDetailPath.empty()) address = pages::Address(props_.ScenarioDetailPath, query) + pages::DebugSwitch();
    host_.OpenBrowserWindow(address);
}

}  // namespace zemra
