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

    HeadlessHost(Date today, Locale locale = Locale::EnUs()) : m_today(today), m_locale(locale) {}

    void SetCannedReplies(std::vector<CannedReply> replies);
    void SetFetcher(Fetcher fetcher) { m_fetcher = std::move(fetcher); }
    void QueueAnswer(MsgAnswer answer) { m_answers.push_back(answer); }
    void SetModelessAllowed(bool allowed) { m_modeless = allowed; }
    void SetToday(Date today) { m_today = today; }

    FetchResult Fetch(const std::string& address) override;
    void OpenBrowserWindow(const std::string& address) override { browserWindows.push_back(address); }
    bool ModelessAllowed() const override { return m_modeless; }
    void SetMousePointer(int code) override { m_pointer = code; }
    int MousePointer() const override { return m_pointer; }
    Date Today() const override { return m_today; }
    const Locale& GetLocale() const override { return m_locale; }
    MsgAnswer MessageBox(const std::string& text, MsgButtons buttons) override;

    std::vector<MessageRecord> messages;
    RequestLog requests;
    std::vector<std::string> browserWindows;

private:
    Date m_today;
    Locale m_locale;
    bool m_modeless = true;
    int m_pointer = kPointerDefault;
    bool m_canned = false;
    std::vector<CannedReply> m_replies;
    Fetcher m_fetcher;
    std::deque<MsgAnswer> m_answers;
};

}  // namespace zemra::headless
