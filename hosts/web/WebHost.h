#pragma once
#include <functional>
#include <string>

#include "toolkit/HostSeam.h"

namespace zemra::web {

// The host seam of a browser page. Every call goes to the page's script
// object registered for one element (Module.zemraHosts[id]): the fetch waits
// for the browser's fetch without blocking the page, message boxes are the
// browser's own alert and confirm, and the debug view is a new window.
class WebHost : public HostSeam {
public:
    explicit WebHost(int elementId);

    // Called before every wait on the page (a fetch, a message box) so that
    // the page shows the control's state while it waits.
    std::function<std::string()> snapshot;

    // A call from the page begins: its first fetch shows the page the state
    // it waits in.
    void ActionStarts() { m_lastRenderMs = -kFetchRedrawIntervalMs; }

    FetchResult Fetch(const std::string& address) override;
    void OpenBrowserWindow(const std::string& address) override;
    bool ModelessAllowed() const override { return true; }
    void SetMousePointer(int code) override;
    int MousePointer() const override { return m_pointer; }
    Date Today() const override;
    const Locale& GetLocale() const override { return m_locale; }
    MsgAnswer MessageBox(const std::string& text, MsgButtons buttons) override;

private:
    // At most this often (milliseconds) the page is redrawn before a fetch.
    static constexpr double kFetchRedrawIntervalMs = 100;

    void RenderNow();

    int m_id;
    double m_lastRenderMs = -kFetchRedrawIntervalMs;
    int m_pointer = kPointerDefault;
    Locale m_locale;
};

}  // namespace zemra::web
