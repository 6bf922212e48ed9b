// The script interface of the control in a page: one WebControl per
// <zemra-impact-analysis> element. The page passes the user's actions in by
// form and element name and reads the model's snapshot back as JSON after
// each one. Calls that may reach a fetch return a promise to the page while
// the fetch runs (the build suspends and resumes them).
#include <emscripten/bind.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "WebHost.h"
#include "context/PropertyBag.h"
#include "control/HostSafety.h"
#include "control/MainCtl.h"
#include "toolkit/Snapshot.h"
#include "toolkit/UserAction.h"

namespace zemra::web {

class WebControl {
public:
    explicit WebControl(int elementId) : host_(elementId), ctl_(std::make_unique<MainCtl>(host_)) {
        host_.snapshot = [this] { return Snapshot(); };
    }

    // Properties are collected, then read once by Load.
    void SetProperty(const std::string& name, const std::string& value) { bag_.Write(name, value); }
    // Asked first, as a browser asks an embedded control: the properties
    // are read only when the control is safe for initialising, and
    // ProcessInitData runs only when it is safe for scripting; otherwise
    // the page is told why and nothing happens.
    void Load() {
        if (loaded_) return;
        loaded_ = true;
        if (const auto why = RefusalToInitialise(*ctl_)) {
            host_.MessageBox(*why, MsgButtons::Ok);
            return;
        }
        ctl_->ReadProperties(bag_);
    }

    void ProcessInitData() {
        Load();
        if (const auto why = RefusalToScript(*ctl_)) {
            host_.MessageBox(*why, MsgButtons::Ok);
            return;
        }
        Guard([this] { ctl_->ProcessInitData(); });
    }

    // One user action (the toolkit's verbs) on an element of an open form.
    // n is the row, entry, key code or (sort) column; flags holds the
    // modifier keys, or a cell's column.
    // Returns whether the action reached the element; an action that names
    // nothing the model has does not.
    bool Act(const std::string& form, const std::string& name, const std::string& verb, int n, int flags,
             const std::string& text) {
        const auto found = ActionVerbNamed(verb);
        if (!found) return false;
        UserAction action{*found, form, name, n, flags, text};
        if (action.verb == ActionVerb::Cell) {
            action.column = flags;
            action.modifiers = 0;
        }
        bool reached = false;
        Guard([&] {
            try {
                reached = ApplyUserAction(ctl_->Ui(), action);
            } catch (const ActionError&) {
                reached = false;
            }
        });
        return reached;
    }

    std::string Snapshot() { return TakeSnapshot(ctl_->Ui()).Write(); }

    // What a data view shows of a window of its rows and columns (rows or
    // columns -1: all from the first); "null" when there is no such view.
    std::string ViewContent(const std::string& form, const std::string& name, int firstRow, int rows, int firstColumn,
                            int columns) {
        std::string out = "null";
        Guard([&] {
            Form* f = ctl_->Ui().FindOpenForm(form);
            Widget* w = f ? f->Find(name) : nullptr;
            if (!w || w->Kind() != WidgetKind::DataView) return;
            const auto& view = static_cast<const DataView&>(*w);
            if (view.content) out = view.content(DataView::Window{firstRow, rows, firstColumn, columns}).Write();
        });
        return out;
    }

private:
    // The widget layer reports a failure of a handler itself; this catches
    // what would escape outside any handler, so that the page never sees
    // the module stop.
    template <class F>
    void Guard(F&& f) {
        host_.ActionStarts();
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

// What the page takes from the control rather than keeping copies of: the
// names of the sixteen properties and the pointer codes.
std::string ControlConstants() {
    JsonValue names = JsonValue::Array();
    for (const char* name : ControlProperties::kNames) names.Push(name);
    JsonValue j;
    j["propertyNames"] = std::move(names);
    j["pointerDefault"] = kPointerDefault;
    j["pointerHourglass"] = kPointerHourglass;
    return j.Write();
}

}  // namespace zemra::web

EMSCRIPTEN_BINDINGS(zemra_web) {
    using zemra::web::WebControl;
    emscripten::function("controlConstants", &zemra::web::ControlConstants);
    emscripten::class_<WebControl>("WebControl")
        .constructor<int>()
        .function("setProperty", &WebControl::SetProperty)
        .function("load", &WebControl::Load)
        .function("processInitData", &WebControl::ProcessInitData)
        .function("act", &WebControl::Act)
        .function("snapshot", &WebControl::Snapshot)
        .function("viewContent", &WebControl::ViewContent);
}
