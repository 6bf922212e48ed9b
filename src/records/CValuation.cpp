#include "records/CValuation.h"

#include "records/RecordError.h"
#include "toolkit/NumberText.h"

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

namespace {

// Hands each ";"-separated field of `text` with its 0-based position to
// `use`, in order, until `use` returns false.
template <typename Use>
void ForEachField(const std::string& text, Use use) {
    std::size_t start = 0;
    std::string field;
    for (std::size_t i = 0;; ++i) {
        const auto at = text.find(';', start);
        field.assign(text, start, at == std::string::npos ? std::string::npos : at - start);
        if (!use(i, field) || at == std::string::npos) return;
        start = at + 1;
    }
}

}  // namespace

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
    // and is skipped even past the last slot. The fields are read one at a
    // time, so that a long piece costs its length and no more.
    ForEachField(ValuationStr, [&](std::size_t i, const std::string& field) {
        const auto value = ParseNumber(field, locale);
        if (!value) return true;
        if (i >= static_cast<std::size_t>(kValuationSlots)) {
            throw RecordError("Valuation reply piece has more than 31 numbers.");
        }
        m_valuation[i] = *value;
        return true;
    });
    CreateCarry(carrystr, locale);
}

void CValuation::CreateCarry(const std::string& carrystr, const Locale& locale) {
    m_Carry.fill(0);
    if (carrystr.empty()) return;
    // Fields past the last carry slot are not read.
    ForEachField(carrystr, [&](std::size_t i, const std::string& field) {
        if (i >= static_cast<std::size_t>(kCarrySlots)) return false;
        m_Carry[i] = retNumber(field, locale);
        return true;
    });
}

}  // namespace zemra
