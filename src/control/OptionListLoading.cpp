// The start-up's option lists on the panel: the tuner, curve and
// call-adjustment drop-downs.
#include "control/MainCtl.h"
#include "compute/OptionLists.h"
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
        ShowTuner(ComboTuner->ItemData(0));
        ShowTuner2(ComboTuner2->ItemData(0));
    }
}

void MainCtl::LoadCurveOptions(const std::string& text) {
    const auto items = SplitItems(text, '|');
    for (size_t i = 0; i < items.size(); ++i) CurveComboBox->AddItem(curves_.Add(items[i], i));
}

void MainCtl::LoadCallAdjustments(const std::string& text) {
    const auto items = SplitItems(text, '|');
    for (size_t i = 0; i < items.size(); ++i) {
        const auto [id, name] = ReadCodeItem("call-adjustment", items[i], i, DataFormat());
        CallAdjustmentComb->AddItem(name);
        CallAdjustmentComb->SetItemData(CallAdjustmentComb->Count() - 1, id);
    }
    if (CallAdjustmentComb->Count() > 0)
        CallAdjustmentComb->SetText(EntryText(*CallAdjustmentComb, CallAdjustmentComb->ItemData(0)));
}

void MainCtl::ShowTuner(long code) { ComboTuner->SetText(EntryText(*ComboTuner, code)); }

void MainCtl::ShowTuner2(long code) { ComboTuner2->SetText(EntryText(*ComboTuner, code)); }

}  // namespace zemra
