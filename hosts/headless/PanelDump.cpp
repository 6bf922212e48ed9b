#include "PanelDump.h"

#include <algorithm>
#include <initializer_list>

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

// The object without the members named in `leave`.
JsonValue Without(const JsonValue& object, std::initializer_list<const char*> leave) {
    JsonValue out = JsonValue::Object();
    for (std::size_t i = 0; i < object.Keys().size(); ++i)
        if (std::find(leave.begin(), leave.end(), object.Keys()[i]) == leave.end())
            out[object.Keys()[i]] = object.Items()[i];
    return out;
}

// The snapshot without the forms' and widgets' layout; a data view's
// content is kept whole.
JsonValue WithoutLayout(const JsonValue& state) {
    JsonValue out = Without(state, {"forms"}), forms = JsonValue::Array();
    for (const JsonValue& form : state.Find("forms")->Items()) {
        JsonValue f = Without(form, {"columns", "place", "widgets"}), widgets = JsonValue::Object();
        const JsonValue& all = *form.Find("widgets");
        for (std::size_t i = 0; i < all.Keys().size(); ++i)
            widgets[all.Keys()[i]] =
                Without(all.Items()[i], {"parent", "cell", "role", "height", "tabIndex", "columns"});
        f["widgets"] = std::move(widgets);
        forms.Push(std::move(f));
    }
    out["forms"] = std::move(forms);
    return out;
}

}  // namespace

JsonValue DumpState(const UiContext& ui, const HeadlessHost& host, const std::set<std::string>& only, bool layout) {
    JsonValue state = layout ? TakeSnapshot(ui, only) : WithoutLayout(TakeSnapshot(ui, only));
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
