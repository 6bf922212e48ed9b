#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/BasSafeCtl.h"
#include "compute/OptionLists.h"
#include "context/PropertyBag.h"
#include "compute/ResultsTable.h"
#include "portfolio/Portfolio.h"
#include "carry/DlgCapital.h"
#include "carry/DlgCarry.h"
#include "toolkit/Form.h"

namespace zemra {

class DlgAddSec;
class DlgScenMatrix;

// The scenario impact analyser control. A host creates it on a host seam,
// loads its sixteen properties from a property bag, then calls
// ProcessInitData; from then on every behaviour is driven by the user's
// actions on its panel.
class MainCtl {
public:
    explicit MainCtl(HostSeam& host);
    ~MainCtl();
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
    // The records the open Add Security dialog offers, parallel to its list.
    const Collection<CSecurity>& SearchResults() const { return m_SearchResults; }
    // The Add Security dialog of the last search that offered several
    // records, until its Close button releases it.
    DlgAddSec* AddSecDialog() const { return frmAddSec.get(); }
    // The Scenario Matrix dialog from its opening until it hands over its
    // scenarios (after Cancel it stays, closed, until the next opening).
    DlgScenMatrix* ScenMatrixDialog() const { return frmScenMatrix.get(); }

    // ---- Panel elements.
    Frame* Frame3;           // left: scenario, assumptions, valuation
    Frame* Frame1;           // upper right: the security list and LabelProgress
    Frame* Frame5;           // "Totals"
    Frame* ScenarioFrame;
    Frame* AssumptionFrame;
    Frame* FrameDetail;
    Frame* FrameSecurity;

    // Scenario detail and the scenario list.
    std::array<TextBox*, 6> TxtScenario{};
    TextBox* TxtDate;
    ComboBox* ComboTuner;
    TextBox* DescriptionFld;
    ComboBox* ComboScenario;
    ComboBox* ComboAutoLoad;
    ListBox* ScenarioLst;
    ListBox* LstImpact;
    Label* LabelImpact;
    Button* ScenarioAddBtn;
    Button* DeleteBtn;
    Button* BtnModify;
    Button* UpdateBtn;
    Button* BtnUptTuner;
    Button* BtnRetrieve;
    Button* BtnSave;
    Button* BtnDelScenario;
    Button* BtnScenMatrix;
    Button* CmdDebug;

    // Assumptions.
    std::array<TextBox*, 10> TxtAssumptions{};
    TextBox* TxtDelta;
    ComboBox* CallAdjustmentComb;
    ComboBox* CurveComboBox;
    ComboBox* ComboDisc;
    ComboBox* ComboDivType;
    TextBox* TxtDiscrYrs;
    CheckBox* CheckBnkrpcy;
    ComboBox* ComboRecv;
    TextBox* TxtRecvDecVal;
    Label* LbFxRateToUSD;
    Label* LbCapital;
    Label* LabelRatioAdj;
    Button* BtnCapital;
    // The open Capital Settings dialog; empty while none is open.
    std::unique_ptr<DlgCapital> frmCapital;

    // Valuation panel.
    std::array<Label*, 31> LabelValuation{};
    std::array<Label*, 2> LbDolDelta{}, LbDolGamma{}, LbDolRho{}, LbDolVega{}, LbDolCSprd01{},
        LbGamShrs{}, LbDolDelShrs{}, LbDelShrs{}, LbEffDelta{};
    Label* LbCarry;
    Button* BtnCarry;
    // The open Rates dialog; empty while none is open.
    std::unique_ptr<DlgCarry> frmCarry;
    ComboBox* ComboTuner2;
    TextBox* TxtTunerVal;

    // Totals.
    std::array<Label*, 2> LbDolDeltaTol{}, LbDolGamTol{}, LbDolRhoTol{}, LbDolVegaTol{},
        LbDolCSprd01Tot{}, LbGamShrsTot{}, LbDolDelShrsTot{};

    // Security list.
    TextBox* QuickSearchFld;
    Button* AddBtn;
    Button* RemoveBtn;
    ListBox* LstSecurity;
    Label* LabelProgress;

    // ---- display/ResultsView.cpp: the results at a glance beside the panel.
    Button* BtnResults;
    Label* LabelRunProgress;   // "security k of n" during an Update
    DataView* ViewResults;     // securities x scenarios: sub-impacts, the portfolio's totals
    DataView* ViewHeatmap;     // the totals over the scenarios' changes
    DataView* ViewDrivers;     // the current scenario's total by security
    DataView* ViewCsv;         // the results table as CSV text

private:
    // ---- control/: construction, failures, start-up, option lists.
    void BuildPanel();
    void ReportFailure(const std::exception& e);
    const Locale& Loc() const { return host_.GetLocale(); }
    Date Today() const { return host_.Today(); }
    void MsgOk(const std::string& text);
    bool AskYesNo(const std::string& text);
    void SetStaleNotice();
    void ClearStaleNotice();

    void LoadSecurities(const std::string& text);
    void LoadStoredScenarios(const std::string& text);
    void LoadScenarios(const std::string& text);

    void LoadTuners(const std::string& text);
    void LoadCurveOptions(const std::string& text);
    void LoadCallAdjustments(const std::string& text);
    void ShowTuner(long code);
    void ShowTuner2(long code);
    CurveList curves_;

    // ---- control/: keyboard navigation across the input grid.
    void WireKeyboardNavigation();
    void UserControl_KeyDown(int KeyCode, int Shift);
    void MoveFocusToTabIndex(int16_t tabIndex);

    // ---- assumptions/: the assumption panel.
    void WireAssumptionEvents();
    void ShowSecurity();
    void ShowDelta(CSecurity& sec);
    void ApplyDelta(CSecurity& sec);
    void ShowDiscount(int16_t code);
    void ShowDivType(int16_t code);
    void ShowRecvDecay(const std::string& code);
    void ShowBankruptcy(int16_t value);
    bool IsRecvDecayValueValid() const;
    void ApplyDividendYearsRule(long code);
    void ApplyBankruptcyRule();
    CSecurity* CurrentSecurity() const;   // nullptr without a current row
    void SetStockPositionFromHedge(CSecurity& sec, double hedge);
    void TxtAssumptions_Validate(int index, bool& cancel);
    void TxtDelta_Validate(bool& cancel);
    void TxtDiscrYrs_Validate(bool& cancel);
    void TxtRecvDecVal_Validate(bool& cancel);
    void CallAdjustmentComb_Validate(bool& cancel);
    void CurveComboBox_Validate(bool& cancel);
    void ComboDisc_Validate(bool& cancel);
    void ComboDivType_Validate(bool& cancel);
    void ComboRecv_Validate(bool& cancel);
    void CheckBnkrpcy_Validate(bool& cancel);

    // ---- server/: the channel and the impact run.
    void WireServerEvents();
    void ShowProgress();
    void HideProgress();
    bool busy_ = false;   // between ShowProgress and HideProgress
    std::string FetchReply(const std::string& address);   // throws on a failed fetch
    void CmdDebug_Click();
    void UpdateBtn_Click();
    void ApplyValuationReplies(int position, const std::string& detailReply, const std::string& carryReply);
    // Room for one security's valuations while its replies are read, kept
    // from security to security.
    std::vector<CValuation> stagedValuations_;
    void CalculateImpacts();

    // ---- server/: carry and the Rates dialog.
    void WireCarryEvents();
    void BtnCarry_Click();
    void frmCarry_ChgCarry(double finRate, double rebRate, double tailRate, double brwCost, long carryOption);
    void frmCarry_UnloadCarry();
    void RecalculateCarry();
    // The selected rows of LstSecurity and ScenarioLst, when both lists
    // have records and a selected row.
    struct SelectedPair {
        int secRow;
        int scenRow;
    };
    std::optional<SelectedPair> SelectedSecurityAndScenario() const;
    void RefreshCarry(const SelectedPair& pair, std::optional<long> carryOption);

    // ---- server/: capital and the Capital Settings dialog.
    void WireCapitalEvents();
    void BtnCapital_Click();
    void FillCapitalRules(const std::string& rules);
    void SelectCapitalRule(long rule);
    void frmCapital_ChgCapital(std::optional<long> rule, double convRate, double stkRate);
    void frmCapital_UnLoadCapital();
    void RequestCapital(int row);

    // A dialog that reported back is released here rather than destroyed,
    // since its own event handler is still running; released dialogs go
    // when the next dialog opens.
    template <class D>
    void ReleaseDialog(std::unique_ptr<D>& ref) {
        if (ref) released_.push_back(std::shared_ptr<D>(std::move(ref)));
    }
    // Before a dialog opens: an older one still held is closed and every
    // released dialog destroyed.
    template <class D>
    void DiscardDialog(std::unique_ptr<D>& ref) {
        if (ref) ref->Unload();
        ref.reset();
        released_.clear();
    }
    // Each keeps the deleter of its own dialog class.
    std::vector<std::shared_ptr<void>> released_;

    // ---- display/: the valuation panel, impact list and totals.
    void WireDisplayEvents();
    void ShowValuation();
    // The carry a valuation's option chooses, in LbCarry.
    void ShowCarryLabel(const CValuation& val);
    void BlankValuationPanel();
    void ShowTotals();
    void ShowScenarioDetail();
    void LstSecurity_Click();
    void LstImpact_Click();
    void WireImpactListEvents();

    // ---- scenarios/: the working list, the tuner and the valuation date.
    void WireScenarioEvents();
    void ScenarioAddBtn_Click();
    void DeleteBtn_Click();
    void BtnModify_Click();
    void ScenarioLst_Click();
    void TxtScenario_Validate(int index, bool& cancel);
    void DisableSingleScenarioEditing();
    void EnableSingleScenarioEditing();
    void TxtScenario_GotFocus(int index);
    void DescriptionFld_GotFocus();
    // Writes DescriptionFld into the working-list record at a 1-based
    // position, its stored entry and their rows in both lists.
    void WriteScenarioDescription(int position);
    void WireTunerEvents();
    void WireValuationDateEvents();
    // What a scenario-level tuner update did to the selected scenarios; the
    // stale notice follows it (any change sets it, no change clears it).
    enum class TunerUpdate { Nothing, Unchanged, Changed };
    TunerUpdate ApplyTunerChoiceToSelected();
    TunerUpdate ApplyTunerValueToSelected();
    void ShowTunerUpdate(TunerUpdate result);
    void ComboTuner_DropDown();
    void ComboTuner_Click();
    void TxtTunerVal_GotFocus();
    void ApplyTunerToScenario(int32_t tuner, double tunerValue, int position);
    // The same without redrawing the valuation panel, for work on many
    // scenarios that redraws once.
    void SetScenarioTuner(int32_t tuner, double tunerValue, int position);
    void UpdateSelectedScenariosTuner();
    void UpdateSelectedScenariosTunerValue();
    void BtnUptTuner_Click();
    void ComboTuner_Validate(bool& cancel);
    void ComboTuner2_Validate(bool& cancel);
    void TxtTunerVal_Validate(bool& cancel);
    void ShowScenarioDate(double days);
    void TxtDate_GotFocus();
    void TxtDate_Validate(bool& cancel);

    // ---- securities/: quick search, DlgAddSec and removal.
    void WireSecuritySearchEvents();
    void AddBtn_Click();
    void QuickSearchFld_KeyDown(int keyCode, int shift);
    void ProcessSearchReply(const std::string& reply);
    void AddSearchResults(const std::string& piece);
    bool SecurityExists(const std::string& idText) const;
    void frmAddSec_AddSecurity(int16_t index);
    void frmAddSec_UnLoadAddSec();
    void CloseAddSecDialog();
    void RemoveBtn_Click();

    // ---- scenarios/: the scenario database and the saved-scenario drop-down.
    void WireStoredScenarioEvents();
    void BtnRetrieve_Click();
    void BtnSave_Click();
    void BtnDelScenario_Click();
    void RemoveCurrentScenario();
    void ComboScenario_Click();
    void ComboAutoLoad_Validate(bool& cancel);

    // ---- display/ResultsView.cpp
    void BuildResultsView();
    void WireResultsEvents();
    void BtnResults_Click();
    void Results_CellClick(int security, int scenario);
    void Results_HeaderClick(int column);
    void ShowResultsView();
    void ShowRunProgress(int done, int securities);
    void HideRunProgress();
    const ResultsTable& CurrentResults();
    JsonValue ResultsContent(const DataView::Window& window);
    JsonValue HeatmapContent();
    JsonValue DriversContent();
    ResultsSort resultsSort_;
    int impactRuns_ = 0;                        // counts CalculateImpacts
    std::array<int, 4> resultsShown_{-1, -1, -1, -1};   // impact runs, securities, scenarios, sort when last shown
    std::size_t resultsScenarios_ = 0;          // the scenarios' descriptions, changes and totals then
    std::optional<ResultsTable> resultsTable_;   // of the results last shown
    bool holdResults_ = false;                  // a cell's click shows the views once, at its end

    // ---- scenarios/: the scenario matrix.
    void BtnScenMatrix_Click();
    void frmScenMatrix_AddScenarios(const std::vector<std::string>& scenarios);

    HostSeam& host_;
    UiContext ui_;
    Form panel_;
    ControlProperties props_;
    Portfolio portfolio_;
    Collection<CSecurity> m_SearchResults{"the search results"};
    std::unique_ptr<DlgAddSec> frmAddSec;
    std::unique_ptr<DlgScenMatrix> frmScenMatrix;
};

}  // namespace zemra
