#include "PanelDump.h"

#include <vector>

namespace zemra::headless {

using Json = nlohmann::ordered_json;

Json DumpWidget(const Widget& w) {
    Json j;
    j["kind"] = KindName(w.Kind());
    switch (w.Kind()) {
        case WidgetKind::Label: {
            const auto& l = static_cast<const Label&>(w);
            j["caption"] = l.caption;
            if (l.bold) j["bold"] = true;
            j["fontSize"] = l.fontSize;
            break;
        }
        case WidgetKind::Frame: j["caption"] = static_cast<const Frame&>(w).caption; break;
        case WidgetKind::Button: j["caption"] = static_cast<const Button&>(w).caption; break;
        case WidgetKind::CheckBox: {
            const auto& c = static_cast<const CheckBox&>(w);
            j["caption"] = c.caption;
            j["value"] = c.Value();
            break;
        }
        case WidgetKind::OptionButton: {
            const auto& o = static_cast<const OptionButton&>(w);
            j["caption"] = o.caption;
            j["value"] = o.Value();
            break;
        }
        case WidgetKind::TextBox: {
            const auto& t = static_cast<const TextBox&>(w);
            j["text"] = t.Text();
            j["locked"] = t.locked;
            j["selStart"] = t.selStart;
            j["selLength"] = t.selLength;
            break;
        }
        case WidgetKind::ListBox: {
            const auto& l = static_cast<const ListBox&>(w);
            Json rows = Json::array(), data = Json::array(), selected = Json::array();
            for (const auto& r : l.Rows()) {
                rows.push_back(r.text);
                data.push_back(r.itemData);
                selected.push_back(r.selected);
            }
            j["rows"] = rows;
            j["itemData"] = data;
            j["selected"] = selected;
            j["listIndex"] = l.ListIndex();
            j["multiSelect"] = l.multiSelect;
            break;
        }
        case WidgetKind::ComboBox: {
            const auto& c = static_cast<const ComboBox&>(w);
            Json rows = Json::array(), data = Json::array();
            for (const auto& e : c.Entries()) {
                rows.push_back(e.text);
                data.push_back(e.itemData);
            }
            j["text"] = c.Text();
            j["rows"] = rows;
            j["itemData"] = data;
            j["listIndex"] = c.ListIndex();
            j["locked"] = c.locked;
            break;
        }
    }
    j["enabled"] = w.IsEnabled();
    if (w.enabled != w.IsEnabled()) j["ownEnabled"] = w.enabled;
    j["visible"] = w.IsVisible();
    j["foreColor"] = w.foreColor.Hex();
    j["backColor"] = w.backColor.Hex();
    if (!w.toolTip.empty()) j["toolTip"] = w.toolTip;
    return j;
}

namespace {

Json DumpWidgets(const Form& form, const std::string& prefix, const std::set<std::string>& only) {
    Json widgets = Json::object();
    for (const auto& w : form.Widgets()) {
        const std::string name = prefix + w->Name();
        if (!only.empty() && !only.count(name)) continue;
        widgets[name] = DumpWidget(*w);
    }
    return widgets;
}

const char* ButtonsName(MsgButtons b) { return b == MsgButtons::YesNo ? "yesno" : "ok"; }

const char* AnswerName(MsgAnswer a) {
    switch (a) {
        case MsgAnswer::Yes: return "yes";
        case MsgAnswer::No: return "no";
        default: return "ok";
    }
}

}  // namespace

Json DumpState(MainCtl& ctl, const HeadlessHost& host, const std::set<std::string>& only) {
    Json state;
    state["widgets"] = DumpWidgets(ctl.Panel(), "", only);
    Widget* focus = ctl.Panel().Focused();
    state["focus"] = focus ? Json(focus->Name()) : Json(nullptr);
    state["pointer"] = host.MousePointer();
    Json messages = Json::array();
    for (const auto& m : host.messages)
        messages.push_back(Json{{"text", m.text}, {"buttons", ButtonsName(m.buttons)}, {"answer", AnswerName(m.answer)}});
    state["messages"] = messages;
    state["requests"] = host.requests;
    state["browserWindows"] = host.browserWindows;
    Json dialogs = Json::array();
    const std::vector<const Form*> forms;
    for (const Form* f : forms) {
        if (!f || !f->shown || f->unloaded) continue;
        Json d;
        d["name"] = f->Name();
        d["caption"] = f->caption;
        d["modal"] = f->modal;
        Widget* dfocus = f->Focused();
        d["focus"] = dfocus ? Json(dfocus->Name()) : Json(nullptr);
        // Filtering uses the dialog's prefix; the dump lists the plain names.
        Json plain = Json::object();
        const Json prefixed = DumpWidgets(*f, f->Name() + ".", only);
        for (const auto& [k, v] : prefixed.items()) plain[k.substr(f->Name().size() + 1)] = v;
        d["widgets"] = plain;
        dialogs.push_back(d);
    }
    state["dialogs"] = dialogs;
    return state;
}

}  // namespace zemra::headless
