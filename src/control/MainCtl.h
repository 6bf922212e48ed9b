#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "assumptions/AssumptionPanel.h"
#include "carry/CarryCapital.h"
#include "context/PanelContext.h"
#include "context/PropertyBag.h"
#include "control/BasSafeCtl.h"
#include "display/ResultsView.h"
#include "display/ValuationPanel.h"
#include "impact/ImpactRun.h"
#include "scenarios/MatrixScenarios.h"
#include "scenarios/ScenarioList.h"
#include "scenarios/StoredScenarios.h"
#include "securities/SecuritySearch.h"

namespace zemra {

// The control's user-interface context and its panel, made before the
// elements on it and gone after every subsystem and dialog.
struct ControlForm {
    explicit ControlForm(HostSeam& host) : ui_(host), panel_(ui_, "MainCtl") {}
    UiContext ui_;
    Form panel_;
};

// Every element of the panel: the layout (control/PanelLayout.cpp) makes
// them and records where they stand, and each subsystem is handed its own.
struct PanelWidgets : NoticeWidgets,
                      ScenarioWidgets,
                      StoredScenarioWidgets,
                      ImpactWidgets,
                      AssumptionWidgets,
                      CarryWidgets,
                      ValuationWidgets,
                      SecurityWidgets,
                      ResultsWidgets {
    explicit PanelWidgets(Form& panel);
    Button* BtnScenMatrix = nullptr;
};

// The scenario impact analyser control. A host creates it on a host seam,
// loads its sixteen properties from a property bag, then calls
// ProcessInitData; from then on every behaviour is driven by the user's
// actions on its panel, handled by the subsystem that owns the element.
// The control composes them: it makes the panel, hands each subsystem its
// elements and the context, and wires the refresh calls between them.
//
// The panel's elements stay reachable as its public members for hosts and
// tests that do not find them by name.
class MainCtl : private ControlForm, public PanelWidgets {
public:
    explicit MainCtl(HostSeam& host);
    MainCtl(const MainCtl&) = delete;
    MainCtl& operator=(const MainCtl&) = delete;

    // Reads the sixteen properties once; nothing else happens at load.
    void ReadProperties(const PropertyBag& bag);
    // The control's one public method.
    void ProcessInitData();

    // The safety options a host asks for before it uses the control
    // (control/BasSafeCtl.h); riid may be absent.
    int32_t IObjectSafety_GetInterfaceSafetyOptions(const Guid* riid, uint32_t& pdwSupportedOptions,
                                                    uint32_t& pdwEnabledOptions) {
        return GetInterfaceSafetyOptions(riid, pdwSupportedOptions, pdwEnabledOptions);
    }
    int32_t IObjectSafety_SetInterfaceSafetyOptions(const Guid* riid, uint32_t dwOptionsSetMask,
                                                    uint32_t dwEnabledOptions) {
        return SetInterfaceSafetyOptions(riid, dwOptionsSetMask, dwEnabledOptions);
    }

    // ---- For hosts: the panel.
    Form& Panel() { return panel_; }
    UiContext& Ui() { return ui_; }
    HostSeam& Host() { return host_; }
    const ControlProperties& Properties() const { return props_; }

    // ---- The records and the valuation grid (read by hosts and tests).
    const Portfolio& Model() const { return portfolio_; }
    const Collection<CSecurity>& SearchResults() const { return search_.SearchResults(); }
    DlgAddSec* AddSecDialog() const { return search_.AddSecDialog(); }
    DlgScenMatrix* ScenMatrixDialog() const { return matrix_.ScenMatrixDialog(); }

private:
    void ReportFailure(const std::exception& e);
    void WireRefreshCalls();
    const Locale& Loc() const { return host_.GetLocale(); }
    Date Today() const { return host_.Today(); }

    // ---- control/StartUp.cpp, control/OptionListLoading.cpp.
    void LoadSecurities(const std::string& text);
    void LoadStoredScenarios(const std::string& text);
    void LoadScenarios(const std::string& text);
    void LoadTuners(const std::string& text);

    // ---- control/KeyboardNavigation.cpp: the focus across the input grid.
    void WireKeyboardNavigation();
    void UserControl_KeyDown(int KeyCode, int Shift);
    void MoveFocusToTabIndex(int16_t tabIndex);

    HostSeam& host_;
    ControlProperties props_;
    Portfolio portfolio_;
    PanelContext context_;
    AssumptionPanel assumptions_;
    ScenarioList scenarios_;
    StoredScenarios stored_;
    MatrixScenarios matrix_;
    SecuritySearch search_;
    ImpactRun impact_;
    CarryCapital carry_;
    ValuationPanel valuation_;
    ResultsView results_;

public:
    // The open Capital Settings and Rates dialogs; empty while none is open.
    std::unique_ptr<DlgCapital>& frmCapital = carry_.frmCapital;
    std::unique_ptr<DlgCarry>& frmCarry = carry_.frmCarry;
};

}  // namespace zemra
