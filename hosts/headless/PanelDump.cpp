#include "PanelDump.h"

#include "toolkit/Snapshot.h"

namespace zemra::headless {

namespace {

const char* ButtonsName(MsgButtons b) { return b == MsgButtons::YesNo ? "yesno" : "ok"; }

const char* AnswerName(MsgAnswer a) {
    switch (a) {
        case MsgAnswer::Yes: return "yes";
        case MsgAnswer::No: return "no";
        default: return "ok";
    }
}

template <class TextList>
JsonValue Texts(const TextList& texts) {
    JsonValue a = JsonValue::Array();
    for (const auto& t : texts) a.Push(t);
    return a;
}

}  // namespace

JsonValue DumpState(const UiContext& ui, const HeadlessHost& host, const std::set<std::string>& only) {
    JsonValue state = TakeSnapshot(ui, only);
    JsonValue messages = JsonValue::Array();
    for (const auto& m : host.messages) {
        JsonValue j;
        j["text"] = m.text;
        j["buttons"] = ButtonsName(m.buttons);
        j["answer"] = AnswerName(m.answer);
        messages.Push(std::move(j));
    }
    state["messages"] = std::move(messages);
    state["requests"] = Texts(host.requests);
    if (host.requests.LeftOut() > 0) state["requestsLeftOut"] = static_cast<long long>(host.requests.LeftOut());
    state["browserWindows"] = Texts(host.browserWindows);
    return state;
}

}  // namespace zemra::headless
