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
      PanelWidgets(panel_),
      host_(host),
      context_(host, ui_, panel_, props_, portfolio_),
      assumptions_(context_, *this),
      scenarios_(context_, *this),
      stored_(context_, *this),
      matrix_(context_, BtnScenMatrix),
      search_(context_, *this),
      impact_(context_, *this),
      carry_(context_, *this),
      valuation_(context_, *this),
      results_(context_, *this) {
    ui_.onFailure = [this](const std::exception& e) { ReportFailure(e); };
    portfolio_.Attach({LstSecurity, ScenarioLst, LstImpact, ComboScenario,
                       [this](double impact) { return FormatGrouped(impact, 0, Loc()); }});
    context_.notice = *this;
    WireRefreshCalls();
    WireKeyboardNavigation();
}

void MainCtl::WireRefreshCalls() {
    PanelRefresh& r = context_.refresh;
    r.ShowSecurity = [this] { assumptions_.ShowSecurity(); };
    r.ShowValuation = [this] { valuation_.ShowValuation(); };
    r.ShowScenarioDetail = [this] { scenarios_.ShowScenarioDetail(); };
    r.ShowCarryLabel = [this](const CValuation& val) { valuation_.ShowCarryLabel(val); };
    r.ShowSubImpact = [this](const CValuation& val) { valuation_.ShowSubImpact(val); };
    r.CalculateImpacts = [this] { impact_.CalculateImpacts(); };
    r.RequestCapital = [this](int row) { carry_.RequestCapital(row); };
    r.ClearCapital = [this] { carry_.ClearCapital(); };
    r.ImpactsCalculated = [this] { results_.NoteImpactRun(); };
    r.ShowResultsView = [this] { results_.ShowResultsView(); };
    r.ShowRunProgress = [this](int done, int securities) { results_.ShowRunProgress(done, securities); };
    r.HideRunProgress = [this] { results_.HideRunProgress(); };
}

void MainCtl::ReadProperties(const PropertyBag& bag) { props_ = ControlProperties::ReadFrom(bag); }

// A failure that ended a user's or the host's action: one OK message that
// says what failed, and the control leaves the busy state if a request was
// running (a failure outside a request leaves the panel's mode and notice
// as they were). What was done before the failure is kept.
void MainCtl::ReportFailure(const std::exception& e) {
    if (context_.Busy()) context_.HideProgress();
    host_.MessageBox(e.what(), MsgButtons::Ok);
}

}  // namespace zemra
