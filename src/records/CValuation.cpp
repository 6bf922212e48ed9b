#include "records/CValuation.h"

#include <vector>

#include "records/RecordError.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"

namespace zemra {

int16_t CValuation::Gettuner() const { return TunerAs16Bits(m_tuner, "Valuation"); }

double CValuation::Getvaluation(int index) const {
    if (index < 0 || index >= kValuationSlots) throw IndexError("Valuation", index, kValuationSlots - 1);
    return m_valuation[static_cast<std::size_t>(index)];
}

void CValuation::Setvaluation(int index, double v) {
    if (index < 0 || index >= kValuationSlots) throw IndexError("Valuation", index, kValuationSlots - 1);
    m_valuation[static_cast<std::size_t>(index)] = v;
}

double CValuation::GetCarry(int index) const {
    if (index < 0 || index >= kCarrySlots) throw IndexError("Carry", index, kCarrySlots - 1);
    return m_Carry[static_cast<std::size_t>(index)];
}

void CValuation::SetCarry(int index, double v) {
    if (index < 0 || index >= kCarrySlots) throw IndexError("Carry", index, kCarrySlots - 1);
    m_Carry[static_cast<std::size_t>(index)] = v;
}

double CValuation::Slot(const Pair& p, int i, const char* name) {
    if (i < 0 || i > 1) throw IndexError(name, i, 1);
    return p[static_cast<std::size_t>(i)];
}

double& CValuation::Slot(Pair& p, int i, const char* name) {
    if (i < 0 || i > 1) throw IndexError(name, i, 1);
    return p[static_cast<std::size_t>(i)];
}

double CValuation::retNumber(const std::string& str, const Locale& locale) {
    return ParseNumber(str, locale).value_or(0.0);
}

void CValuation::CreateValuation(const std::string& ValuationStr, const std::string& carrystr, const Locale& locale) {
    m_valuation.fill(0);
    if (ValuationStr.empty()) {
        m_TunerValue = 100;
        CreateCarry(carrystr, locale);
        return;
    }
    // Only numeric fields fill their slot; a non-numeric one leaves it at 0
    // and is skipped even past the last slot.
    const std::vector<std::string> fields = SplitFields(ValuationStr, ';');
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto value = ParseNumber(fields[i], locale);
        if (!value) continue;
        if (i >= static_cast<std::size_t>(kValuationSlots)) {
            throw RecordError("Valuation reply piece has more than 31 numbers.");
        }
        m_valuation[i] = *value;
    }
    CreateCarry(carrystr, locale);
}

void CValuation::CreateCarry(const std::string& carrystr, const Locale& locale) {
    m_Carry.fill(0);
    if (carrystr.empty()) return;
    const std::vector<std::string> fields = SplitFields(carrystr, ';');
    for (std::size_t i = 0; i < fields.size() && i < static_cast<std::size_t>(kCarrySlots); ++i) {
        m_Carry[i] = retNumber(fields[i], locale);
    }
}

}  // namespace zemra
