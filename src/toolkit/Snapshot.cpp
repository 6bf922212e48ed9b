#include "toolkit/Snapshot.h"

namespace zemra {

namespace {

JsonValue Numbers(const std::vector<int>& values) {
    JsonValue a = JsonValue::Array();
    for (int v : values) a.Push(v);
    return a;
}

void AddLayout(JsonValue& j, const Widget& w) {
    if (w.Parent()) j["parent"] = w.Parent()->Name();
    if (w.cell.row > 0) j["cell"] = Numbers({w.cell.row, w.cell.column, w.cell.rowSpan, w.cell.columnSpan});
    if (w.role != WidgetRole::None) j["role"] = RoleName(w.role);
    if (w.height > 0) j["height"] = w.height;
    if (w.tabIndex >= 0) j["tabIndex"] = w.tabIndex;
    if (w.Kind() == WidgetKind::Frame) {
        const auto& columns = static_cast<const Frame&>(w).columns;
        if (!columns.empty()) j["columns"] = Numbers(columns);
    }
}

void AddState(JsonValue& j, const Widget& w) {
    switch (w.Kind()) {
        case WidgetKind::Label: {
            const auto& l = static_cast<const Label&>(w);
            j["caption"] = l.caption;
            if (l.bold) j["bold"] = true;
            j["fontSize"] = l.fontSize;
            if (l.percent >= 0) j["percent"] = l.percent;
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
            j["group"] = o.Group();
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
            JsonValue rows = JsonValue::Array(), data = JsonValue::Array(), selected = JsonValue::Array();
            for (const auto& r : l.Rows()) {
                rows.Push(r.text);
                data.Push(r.itemData);
                selected.Push(r.selected);
            }
            j["rows"] = std::move(rows);
            j["itemData"] = std::move(data);
            j["selected"] = std::move(selected);
            j["listIndex"] = l.ListIndex();
            j["multiSelect"] = l.multiSelect;
            break;
        }
        case WidgetKind::DataView: {
            const auto& v = static_cast<const DataView&>(w);
            j["revision"] = v.revision;
            j["rowCount"] = v.rowCount;
            j["columnCount"] = v.columnCount;
            j["current"] = Numbers({v.currentRow, v.currentColumn});
            break;
        }
        case WidgetKind::ComboBox: {
            const auto& c = static_cast<const ComboBox&>(w);
            JsonValue rows = JsonValue::Array(), data = JsonValue::Array();
            for (const auto& e : c.Entries()) {
                rows.Push(e.text);
                data.Push(e.itemData);
            }
            j["text"] = c.Text();
            j["rows"] = std::move(rows);
            j["itemData"] = std::move(data);
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
}

JsonValue FormSnapshot(const Form& f, bool dialog, const std::set<std::string>& only) {
    JsonValue j;
    j["name"] = f.Name();
    j["caption"] = f.caption;
    j["instance"] = f.Instance();
    j["dialog"] = dialog;
    j["modal"] = f.modal;
    j["focus"] = f.Focused() ? JsonValue(f.Focused()->Name()) : JsonValue();
    if (!f.columns.empty()) j["columns"] = Numbers(f.columns);
    if (f.left >= 0 && f.top >= 0) j["place"] = Numbers({f.left, f.top});
    const std::string prefix = dialog ? f.Name() + "." : "";
    JsonValue widgets = JsonValue::Object();
    for (const auto& w : f.Widgets()) {
        if (!only.empty() && !only.count(prefix + w->Name())) continue;
        widgets[w->Name()] = WidgetSnapshot(*w);
        // A view named on its own comes with all it shows.
        if (!only.empty() && w->Kind() == WidgetKind::DataView) {
            const auto& v = static_cast<const DataView&>(*w);
            if (v.content) widgets[w->Name()]["content"] = v.content(DataView::Window{});
        }
    }
    j["widgets"] = std::move(widgets);
    return j;
}

}  // namespace

JsonValue WidgetSnapshot(const Widget& w) {
    JsonValue j;
    j["kind"] = KindName(w.Kind());
    AddLayout(j, w);
    AddState(j, w);
    return j;
}

JsonValue TakeSnapshot(const UiContext& ui, const std::set<std::string>& only) {
    JsonValue j;
    j["pointer"] = ui.Host().MousePointer();
    j["modalOpen"] = ui.modalOpen;
    JsonValue forms = JsonValue::Array();
    const Form* main = ui.FindOpenForm("");
    for (const Form* f : ui.OpenForms()) forms.Push(FormSnapshot(*f, f != main, only));
    j["forms"] = std::move(forms);
    return j;
}

}  // namespace zemra
