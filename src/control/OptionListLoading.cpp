// The start-up's tuner list, in the scenario's and the valuation's tuner
// drop-downs alike.
#include "compute/OptionLists.h"
#include "control/MainCtl.h"
#include "toolkit/TextSplit.h"

namespace zemra {

void MainCtl::LoadTuners(const std::string& text) {
    const auto items = SplitItems(text, '|');
    for (size_t i = 0; i < items.size(); ++i) {
        const auto [id, name] = ReadCodeItem("tuner", items[i], i, DataFormat());
        ComboTuner->AddItem(name);
        ComboTuner2->AddItem(name);
        ComboTuner->SetItemData(ComboTuner->Count() - 1, id);
        ComboTuner2->SetItemData(ComboTuner2->Count() - 1, id);
    }
    if (ComboTuner->Count() > 0) {
        m_scenarios.ShowTuner(ComboTuner->ItemData(0));
        m_valuation.ShowTuner2(ComboTuner2->ItemData(0));
    }
}

}  // namespace zemra
