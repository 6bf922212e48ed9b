// Message boxes, the busy state, the stale notice and the one way every
// server request is made.
#include "context/PanelContext.h"

#include <optional>
#include <stdexcept>
#include <utility>

#include "compute/PageContract.h"
#include "toolkit/TextSplit.h"
#include "toolkit/Utf8.h"

namespace zemra {

namespace {

// The most characters of a page's reason that a message shows.
constexpr std::size_t kReasonCharacters = 160;

// A refusal's reason: the first line of a 4xx answer's body, as text (a
// byte that is not UTF-8 or a control character becomes a replacement
// character or a space) and cut to kReasonCharacters. None for another
// status, an empty line, or markup (a proxy's error page is no reason).
std::optional<std::string> RefusalReason(const FetchResult& result) {
    if (result.status < 400 || result.status > 499) return std::nullopt;
    const std::string line = Trim(result.body.substr(0, result.body.find_first_of("\r\n")));
    if (line.empty() || line.front() == '<') return std::nullopt;
    std::string reason;
    std::size_t characters = 0;
    for (std::size_t at = 0; at < line.size(); ++characters) {
        if (characters == kReasonCharacters) return reason + "\xE2\x80\xA6";
        const std::size_t length = Utf8SequenceAt(line, at);
        const unsigned char byte = static_cast<unsigned char>(line[at]);
        if (length == 0)
            reason += "\xEF\xBF\xBD";
        else if (byte < 0x20 || byte == 0x7F)
            reason += ' ';
        else
            reason.append(line.substr(at, length));
        at += length == 0 ? 1 : length;
    }
    return reason;
}

// The page's own name: the last part of its path.
std::string PageName(const std::string& address) {
    const std::string page = pages::PageOf(address);
    const std::string name = page.substr(page.find_last_of('/') + 1);
    return name.empty() ? "The page" : name;
}

}  // namespace

void PanelContext::MsgOk(const std::string& text) { host.MessageBox(text, MsgButtons::Ok); }

bool PanelContext::AskYesNo(const std::string& text) {
    return host.MessageBox(text, MsgButtons::YesNo) == MsgAnswer::Yes;
}

void PanelContext::ShowProgress() {
    m_busy = true;
    host.SetMousePointer(kPointerHourglass);
    notice.LabelProgress->backColor = kWhite;
    notice.LabelProgress->caption = "Calculation in progress,please wait ..";
    notice.Frame3->enabled = false;
    notice.Frame1->enabled = false;
}

void PanelContext::HideProgress() {
    m_busy = false;
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
    if (!result.ok) {
        if (const auto reason = RefusalReason(result)) {
            if (DebugEnabled()) host.OpenBrowserWindow(address);
            throw std::runtime_error(PageName(address) + " refused the request: " + *reason);
        }
        throw std::runtime_error(result.error.empty() ? "The request to " + address + " failed." : result.error);
    }
    if (result.body.size() > pages::kMaxReplyBytes)
        throw std::runtime_error(pages::ReplyTooLarge(address, result.body.size()));
    return std::move(result.body);
}

bool PanelContext::DebugEnabled() const {
    const std::string debug = ToLower(props.EnableDebug);
    return debug == "yes" || debug == "y";
}

}  // namespace zemra
