#pragma once
// What every subsystem of the control sees of the rest: the portfolio with
// its list rows, the host seam, the properties, the busy state and the
// stale notice, message boxes, the one way a request is made, and the
// refresh calls by which it has the other subsystems show what it changed.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "context/PropertyBag.h"
#include "portfolio/Portfolio.h"
#include "toolkit/Form.h"
#include "toolkit/HostSeam.h"

namespace zemra {

// Each call is wired by the control to the subsystem that owns the elements
// concerned.
struct PanelRefresh {
    std::function<void()> ShowSecurity;        // the assumptions of the current security
    std::function<void()> ShowValuation;       // the valuation panel and the totals
    std::function<void()> ShowScenarioDetail;  // the current scenario's summary
    std::function<void(const CValuation&)> ShowCarryLabel;
    std::function<void(const CValuation&)> ShowSubImpact;
    std::function<void()> CalculateImpacts;  // the sub-impacts and totals of every scenario
    std::function<void(int row)> RequestCapital;
    std::function<void()> ClearCapital;
    std::function<void()> ImpactsCalculated;  // the results view's figures moved
    std::function<void()> ShowResultsView;
    std::function<void(int done, int securities)> ShowRunProgress;
    std::function<void()> HideRunProgress;
};

// The elements of the busy state and the stale notice.
struct NoticeWidgets {
    Frame* Frame3 = nullptr;  // left: scenario, assumptions, valuation
    Frame* Frame1 = nullptr;  // upper right: the security list and LabelProgress
    Label* LabelProgress = nullptr;
};

class PanelContext {
public:
    PanelContext(HostSeam& host, UiContext& ui, Form& panel, const ControlProperties& props, Portfolio& portfolio)
        : host(host), ui(ui), panel(panel), props(props), portfolio(portfolio) {}
    PanelContext(const PanelContext&) = delete;
    PanelContext& operator=(const PanelContext&) = delete;

    HostSeam& host;
    UiContext& ui;
    Form& panel;
    const ControlProperties& props;
    Portfolio& portfolio;
    NoticeWidgets notice;
    PanelRefresh refresh;

    const Locale& Loc() const { return host.GetLocale(); }
    Date Today() const { return host.Today(); }
    void MsgOk(const std::string& text);
    bool AskYesNo(const std::string& text);

    // The lists whose rows stand for the securities and the working list of
    // scenarios: their current rows are the current security and scenario.
    ListBox& SecurityList() const { return *portfolio.Lists().securities; }
    ListBox& ScenarioList() const { return *portfolio.Lists().scenarios; }
    ListBox& ImpactList() const { return *portfolio.Lists().impacts; }

    // The busy state while a request runs: the hourglass, the busy caption
    // and the two main frames disabled.
    void ShowProgress();
    void HideProgress();
    bool Busy() const { return m_busy; }
    void SetStaleNotice();
    void ClearStaleNotice();
    // The reply of a request; throws on a failed fetch or a reply too large.
    // A page that refused the request (a 4xx status with a one-line reason)
    // is reported by its name and reason; with the debug view on, the
    // refused address opens in a browser window.
    std::string FetchReply(const std::string& address);
    // EnableDebug holds "yes" or "y" in any letter case.
    bool DebugEnabled() const;

    // A dialog that reported back is released here rather than destroyed,
    // since its own event handler is still running; released dialogs go
    // when the next dialog opens.
    template <class D>
    void ReleaseDialog(std::unique_ptr<D>& ref) {
        if (ref) m_released.push_back(std::shared_ptr<D>(std::move(ref)));
    }
    // Before a dialog opens: an older one still held is closed and every
    // released dialog destroyed.
    template <class D>
    void DiscardDialog(std::unique_ptr<D>& ref) {
        if (ref) ref->Unload();
        ref.reset();
        m_released.clear();
    }
    void DestroyReleasedDialogs() { m_released.clear(); }

private:
    bool m_busy = false;  // between ShowProgress and HideProgress
    // Each keeps the deleter of its own dialog class.
    std::vector<std::shared_ptr<void>> m_released;
};

}  // namespace zemra
