#include "control/MainCtl.h"

#include "scenarios/DlgScenMatrix.h"
#include "securities/DlgAddSec.h"
#include "toolkit/NumberText.h"

namespace zemra {

const char* const ControlProperties::kNames[16] = {
    "TunerString",     "CurveOptions",    "CallAdjustment",  "RecordString",       "ScenarioString",
    "QuickSearchPath", "ScenarioDetailPath", "GetScenarioPath", "InsertScenarioPath", "DelScenarioPath",
    "ModScenarioPath", "StoredScenarios", "CapitalRules",    "CapitalCalcPath",    "CarryCalcPath",
    "EnableDebug"};

ControlProperties ControlProperties::ReadFrom(const PropertyBag& bag) {
    ControlProperties p;
    std::string* const targets[16] = {&p.TunerString,     &p.CurveOptions,       &p.CallAdjustment,
                                      &p.RecordString,    &p.ScenarioString,     &p.QuickSearchPath,
                                      &p.ScenarioDetailPath, &p.GetScenarioPath, &p.InsertScenarioPath,
                                      &p.DelScenarioPath, &p.ModScenarioPath,    &p.StoredScenarios,
                                      &p.CapitalRules,    &p.CapitalCalcPath,    &p.CarryCalcPath,
                                      &p.EnableDebug};
    for (int i = 0; i < 16; ++i) *targets[i] = bag.Read(kNames[i]).value_or("");
    return p;
}

MainCtl::MainCtl(HostSeam& host) : host_(host), ui_(host), panel_(ui_, "MainCtl") {
    ui_.onFailure = [this](const std::exception& e) { ReportFailure(e); };
    BuildPanel();
    BuildResultsView();
    portfolio_.Attach({LstSecurity, ScenarioLst, LstImpact, ComboScenario,
                       [this](double impact) { return FormatGrouped(impact, 0, Loc()); }});
    WireAssumptionEvents();
    WireServerEvents();
    WireDisplayEvents();
    WireScenarioEvents();
    WireSecuritySearchEvents();
    WireStoredScenarioEvents();
    WireCarryEvents();
    WireCapitalEvents();
    WireKeyboardNavigation();
    WireResultsEvents();
}

// The dialogs go before the panel and the context they are registered on.
MainCtl::~MainCtl() {
    frmCarry.reset();
    frmCapital.reset();
    released_.clear();
}

void MainCtl::ReadProperties(const PropertyBag& bag) { props_ = ControlProperties::ReadFrom(bag); }

// A failure that ended a user's or the host's action: one OK message that
// says what failed, and the control leaves the busy state if a request was
// running (a failure outside a request leaves the panel's mode and notice
// as they were). What was done before the failure is kept.
void MainCtl::ReportFailure(const std::exception& e) {
    if (busy_) HideProgress();
    host_.MessageBox(e.what(), MsgButtons::Ok);
}

void MainCtl::MsgOk(const std::string& text) { host_.MessageBox(text, MsgButtons::Ok); }

bool MainCtl::AskYesNo(const std::string& text) {
    return host_.MessageBox(text, MsgButtons::YesNo) == MsgAnswer::Yes;
}

void MainCtl::SetStaleNotice() {
    LabelProgress->backColor = kWhite;
    LabelProgress->caption = "Click Update button to recalculate $Impact!";
}

void MainCtl::ClearStaleNotice() {
    LabelProgress->backColor = Frame1->backColor;
    LabelProgress->caption.clear();
}

}  // namespace zemra
