#include "toolkit/Form.h"

#include <algorithm>

namespace zemra {

namespace {

// Elements without a tab index follow those with one, in creation order.
constexpr int kUnorderedTabBase = 100000;

}  // namespace

Form* UiContext::FindOpenForm(const std::string& name) const {
    if (name.empty()) return hasMain_ && !open_.empty() ? open_.front() : nullptr;
    for (Form* f : open_)
        if (f->Name() == name) return f;
    return nullptr;
}

void UiContext::Register(Form& form) {
    if (std::find(open_.begin(), open_.end(), &form) != open_.end()) return;
    form.instance_ = ++opened_;
    open_.push_back(&form);
}

void UiContext::Deregister(Form& form) {
    auto it = std::find(open_.begin(), open_.end(), &form);
    if (it == open_.end()) return;
    if (it == open_.begin() && hasMain_) hasMain_ = false;
    open_.erase(it);
}

bool UiContext::Dispatch(const std::function<void()>& handler) {
    if (!handler) return true;
    ++depth_;
    if (depth_ > 1) {
        // Nested: the outermost event reports the failure.
        try {
            handler();
        } catch (...) {
            --depth_;
            throw;
        }
        --depth_;
        return true;
    }
    try {
        handler();
    } catch (const std::exception& e) {
        depth_ = 0;
        if (onFailure) onFailure(e);
        return false;
    }
    depth_ = 0;
    return true;
}

Form::Form(UiContext& ui, std::string name) : ui_(ui), name_(std::move(name)) {
    if (!ui_.hasMain_ && ui_.open_.empty()) {
        ui_.Register(*this);
        ui_.hasMain_ = true;
    }
}

Form::~Form() { ui_.Deregister(*this); }

Widget* Form::Find(const std::string& name) const {
    auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : it->second;
}

bool Form::SetFocus(Widget& target) {
    if (&target == focus_) return true;
    if (!target.CanTakeFocus()) return false;
    Widget* leaving = focus_;
    if (leaving && leaving != validating_ && leaving->Validate) {
        bool cancel = false;
        validating_ = leaving;
        bool completed = false;
        try {
            completed = ui_.Dispatch([&] { leaving->Validate(cancel); });
        } catch (...) {
            validating_ = nullptr;
            throw;
        }
        validating_ = nullptr;
        if (cancel || !completed) return false;
        // The handler moved the focus itself: the user's move is abandoned.
        if (focus_ != leaving) return focus_ == &target;
    }
    focus_ = &target;
    if (target.GotFocus) ui_.Dispatch(target.GotFocus);
    return focus_ == &target;
}

Widget* Form::NextTabStop(const Widget* from, bool backwards) const {
    std::vector<std::pair<int, Widget*>> stops;
    for (size_t i = 0; i < widgets_.size(); ++i) {
        Widget* w = widgets_[i].get();
        if (!w->CanTakeFocus()) continue;
        stops.emplace_back(w->tabIndex >= 0 ? w->tabIndex : kUnorderedTabBase + static_cast<int>(i), w);
    }
    if (stops.empty()) return nullptr;
    std::stable_sort(stops.begin(), stops.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    if (!from) from = focus_;
    const int n = static_cast<int>(stops.size());
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (stops[i].second == from) at = i;
    if (at < 0) return backwards ? stops.back().second : stops.front().second;
    return stops[(at + (backwards ? n - 1 : 1)) % n].second;
}

bool Form::UserTab(const Widget* from, bool backwards) {
    Widget* next = NextTabStop(from, backwards);
    return next && UserFocus(*next);
}

bool Form::Reachable(const Widget& target) const {
    if (unloaded) return false;
    if (ui_.modalOpen > 0 && !(shown && modal)) return false;
    return target.IsEnabled() && target.IsVisible();
}

bool Form::UserFocus(Widget& target) {
    if (!Reachable(target)) return false;
    bool moved = false;
    ui_.Dispatch([&] { moved = SetFocus(target); });
    return moved;
}

bool Form::UserClick(Widget& target) {
    if (!Reachable(target)) return false;
    bool reached = false;
    ui_.Dispatch([&] {
        if (!SetFocus(target)) return;
        reached = true;
        switch (target.Kind()) {
            case WidgetKind::Button: static_cast<Button&>(target).RaiseClick(); break;
            case WidgetKind::CheckBox: static_cast<CheckBox&>(target).UserToggle(); break;
            case WidgetKind::OptionButton: static_cast<OptionButton&>(target).SetValue(true); break;
            default: break;
        }
    });
    return reached;
}

bool Form::UserType(TextBox& box, const std::string& text) {
    if (!Reachable(box)) return false;
    bool reached = false;
    ui_.Dispatch([&] {
        if (!SetFocus(box)) return;
        reached = true;
        if (!box.locked) {
            box.SetText(text);
            box.Select(static_cast<int>(text.size()), 0);
        }
    });
    return reached;
}

bool Form::UserSelectRow(ListBox& list, int row, bool ctrl, bool shift) {
    if (!Reachable(list) || row < 0 || row >= list.Count()) return false;
    bool reached = false;
    ui_.Dispatch([&] {
        if (!SetFocus(list)) return;
        reached = true;
        if (ctrl)
            list.UserCtrlClickRow(row);
        else if (shift)
            list.UserShiftClickRow(row);
        else
            list.UserClickRow(row);
    });
    return reached;
}

bool Form::UserDblClickRow(ListBox& list, int row) {
    if (!Reachable(list) || row < 0 || row >= list.Count()) return false;
    bool reached = false;
    ui_.Dispatch([&] {
        if (!SetFocus(list)) return;
        reached = true;
        list.UserClickRow(row);
        list.RaiseDblClick();
    });
    return reached;
}

bool Form::UserPick(ComboBox& combo, int entry) {
    if (!Reachable(combo) || entry < 0 || entry >= combo.Count()) return false;
    bool reached = false;
    ui_.Dispatch([&] {
        if (!SetFocus(combo)) return;
        combo.UserDropDown();
        reached = combo.UserPick(entry);
    });
    return reached;
}

bool Form::UserCellClick(DataView& view, int row, int column) {
    if (!Reachable(view)) return false;
    view.RaiseCellClick(row, column);
    return true;
}

bool Form::UserHeaderClick(DataView& view, int column) {
    if (!Reachable(view)) return false;
    view.RaiseHeaderClick(column);
    return true;
}

bool Form::UserKey(Widget& target, int keyCode, int shift) {
    if (!Reachable(target)) return false;
    bool reached = false;
    ui_.Dispatch([&] {
        if (!SetFocus(target)) return;
        reached = true;
        if (KeyPreview) KeyPreview(keyCode, shift);
        if (target.KeyDown) target.KeyDown(keyCode, shift);
        if (unloaded || shift != 0) return;
        if (keyCode == kKeyEscape && cancelButton && Reachable(*cancelButton)) {
            cancelButton->RaiseClick();
        } else if (keyCode == kKeyEnter && defaultButton && target.Kind() != WidgetKind::Button &&
                   Reachable(*defaultButton) && SetFocus(*defaultButton)) {
            defaultButton->RaiseClick();
        }
    });
    return reached;
}

void Form::Show(bool asModal) {
    shown = true;
    modal = asModal;
    unloaded = false;
    ui_.Register(*this);
    if (asModal && !countedModal_) {
        countedModal_ = true;
        ++ui_.modalOpen;
    }
    ui_.Host().DialogShown(*this, asModal);
}

void Form::Unload() {
    if (unloaded) return;
    shown = false;
    unloaded = true;
    ui_.Deregister(*this);
    if (countedModal_) {
        countedModal_ = false;
        --ui_.modalOpen;
    }
    ui_.Host().DialogUnloaded(*this);
}

}  // namespace zemra
