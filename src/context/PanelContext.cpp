// Message boxes, the busy state, the stale notice and the one way every
// server request is made.
#include "context/PanelContext.h"

#include <stdexcept>
#include <utility>

#include "compute/PageContract.h"

namespace zemra {

void PanelContext::MsgOk(const std::string& text) { host.MessageBox(text, MsgButtons::Ok); }

bool PanelContext::AskYesNo(const std::string& text) {
    return host.MessageBox(text, MsgButtons::YesNo) == MsgAnswer::Yes;
}

void PanelContext::ShowProgress() {
    busy_ = true;
    host.SetMousePointer(kPointerHourglass);
    notice.LabelProgress->backColor = kWhite;
    notice.LabelProgress->caption = "Calculation in progress,please wait ..";
    notice.Frame3->enabled = false;
    notice.Frame1->enabled = false;
}

void PanelContext::HideProgress() {
    busy_ = false;
    host.SetMousePointer(kPointerDefault);
    notice.LabelProgress->backColor = notice.Frame1->backColor;
    notice.LabelProgress->caption.clear();
    notice.Frame3->enabled = true;
    notice.Frame1->enabled = true;
    refresh.HideRunProgress();
    refresh.ShowResultsView();
}

void PanelContext::SetStaleNotice() {
    notice.LabelProgress->backColor = kWhite;
    notice.LabelProgress->caption = "Click Update button to recalculate $Impact!";
    if (refresh.ShowResultsView) refresh.ShowResultsView();  // the results view says its figures are stale
}

void PanelContext::ClearStaleNotice() {
    notice.LabelProgress->backColor = notice.Frame1->backColor;
    notice.LabelProgress->caption.clear();
    if (refresh.ShowResultsView) refresh.ShowResultsView();
}

std::string PanelContext::FetchReply(const std::string& address) {
    FetchResult result = host.Fetch(address);
    if (!result.ok)
        throw std::runtime_error(result.error.empty() ? "The request to " + address + " failed." : result.error);
    if (result.body.size() > pages::kMaxReplyBytes)
        throw std::runtime_error(pages::ReplyTooLarge(address, result.body.size()));
    return std::move(result.body);
}

}  // namespace zemra
