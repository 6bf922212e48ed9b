#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/HostSeam.h"
#include "toolkit/Widgets.h"

namespace zemra {

// What the control's forms share: the host seam and the one place where a
// failure that escapes an event handler is caught. Events nest (a handler
// that selects a row raises the list's Click); only the outermost event
// catches, so a failure ends the whole user action at that point.
class UiContext {
public:
    explicit UiContext(HostSeam& host) : host_(host) {}
    HostSeam& Host() { return host_; }

    // Runs one event handler. A std::exception that escapes the outermost
    // handler goes to the failure handler (which reports it and leaves the
    // busy state); nested handlers let it pass upward.
    // Returns false when the handler failed.
    bool Dispatch(const std::function<void()>& handler);
    std::function<void(const std::exception&)> onFailure;
    bool InEvent() const { return depth_ > 0; }
    // Modal dialogs open now: while one is, the other forms take no user
    // action.
    int modalOpen = 0;

private:
    HostSeam& host_;
    int depth_ = 0;
};

// A form: the control's panel or one of its dialogs. It owns its elements,
// tracks the focus and runs validation when the focus moves.
class Form {
public:
    Form(UiContext& ui, std::string name);
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    UiContext& Ui() { return ui_; }
    const std::string& Name() const { return name_; }
    std::string caption;

    template <class W, class... Args>
    W& Add(const std::string& name, Frame* parent, Args&&... args) {
        auto widget = std::make_unique<W>(*this, name, parent, std::forward<Args>(args)...);
        W& ref = *widget;
        byName_[name] = widget.get();
        widgets_.push_back(std::move(widget));
        return ref;
    }
    Widget* Find(const std::string& name) const;
    const std::vector<std::unique_ptr<Widget>>& Widgets() const { return widgets_; }

    // Moves the focus. The element that has it validates first; a refused
    // validation (or a handler that moved the focus elsewhere) keeps the
    // focus, and nothing at all happens in the target. Returns whether the
    // target has the focus now.
    bool SetFocus(Widget& target);
    Widget* Focused() const { return focus_; }
    Widget* ActiveControl() const { return focus_; }

    // The control sees every key press before the element does.
    std::function<void(int keyCode, int shift)> KeyPreview;

    // User actions, as a host passes them on. Each is one event: it moves
    // the focus first (so a refused field stops it) and ignores disabled or
    // hidden elements. Returns whether the action reached the element.
    bool UserFocus(Widget& target);
    bool UserClick(Widget& target);             // button, check box, option button
    bool UserType(TextBox& box, const std::string& text);
    bool UserSelectRow(ListBox& list, int row, bool ctrl = false, bool shift = false);
    bool UserDblClickRow(ListBox& list, int row);
    bool UserPick(ComboBox& combo, int entry);
    bool UserKey(Widget& target, int keyCode, int shift = 0);

    // Dialog state.
    bool shown = false;
    bool modal = false;
    bool unloaded = false;
    void Show(bool asModal);
    void Unload();

private:
    bool Reachable(const Widget& target) const;
    bool countedModal_ = false;

    UiContext& ui_;
    std::string name_;
    std::vector<std::unique_ptr<Widget>> widgets_;
    std::map<std::string, Widget*> byName_;
    Widget* focus_ = nullptr;
    Widget* validating_ = nullptr;
};

}  // namespace zemra
