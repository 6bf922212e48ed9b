#pragma once
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "RequestLog.h"
#include "toolkit/HostSeam.h"

namespace zemra::headless {

// One canned server reply: the first entry whose match is a prefix of the
// address answers it; an entry with fail set fails the fetch instead (the
// server did not answer), and a status other than 2xx answers with that
// status and the reply as its body.
struct CannedReply {
    std::string match;
    std::string reply;
    bool fail = false;
    int status = 200;
};

struct MessageRecord {
    std::string text;
    MsgButtons buttons = MsgButtons::Ok;
    MsgAnswer answer = MsgAnswer::Ok;
};

// The host seam of the command-line host: canned replies or a real fetcher,
// scripted answers to Yes/No boxes, and a record of everything the control
// asked of its host.
class HeadlessHost : public HostSeam {
public:
    using Fetcher = std::function<FetchResult(const std::string& address)>;

    HeadlessHost(Date today, Locale locale = Locale::EnUs()) : today_(today), locale_(locale) {}

    void SetCannedReplies(std::vector<CannedReply> replies);
    void SetFetcher(Fetcher fetcher) { fetcher_ = std::move(fetcher); }
    void QueueAnswer(MsgAnswer answer) { answers_.push_back(answer); }
    void SetModelessAllowed(bool allowed) { modeless_ = allowed; }
    void SetToday(Date today) { today_ = today; }

    FetchResult Fetch(const std::string& address) override;
    void OpenBrowserWindow(const std::string& address) override { browserWindows.push_back(address); }
    bool ModelessAllowed() const override { return modeless_; }
    void SetMousePointer(int code) override { pointer_ = code; }
    int MousePointer() const override { return pointer_; }
    Date Today() const override { return today_; }
    const Locale& GetLocale() const override { return locale_; }
    MsgAnswer MessageBox(const std::string& text, MsgButtons buttons) override;

    std::vector<MessageRecord> messages;
    RequestLog requests;
    std::vector<std::string> browserWindows;

private:
    Date today_;
    Locale locale_;
    bool modeless_ = true;
    int pointer_ = kPointerDefault;
    bool canned_ = false;
    std::vector<CannedReply> replies_;
    Fetcher fetcher_;
    std::deque<MsgAnswer> answers_;
};

}  // namespace zemra::headless
