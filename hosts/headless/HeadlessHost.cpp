#include "HeadlessHost.h"

#include "CurlFetcher.h"

namespace zemra::headless {

void HeadlessHost::SetCannedReplies(std::vector<CannedReply> replies) {
    replies_ = std::move(replies);
    canned_ = true;
}

FetchResult HeadlessHost::Fetch(const std::string& address) {
    requests.Record(address);
    if (canned_) {
        for (const auto& r : replies_) {
            if (address.compare(0, r.match.size(), r.match) != 0) continue;
            if (r.fail) return FetchResult{false, "", "The server did not answer the request to " + address + "."};
            if (r.status < 200 || r.status > 299)
                return FetchResult{false, r.reply, StatusFailure(address, r.status), r.status};
            return FetchResult{true, r.reply, ""};
        }
        return FetchResult{false, "", "The server did not answer the request to " + address + "."};
    }
    if (fetcher_) return fetcher_(address);
    return FetchResult{false, "", "No server is configured for the request to " + address + "."};
}

MsgAnswer HeadlessHost::MessageBox(const std::string& text, MsgButtons buttons) {
    MessageRecord record{text, buttons, MsgAnswer::Ok};
    if (buttons == MsgButtons::YesNo) {
        record.answer = MsgAnswer::No;
        if (!answers_.empty()) {
            record.answer = answers_.front();
            answers_.pop_front();
        }
    }
    messages.push_back(record);
    return record.answer;
}

}  // namespace zemra::headless
