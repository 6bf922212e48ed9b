// The tuner, curve and call-adjustment lists and their look-ups.
#include "control/MainCtl.h"
#include "records/RecordError.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"

namespace zemra {

namespace {

// Item i of a code list: code and name. An item without a name cannot be
// loaded.
std::pair<std::string, std::string> CodeAndName(const std::string& list, const std::string& item, size_t i) {
    const auto fields = SplitFields(item, ';');
    if (fields.size() < 2)
        throw RecordError("The " + list + " list cannot be loaded: item " + std::to_string(i + 1) + " ('" + item +
                          "') has no name.");
    return {fields[0], fields[1]};
}

int16_t CodeOf(const std::string& list, const std::string& code, size_t i, const Locale& locale) {
    const auto v = ParseNumber(code, locale);
    if (!v) throw RecordError("The " + list + " list cannot be loaded: the code of item " + std::to_string(i + 1) +
                              " ('" + code + "') is not a whole number.");
    try {
        return ToInt16(*v);
    } catch (const std::exception&) {
        throw RecordError("The " + list + " list cannot be loaded: the code of item " + std::to_string(i + 1) +
                          " ('" + code + "') is outside the range -32768 to 32767.");
    }
}

using Keyed = std::vector<std::pair<std::string, std::string>>;

const std::string* Lookup(const Keyed& keyed, const std::string& key) {
    const std::string wanted = ToUpper(key);
    for (const auto& [k, v] : keyed)
        if (ToUpper(k) == wanted) return &v;
    return nullptr;
}

}  // namespace

void MainCtl::LoadTuners(const std::string& text) {
    const auto items = SplitItems(text, '|');
    for (size_t i = 0; i < items.size(); ++i) {
        const auto [code, name] = CodeAndName("tuner", items[i], i);
        const int16_t id = CodeOf("tuner", code, i, Loc());
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
    for (size_t i = 0; i < items.size(); ++i) {
        const auto [code, name] = CodeAndName("curve", items[i], i);
        if (Lookup(m_CurveCodes, name))
            throw RecordError("The curve list cannot be loaded: the curve name '" + name + "' of item " +
                              std::to_string(i + 1) + " is listed twice.");
        if (Lookup(m_CurveNames, code))
            throw RecordError("The curve list cannot be loaded: the curve code '" + code + "' of item " +
                              std::to_string(i + 1) + " is listed twice.");
        m_CurveCodes.emplace_back(name, code);
        m_CurveNames.emplace_back(code, name);
        CurveComboBox->AddItem(name);
    }
}

void MainCtl::LoadCallAdjustments(const std::string& text) {
    const auto items = SplitItems(text, '|');
    for (size_t i = 0; i < items.size(); ++i) {
        const auto [code, name] = CodeAndName("call-adjustment", items[i], i);
        const int16_t id = CodeOf("call-adjustment", code, i, Loc());
        CallAdjustmentComb->AddItem(name);
        CallAdjustmentComb->SetItemData(CallAdjustmentComb->Count() - 1, id);
    }
    if (CallAdjustmentComb->Count() > 0)
        CallAdjustmentComb->SetText(FindCallAdjustmentName(CallAdjustmentComb->ItemData(0)));
}

std::string MainCtl::FindTunerName(long code) const {
    for (int i = 0; i < ComboTuner->Count(); ++i)
        if (ComboTuner->ItemData(i) == code) return ComboTuner->ItemText(i);
    return "";
}

void MainCtl::ShowTuner(long code) { ComboTuner->SetText(FindTunerName(code)); }

void MainCtl::ShowTuner2(long code) { ComboTuner2->SetText(FindTunerName(code)); }

std::string MainCtl::FindCallAdjustmentName(long code) const {
    for (int i = 0; i < CallAdjustmentComb->Count(); ++i)
        if (CallAdjustmentComb->ItemData(i) == code) return CallAdjustmentComb->ItemText(i);
    return "";
}

std::string MainCtl::CurveCodeOf(const std::string& name) const {
    const std::string* code = Lookup(m_CurveCodes, name);
    return code ? *code : "";
}

bool MainCtl::HasCurveName(const std::string& code) const { return Lookup(m_CurveNames, code) != nullptr; }

std::string MainCtl::CurveNameOf(const std::string& code) const {
    const std::string* name = Lookup(m_CurveNames, code);
    return name ? *name : "";
}

}  // namespace zemra
