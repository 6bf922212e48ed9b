#include "toolkit/Form.h"

#include <algorithm>

namespace zemra {

namespace {

// Elements without a tab index follow those with one, in creation order.
constexpr int kUnorderedTabBase = 100000;

}  // namespace

Form* UiContext::FindOpenForm(const std::string& name) const {
    if (name.empty()) return m_hasMain && !m_open.empty() ? m_open.front() : nullptr;
    for (Form* f : m_open)
        if (f->Name() == name) return f;
    return nullptr;
}

void UiContext::Register(Form& form) {
    if (std::find(m_open.begin(), m_open.end(), &form) != m_open.end()) return;
    form.m_instance = ++m_opened;
    m_open.push_back(&form);
}

void UiContext::Deregister(Form& form) {
    auto it = std::find(m_open.begin(), m_open.end(), &form);
    if (it == m_open.end()) return;
    if (it == m_open.begin() && m_hasMain) m_hasMain = false;
    m_open.erase(it);
}

bool UiContext::Dispatch(const std::function<void()>& handler) {
    if (!handler) return true;
    ++m_depth;
    if (m_depth > 1) {
        // Nested: the outermost event reports the failure.
        try {
            handler();
        } catch (...) {
            --m_depth;
            throw;
        }
        --m_depth;
        return true;
    }
    try {
        handler();
    } catch (const std::exception& e) {
        m_depth = 0;
        if (onFailure) onFailure(e);
        return false;
    }
    m_depth = 0;
    return true;
}

Form::Form(UiContext& ui, std::string name) : m_ui(ui), m_name(std::move(name)) {
    if (!m_ui.m_hasMain && m_ui.m_open.empty()) {
        m_ui.Register(*this);
        m_ui.m_hasMain = true;
    }
}

Form::~Form() { m_ui.Deregister(*this); }

Widget* Form::Find(const std::string& name) const {
    auto it = m_byName.find(name);
    return it == m_byName.end() ? nullptr : it->second;
}

bool Form::SetFocus(Widget& target) {
    if (&target == m_focus) return true;
    if (!target.CanTakeFocus()) return false;
    Widget* leaving = m_focus;
    if (leaving && leaving != m_validating && leaving->Validate) {
        bool cancel = false;
        m_validating = leaving;
        bool completed = false;
        try {
            completed = m_ui.Dispatch([&] { leaving->Validate(cancel); });
        } catch (...) {
            m_validating = nullptr;
            throw;
        }
        m_validating = nullptr;
        if (cancel || !completed) return false;
        // The handler moved the focus itself: the user's move is abandoned.
        if (m_focus != leaving) return m_focus == &target;
    }
    m_focus = &target;
    if (target.GotFocus) m_ui.Dispatch(target.GotFocus);
    return m_focus == &target;
}

Widget* Form::NextTabStop(const Widget* from, bool backwards) const {
    std::vector<std::pair<int, Widget*>> stops;
    for (size_t i = 0; i < m_widgets.size(); ++i) {
        Widget* w = m_widgets[i].get();
        if (!w->CanTakeFocus()) continue;
        stops.emplace_back(w->tabIndex >= 0 ? w->tabIndex : kUnorderedTabBase + static_cast<int>(i), w);
    }
    if (stops.empty()) return nullptr;
    std::stable_sort(stops.begin(), stops.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    if (!from) from = m_focus;
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
    if (m_ui.modalOpen > 0 && !(shown && modal)) return false;
    return target.IsEnabled() && target.IsVisible();
}

bool Form::UserFocus(Widget& target) {
    if (!Reachable(target)) return false;
    bool moved = false;
    m_ui.Dispatch([&] { moved = SetFocus(target); });
    return moved;
}

bool Form::UserClick(Widget& target) {
    if (!Reachable(target)) return false;
    bool reached = false;
    m_ui.Dispatch([&] {
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
    m_ui.Dispatch([&] {
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
    m_ui.Dispatch([&] {
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
    m_ui.Dispatch([&] {
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
    m_ui.Dispatch([&] {
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
    m_ui.Dispatch([&] {
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
    m_ui.Register(*this);
    if (asModal && !m_countedModal) {
        m_countedModal = true;
        ++m_ui.modalOpen;
    }
    m_ui.Host().DialogShown(*this, asModal);
}

void Form::Unload() {
    if (unloaded) return;
    shown = false;
    unloaded = true;
    m_ui.Deregister(*this);
    if (m_countedModal) {
        m_countedModal = false;
        --m_ui.modalOpen;
    }
    m_ui.Host().DialogUnloaded(*this);
}

}  // namespace zemra
