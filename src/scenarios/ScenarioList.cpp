// The working list of scenarios and its two parallel list boxes.
#include "control/MainCtl.h"

namespace zemra {

void MainCtl::WireScenarioEvents() {
    ScenarioLst->Click = [this] { ScenarioLst_Click(); };
}

void MainCtl::ScenarioLst_Click() {}

}  // namespace zemra

namespace zemra {

int MainCtl::FindStoredScenarioPosition(int32_t key) const {
    for (int p = 1; p <= m_StoredScenarios.Count(); ++p)
        if (m_StoredScenarios.Item(p).Getkey() == key) return p;
    return 0;
}

void MainCtl::AddScenarioValuations(const CScenario& scenario) {
    if (m_Valuations.Empty()) {
        for (int s = 1; s <= m_Securities.Count(); ++s) {
            auto inner = std::make_shared<ValuationRow>("the valuations of a security");
            inner->Add(FreshValuation(scenario));
            m_Valuations.Add(inner);
        }
        return;
    }
    for (int s = 1; s <= m_Valuations.Count(); ++s) m_Valuations.Item(s).Add(FreshValuation(scenario));
}

void MainCtl::AddSecurityValuations() {
    if (m_Scenarios.Empty()) return;
    auto inner = std::make_shared<ValuationRow>("the valuations of a security");
    for (int p = 1; p <= m_Scenarios.Count(); ++p) inner->Add(FreshValuation(m_Scenarios.Item(p)));
    m_Valuations.Add(inner);
}

}  // namespace zemra
