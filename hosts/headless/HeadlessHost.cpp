#include "HeadlessHost.h"

#include "CurlFetcher.h"

namespace zemra::headless {

void HeadlessHost::SetCannedReplies(std::vector<CannedReply> replies) {
    m_replies = std::move(replies);
    m_canned = true;
}

FetchResult HeadlessHost::Fetch(const std::string& address) {
    requests.Record(address);
    if (m_canned) {
        for (const auto& r : m_replies) {
            if (address.compare(0, r.match.size(), r.match) != 0) continue;
            if (r.fail) return FetchResult{false, "", "The server did not answer the request to " + address + "."};
            if (r.status < 200 || r.status > 299)
                return FetchResult{false, r.reply, StatusFailure(address, r.status), r.status};
            return FetchResult{true, r.reply, ""};
        }
        return FetchResult{false, "", "The server did not answer the request to " + address + "."};
    }
    if (m_fetcher) return m_fetcher(address);
    return FetchResult{false, "", "No server is configured for the request to " + address + "."};
}

MsgAnswer HeadlessHost::MessageBox(const std::string& text, MsgButtons buttons) {
    MessageRecord record{text, buttons, MsgAnswer::Ok};
    if (buttons == MsgButtons::YesNo) {
        record.answer = MsgAnswer::No;
        if (!m_answers.empty()) {
            record.answer = m_answers.front();
            m_answers.pop_front();
        }
    }
    messages.push_back(record);
    return record.answer;
}

}  // namespace zemra::headless
