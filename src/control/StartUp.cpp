// ProcessInitData: turns the start-up texts into records and list entries,
// builds the valuation grid, selects the first rows and runs the first
// impact calculation.
#include <functional>

#include "compute/QuickSearch.h"
#include "compute/ScenarioDate.h"
#include "control/MainCtl.h"
#include "records/RecordError.h"
#include "toolkit/TextSplit.h"

namespace zemra {

void MainCtl::ProcessInitData() {
    m_ui.Dispatch([this] {
        if (m_context.DebugEnabled()) CmdDebug->visible = true;
        // A list that cannot be loaded is reported and the start-up goes on
        // without the rest of that list: the portfolio still loads.
        auto loadList = [this](const std::string& text, const std::function<void(const std::string&)>& load) {
            if (text.empty()) return;
            try {
                load(text);
            } catch (const RecordError& e) {
                m_context.MsgOk(e.what());
            }
        };
        loadList(m_props.TunerString, [this](const std::string& t) { LoadTuners(t); });
        loadList(m_props.CurveOptions, [this](const std::string& t) { m_assumptions.LoadCurveOptions(t); });
        loadList(m_props.CallAdjustment, [this](const std::string& t) { m_assumptions.LoadCallAdjustments(t); });
        // Start-up ends at the item that cannot be taken whole; what was
        // listed before it stays, with its valuations (the portfolio keeps
        // them in step).
        if (!m_props.RecordString.empty()) LoadSecurities(m_props.RecordString);
        if (!m_props.StoredScenarios.empty()) LoadStoredScenarios(m_props.StoredScenarios);
        if (!m_props.ScenarioString.empty()) LoadScenarios(m_props.ScenarioString);
        if (!m_portfolio.Securities().Empty()) LstSecurity->SetSelected(0, true);
        if (!m_portfolio.Scenarios().Empty()) ScenarioLst->SetSelected(0, true);
        m_impact.UpdateBtn_Click();
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
        // A security already listed is recognised by its identifier only.
        if (const auto id = SecurityIdOf(fields[0], DataFormat()); id && m_portfolio.HoldsSecurity(*id)) continue;
        // The record is filled before it is listed, so that a record that
        // cannot be converted is not listed at all.
        auto sec = std::make_shared<CSecurity>();
        sec->CreateRecord(item, Loc(), Today());
        m_portfolio.AddSecurity(sec);
        m_assumptions.ShowChoices(*sec);
    }
}

void MainCtl::LoadStoredScenarios(const std::string& text) {
    const auto items = SplitItems(text, '|');
    for (size_t i = 0; i < items.size(); ++i) {
        auto scen = std::make_shared<CScenario>();
        scen->CreateScenarioFromDataBase(items[i], DataFormat());
        CheckScenarioDate(*scen, Today());
        m_portfolio.AddStoredScenario(scen);
        // An auto-loaded scenario is keyed by its place in the stored list
        // and gets its rows in ScenarioLst and LstImpact.
        if (scen->AutoLoads()) m_portfolio.AddScenario(scen, static_cast<int32_t>(i));
    }
}

void MainCtl::LoadScenarios(const std::string& text) {
    for (const std::string& item : SplitItems(text, '|')) {
        auto scen = std::make_shared<CScenario>();
        scen->CreateScenario(item, DataFormat());
        CheckScenarioDate(*scen, Today());
        m_portfolio.AddScenario(scen, m_portfolio.LastScenarioKey() + 1);
        m_portfolio.AddStoredScenario(scen);
    }
}

}  // namespace zemra
