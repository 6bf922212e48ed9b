// The script interface of the control in a page: one WebControl per
// <zemra-impact-analysis> element. The page passes the user's actions in by
// element name and reads the whole state back as JSON after each one.
// Calls that may reach a fetch return a promise to the page while the fetch
// runs (the build suspends and resumes them).
#include <emscripten/bind.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "Snapshot.h"
#include "WebHost.h"
#include "control/MainCtl.h"
#include "control/PropertyBag.h"

namespace zemra::web {

class WebControl {
public:
    explicit WebControl(int elementId) : host_(elementId), ctl_(std::make_unique<MainCtl>(host_)) {
        host_.snapshot = [this] { return SnapshotJson(*ctl_); };
    }

    // Properties are collected, then read once by Load.
    void SetProperty(const std::string& name, const std::string& value) { bag_.Write(name, value); }
    void Load() {
        if (loaded_) return;
        loaded_ = true;
        ctl_->ReadProperties(bag_);
    }

    void ProcessInitData() {
        Load();
        Guard([this] { ctl_->ProcessInitData(); });
    }

    // One user action on an element of a form. n is the row, entry or key
    // code; flags holds 1 for Shift, 2 for Ctrl, 4 for Alt. Returns whether
    // the action reached the element.
    bool Act(const std::string& form, const std::string& name, const std::string& action, int n, int flags,
             const std::string& text) {
        bool reached = false;
        Guard([&] { reached = Perform(form, name, action, n, flags, text); });
        return reached;
    }

    std::string Snapshot() { return SnapshotJson(*ctl_); }

private:
    bool Perform(const std::string& formName, const std::string& name, const std::string& action, int n, int flags,
                 const std::string& text) {
        Form* form = FindForm(*ctl_, formName);
        if (!form) return false;
        if (action == "close") {
            // Closing a dialog by its window frame unloads it and raises
            // none of its events.
            if (form == &ctl_->Panel() || ctl_->Ui().InEvent()) return false;
            form->Unload();
            return true;
        }
        Widget* w = form->Find(name);
        if (!w) return false;
        const bool shift = flags & 1, ctrl = flags & 2;
        if (action == "focus") return form->UserFocus(*w);
        if (action == "click") return form->UserClick(*w);
        if (action == "key") return form->UserKey(*w, n, flags & 7);
        if (action == "type" && w->Kind() == WidgetKind::TextBox) return form->UserType(static_cast<TextBox&>(*w), text);
        if (w->Kind() == WidgetKind::ListBox) {
            auto& list = static_cast<ListBox&>(*w);
            if (action == "select") return form->UserSelectRow(list, n, ctrl, shift && !ctrl);
            if (action == "dblclick") return form->UserDblClickRow(list, n);
        }
        if (action == "pick" && w->Kind() == WidgetKind::ComboBox)
            return form->UserPick(static_cast<ComboBox&>(*w), n);
        return false;
    }

    // The widget layer reports a failure of a handler itself; this catches
    // what would escape outside any handler, so that the page never sees
    // the module stop.
    template <class F>
    void Guard(F&& f) {
        try {
            f();
        } catch (const std::exception& e) {
            host_.SetMousePointer(kPointerDefault);
            host_.MessageBox(e.what(), MsgButtons::Ok);
        } catch (...) {
            host_.SetMousePointer(kPointerDefault);
            host_.MessageBox("The control stopped an operation after an unknown failure.", MsgButtons::Ok);
        }
    }

    WebHost host_;
    std::unique_ptr<MainCtl> ctl_;
    PropertyBag bag_;
    bool loaded_ = false;
};

}  // namespace zemra::web

EMSCRIPTEN_BINDINGS(zemra_web) {
    using zemra::web::WebControl;
    emscripten::class_<WebControl>("WebControl")
        .constructor<int>()
        .function("setProperty", &WebControl::SetProperty)
        .function("load", &WebControl::Load)
        .function("processInitData", &WebControl::ProcessInitData)
        .function("act", &WebControl::Act)
        .function("snapshot", &WebControl::Snapshot);
}
