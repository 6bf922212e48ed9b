// ProcessInitData: turns the start-up texts into records and list entries,
// builds the valuation grid, selects the first rows and runs the first
// impact calculation.
#include "control/MainCtl.h"
#include "records/RecordError.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"

namespace zemra {

void MainCtl::ProcessInitData() {
    ui_.Dispatch([this] {
        const std::string debug = ToLower(props_.EnableDebug);
        if (debug == "yes" || debug == "y") CmdDebug->visible = true;
        // A list that cannot be loaded is reported and the start-up goes on
        // without the rest of that list: the portfolio still loads.
        auto loadList = [this](const std::string& text, void (MainCtl::*load)(const std::string&)) {
            if (text.empty()) return;
            try {
                (this->*load)(text);
            } catch (const RecordError& e) {
                MsgOk(e.what());
            }
        };
        loadList(props_.TunerString, &MainCtl::LoadTuners);
        loadList(props_.CurveOptions, &MainCtl::LoadCurveOptions);
        loadList(props_.CallAdjustment, &MainCtl::LoadCallAdjustments);
        try {
            if (!props_.RecordString.empty()) LoadSecurities(props_.RecordString);
            if (!props_.StoredScenarios.empty()) LoadStoredScenarios(props_.StoredScenarios);
            if (!props_.ScenarioString.empty()) LoadScenarios(props_.ScenarioString);
        } catch (...) {
            // Start-up ends at the item that cannot be converted; what was
            // loaded before it stays, with its valuations, so that the lists
            // and the grid are in step for whatever the user does next.
            if (LstSecurity->Count() > 0 && ScenarioLst->Count() > 0) BuildValuationGrid();
            throw;
        }
        if (LstSecurity->Count() > 0 && ScenarioLst->Count() > 0) BuildValuationGrid();
        if (!m_Securities.Empty()) LstSecurity->SetSelected(0, true);
        if (!m_Scenarios.Empty()) ScenarioLst->SetSelected(0, true);
        UpdateBtn_Click();
    });
}

void MainCtl::LoadSecurities(const std::string& text) {
    const auto items = SplitItems(text, '|');
    for (size_t n = 0; n < items.size(); ++n) {
        const std::string& item = items[n];
        const auto fields = SplitFields(item, ';');
        if (fields.size() < 2)
            throw RecordError("Security record " + std::to_string(n + 1) + " of the portfolio ('" + item +
                              "') needs at least an id and a description.");
        bool found = false;
        SecurityExists(fields[0], found);
        if (found) continue;
        // The record is filled before its row is added, so that a record
        // that cannot be converted adds neither.
        auto sec = std::make_shared<CSecurity>();
        sec->CreateRecord(item, Loc(), Today());
        LstSecurity->AddItem(fields[1]);
        m_Securities.Add(sec);
        ShowDiscount(sec->GetDiscount());
        ShowDivType(sec->GetDivType());
        ShowRecvDecay(sec->GetRecvDecay());
        TxtRecvDecVal->SetText(PlainNumber(sec->m_RecvDecayVal, Loc().decimalSeparator));
        ShowBankruptcy(sec->Getbankruptcy());
    }
}

void MainCtl::LoadStoredScenarios(const std::string& text) {
    const auto items = SplitItems(text, '|');
    for (size_t i = 0; i < items.size(); ++i) {
        auto scen = std::make_shared<CScenario>();
        scen->CreateScenarioFromDataBase(items[i], Loc());
        ComboScenario->AddItem(scen->Getdescription());
        m_StoredScenarios.Add(scen);
        if (ToUpper(scen->GetAutoLoad()) == "YES") {
            m_Scenarios.Add(scen);
            m_LastScenarioKey = static_cast<int32_t>(i);
            scen->Setkey(static_cast<int32_t>(i));
            ScenarioLst->AddItem(scen->Getdescription());
            // Row r of LstImpact belongs to the same scenario as row r of
            // ScenarioLst, so the auto-loaded scenario gets its impact row.
            LstImpact->AddItem(FormatGrouped(scen->GetImpact(), 0, Loc()));
        }
    }
}

void MainCtl::LoadScenarios(const std::string& text) {
    for (const std::string& item : SplitItems(text, '|')) {
        ++m_LastScenarioKey;
        auto scen = std::make_shared<CScenario>();
        scen->CreateScenario(item, Loc());
        scen->Setkey(m_LastScenarioKey);
        ScenarioLst->AddItem(scen->Getdescription());
        LstImpact->AddItem(FormatGrouped(scen->GetImpact(), 0, Loc()));
        m_Scenarios.Add(scen);
        m_StoredScenarios.Add(scen);
        ComboScenario->AddItem(scen->Getdescription());
    }
}

std::shared_ptr<CValuation> MainCtl::FreshValuation(const CScenario& scenario) const {
    auto val = std::make_shared<CValuation>();
    val->CreateValuation("", "", Loc());
    val->Settuner(scenario.Gettuner());
    val->SetTunerValue(scenario.GetScenarioProperties(m_TunerValIdx));
    return val;
}

// One row of valuations per security, one valuation per scenario. A
// repeated start-up finds the rows of the securities it already holds: they
// keep their valuations and get fresh ones for the scenarios listed since,
// so that row r still belongs to security r and to every scenario row.
void MainCtl::BuildValuationGrid() {
    const int securities = LstSecurity->Count();
    for (int r = 0; r < securities; ++r) {
        if (r < m_Valuations.Count()) {
            ValuationRow& inner = m_Valuations.Item(r + 1);
            for (int s = inner.Count(); s < ScenarioLst->Count(); ++s)
                inner.Add(FreshValuation(m_Scenarios.Item(s + 1)));
            continue;
        }
        auto inner = std::make_shared<ValuationRow>("the valuations of a security");
        for (int s = 0; s < ScenarioLst->Count(); ++s) inner->Add(FreshValuation(m_Scenarios.Item(s + 1)));
        m_Valuations.Add(inner);
    }
}

}  // namespace zemra
