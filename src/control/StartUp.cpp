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
    ui_.Dispatch([this] {
        if (context_.DebugEnabled()) CmdDebug->visible = true;
        // A list that cannot be loaded is reported and the start-up goes on
        // without the rest of that list: the portfolio still loads.
        auto loadList = [this](const std::string& text, const std::function<void(const std::string&)>& load) {
            if (text.empty()) return;
            try {
                load(text);
            } catch (const RecordError& e) {
                context_.MsgOk(e.what());
            }
        };
        loadList(props_.TunerString, [this](const std::string& t) { LoadTuners(t); });
        loadList(props_.CurveOptions, [this](const std::string& t) { assumptions_.LoadCurveOptions(t); });
        loadList(props_.CallAdjustment, [this](const std::string& t) { assumptions_.LoadCallAdjustments(t); });
        // Start-up ends at the item that cannot be taken whole; what was
        // listed before it stays, with its valuations (the portfolio keeps
        // them in step).
        if (!props_.RecordString.empty()) LoadSecurities(props_.RecordString);
        if (!props_.StoredScenarios.empty()) LoadStoredScenarios(props_.StoredScenarios);
        if (!props_.ScenarioString.empty()) LoadScenarios(props_.ScenarioString);
        if (!portfolio_.Securities().Empty()) LstSecurity->SetSelected(0, true);
        if (!portfolio_.Scenarios().Empty()) ScenarioLst->SetSelected(0, true);
        impact_.UpdateBtn_Click();
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
        if (const auto id = SecurityIdOf(fields[0], DataFormat()); id && portfolio_.HoldsSecurity(*id)) continue;
        // The record is filled before it is listed, so that a record that
        // cannot be converted is not listed at all.
        auto sec = std::make_shared<CSecurity>();
        sec->CreateRecord(item, Loc(), Today());
        portfolio_.AddSecurity(sec);
        assumptions_.ShowChoices(*sec);
    }
}

void MainCtl::LoadStoredScenarios(const std::string& text) {
    const auto items = SplitItems(text, '|');
    for (size_t i = 0; i < items.size(); ++i) {
        auto scen = std::make_shared<CScenario>();
        scen->CreateScenarioFromDataBase(items[i], DataFormat());
        CheckScenarioDate(*scen, Today());
        portfolio_.AddStoredScenario(scen);
        // An auto-loaded scenario is keyed by its place in the stored list
        // and gets its rows in ScenarioLst and LstImpact.
        if (scen->AutoLoads()) portfolio_.AddScenario(scen, static_cast<int32_t>(i));
    }
}

void MainCtl::LoadScenarios(const std::string& text) {
    for (const std::string& item : SplitItems(text, '|')) {
        auto scen = std::make_shared<CScenario>();
        scen->CreateScenario(item, DataFormat());
        CheckScenarioDate(*scen, Today());
        portfolio_.AddScenario(scen, portfolio_.LastScenarioKey() + 1);
        portfolio_.AddStoredScenario(scen);
    }
}

}  // namespace zemra
