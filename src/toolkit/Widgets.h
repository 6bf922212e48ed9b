#pragma once
#include <functional>
#include <string>
#include <vector>

#include "toolkit/Color.h"
#include "toolkit/JsonValue.h"

namespace zemra {

class Form;
class Frame;

// Key codes that forms act on themselves.
constexpr int kKeyEnter = 13;
constexpr int kKeyEscape = 27;

enum class WidgetKind { Label, TextBox, ListBox, ComboBox, CheckBox, OptionButton, Frame, Button, DataView };
const char* KindName(WidgetKind kind);

// Where an element stands in the grid of its frame (or of its form, when it
// stands in no frame): 1-based row and column, and how many rows and columns
// it spans. Row 0 means the form's construction gave it no place.
struct GridCell {
    int row = 0;
    int column = 0;
    int rowSpan = 1;
    int columnSpan = 1;
};

// What an element is for: a label that is the caption of the element
// beside it or a column header; a label or list of values the control
// shows; a notice, a message label over the whole width of its frame.
enum class WidgetRole { None, Caption, Header, Value, Notice };
const char* RoleName(WidgetRole role);

// One element of a form. Appearance is plain data; changes that raise events
// go through methods, so that a change from code raises the same event as the
// user's action.
class Widget {
public:
    Widget(Form& form, WidgetKind kind, std::string name, Frame* parent);
    virtual ~Widget() = default;
    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;

    const std::string& Name() const { return m_name; }
    WidgetKind Kind() const { return m_kind; }
    Frame* Parent() const { return m_parent; }
    Form& Owner() const { return m_form; }

    // Own setting; a disabled frame disables what it holds without changing
    // the children's own setting.
    bool enabled = true;
    bool visible = true;
    Rgb foreColor = kBlack;
    Rgb backColor = kWhite;
    std::string toolTip;
    int tabIndex = -1;
    // Layout, recorded when the form is built.
    GridCell cell;
    WidgetRole role = WidgetRole::None;
    int height = 0;  // in pixels, where the construction fixes it; 0 leaves it to the host

    bool IsEnabled() const;     // own setting and every enclosing frame
    bool IsVisible() const;     // own setting and every enclosing frame
    bool CanTakeFocus() const;  // a kind that takes the focus, enabled and visible

    std::function<void()> GotFocus;
    std::function<void(bool& cancel)> Validate;
    std::function<void(int keyCode, int shift)> KeyDown;

protected:
    void Raise(const std::function<void()>& handler);

private:
    Form& m_form;
    WidgetKind m_kind;
    std::string m_name;
    Frame* m_parent;
};

class Label : public Widget {
public:
    Label(Form& f, std::string n, Frame* p) : Widget(f, WidgetKind::Label, std::move(n), p) {}
    std::string caption;
    bool bold = false;
    int fontSize = 8;
    // How far a task has come, 0 to 100, for a label that reports it; -1
    // for any other label.
    int percent = -1;
};

class Frame : public Widget {
public:
    Frame(Form& f, std::string n, Frame* p) : Widget(f, WidgetKind::Frame, std::move(n), p) {}
    std::string caption;
    // The widths in pixels of the grid columns its elements stand in; a
    // width of 0 takes an equal share of the room left.
    std::vector<int> columns;
};

class Button : public Widget {
public:
    Button(Form& f, std::string n, Frame* p) : Widget(f, WidgetKind::Button, std::move(n), p) {}
    std::string caption;
    std::function<void()> Click;
    void RaiseClick() { Raise(Click); }
};

class TextBox : public Widget {
public:
    TextBox(Form& f, std::string n, Frame* p) : Widget(f, WidgetKind::TextBox, std::move(n), p) {}
    const std::string& Text() const { return m_text; }
    void SetText(const std::string& text);  // raises Change when the text changes
    bool locked = false;
    int selStart = 0;
    int selLength = 0;
    // Selects from `start` for `length` characters (clipped to the text).
    void Select(int start, int length);
    std::function<void()> Change;

private:
    std::string m_text;
};

class ListBox : public Widget {
public:
    struct Row {
        std::string text;
        long itemData = 0;
        bool selected = false;
    };
    ListBox(Form& f, std::string n, Frame* p) : Widget(f, WidgetKind::ListBox, std::move(n), p) {}

    bool multiSelect = false;  // extended multiple selection
    int Count() const { return static_cast<int>(m_rows.size()); }
    int ListIndex() const { return m_listIndex; }
    const std::vector<Row>& Rows() const { return m_rows; }
    const std::string& ItemText(int row) const;
    long ItemData(int row) const;
    bool Selected(int row) const;
    int SelCount() const;

    // Changes without events.
    void AddItem(const std::string& text);
    void RemoveItem(int row);  // the current row, if removed, becomes -1
    // Removes every row whose flag is set (rows beyond the flags stay) in one
    // pass, as RemoveItem would one after the other.
    void RemoveFlaggedItems(const std::vector<bool>& flags);
    void Clear();
    void SetItemText(int row, const std::string& text);
    void SetItemData(int row, long data);

    // Changes that raise Click, as the user's action does. Selecting a row
    // makes it the current row; in a single-selection list it is the only
    // selected row.
    void SetSelected(int row, bool selected);
    void SetListIndex(int row);

    // The user's clicks on a row: a plain click leaves only that row selected;
    // a Ctrl-click toggles one row; a Shift-click selects the range from the
    // current row.
    void UserClickRow(int row);
    void UserCtrlClickRow(int row);
    void UserShiftClickRow(int row);

    std::function<void()> Click;
    std::function<void()> DblClick;
    void RaiseDblClick() { Raise(DblClick); }

private:
    void CheckRow(int row) const;
    std::vector<Row> m_rows;
    int m_listIndex = -1;
};

class ComboBox : public Widget {
public:
    struct Entry {
        std::string text;
        long itemData = 0;
    };
    ComboBox(Form& f, std::string n, Frame* p) : Widget(f, WidgetKind::ComboBox, std::move(n), p) {}

    bool locked = false;
    int Count() const { return static_cast<int>(m_entries.size()); }
    int ListIndex() const { return m_listIndex; }
    const std::string& Text() const { return m_text; }
    const std::vector<Entry>& Entries() const { return m_entries; }
    const std::string& ItemText(int entry) const;
    long ItemData(int entry) const;

    void AddItem(const std::string& text);
    void RemoveItem(int entry);
    void Clear();
    void SetItemText(int entry, const std::string& text);
    void SetItemData(int entry, long data);

    // Shows `entry` (or nothing for -1) and raises Click.
    void SetListIndex(int entry);
    // Shows a text: the first entry with exactly that text becomes the
    // current entry (raising Click); a text matching none shows the text with
    // no current entry.
    void SetText(const std::string& text);

    // The user opens the list (raises DropDown); then picks an entry, which
    // takes effect only when the drop-down is not locked.
    void UserDropDown();
    bool UserPick(int entry);

    std::function<void()> Click;
    std::function<void()> DropDown;

private:
    void CheckEntry(int entry) const;
    std::vector<Entry> m_entries;
    int m_listIndex = -1;
    std::string m_text;
};

class CheckBox : public Widget {
public:
    CheckBox(Form& f, std::string n, Frame* p) : Widget(f, WidgetKind::CheckBox, std::move(n), p) {}
    std::string caption;
    int Value() const { return m_value; }
    void SetValue(int value);  // 0 or 1; raises Click when it changes
    void UserToggle() { SetValue(m_value ? 0 : 1); }
    std::function<void()> Click;

private:
    int m_value = 0;
};

class OptionButton : public Widget {
public:
    OptionButton(Form& f, std::string n, Frame* p, std::string group)
        : Widget(f, WidgetKind::OptionButton, std::move(n), p), m_group(std::move(group)) {}
    std::string caption;
    bool Value() const { return m_value; }
    // Selecting one clears the others of its group; raises Click when it
    // becomes selected.
    void SetValue(bool value);
    const std::string& Group() const { return m_group; }
    std::function<void()> Click;

private:
    std::string m_group;
    bool m_value = false;
};

// A part of the window that a host fills from a view of the model: a table,
// a grid of figures, a list. What it shows is produced on demand by
// `content`, for a window of its rows and columns, so that a host asks only
// for what is on screen; `revision` changes whenever that content does.
// Cells are addressed by the model's rows and columns, the header by row
// -1 (the model says what its rows and columns stand for).
class DataView : public Widget {
public:
    struct Window {
        int firstRow = 0;
        int rows = -1;  // -1: every row from firstRow
        int firstColumn = 0;
        int columns = -1;
    };
    DataView(Form& f, std::string n, Frame* p) : Widget(f, WidgetKind::DataView, std::move(n), p) {}

    int revision = 0;
    int rowCount = 0;
    int columnCount = 0;
    int currentRow = -1;
    int currentColumn = -1;
    std::function<JsonValue(const Window& window)> content;

    // The user clicks a cell, or the header of a column (which sorts by it).
    std::function<void(int row, int column)> CellClick;
    std::function<void(int column)> HeaderClick;
    void RaiseCellClick(int row, int column);
    void RaiseHeaderClick(int column);
};

}  // namespace zemra
