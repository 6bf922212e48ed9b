#include "control/MainCtl.h"

#include "toolkit/NumberText.h"

namespace zemra {

const char* const ControlProperties::kNames[16] = {
    "TunerString",        "CurveOptions",    "CallAdjustment",     "RecordString",
    "ScenarioString",     "QuickSearchPath", "ScenarioDetailPath", "GetScenarioPath",
    "InsertScenarioPath", "DelScenarioPath", "ModScenarioPath",    "StoredScenarios",
    "CapitalRules",       "CapitalCalcPath", "CarryCalcPath",      "EnableDebug"};

ControlProperties ControlProperties::ReadFrom(const PropertyBag& bag) {
    ControlProperties p;
    std::string* const targets[16] = {
        &p.TunerString,        &p.CurveOptions,    &p.CallAdjustment,     &p.RecordString,
        &p.ScenarioString,     &p.QuickSearchPath, &p.ScenarioDetailPath, &p.GetScenarioPath,
        &p.InsertScenarioPath, &p.DelScenarioPath, &p.ModScenarioPath,    &p.StoredScenarios,
        &p.CapitalRules,       &p.CapitalCalcPath, &p.CarryCalcPath,      &p.EnableDebug};
    for (int i = 0; i < 16; ++i) *targets[i] = bag.Read(kNames[i]).value_or("");
    return p;
}

MainCtl::MainCtl(HostSeam& host)
    : ControlForm(host),
      PanelWidgets(m_panel),
      m_host(host),
      m_context(host, m_ui, m_panel, m_props, m_portfolio),
      m_assumptions(m_context, *this),
      m_scenarios(m_context, *this),
      m_stored(m_context, *this),
      m_matrix(m_context, BtnScenMatrix),
      m_search(m_context, *this),
      m_impact(m_context, *this),
      m_carry(m_context, *this),
      m_valuation(m_context, *this),
      m_results(m_context, *this) {
    m_ui.onFailure = [this](const std::exception& e) { ReportFailure(e); };
    m_portfolio.Attach({LstSecurity, ScenarioLst, LstImpact, ComboScenario,
                        [this](double impact) { return FormatGrouped(impact, 0, Loc()); }});
    m_context.notice = *this;
    WireRefreshCalls();
    WireKeyboardNavigation();
}

void MainCtl::WireRefreshCalls() {
    PanelRefresh& r = m_context.refresh;
    r.ShowSecurity = [this] { m_assumptions.ShowSecurity(); };
    r.ShowValuation = [this] { m_valuation.ShowValuation(); };
    r.ShowScenarioDetail = [this] { m_scenarios.ShowScenarioDetail(); };
    r.ShowCarryLabel = [this](const CValuation& val) { m_valuation.ShowCarryLabel(val); };
    r.ShowSubImpact = [this](const CValuation& val) { m_valuation.ShowSubImpact(val); };
    r.CalculateImpacts = [this] { m_impact.CalculateImpacts(); };
    r.RequestCapital = [this](int row) { m_carry.RequestCapital(row); };
    r.ClearCapital = [this] { m_carry.ClearCapital(); };
    r.ImpactsCalculated = [this] { m_results.NoteImpactRun(); };
    r.ShowResultsView = [this] { m_results.ShowResultsView(); };
    r.ShowRunProgress = [this](int done, int securities) { m_results.ShowRunProgress(done, securities); };
    r.HideRunProgress = [this] { m_results.HideRunProgress(); };
}

void MainCtl::ReadProperties(const PropertyBag& bag) { m_props = ControlProperties::ReadFrom(bag); }

// A failure that ended a user's or the host's action: one OK message that
// says what failed, and the control leaves the busy state if a request was
// running (a failure outside a request leaves the panel's mode and notice
// as they were). What was done before the failure is kept.
void MainCtl::ReportFailure(const std::exception& e) {
    if (m_context.Busy()) m_context.HideProgress();
    m_host.MessageBox(e.what(), MsgButtons::Ok);
}

}  // namespace zemra
