#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/HostSeam.h"
#include "toolkit/Widgets.h"

namespace zemra {

class Form;

// What the control's forms share: the host seam and the one place where a
// failure that escapes an event handler is caught. Events nest (a handler
// that selects a row raises the list's Click); only the outermost event
// catches, so a failure ends the whole user action at that point.
class UiContext {
public:
    explicit UiContext(HostSeam& host) : m_host(host) {}
    HostSeam& Host() const { return m_host; }

    // Runs one event handler. A std::exception that escapes the outermost
    // handler goes to the failure handler (which reports it and leaves the
    // busy state); nested handlers let it pass upward.
    // Returns false when the handler failed.
    bool Dispatch(const std::function<void()>& handler);
    std::function<void(const std::exception&)> onFailure;
    bool InEvent() const { return m_depth > 0; }
    // Modal dialogs open now: while one is, the other forms take no user
    // action.
    int modalOpen = 0;

    // The registry of open forms: the main form (the first form made on
    // this context, the control's panel, open for its whole life), then the
    // dialogs shown, in the order they were shown. A dialog is listed from
    // Show until Unload.
    const std::vector<Form*>& OpenForms() const { return m_open; }
    // An open form by name; the empty name is the main form.
    Form* FindOpenForm(const std::string& name) const;

private:
    friend class Form;
    void Register(Form& form);
    void Deregister(Form& form);

    HostSeam& m_host;
    int m_depth = 0;
    std::vector<Form*> m_open;
    bool m_hasMain = false;
    int m_opened = 0;
};

// A form: the control's panel or one of its dialogs. It owns its elements,
// tracks the focus and runs validation when the focus moves.
class Form {
public:
    Form(UiContext& ui, std::string name);
    ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    UiContext& Ui() { return m_ui; }
    const std::string& Name() const { return m_name; }
    std::string caption;
    // Layout of the elements that stand in no frame: the widths of its grid
    // columns (as a frame's), and where a dialog first stands beside the
    // control (left and top in pixels; -1 lets the host choose). A dialog
    // records its layout as the panel does, while it builds its elements:
    //   form.columns = {120, 84};  field->cell = {1, 2};
    //   caption->role = WidgetRole::Caption;  form.left = 500; form.top = 300;
    // Without columns, a host sets each caption beside the element after it.
    std::vector<int> columns;
    int left = -1;
    int top = -1;
    // Counts the openings of forms on the context: a dialog shown again
    // after it was unloaded is a new instance.
    int Instance() const { return m_instance; }

    template <class W, class... Args>
    W& Add(const std::string& name, Frame* parent, Args&&... args) {
        auto widget = std::make_unique<W>(*this, name, parent, std::forward<Args>(args)...);
        W& ref = *widget;
        m_byName[name] = widget.get();
        m_widgets.push_back(std::move(widget));
        return ref;
    }
    Widget* Find(const std::string& name) const;
    const std::vector<std::unique_ptr<Widget>>& Widgets() const { return m_widgets; }

    // Moves the focus. The element that has it validates first; a refused
    // validation (or a handler that moved the focus elsewhere) keeps the
    // focus, and nothing at all happens in the target. Returns whether the
    // target has the focus now.
    bool SetFocus(Widget& target);
    Widget* Focused() const { return m_focus; }
    Widget* ActiveControl() const { return m_focus; }

    // The element the Tab key moves the focus to from `from` (from the
    // focus when nullptr): the next one by tab index (elements without one
    // follow in creation order) that can take the focus, going round;
    // backwards for Shift+Tab. nullptr when no element can take the focus.
    Widget* NextTabStop(const Widget* from, bool backwards) const;
    // The user's Tab from an element: the focus moves to its next tab stop.
    bool UserTab(const Widget* from, bool backwards);

    // The control sees every key press before the element does.
    std::function<void(int keyCode, int shift)> KeyPreview;
    // A dialog's buttons that keys press: Escape presses the cancel button
    // wherever the focus is (no field is checked: cancelling keeps
    // nothing), Enter the default button from any element but a button
    // (a button takes Enter as its own click, as the browser gives it);
    // the focus moves to the default button first, so a refused field
    // stops it.
    Button* cancelButton = nullptr;
    Button* defaultButton = nullptr;

    // User actions, as a host passes them on. Each is one event: it moves
    // the focus first (so a refused field stops it) and ignores disabled or
    // hidden elements. Returns whether the action reached the element.
    bool UserFocus(Widget& target);
    bool UserClick(Widget& target);  // button, check box, option button
    bool UserType(TextBox& box, const std::string& text);
    bool UserSelectRow(ListBox& list, int row, bool ctrl = false, bool shift = false);
    bool UserDblClickRow(ListBox& list, int row);
    bool UserPick(ComboBox& combo, int entry);
    bool UserKey(Widget& target, int keyCode, int shift = 0);
    // A click on a data view's cell, or on the header of one of its columns.
    bool UserCellClick(DataView& view, int row, int column);
    bool UserHeaderClick(DataView& view, int column);

    // Dialog state.
    bool shown = false;
    bool modal = false;
    bool unloaded = false;
    void Show(bool asModal);
    void Unload();

private:
    friend class UiContext;
    bool Reachable(const Widget& target) const;
    bool m_countedModal = false;

    UiContext& m_ui;
    std::string m_name;
    int m_instance = 0;
    std::vector<std::unique_ptr<Widget>> m_widgets;
    std::map<std::string, Widget*> m_byName;
    Widget* m_focus = nullptr;
    Widget* m_validating = nullptr;
};

}  // namespace zemra
