// Builds every element of the control's panel, in its frame, with its
// caption, tool tip and fixed entries. Behaviour is wired by each subsystem.
#include <string>

#include "control/MainCtl.h"

namespace zemra {

namespace {

std::string Indexed(const std::string& name, int index) { return name + "(" + std::to_string(index) + ")"; }

}  // namespace

void MainCtl::BuildPanel() {
    Form& f = panel_;
    auto frame = [&](const std::string& name, Frame* parent, const std::string& caption) {
        Frame& fr = f.Add<Frame>(name, parent);
        fr.caption = caption;
        return &fr;
    };
    auto label = [&](const std::string& name, Frame* parent, const std::string& caption) {
        Label& lb = f.Add<Label>(name, parent);
        lb.caption = caption;
        return &lb;
    };
    // A caption label beside an element, named after it.
    auto captionFor = [&](const std::string& element, Frame* parent, const std::string& caption) {
        return label("Caption" + element, parent, caption);
    };
    auto valueLabel = [&](const std::string& name, Frame* parent) {
        Label* lb = label(name, parent, "");
        lb->foreColor = kBlue;
        return lb;
    };
    auto button = [&](const std::string& name, Frame* parent, const std::string& caption, const std::string& tip) {
        Button& b = f.Add<Button>(name, parent);
        b.caption = caption;
        b.toolTip = tip;
        return &b;
    };
    auto text = [&](const std::string& name, Frame* parent, const std::string& tip) {
        TextBox& t = f.Add<TextBox>(name, parent);
        t.toolTip = tip;
        return &t;
    };
    auto combo = [&](const std::string& name, Frame* parent, const std::string& tip) {
        ComboBox& c = f.Add<ComboBox>(name, parent);
        c.toolTip = tip;
        return &c;
    };

    panel_.caption = "ZemraImpactAnalysis";

    // ---- Left: Frame3 holds the scenario, assumption and valuation frames.
    Frame3 = frame("Frame3", nullptr, "");
    ScenarioFrame = frame("ScenarioFrame", Frame3, "Scenario Detail");

    static const char* const kScenarioCaptions[6] = {"Stk Change(%):", "Rate Change(bp):", "Vol Change(%):",
                                                     "Time Change(d):", "Credit Spread Change(%):", "Tuner:"};
    static const char* const kScenarioTips[6] = {
        "Change in stock price in percentage terms", "Change in interest rates in basis points",
        "Relative change in volatility", "Change in valuation date in days", "Relative change in credit spread",
        "Tuner value"};
    for (int i = 0; i < 6; ++i) {
        const std::string name = Indexed("TxtScenario", i);
        if (i < 5) captionFor(name, ScenarioFrame, kScenarioCaptions[i]);
        if (i == 3) {
            // The valuation date stands right under the time change.
            TxtScenario[i] = text(name, ScenarioFrame, kScenarioTips[i]);
            captionFor("TxtDate", ScenarioFrame, "Valuation Date:");
            TxtDate = text("TxtDate", ScenarioFrame, "");
            continue;
        }
        if (i == 5) {
            captionFor("ComboTuner", ScenarioFrame, kScenarioCaptions[5]);
            ComboTuner = combo("ComboTuner", ScenarioFrame, "Tuner to use for estimating the price");
        }
        TxtScenario[i] = text(name, ScenarioFrame, kScenarioTips[i]);
    }
    captionFor("DescriptionFld", ScenarioFrame, "Description:");
    DescriptionFld = text("DescriptionFld", ScenarioFrame, "Scenario description");
    captionFor("ComboScenario", ScenarioFrame, "Saved Scenarios:");
    ComboScenario = combo("ComboScenario", ScenarioFrame, "Choose saved scenario to load");
    captionFor("ComboAutoLoad", ScenarioFrame, "AutoLoad:");
    ComboAutoLoad = combo("ComboAutoLoad", ScenarioFrame, "");
    ComboAutoLoad->AddItem("Yes");
    ComboAutoLoad->AddItem("No");

    captionFor("ScenarioLst", ScenarioFrame, "Scenario");
    ScenarioLst = &f.Add<ListBox>("ScenarioLst", ScenarioFrame);
    ScenarioLst->multiSelect = true;
    captionFor("LstImpact", ScenarioFrame, "$Impact:");
    LstImpact = &f.Add<ListBox>("LstImpact", ScenarioFrame);
    captionFor("LabelImpact", ScenarioFrame, "$Impact:");
    LabelImpact = valueLabel("LabelImpact", ScenarioFrame);
    LabelImpact->fontSize = 12;

    ScenarioAddBtn = button("ScenarioAddBtn", ScenarioFrame, "Add", "Add Scenario to the list");
    DeleteBtn = button("DeleteBtn", ScenarioFrame, "Delete", "Delete Scenario from the list");
    BtnModify = button("BtnModify", ScenarioFrame, "Modify", "Modify selected Scenario Description");
    BtnUptTuner = button("BtnUptTuner", ScenarioFrame, "Update Tuner",
                         "Apply Tuner and Tuner Value to all selected scenarios");
    BtnUptTuner->enabled = false;
    BtnRetrieve = button("BtnRetrieve", ScenarioFrame, "Retrieve", "Extract all scenarios from database");
    BtnSave = button("BtnSave", ScenarioFrame, "Save", "Save the selected scenario to database.");
    BtnDelScenario = button("BtnDelScenario", ScenarioFrame, "Delete", "Delete the selected scenario in database");
    BtnScenMatrix = button("BtnScenMatrix", ScenarioFrame, "Matrix Setup", "");
    UpdateBtn = button("UpdateBtn", ScenarioFrame, "Update", "Recalculate $Impact");
    CmdDebug = button("CmdDebug", ScenarioFrame, "Enable Debug", "");
    CmdDebug->visible = false;

    // ---- Assumptions of the current security.
    AssumptionFrame = frame("AssumptionFrame", Frame3, "Assumptions");
    static const char* const kAssumptionCaptions[10] = {
        "Primary Position:", "Primary Price:", "Credit Spread:", "Call Adj Value:", "Borrow Cost:",
        "Swap Position:",    "Swap Price:",    "Volatility:",    "Delta Adj:",      "IAD:"};
    for (int i = 0; i < 10; ++i) {
        const std::string name = Indexed("TxtAssumptions", i);
        captionFor(name, AssumptionFrame, kAssumptionCaptions[i]);
        TxtAssumptions[i] = text(name, AssumptionFrame, "");
        if (i == 0) {
            captionFor("TxtDelta", AssumptionFrame, "Hedge:");
            TxtDelta = text("TxtDelta", AssumptionFrame, "");
        }
    }
    LabelRatioAdj = label("LabelRatioAdj", AssumptionFrame, "RatioAdj:");
    captionFor("CallAdjustmentComb", AssumptionFrame, "Call Adjustment:");
    CallAdjustmentComb = combo("CallAdjustmentComb", AssumptionFrame, "");
    captionFor("CurveComboBox", AssumptionFrame, "Curve:");
    CurveComboBox = combo("CurveComboBox", AssumptionFrame, "");
    captionFor("ComboDisc", AssumptionFrame, "Discounting:");
    ComboDisc = combo("ComboDisc", AssumptionFrame, "");
    ComboDisc->AddItem("Risky");
    ComboDisc->SetItemData(0, 0);
    ComboDisc->AddItem("Blended");
    ComboDisc->SetItemData(1, 2);
    ComboDisc->AddItem("Bond+Option");
    ComboDisc->SetItemData(2, 1);
    captionFor("ComboDivType", AssumptionFrame, "Div Type:");
    ComboDivType = combo("ComboDivType", AssumptionFrame, "");
    ComboDivType->AddItem("Discrete");
    ComboDivType->SetItemData(0, 1);
    ComboDivType->AddItem("Continuous");
    ComboDivType->SetItemData(1, 2);
    captionFor("TxtDiscrYrs", AssumptionFrame, "Discr Yrs:");
    TxtDiscrYrs = text("TxtDiscrYrs", AssumptionFrame, "");
    CheckBnkrpcy = &f.Add<CheckBox>("CheckBnkrpcy", AssumptionFrame);
    CheckBnkrpcy->caption = "Bnk rptcy:";
    ComboRecv = combo("ComboRecv", AssumptionFrame, "");
    ComboRecv->AddItem("Recov Rate");
    ComboRecv->AddItem("Decay Factor");
    TxtRecvDecVal = text("TxtRecvDecVal", AssumptionFrame, "");
    captionFor("LbFxRateToUSD", AssumptionFrame, "FxRate to USD:");
    LbFxRateToUSD = label("LbFxRateToUSD", AssumptionFrame, "");
    BtnCapital = button("BtnCapital", AssumptionFrame, "Capital", "");
    LbCapital = valueLabel("LbCapital", AssumptionFrame);

    // Drop-downs whose entries come from a list take a change only by
    // picking from the open list.
    for (ComboBox* c : {ComboTuner, CallAdjustmentComb, CurveComboBox, ComboDisc, ComboDivType, ComboRecv})
        c->locked = true;

    // ---- Valuation panel of one security under one scenario.
    FrameDetail = frame("FrameDetail", Frame3, "Valuation");
    label("HeaderCurrentLeft", FrameDetail, "Current");
    label("HeaderEstimatedLeft", FrameDetail, "Estimated");
    label("HeaderCurrentRight", FrameDetail, "Current");
    label("HeaderEstimatedRight", FrameDetail, "Estimated");
    struct ValuationRowCaption {
        const char* caption;
        int current;
        int estimated;
    };
    static const ValuationRowCaption kRows[] = {
        {"Stock Price:", 0, 15}, {"Est Price:", 1, 16},  {"Fair Value:", 2, 17},       {"Imp Vol:", 8, 23},
        {"Imp Spread:", 9, 24},  {"Delta:", 4, 19},      {"Gamma(1%):", 5, 20},        {"Rho(100bp):", 6, 21},
        {"Vega(1p):", 7, 22},    {"Crd Sprd(100bp):", 14, 29}, {"Bond Floor:", 3, 18}, {"Pct Cheap:", 10, 25},
        {"YTM:", 11, 26},        {"YTP:", 12, 27},       {"YTC:", 13, 28},             {"$Impact:", 30, -1},
    };
    for (const auto& row : kRows) {
        captionFor(Indexed("LabelValuation", row.current), FrameDetail, row.caption);
        LabelValuation[row.current] = valueLabel(Indexed("LabelValuation", row.current), FrameDetail);
        if (row.estimated >= 0)
            LabelValuation[row.estimated] = valueLabel(Indexed("LabelValuation", row.estimated), FrameDetail);
    }
    LabelValuation[30]->bold = true;

    struct PairCaption {
        std::array<Label*, 2>* pair;
        const char* name;
        const char* caption;
    };
    const PairCaption kPairs[] = {
        {&LbDolDelta, "LbDolDelta", "$Delta:"},       {&LbDolGamma, "LbDolGamma", "$Gamma(1%):"},
        {&LbDolRho, "LbDolRho", "$Rho(10bp):"},       {&LbDolVega, "LbDolVega", "$Vega(1p):"},
        {&LbDolCSprd01, "LbDolCSprd01", "$Crd Sprd(10bp):"}, {&LbGamShrs, "LbGamShrs", "$Gamma Shares:"},
        {&LbDolDelShrs, "LbDolDelShrs", "$Delta Shares:"},   {&LbDelShrs, "LbDelShrs", "Delta Shares:"},
        {&LbEffDelta, "LbEffDelta", "Eff Delta:"},
    };
    for (const auto& p : kPairs) {
        captionFor(Indexed(p.name, 0), FrameDetail, p.caption);
        for (int k = 0; k < 2; ++k) (*p.pair)[k] = valueLabel(Indexed(p.name, k), FrameDetail);
    }
    BtnCarry = button("BtnCarry", FrameDetail, "Carry", "");
    LbCarry = valueLabel("LbCarry", FrameDetail);
    captionFor("ComboTuner2", FrameDetail, "Tuner:");
    ComboTuner2 = combo("ComboTuner2", FrameDetail, "Tuner for each selected scenario and security");
    TxtTunerVal = text("TxtTunerVal", FrameDetail, "Tuner value");

    // ---- Upper right: Frame1 holds the security list and LabelProgress.
    Frame1 = frame("Frame1", nullptr, "");
    FrameSecurity = frame("FrameSecurity", Frame1, "Securities");
    QuickSearchFld = text("QuickSearchFld", FrameSecurity, "Input search string");
    AddBtn = button("AddBtn", FrameSecurity, "Search", "Search Securities");
    RemoveBtn = button("RemoveBtn", FrameSecurity, "Remove", "Remove Security");
    LstSecurity = &f.Add<ListBox>("LstSecurity", FrameSecurity);
    LabelProgress = label("LabelProgress", Frame1, "");
    LabelProgress->backColor = Frame1->backColor;

    // ---- Totals, in neither main frame.
    Frame5 = frame("Frame5", nullptr, "Totals");
    label("HeaderTotalsCurrent", Frame5, "Current:");
    label("HeaderTotalsEstimate", Frame5, "Estimate:");
    const PairCaption kTotals[] = {
        {&LbDolDeltaTol, "LbDolDeltaTol", "$Delta:"},
        {&LbDolGamTol, "LbDolGamTol", "$Gamma(1%):"},
        {&LbDolRhoTol, "LbDolRhoTol", "$Rho(10bp):"},
        {&LbDolVegaTol, "LbDolVegaTol", "$Vega(1p):"},
        {&LbDolCSprd01Tot, "LbDolCSprd01Tot", "$Crd Sprd(10bp):"},
        {&LbGamShrsTot, "LbGamShrsTot", "$Gamma Shares:"},
        {&LbDolDelShrsTot, "LbDolDelShrsTot", "$Delta Shares:"},
    };
    for (const auto& p : kTotals) {
        captionFor(Indexed(p.name, 0), Frame5, p.caption);
        for (int k = 0; k < 2; ++k) (*p.pair)[k] = valueLabel(Indexed(p.name, k), Frame5);
    }

    // ---- The tab order of the navigable input grid.
    Widget* const kTabOrder[19] = {TxtScenario[0],     TxtScenario[1],    TxtScenario[2],     TxtScenario[3],
                                   TxtScenario[4],     ComboTuner,        TxtScenario[5],     DescriptionFld,
                                   TxtAssumptions[0],  TxtDelta,          TxtAssumptions[5],  TxtAssumptions[1],
                                   TxtAssumptions[6],  TxtAssumptions[2], TxtAssumptions[7],  CallAdjustmentComb,
                                   TxtAssumptions[3],  CurveComboBox,     TxtAssumptions[4]};
    for (int i = 0; i < 19; ++i) kTabOrder[i]->tabIndex = i;
    int next = 19;
    for (const auto& w : f.Widgets())
        if (w->tabIndex < 0 && w->Kind() != WidgetKind::Label && w->Kind() != WidgetKind::Frame)
            w->tabIndex = next++;
}

}  // namespace zemra
