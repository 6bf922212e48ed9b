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
    : form_(form), kind_(kind), name_(std::move(name)), parent_(parent) {
    if (kind == WidgetKind::Label || kind == WidgetKind::Frame || kind == WidgetKind::Button ||
        kind == WidgetKind::CheckBox || kind == WidgetKind::OptionButton)
        backColor = kButtonFace;
}

bool Widget::IsEnabled() const {
    for (const Widget* w = this; w; w = w->parent_)
        if (!w->enabled) return false;
    return true;
}

bool Widget::IsVisible() const {
    for (const Widget* w = this; w; w = w->parent_)
        if (!w->visible) return false;
    return true;
}

bool Widget::CanTakeFocus() const {
    if (kind_ == WidgetKind::Label || kind_ == WidgetKind::Frame || kind_ == WidgetKind::DataView) return false;
    return IsEnabled() && IsVisible();
}

void Widget::Raise(const std::function<void()>& handler) {
    if (handler) form_.Ui().Dispatch(handler);
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
    if (text == text_) return;
    text_ = text;
    selStart = 0;
    selLength = 0;
    Raise(Change);
}

void TextBox::Select(int start, int length) {
    const int size = static_cast<int>(text_.size());
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
    return rows_[row].text;
}
long ListBox::ItemData(int row) const {
    CheckRow(row);
    return rows_[row].itemData;
}
bool ListBox::Selected(int row) const {
    CheckRow(row);
    return rows_[row].selected;
}

int ListBox::SelCount() const {
    int n = 0;
    for (const auto& r : rows_) n += r.selected ? 1 : 0;
    return n;
}

void ListBox::AddItem(const std::string& text) { rows_.push_back(Row{text, 0, false}); }

void ListBox::RemoveItem(int row) {
    CheckRow(row);
    rows_.erase(rows_.begin() + row);
    if (listIndex_ == row)
        listIndex_ = -1;
    else if (listIndex_ > row)
        --listIndex_;
}

void ListBox::RemoveFlaggedItems(const std::vector<bool>& flags) {
    std::size_t kept = 0;
    int current = listIndex_;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (i < flags.size() && flags[i]) {
            if (static_cast<int>(i) == listIndex_) current = -1;
            continue;
        }
        if (static_cast<int>(i) == listIndex_) current = static_cast<int>(kept);
        if (kept != i) rows_[kept] = std::move(rows_[i]);
        ++kept;
    }
    rows_.resize(kept);
    listIndex_ = current;
}

void ListBox::Clear() {
    rows_.clear();
    listIndex_ = -1;
}

void ListBox::SetItemText(int row, const std::string& text) {
    CheckRow(row);
    rows_[row].text = text;
}
void ListBox::SetItemData(int row, long data) {
    CheckRow(row);
    rows_[row].itemData = data;
}

void ListBox::SetSelected(int row, bool selected) {
    CheckRow(row);
    if (selected) {
        if (!multiSelect)
            for (auto& r : rows_) r.selected = false;
        rows_[row].selected = true;
        listIndex_ = row;
    } else {
        rows_[row].selected = false;
    }
    Raise(Click);
}

void ListBox::SetListIndex(int row) {
    if (row == -1) {
        listIndex_ = -1;
        if (!multiSelect)
            for (auto& r : rows_) r.selected = false;
        Raise(Click);
        return;
    }
    CheckRow(row);
    if (!multiSelect)
        for (auto& r : rows_) r.selected = false;
    rows_[row].selected = true;
    listIndex_ = row;
    Raise(Click);
}

void ListBox::UserClickRow(int row) {
    CheckRow(row);
    for (auto& r : rows_) r.selected = false;
    rows_[row].selected = true;
    listIndex_ = row;
    Raise(Click);
}

void ListBox::UserCtrlClickRow(int row) {
    CheckRow(row);
    if (!multiSelect) {
        UserClickRow(row);
        return;
    }
    rows_[row].selected = !rows_[row].selected;
    listIndex_ = row;
    Raise(Click);
}

void ListBox::UserShiftClickRow(int row) {
    CheckRow(row);
    if (!multiSelect || listIndex_ < 0) {
        UserClickRow(row);
        return;
    }
    const int from = listIndex_ < row ? listIndex_ : row;
    const int to = listIndex_ < row ? row : listIndex_;
    for (int i = 0; i < Count(); ++i) rows_[i].selected = (i >= from && i <= to);
    listIndex_ = row;
    Raise(Click);
}

// ---- ComboBox

void ComboBox::CheckEntry(int entry) const {
    if (entry < 0 || entry >= Count())
        throw std::out_of_range("Drop-down " + Name() + " has no entry " + std::to_string(entry) + ".");
}

const std::string& ComboBox::ItemText(int entry) const {
    CheckEntry(entry);
    return entries_[entry].text;
}
long ComboBox::ItemData(int entry) const {
    CheckEntry(entry);
    return entries_[entry].itemData;
}

void ComboBox::AddItem(const std::string& text) { entries_.push_back(Entry{text, 0}); }

void ComboBox::RemoveItem(int entry) {
    CheckEntry(entry);
    entries_.erase(entries_.begin() + entry);
    if (listIndex_ == entry) {
        listIndex_ = -1;
        text_.clear();
    } else if (listIndex_ > entry) {
        --listIndex_;
    }
}

void ComboBox::Clear() {
    entries_.clear();
    listIndex_ = -1;
    text_.clear();
}

void ComboBox::SetItemText(int entry, const std::string& text) {
    CheckEntry(entry);
    entries_[entry].text = text;
    if (entry == listIndex_) text_ = text;
}

void ComboBox::SetItemData(int entry, long data) {
    CheckEntry(entry);
    entries_[entry].itemData = data;
}

void ComboBox::SetListIndex(int entry) {
    if (entry == -1) {
        listIndex_ = -1;
        text_.clear();
    } else {
        CheckEntry(entry);
        listIndex_ = entry;
        text_ = entries_[entry].text;
    }
    Raise(Click);
}

void ComboBox::SetText(const std::string& text) {
    for (int i = 0; i < Count(); ++i) {
        if (entries_[i].text == text) {
            SetListIndex(i);
            return;
        }
    }
    listIndex_ = -1;
    text_ = text;
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
    if (value == value_) return;
    value_ = value;
    Raise(Click);
}

void OptionButton::SetValue(bool value) {
    if (!value) {
        value_ = false;
        return;
    }
    for (const auto& w : Owner().Widgets()) {
        if (w->Kind() != WidgetKind::OptionButton || w.get() == this) continue;
        auto* other = static_cast<OptionButton*>(w.get());
        if (other->group_ == group_) other->value_ = false;
    }
    const bool changed = !value_;
    value_ = true;
    if (changed) Raise(Click);
}

}  // namespace zemra
