#include "records/CValuation.h"

#include <limits>

#include "PageWire.h"
#include "records/RecordError.h"
#include "toolkit/NumberText.h"

namespace zemra {

int16_t CValuation::Gettuner() const { return TunerAs16Bits(m_tuner, "Valuation"); }

void CValuation::ThrowIndexError(const char* name, int index, int last) { throw IndexError(name, index, last); }

namespace {

// Hands each ";"-separated field of `text`, as a view into it, with its
// 0-based position to `use`, in order, until `use` returns false.
template <typename Use>
void ForEachField(std::string_view text, Use use) {
    std::size_t start = 0;
    for (std::size_t i = 0;; ++i) {
        const auto at = text.find(';', start);
        const std::string_view field =
            text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start);
        if (!use(i, field) || at == std::string_view::npos) return;
        start = at + 1;
    }
}

}  // namespace

double CValuation::retNumber(std::string_view str, const Locale& locale) noexcept {
    return ParseNumber(str, locale).value_or(0.0);
}

void CValuation::CreateValuation(std::string_view ValuationStr, std::string_view carrystr, const Locale& locale) {
    if (ReadValuation(ValuationStr, carrystr, locale))
        throw RecordError("Valuation reply piece has more than 31 numbers.");
}

std::optional<std::size_t> CValuation::ReadValuation(std::string_view ValuationStr, std::string_view carrystr,
                                                     const Locale& locale) noexcept {
    m_valuation.fill(0);
    if (ValuationStr.empty()) {
        m_TunerValue = 100;
        CreateCarry(carrystr, locale);
        return std::nullopt;
    }
    // Only numeric fields fill their slot; a non-numeric one leaves it at 0
    // and is skipped even past the last slot. The fields are read one at a
    // time, in place, so that a long piece costs its length and no more.
    std::optional<std::size_t> beyond;
    ForEachField(ValuationStr, [&](std::size_t i, std::string_view field) {
        const auto value = ParseNumber(field, locale);
        if (!value) {
            // An implied figure the model could not find is kept as missing
            // (NaN), so it is shown as such and never as a plausible 0.
            if (field == contract::kMissingFigure && IsImpliedSlot(i))
                m_valuation[i] = std::numeric_limits<double>::quiet_NaN();
            return true;
        }
        if (i >= static_cast<std::size_t>(kValuationSlots)) {
            beyond = i;
            return false;
        }
        m_valuation[i] = *value;
        return true;
    });
    if (!beyond) CreateCarry(carrystr, locale);
    return beyond;
}

void CValuation::CreateCarry(std::string_view carrystr, const Locale& locale) noexcept {
    m_Carry.fill(0);
    if (carrystr.empty()) return;
    // Fields past the last carry slot are not read.
    ForEachField(carrystr, [&](std::size_t i, std::string_view field) {
        if (i >= static_cast<std::size_t>(kCarrySlots)) return false;
        m_Carry[i] = retNumber(field, locale);
        return true;
    });
}

}  // namespace zemra
