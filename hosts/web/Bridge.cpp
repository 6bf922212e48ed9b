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
    explicit WebControl(int elementId) : m_host(elementId), m_ctl(std::make_unique<MainCtl>(m_host)) {
        m_host.snapshot = [this] { return Snapshot(); };
    }

    // Properties are collected, then read once by Load.
    void SetProperty(const std::string& name, const std::string& value) { m_bag.Write(name, value); }
    // Asked first, as a browser asks an embedded control: the properties
    // are read only when the control is safe for initialising, and
    // ProcessInitData runs only when it is safe for scripting; otherwise
    // the page is told why and nothing happens.
    void Load() {
        if (m_loaded) return;
        m_loaded = true;
        if (const auto why = RefusalToInitialise(*m_ctl)) {
            m_host.MessageBox(*why, MsgButtons::Ok);
            return;
        }
        m_ctl->ReadProperties(m_bag);
    }

    void ProcessInitData() {
        Load();
        if (const auto why = RefusalToScript(*m_ctl)) {
            m_host.MessageBox(*why, MsgButtons::Ok);
            return;
        }
        Guard([this] { m_ctl->ProcessInitData(); });
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
                reached = ApplyUserAction(m_ctl->Ui(), action);
            } catch (const ActionError&) {
                reached = false;
            }
        });
        return reached;
    }

    std::string Snapshot() { return TakeSnapshot(m_ctl->Ui()).Write(); }

    // What a data view shows of a window of its rows and columns (rows or
    // columns -1: all from the first); "null" when there is no such view.
    std::string ViewContent(const std::string& form, const std::string& name, int firstRow, int rows, int firstColumn,
                            int columns) {
        std::string out = "null";
        Guard([&] {
            Form* f = m_ctl->Ui().FindOpenForm(form);
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
        m_host.ActionStarts();
        try {
            f();
        } catch (const std::exception& e) {
            m_host.SetMousePointer(kPointerDefault);
            m_host.MessageBox(e.what(), MsgButtons::Ok);
        } catch (...) {
            m_host.SetMousePointer(kPointerDefault);
            m_host.MessageBox("The control stopped an operation after an unknown failure.", MsgButtons::Ok);
        }
    }

    WebHost m_host;
    std::unique_ptr<MainCtl> m_ctl;
    PropertyBag m_bag;
    bool m_loaded = false;
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
