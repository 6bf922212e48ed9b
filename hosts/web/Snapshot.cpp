#include "Snapshot.h"

#include <cstdint>
#include <cstdio>

namespace zemra::web {

namespace {

// A small JSON writer: texts are the control's bytes (UTF-8) with the
// characters JSON requires escaped.
class Json {
public:
    std::string out;

    void Text(const std::string& s) {
        out += '"';
        for (unsigned char c : s) {
            switch (c) {
                case '"': out += "\\\""; break;
                case '\\': out += "\\\\"; break;
                case '\n': out += "\\n"; break;
                case '\r': out += "\\r"; break;
                case '\t': out += "\\t"; break;
                default:
                    if (c < 0x20) {
                        char buf[8];
                        std::snprintf(buf, sizeof buf, "\\u%04x", c);
                        out += buf;
                    } else {
                        out += static_cast<char>(c);
                    }
            }
        }
        out += '"';
    }
    void Key(const char* key) {
        Comma();
        Text(key);
        out += ':';
        needComma_ = false;
    }
    void Open(char bracket) {
        Comma();
        out += bracket;
        needComma_ = false;
    }
    void Close(char bracket) {
        out += bracket;
        needComma_ = true;
    }
    void Value(const std::string& s) { Comma(); Text(s); needComma_ = true; }
    void Value(const char* s) { Value(std::string(s)); }
    void Value(bool b) { Comma(); out += b ? "true" : "false"; needComma_ = true; }
    void Value(long long n) { Comma(); out += std::to_string(n); needComma_ = true; }
    void Value(int n) { Value(static_cast<long long>(n)); }
    void Value(long n) { Value(static_cast<long long>(n)); }
    void Null() { Comma(); out += "null"; needComma_ = true; }

    template <class T>
    void Field(const char* key, const T& v) {
        Key(key);
        Value(v);
    }

private:
    void Comma() {
        if (needComma_) out += ',';
    }
    bool needComma_ = false;
};

void WriteWidget(Json& j, const Widget& w) {
    j.Open('{');
    j.Field("name", w.Name());
    j.Field("kind", KindName(w.Kind()));
    j.Key("parent");
    if (w.Parent()) j.Value(w.Parent()->Name());
    else j.Null();
    j.Field("tabIndex", w.tabIndex);
    switch (w.Kind()) {
        case WidgetKind::Label: {
            const auto& l = static_cast<const Label&>(w);
            j.Field("caption", l.caption);
            if (l.bold) j.Field("bold", true);
            j.Field("fontSize", l.fontSize);
            break;
        }
        case WidgetKind::Frame: j.Field("caption", static_cast<const Frame&>(w).caption); break;
        case WidgetKind::Button: j.Field("caption", static_cast<const Button&>(w).caption); break;
        case WidgetKind::CheckBox: {
            const auto& c = static_cast<const CheckBox&>(w);
            j.Field("caption", c.caption);
            j.Field("value", c.Value());
            break;
        }
        case WidgetKind::OptionButton: {
            const auto& o = static_cast<const OptionButton&>(w);
            j.Field("caption", o.caption);
            j.Field("value", o.Value());
            j.Field("group", o.Group());
            break;
        }
        case WidgetKind::TextBox: {
            const auto& t = static_cast<const TextBox&>(w);
            j.Field("text", t.Text());
            j.Field("locked", t.locked);
            j.Field("selStart", t.selStart);
            j.Field("selLength", t.selLength);
            break;
        }
        case WidgetKind::ListBox: {
            const auto& l = static_cast<const ListBox&>(w);
            j.Key("rows");
            j.Open('[');
            for (const auto& r : l.Rows()) j.Value(r.text);
            j.Close(']');
            j.Key("itemData");
            j.Open('[');
            for (const auto& r : l.Rows()) j.Value(r.itemData);
            j.Close(']');
            j.Key("selected");
            j.Open('[');
            for (const auto& r : l.Rows()) j.Value(r.selected);
            j.Close(']');
            j.Field("listIndex", l.ListIndex());
            j.Field("multiSelect", l.multiSelect);
            break;
        }
        case WidgetKind::ComboBox: {
            const auto& c = static_cast<const ComboBox&>(w);
            j.Field("text", c.Text());
            j.Key("rows");
            j.Open('[');
            for (const auto& e : c.Entries()) j.Value(e.text);
            j.Close(']');
            j.Key("itemData");
            j.Open('[');
            for (const auto& e : c.Entries()) j.Value(e.itemData);
            j.Close(']');
            j.Field("listIndex", c.ListIndex());
            j.Field("locked", c.locked);
            break;
        }
    }
    j.Field("enabled", w.IsEnabled());
    if (w.enabled != w.IsEnabled()) j.Field("ownEnabled", w.enabled);
    j.Field("visible", w.IsVisible());
    j.Field("foreColor", w.foreColor.Hex());
    j.Field("backColor", w.backColor.Hex());
    if (!w.toolTip.empty()) j.Field("toolTip", w.toolTip);
    j.Close('}');
}

void WriteForm(Json& j, const Form& f, bool dialog) {
    j.Open('{');
    j.Field("name", f.Name());
    j.Field("caption", f.caption);
    // A dialog opened again is a new form: the page builds it anew.
    j.Field("instance", static_cast<long long>(reinterpret_cast<uintptr_t>(&f)));
    j.Field("dialog", dialog);
    j.Field("modal", f.modal);
    j.Key("focus");
    if (f.Focused()) j.Value(f.Focused()->Name());
    else j.Null();
    j.Key("widgets");
    j.Open('[');
    for (const auto& w : f.Widgets()) WriteWidget(j, *w);
    j.Close(']');
    j.Close('}');
}

Form* DialogForms(MainCtl&, int) { return nullptr; }

bool IsOpen(const Form* f) { return f && f->shown && !f->unloaded; }

}  // namespace

std::string SnapshotJson(MainCtl& ctl) {
    Json j;
    j.Open('{');
    j.Field("pointer", ctl.Host().MousePointer());
    j.Field("modalOpen", ctl.Ui().modalOpen);
    j.Key("forms");
    j.Open('[');
    WriteForm(j, ctl.Panel(), false);
    for (int i = 0; i < 4; ++i)
        if (Form* f = DialogForms(ctl, i); IsOpen(f)) WriteForm(j, *f, true);
    j.Close(']');
    j.Close('}');
    return j.out;
}

Form* FindForm(MainCtl& ctl, const std::string& name) {
    if (name == ctl.Panel().Name()) return &ctl.Panel();
    for (int i = 0; i < 4; ++i) {
        Form* f = DialogForms(ctl, i);
        if (IsOpen(f) && f->Name() == name) return f;
    }
    return nullptr;
}

}  // namespace zemra::web
