// Builds every element of the control's panel, in its frame, with its
// caption, tool tip and fixed entries, and records the panel's layout: each
// frame's grid columns, each element's grid cell and each label's role.
// Hosts place the elements from that record. Behaviour is wired by each
// subsystem.
#include <string>
#include <vector>

#include "control/MainCtl.h"
#include "records/AssumptionCodes.h"
#include "records/CScenario.h"

namespace zemra {

namespace {

std::string Indexed(const std::string& name, int index) { return name + "(" + std::to_string(index) + ")"; }

}  // namespace

PanelWidgets::PanelWidgets(Form& f) {
    // Every element is added with its grid cell: row, column, and the rows
    // and columns it spans.
    auto add = [&]<class W>(W& w, GridCell cell) {
        w.cell = cell;
        return &w;
    };
    auto frame = [&](const std::string& name, Frame* parent, const std::string& caption, GridCell cell,
                     std::vector<int> columns) {
        Frame* fr = add(f.Add<Frame>(name, parent), cell);
        fr->caption = caption;
        fr->columns = std::move(columns);
        return fr;
    };
    auto label = [&](const std::string& name, Frame* parent, const std::string& caption, GridCell cell,
                     WidgetRole role = WidgetRole::None) {
        Label* lb = add(f.Add<Label>(name, parent), cell);
        lb->caption = caption;
        lb->role = role;
        return lb;
    };
    // A caption label beside an element, named after it.
    auto captionFor = [&](const std::string& element, Frame* parent, const std::string& caption, GridCell cell) {
        return label("Caption" + element, parent, caption, cell, WidgetRole::Caption);
    };
    auto header = [&](const std::string& name, Frame* parent, const std::string& caption, GridCell cell) {
        return label(name, parent, caption, cell, WidgetRole::Header);
    };
    auto valueLabel = [&](const std::string& name, Frame* parent, GridCell cell) {
        Label* lb = label(name, parent, "", cell, WidgetRole::Value);
        lb->foreColor = kBlue;
        return lb;
    };
    auto button = [&](const std::string& name, Frame* parent, const std::string& caption, const std::string& tip,
                      GridCell cell) {
        Button* b = add(f.Add<Button>(name, parent), cell);
        b->caption = caption;
        b->toolTip = tip;
        return b;
    };
    auto text = [&](const std::string& name, Frame* parent, const std::string& tip, GridCell cell) {
        TextBox* t = add(f.Add<TextBox>(name, parent), cell);
        t->toolTip = tip;
        return t;
    };
    auto combo = [&](const std::string& name, Frame* parent, const std::string& tip, GridCell cell) {
        ComboBox* c = add(f.Add<ComboBox>(name, parent), cell);
        c->toolTip = tip;
        return c;
    };
    auto list = [&](const std::string& name, Frame* parent, GridCell cell) {
        return add(f.Add<ListBox>(name, parent), cell);
    };

    f.caption = "ZemraImpactAnalysis";
    // Column widths in pixels; 0 shares the room left.
    f.columns = {940, 314};

    // ---- Left: Frame3 holds the scenario, assumption and valuation frames.
    Frame3 = frame("Frame3", nullptr, "", {1, 1, 2, 1}, {488, 0});
    ScenarioFrame = frame("ScenarioFrame", Frame3, "Scenario Detail", {1, 1, 1, 2}, {134, 104, 56, 0, 96, 92, 92});

    static const char* const kScenarioCaptions[6] = {"Stk Change(%):",  "Rate Change(bp):",         "Vol Change(%):",
                                                     "Time Change(d):", "Credit Spread Change(%):", "Tuner:"};
    static const char* const kScenarioTips[6] = {"Change in stock price in percentage terms",
                                                 "Change in interest rates in basis points",
                                                 "Relative change in volatility",
                                                 "Change in valuation date in days",
                                                 "Relative change in credit spread",
                                                 "Tuner value"};
    // The time change and the tuner value stand in rows 1 to 4, 6 and 7; the
    // valuation date in row 5, right under the time change.
    static const int kScenarioRows[6] = {1, 2, 3, 4, 6, 7};
    for (int i = 0; i < 6; ++i) {
        const std::string name = Indexed("TxtScenario", i);
        const int row = kScenarioRows[i];
        if (i < 5) captionFor(name, ScenarioFrame, kScenarioCaptions[i], {row, 1});
        if (i == 3) {
            TxtScenario[i] = text(name, ScenarioFrame, kScenarioTips[i], {row, 2});
            captionFor("TxtDate", ScenarioFrame, "Valuation Date:", {5, 1});
            TxtDate = text("TxtDate", ScenarioFrame, "", {5, 2});
            continue;
        }
        if (i == 5) {
            captionFor("ComboTuner", ScenarioFrame, kScenarioCaptions[5], {row, 1});
            ComboTuner = combo("ComboTuner", ScenarioFrame, "Tuner to use for estimating the price", {row, 2});
        }
        TxtScenario[i] = text(name, ScenarioFrame, kScenarioTips[i], {row, i == 5 ? 3 : 2});
    }
    captionFor("DescriptionFld", ScenarioFrame, "Description:", {8, 1});
    DescriptionFld = text("DescriptionFld", ScenarioFrame, "Scenario description", {8, 2, 1, 2});
    captionFor("ComboScenario", ScenarioFrame, "Saved Scenarios:", {9, 1});
    ComboScenario = combo("ComboScenario", ScenarioFrame, "Choose saved scenario to load", {9, 2, 1, 2});
    captionFor("ComboAutoLoad", ScenarioFrame, "AutoLoad:", {10, 1});
    ComboAutoLoad = combo("ComboAutoLoad", ScenarioFrame, "", {10, 2});
    ComboAutoLoad->AddItem(kAutoLoadYes);
    ComboAutoLoad->AddItem(kAutoLoadNo);

    captionFor("ScenarioLst", ScenarioFrame, "Scenario", {1, 4});
    ScenarioLst = list("ScenarioLst", ScenarioFrame, {2, 4, 7, 1});
    ScenarioLst->multiSelect = true;
    captionFor("LstImpact", ScenarioFrame, "$Impact:", {1, 5});
    LstImpact = list("LstImpact", ScenarioFrame, {2, 5, 7, 1});
    LstImpact->role = WidgetRole::Value;
    captionFor("LabelImpact", ScenarioFrame, "$Impact:", {9, 4});
    LabelImpact = valueLabel("LabelImpact", ScenarioFrame, {9, 5, 2, 1});
    LabelImpact->fontSize = 12;

    ScenarioAddBtn = button("ScenarioAddBtn", ScenarioFrame, "Add", "Add Scenario to the list", {1, 6});
    DeleteBtn = button("DeleteBtn", ScenarioFrame, "Delete", "Delete Scenario from the list", {1, 7});
    BtnModify = button("BtnModify", ScenarioFrame, "Modify", "Modify selected Scenario Description", {2, 6});
    BtnUptTuner = button("BtnUptTuner", ScenarioFrame, "Update Tuner",
                         "Apply Tuner and Tuner Value to all selected scenarios", {2, 7});
    BtnUptTuner->enabled = false;
    BtnRetrieve = button("BtnRetrieve", ScenarioFrame, "Retrieve", "Extract all scenarios from database", {3, 6});
    BtnSave = button("BtnSave", ScenarioFrame, "Save", "Save the selected scenario to database.", {3, 7});
    BtnDelScenario =
        button("BtnDelScenario", ScenarioFrame, "Delete", "Delete the selected scenario in database", {4, 6});
    BtnScenMatrix = button("BtnScenMatrix", ScenarioFrame, "Matrix Setup", "", {4, 7});
    UpdateBtn = button("UpdateBtn", ScenarioFrame, "Update", "Recalculate $Impact", {6, 6, 1, 2});
    CmdDebug = button("CmdDebug", ScenarioFrame, "Enable Debug", "", {8, 6, 1, 2});
    CmdDebug->visible = false;

    // ---- Assumptions of the current security.
    AssumptionFrame = frame("AssumptionFrame", Frame3, "Assumptions", {2, 1}, {88, 72, 76, 38, 78, 0});
    static const char* const kAssumptionCaptions[10] = {
        "Primary Position:", "Primary Price:", "Credit Spread:", "Call Adj Value:", "Borrow Cost:",
        "Swap Position:",    "Swap Price:",    "Volatility:",    "Delta Adj:",      "IAD:"};
    // Row and caption column of each field; the field stands right of its
    // caption.
    static const int kAssumptionCells[10][2] = {{1, 1}, {2, 1}, {3, 1}, {4, 3}, {5, 1},
                                                {1, 5}, {2, 5}, {3, 5}, {5, 3}, {5, 5}};
    for (int i = 0; i < 10; ++i) {
        const std::string name = Indexed("TxtAssumptions", i);
        const int row = kAssumptionCells[i][0], column = kAssumptionCells[i][1];
        captionFor(name, AssumptionFrame, kAssumptionCaptions[i], {row, column});
        TxtAssumptions[i] = text(name, AssumptionFrame, "", {row, column + 1});
        if (i == 0) {
            captionFor("TxtDelta", AssumptionFrame, "Hedge:", {1, 3});
            TxtDelta = text("TxtDelta", AssumptionFrame, "", {1, 4});
        }
    }
    LabelRatioAdj = label("LabelRatioAdj", AssumptionFrame, "RatioAdj:", {6, 3, 1, 2});
    captionFor("CallAdjustmentComb", AssumptionFrame, "Call Adjustment:", {4, 1});
    CallAdjustmentComb = combo("CallAdjustmentComb", AssumptionFrame, "", {4, 2});
    captionFor("CurveComboBox", AssumptionFrame, "Curve:", {4, 5});
    CurveComboBox = combo("CurveComboBox", AssumptionFrame, "", {4, 6});
    captionFor("ComboDisc", AssumptionFrame, "Discounting:", {6, 1});
    ComboDisc = combo("ComboDisc", AssumptionFrame, "", {6, 2});
    ComboDisc->AddItem("Risky");
    ComboDisc->SetItemData(0, kRiskyDiscounting);
    ComboDisc->AddItem("Blended");
    ComboDisc->SetItemData(1, kBlendedDiscounting);
    ComboDisc->AddItem("Bond+Option");
    ComboDisc->SetItemData(2, kBondOptionDiscounting);
    captionFor("ComboDivType", AssumptionFrame, "Div Type:", {6, 5});
    ComboDivType = combo("ComboDivType", AssumptionFrame, "", {6, 6});
    ComboDivType->AddItem("Discrete");
    ComboDivType->SetItemData(0, kDiscreteDividends);
    ComboDivType->AddItem("Continuous");
    ComboDivType->SetItemData(1, kContinuousDividends);
    captionFor("TxtDiscrYrs", AssumptionFrame, "Discr Yrs:", {7, 1});
    TxtDiscrYrs = text("TxtDiscrYrs", AssumptionFrame, "", {7, 2});
    CheckBnkrpcy = add(f.Add<CheckBox>("CheckBnkrpcy", AssumptionFrame), {8, 1});
    CheckBnkrpcy->caption = "Bnk rptcy:";
    ComboRecv = combo("ComboRecv", AssumptionFrame, "", {8, 2, 1, 2});
    ComboRecv->AddItem("Recov Rate");
    ComboRecv->AddItem("Decay Factor");
    TxtRecvDecVal = text("TxtRecvDecVal", AssumptionFrame, "", {8, 4, 1, 2});
    captionFor("LbFxRateToUSD", AssumptionFrame, "FxRate to USD:", {9, 1});
    LbFxRateToUSD = label("LbFxRateToUSD", AssumptionFrame, "", {9, 2}, WidgetRole::Value);
    BtnCapital = button("BtnCapital", AssumptionFrame, "Capital", "", {9, 3, 1, 2});
    LbCapital = valueLabel("LbCapital", AssumptionFrame, {9, 5, 1, 2});

    // Drop-downs whose entries come from a list take a change only by
    // picking from the open list.
    for (ComboBox* c : {ComboTuner, CallAdjustmentComb, CurveComboBox, ComboDisc, ComboDivType, ComboRecv})
        c->locked = true;

    // ---- Valuation panel of one security under one scenario.
    // Two blocks of three columns (caption, current, estimated) under
    // column headers.
    FrameDetail = frame("FrameDetail", Frame3, "Valuation", {2, 2}, {90, 54, 54, 92, 54, 54});
    header("HeaderCurrentLeft", FrameDetail, "Current", {1, 2});
    header("HeaderEstimatedLeft", FrameDetail, "Estimated", {1, 3});
    header("HeaderCurrentRight", FrameDetail, "Current", {1, 5});
    header("HeaderEstimatedRight", FrameDetail, "Estimated", {1, 6});
    struct ValuationRowCaption {
        const char* caption;
        int current;
        int estimated;
        int row;
        int column;  // of the caption
    };
    static const ValuationRowCaption kRows[] = {
        {"Stock Price:", 0, 15, 2, 1}, {"Est Price:", 1, 16, 3, 1},
        {"Fair Value:", 2, 17, 4, 1},  {"Imp Vol:", 8, 23, 5, 1},
        {"Imp Spread:", 9, 24, 6, 1},  {"Delta:", 4, 19, 7, 1},
        {"Gamma(1%):", 5, 20, 8, 1},   {"Rho(100bp):", 6, 21, 9, 1},
        {"Vega(1p):", 7, 22, 10, 1},   {"Crd Sprd(100bp):", 14, 29, 11, 1},
        {"Bond Floor:", 3, 18, 2, 4},  {"Pct Cheap:", 10, 25, 3, 4},
        {"YTM:", 11, 26, 4, 4},        {"YTP:", 12, 27, 5, 4},
        {"YTC:", 13, 28, 6, 4},        {"$Impact:", 30, -1, 7, 4},
    };
    for (const auto& row : kRows) {
        captionFor(Indexed("LabelValuation", row.current), FrameDetail, row.caption, {row.row, row.column});
        // $Impact has no estimated member: its value spans both columns.
        LabelValuation[row.current] = valueLabel(Indexed("LabelValuation", row.current), FrameDetail,
                                                 {row.row, row.column + 1, 1, row.estimated >= 0 ? 1 : 2});
        if (row.estimated >= 0)
            LabelValuation[row.estimated] =
                valueLabel(Indexed("LabelValuation", row.estimated), FrameDetail, {row.row, row.column + 2});
    }
    LabelValuation[30]->bold = true;

    struct PairCaption {
        std::array<Label*, 2>* pair;
        const char* name;
        const char* caption;
        int row;
        int column;  // of the caption; the pair stands in the next two
    };
    const PairCaption kPairs[] = {
        {&LbDolDelta, "LbDolDelta", "$Delta:", 12, 1},
        {&LbDolGamma, "LbDolGamma", "$Gamma(1%):", 13, 1},
        {&LbDolRho, "LbDolRho", "$Rho(10bp):", 14, 1},
        {&LbDolVega, "LbDolVega", "$Vega(1p):", 15, 1},
        {&LbDolCSprd01, "LbDolCSprd01", "$Crd Sprd(10bp):", 16, 1},
        {&LbGamShrs, "LbGamShrs", "$Gamma Shares:", 8, 4},
        {&LbDolDelShrs, "LbDolDelShrs", "$Delta Shares:", 9, 4},
        {&LbDelShrs, "LbDelShrs", "Delta Shares:", 10, 4},
        {&LbEffDelta, "LbEffDelta", "Eff Delta:", 11, 4},
    };
    auto pairRow = [&](const PairCaption& p, Frame* parent) {
        captionFor(Indexed(p.name, 0), parent, p.caption, {p.row, p.column});
        for (int k = 0; k < 2; ++k) (*p.pair)[k] = valueLabel(Indexed(p.name, k), parent, {p.row, p.column + 1 + k});
    };
    for (const auto& p : kPairs) pairRow(p, FrameDetail);
    BtnCarry = button("BtnCarry", FrameDetail, "Carry", "", {13, 4});
    LbCarry = valueLabel("LbCarry", FrameDetail, {13, 5, 1, 2});
    captionFor("ComboTuner2", FrameDetail, "Tuner:", {15, 4});
    ComboTuner2 = combo("ComboTuner2", FrameDetail, "Tuner for each selected scenario and security", {16, 4, 1, 2});
    TxtTunerVal = text("TxtTunerVal", FrameDetail, "Tuner value", {16, 6});

    // ---- Upper right: Frame1 holds the security list and LabelProgress.
    Frame1 = frame("Frame1", nullptr, "", {1, 2}, {0});
    FrameSecurity = frame("FrameSecurity", Frame1, "Securities", {1, 1}, {0, 76, 76});
    QuickSearchFld = text("QuickSearchFld", FrameSecurity, "Input search string", {1, 1});
    AddBtn = button("AddBtn", FrameSecurity, "Search", "Search Securities", {1, 2});
    RemoveBtn = button("RemoveBtn", FrameSecurity, "Remove", "Remove Security", {1, 3});
    LstSecurity = list("LstSecurity", FrameSecurity, {2, 1, 1, 3});
    LstSecurity->height = 440;
    LabelProgress = label("LabelProgress", Frame1, "", {2, 1}, WidgetRole::Notice);
    LabelProgress->backColor = Frame1->backColor;

    // ---- Totals, in neither main frame.
    Frame5 = frame("Frame5", nullptr, "Totals", {2, 2}, {112, 0, 0});
    header("HeaderTotalsCurrent", Frame5, "Current:", {1, 2});
    header("HeaderTotalsEstimate", Frame5, "Estimate:", {1, 3});
    const PairCaption kTotals[] = {
        {&LbDolDeltaTol, "LbDolDeltaTol", "$Delta:", 2, 1},
        {&LbDolGamTol, "LbDolGamTol", "$Gamma(1%):", 3, 1},
        {&LbDolRhoTol, "LbDolRhoTol", "$Rho(10bp):", 4, 1},
        {&LbDolVegaTol, "LbDolVegaTol", "$Vega(1p):", 5, 1},
        {&LbDolCSprd01Tot, "LbDolCSprd01Tot", "$Crd Sprd(10bp):", 6, 1},
        {&LbGamShrsTot, "LbGamShrsTot", "$Gamma Shares:", 7, 1},
        {&LbDolDelShrsTot, "LbDolDelShrsTot", "$Delta Shares:", 8, 1},
    };
    for (const auto& p : kTotals) pairRow(p, Frame5);

    // ---- The tab order of the navigable input grid.
    Widget* const kTabOrder[19] = {TxtScenario[0],    TxtScenario[1],    TxtScenario[2],    TxtScenario[3],
                                   TxtScenario[4],    ComboTuner,        TxtScenario[5],    DescriptionFld,
                                   TxtAssumptions[0], TxtDelta,          TxtAssumptions[5], TxtAssumptions[1],
                                   TxtAssumptions[6], TxtAssumptions[2], TxtAssumptions[7], CallAdjustmentComb,
                                   TxtAssumptions[3], CurveComboBox,     TxtAssumptions[4]};
    for (int i = 0; i < 19; ++i) kTabOrder[i]->tabIndex = i;
    int next = 19;
    for (const auto& w : f.Widgets())
        if (w->tabIndex < 0 && w->Kind() != WidgetKind::Label && w->Kind() != WidgetKind::Frame) w->tabIndex = next++;

    // ---- The results view's button and the run's progress.
    // Beside the Update button; the view opens and closes with it.
    BtnResults = &f.Add<Button>("BtnResults", ScenarioFrame);
    BtnResults->caption = "Results";
    BtnResults->toolTip = "Show or hide the results of every security under every scenario";
    BtnResults->cell = {7, 6, 1, 2};
    // Under the busy caption, while an Update runs.
    LabelRunProgress = &f.Add<Label>("LabelRunProgress", Frame1);
    LabelRunProgress->cell = {3, 1};
    LabelRunProgress->role = WidgetRole::Notice;
    LabelRunProgress->backColor = Frame1->backColor;
    LabelRunProgress->visible = false;

    next = 0;
    for (const auto& w : f.Widgets()) next = std::max(next, w->tabIndex + 1);
    BtnResults->tabIndex = next;
    // The views stand beside the panel, in no frame; they open with the button.
    const std::pair<DataView**, const char*> views[] = {
        {&ViewResults, "Results"}, {&ViewHeatmap, "Heatmap"}, {&ViewDrivers, "Drivers"}, {&ViewCsv, "ResultsCsv"}};
    for (const auto& [view, name] : views) {
        *view = &f.Add<DataView>(name, nullptr);
        (*view)->visible = false;
    }
    // The heatmap's axes and the values of the other varying changes; they
    // stand over the heatmap, shown with it when it is a grid.
    HeatmapChoices = frame("HeatmapChoices", nullptr, "", {}, {0, 0, 0, 0});
    HeatmapChoices->visible = false;
    captionFor("ComboHeatColumns", HeatmapChoices, "Across:", {1, 1});
    ComboHeatColumns = combo("ComboHeatColumns", HeatmapChoices, "The change across the heatmap", {1, 2});
    captionFor("ComboHeatRows", HeatmapChoices, "Down:", {1, 3});
    ComboHeatRows = combo("ComboHeatRows", HeatmapChoices, "The change down the heatmap", {1, 4});
    for (int c = 0; c < kScenarioSlots; ++c) {
        const std::string name = Indexed("ComboHeatValue", c);
        const GridCell at{2 + c / 2, 1 + (c % 2) * 2};
        CaptionHeatValue[c] = captionFor(name, HeatmapChoices, kScenarioChangeNames[c] + std::string(":"), at);
        ComboHeatValue[c] =
            combo(name, HeatmapChoices, "The value the heatmap holds this change at", {at.row, at.column + 1});
    }

    // ---- What one subsystem reads or disables of another's.
    singleScenarioControls = {TxtDate,         DescriptionFld, ComboScenario,  ComboAutoLoad, ScenarioAddBtn,
                              BtnModify,       BtnSave,        BtnDelScenario, BtnRetrieve,   UpdateBtn,
                              AssumptionFrame, FrameDetail,    Frame1,         Frame5};
    scenarioDescription = DescriptionFld;
    focusAfterUpdate = TxtScenario[m_StkChgIdx];
}

}  // namespace zemra
