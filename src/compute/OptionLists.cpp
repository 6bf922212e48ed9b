// The tuner, curve and call-adjustment lists and their look-ups.
#include "compute/OptionLists.h"

#include "records/RecordError.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"
#include "toolkit/Widgets.h"

namespace zemra {

namespace {

std::pair<std::string, std::string> CodeAndName(const std::string& list, const std::string& item, size_t i) {
    const auto fields = SplitFields(item, ';');
    if (fields.size() < 2)
        throw RecordError("The " + list + " list cannot be loaded: item " + std::to_string(i + 1) + " ('" + item +
                          "') has no name.");
    return {fields[0], fields[1]};
}

}  // namespace

std::pair<int16_t, std::string> ReadCodeItem(const std::string& list, const std::string& item, std::size_t i,
                                             const Locale& locale) {
    const auto [code, name] = CodeAndName(list, item, i);
    const auto v = ParseNumber(code, locale);
    if (!v)
        throw RecordError("The " + list + " list cannot be loaded: the code of item " + std::to_string(i + 1) + " ('" +
                          code + "') is not a whole number.");
    try {
        return {ToInt16(*v), name};
    } catch (const std::exception&) {
        throw RecordError("The " + list + " list cannot be loaded: the code of item " + std::to_string(i + 1) + " ('" +
                          code + "') is outside the range -32768 to 32767.");
    }
}

std::string CurveList::Add(const std::string& item, std::size_t i) {
    const auto [code, name] = CodeAndName("curve", item, i);
    if (CodeOf(name))
        throw RecordError("The curve list cannot be loaded: the curve name '" + name + "' of item " +
                          std::to_string(i + 1) + " is listed twice.");
    if (NameOf(code))
        throw RecordError("The curve list cannot be loaded: the curve code '" + code + "' of item " +
                          std::to_string(i + 1) + " is listed twice.");
    m_items.emplace_back(code, name);
    return name;
}

std::optional<std::string> CurveList::CodeOf(const std::string& name) const {
    const std::string wanted = ToUpper(name);
    for (const auto& [code, n] : m_items)
        if (ToUpper(n) == wanted) return code;
    return std::nullopt;
}

std::optional<std::string> CurveList::NameOf(const std::string& code) const {
    const std::string wanted = ToUpper(code);
    for (const auto& [c, name] : m_items)
        if (ToUpper(c) == wanted) return name;
    return std::nullopt;
}

std::string EntryText(const ComboBox& combo, long code) {
    for (int i = 0; i < combo.Count(); ++i)
        if (combo.ItemData(i) == code) return combo.ItemText(i);
    return "";
}

}  // namespace zemra
