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
    explicit ControlForm(HostSeam& host) : m_ui(host), m_panel(m_ui, "MainCtl") {}
    UiContext m_ui;
    Form m_panel;
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
    Form& Panel() { return m_panel; }
    UiContext& Ui() { return m_ui; }
    HostSeam& Host() { return m_host; }
    const ControlProperties& Properties() const { return m_props; }

    // ---- The records and the valuation grid (read by hosts and tests).
    const Portfolio& Model() const { return m_portfolio; }
    const Collection<CSecurity>& SearchResults() const { return m_search.SearchResults(); }
    DlgAddSec* AddSecDialog() const { return m_search.AddSecDialog(); }
    DlgScenMatrix* ScenMatrixDialog() const { return m_matrix.ScenMatrixDialog(); }

private:
    void ReportFailure(const std::exception& e);
    void WireRefreshCalls();
    const Locale& Loc() const { return m_host.GetLocale(); }
    Date Today() const { return m_host.Today(); }

    // ---- control/StartUp.cpp, control/OptionListLoading.cpp.
    void LoadSecurities(const std::string& text);
    void LoadStoredScenarios(const std::string& text);
    void LoadScenarios(const std::string& text);
    void LoadTuners(const std::string& text);

    // ---- control/KeyboardNavigation.cpp: the focus across the input grid.
    void WireKeyboardNavigation();
    void UserControl_KeyDown(int KeyCode, int Shift);
    void MoveFocusToTabIndex(int16_t tabIndex);

    HostSeam& m_host;
    ControlProperties m_props;
    Portfolio m_portfolio;
    PanelContext m_context;
    AssumptionPanel m_assumptions;
    ScenarioList m_scenarios;
    StoredScenarios m_stored;
    MatrixScenarios m_matrix;
    SecuritySearch m_search;
    ImpactRun m_impact;
    CarryCapital m_carry;
    ValuationPanel m_valuation;
    ResultsView m_results;

public:
    // The open Capital Settings and Rates dialogs; empty while none is open.
    std::unique_ptr<DlgCapital>& frmCapital = m_carry.frmCapital;
    std::unique_ptr<DlgCarry>& frmCarry = m_carry.frmCarry;
};

}  // namespace zemra
