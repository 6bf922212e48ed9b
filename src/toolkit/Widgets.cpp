#include "toolkit/Widgets.h"

#include <cstdio>
#include <stdexcept>

#include "toolkit/Form.h"

namespace zemra {

std::string Rgb::Hex() const {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", r, g, b);
    return buf;
}

const char* KindName(WidgetKind kind) {
    switch (kind) {
        case WidgetKind::Label: return "label";
        case WidgetKind::TextBox: return "textbox";
        case WidgetKind::ListBox: return "listbox";
        case WidgetKind::ComboBox: return "combobox";
        case WidgetKind::CheckBox: return "checkbox";
        case WidgetKind::OptionButton: return "option";
        case WidgetKind::Frame: return "frame";
        case WidgetKind::Button: return "button";
        case WidgetKind::DataView: return "dataview";
    }
    return "widget";
}

const char* RoleName(WidgetRole role) {
    switch (role) {
        case WidgetRole::None: return "";
        case WidgetRole::Caption: return "caption";
        case WidgetRole::Header: return "header";
        case WidgetRole::Value: return "value";
        case WidgetRole::Notice: return "notice";
    }
    return "";
}

Widget::Widget(Form& form, WidgetKind kind, std::string name, Frame* parent)
    : m_form(form), m_kind(kind), m_name(std::move(name)), m_parent(parent) {
    if (kind == WidgetKind::Label || kind == WidgetKind::Frame || kind == WidgetKind::Button ||
        kind == WidgetKind::CheckBox || kind == WidgetKind::OptionButton)
        backColor = kButtonFace;
}

bool Widget::IsEnabled() const {
    for (const Widget* w = this; w; w = w->m_parent)
        if (!w->enabled) return false;
    return true;
}

bool Widget::IsVisible() const {
    for (const Widget* w = this; w; w = w->m_parent)
        if (!w->visible) return false;
    return true;
}

bool Widget::CanTakeFocus() const {
    if (m_kind == WidgetKind::Label || m_kind == WidgetKind::Frame || m_kind == WidgetKind::DataView) return false;
    return IsEnabled() && IsVisible();
}

void Widget::Raise(const std::function<void()>& handler) {
    if (handler) m_form.Ui().Dispatch(handler);
}

// ---- DataView

void DataView::RaiseCellClick(int row, int column) {
    if (CellClick) Raise([this, row, column] { CellClick(row, column); });
}

void DataView::RaiseHeaderClick(int column) {
    if (HeaderClick) Raise([this, column] { HeaderClick(column); });
}

// ---- TextBox

void TextBox::SetText(const std::string& text) {
    if (text == m_text) return;
    m_text = text;
    selStart = 0;
    selLength = 0;
    Raise(Change);
}

void TextBox::Select(int start, int length) {
    const int size = static_cast<int>(m_text.size());
    selStart = start < 0 ? 0 : (start > size ? size : start);
    const int rest = size - selStart;
    selLength = length < 0 ? 0 : (length > rest ? rest : length);
}

// ---- ListBox

void ListBox::CheckRow(int row) const {
    if (row < 0 || row >= Count())
        throw std::out_of_range("List " + Name() + " has no row " + std::to_string(row) + ".");
}

const std::string& ListBox::ItemText(int row) const {
    CheckRow(row);
    return m_rows[row].text;
}
long ListBox::ItemData(int row) const {
    CheckRow(row);
    return m_rows[row].itemData;
}
bool ListBox::Selected(int row) const {
    CheckRow(row);
    return m_rows[row].selected;
}

int ListBox::SelCount() const {
    int n = 0;
    for (const auto& r : m_rows) n += r.selected ? 1 : 0;
    return n;
}

void ListBox::AddItem(const std::string& text) { m_rows.push_back(Row{text, 0, false}); }

void ListBox::RemoveItem(int row) {
    CheckRow(row);
    m_rows.erase(m_rows.begin() + row);
    if (m_listIndex == row)
        m_listIndex = -1;
    else if (m_listIndex > row)
        --m_listIndex;
}

void ListBox::RemoveFlaggedItems(const std::vector<bool>& flags) {
    std::size_t kept = 0;
    int current = m_listIndex;
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (i < flags.size() && flags[i]) {
            if (static_cast<int>(i) == m_listIndex) current = -1;
            continue;
        }
        if (static_cast<int>(i) == m_listIndex) current = static_cast<int>(kept);
        if (kept != i) m_rows[kept] = std::move(m_rows[i]);
        ++kept;
    }
    m_rows.resize(kept);
    m_listIndex = current;
}

void ListBox::Clear() {
    m_rows.clear();
    m_listIndex = -1;
}

void ListBox::SetItemText(int row, const std::string& text) {
    CheckRow(row);
    m_rows[row].text = text;
}
void ListBox::SetItemData(int row, long data) {
    CheckRow(row);
    m_rows[row].itemData = data;
}

void ListBox::SetSelected(int row, bool selected) {
    CheckRow(row);
    if (selected) {
        if (!multiSelect)
            for (auto& r : m_rows) r.selected = false;
        m_rows[row].selected = true;
        m_listIndex = row;
    } else {
        m_rows[row].selected = false;
    }
    Raise(Click);
}

void ListBox::SetListIndex(int row) {
    if (row == -1) {
        m_listIndex = -1;
        if (!multiSelect)
            for (auto& r : m_rows) r.selected = false;
        Raise(Click);
        return;
    }
    CheckRow(row);
    if (!multiSelect)
        for (auto& r : m_rows) r.selected = false;
    m_rows[row].selected = true;
    m_listIndex = row;
    Raise(Click);
}

void ListBox::UserClickRow(int row) {
    CheckRow(row);
    for (auto& r : m_rows) r.selected = false;
    m_rows[row].selected = true;
    m_listIndex = row;
    Raise(Click);
}

void ListBox::UserCtrlClickRow(int row) {
    CheckRow(row);
    if (!multiSelect) {
        UserClickRow(row);
        return;
    }
    m_rows[row].selected = !m_rows[row].selected;
    m_listIndex = row;
    Raise(Click);
}

void ListBox::UserShiftClickRow(int row) {
    CheckRow(row);
    if (!multiSelect || m_listIndex < 0) {
        UserClickRow(row);
        return;
    }
    const int from = m_listIndex < row ? m_listIndex : row;
    const int to = m_listIndex < row ? row : m_listIndex;
    for (int i = 0; i < Count(); ++i) m_rows[i].selected = (i >= from && i <= to);
    m_listIndex = row;
    Raise(Click);
}

// ---- ComboBox

void ComboBox::CheckEntry(int entry) const {
    if (entry < 0 || entry >= Count())
        throw std::out_of_range("Drop-down " + Name() + " has no entry " + std::to_string(entry) + ".");
}

const std::string& ComboBox::ItemText(int entry) const {
    CheckEntry(entry);
    return m_entries[entry].text;
}
long ComboBox::ItemData(int entry) const {
    CheckEntry(entry);
    return m_entries[entry].itemData;
}

void ComboBox::AddItem(const std::string& text) { m_entries.push_back(Entry{text, 0}); }

void ComboBox::RemoveItem(int entry) {
    CheckEntry(entry);
    m_entries.erase(m_entries.begin() + entry);
    if (m_listIndex == entry) {
        m_listIndex = -1;
        m_text.clear();
    } else if (m_listIndex > entry) {
        --m_listIndex;
    }
}

void ComboBox::Clear() {
    m_entries.clear();
    m_listIndex = -1;
    m_text.clear();
}

void ComboBox::SetItemText(int entry, const std::string& text) {
    CheckEntry(entry);
    m_entries[entry].text = text;
    if (entry == m_listIndex) m_text = text;
}

void ComboBox::SetItemData(int entry, long data) {
    CheckEntry(entry);
    m_entries[entry].itemData = data;
}

void ComboBox::SetListIndex(int entry) {
    if (entry == -1) {
        m_listIndex = -1;
        m_text.clear();
    } else {
        CheckEntry(entry);
        m_listIndex = entry;
        m_text = m_entries[entry].text;
    }
    Raise(Click);
}

void ComboBox::SetText(const std::string& text) {
    for (int i = 0; i < Count(); ++i) {
        if (m_entries[i].text == text) {
            SetListIndex(i);
            return;
        }
    }
    m_listIndex = -1;
    m_text = text;
}

void ComboBox::UserDropDown() { Raise(DropDown); }

bool ComboBox::UserPick(int entry) {
    CheckEntry(entry);
    if (locked) return false;
    SetListIndex(entry);
    return true;
}

// ---- CheckBox and OptionButton

void CheckBox::SetValue(int value) {
    value = value ? 1 : 0;
    if (value == m_value) return;
    m_value = value;
    Raise(Click);
}

void OptionButton::SetValue(bool value) {
    if (!value) {
        m_value = false;
        return;
    }
    for (const auto& w : Owner().Widgets()) {
        if (w->Kind() != WidgetKind::OptionButton || w.get() == this) continue;
        auto* other = static_cast<OptionButton*>(w.get());
        if (other->m_group == m_group) other->m_value = false;
    }
    const bool changed = !m_value;
    m_value = true;
    if (changed) Raise(Click);
}

}  // namespace zemra
