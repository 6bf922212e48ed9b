#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "records/Indexes.h"
#include "toolkit/Locale.h"

namespace zemra {

// The results for one security under one scenario.
class CValuation {
public:
    using Pair = std::array<double, 2>;

    int16_t Gettuner() const;  // RecordError when outside 16 bits
    void Settuner(int32_t v) { m_tuner = v; }
    double GetTunerValue() const { return m_TunerValue; }
    void SetTunerValue(double v) { m_TunerValue = v; }
    // RecordError outside 0..30
    double Getvaluation(int index) const { return m_valuation[Checked(index, kValuationSlots, "Valuation")]; }
    void Setvaluation(int index, double v) { m_valuation[Checked(index, kValuationSlots, "Valuation")] = v; }
    int32_t GetoptCarry() const { return m_optCarry; }
    void SetoptCarry(int32_t v) { m_optCarry = v; }
    // RecordError outside 0..11
    double GetCarry(int index) const { return m_Carry[Checked(index, kCarrySlots, "Carry")]; }
    void SetCarry(int index, double v) { m_Carry[Checked(index, kCarrySlots, "Carry")] = v; }
    // The eight two-slot figures; index 0 current, 1 under the scenario;
    // RecordError outside 0..1.
    double GetDolDelta(int i) const { return Slot(m_DolDelta, i, "DolDelta"); }
    void SetDolDelta(int i, double v) { Slot(m_DolDelta, i, "DolDelta") = v; }
    double GetDolGamma(int i) const { return Slot(m_DolGamma, i, "DolGamma"); }
    void SetDolGamma(int i, double v) { Slot(m_DolGamma, i, "DolGamma") = v; }
    double GetDolVega(int i) const { return Slot(m_DolVega, i, "DolVega"); }
    void SetDolVega(int i, double v) { Slot(m_DolVega, i, "DolVega") = v; }
    double GetDolRho(int i) const { return Slot(m_DolRho, i, "DolRho"); }
    void SetDolRho(int i, double v) { Slot(m_DolRho, i, "DolRho") = v; }
    double GetDelShrs(int i) const { return Slot(m_DelShrs, i, "DelShrs"); }
    void SetDelShrs(int i, double v) { Slot(m_DelShrs, i, "DelShrs") = v; }
    double GetDolCSprd(int i) const { return Slot(m_DolCSprd, i, "DolCSprd"); }
    void SetDolCSprd(int i, double v) { Slot(m_DolCSprd, i, "DolCSprd") = v; }
    double GetGammaShrs(int i) const { return Slot(m_GammaShrs, i, "GammaShrs"); }
    void SetGammaShrs(int i, double v) { Slot(m_GammaShrs, i, "GammaShrs") = v; }
    double GetDolDelShrs(int i) const { return Slot(m_DolDelShrs, i, "DolDelShrs"); }
    void SetDolDelShrs(int i, double v) { Slot(m_DolDelShrs, i, "DolDelShrs") = v; }

    // Fills the 31 valuation slots from one reply piece and the carry from
    // its carry piece. A 32nd number throws RecordError (slots 0..30 already
    // filled, carry not read).
    void CreateValuation(std::string_view ValuationStr, std::string_view carrystr, const Locale& locale);
    // The same without throwing, for the impact run's hot path: the 0-based
    // field of the 32nd number (slots 0..30 filled, carry not read), or
    // nothing when the piece fits and the carry has been read too.
    std::optional<std::size_t> ReadValuation(std::string_view ValuationStr, std::string_view carrystr,
                                             const Locale& locale) noexcept;
    void CreateCarry(std::string_view carrystr, const Locale& locale) noexcept;
    // The number the text reads as, or 0.
    static double retNumber(std::string_view str, const Locale& locale) noexcept;

private:
    // The accessors are read for every valuation of an impact run: the
    // check is inline, the error out of line.
    static std::size_t Checked(int index, int slots, const char* name) {
        if (index < 0 || index >= slots) ThrowIndexError(name, index, slots - 1);
        return static_cast<std::size_t>(index);
    }
    [[noreturn]] static void ThrowIndexError(const char* name, int index, int last);
    static double Slot(const Pair& p, int i, const char* name) { return p[Checked(i, 2, name)]; }
    static double& Slot(Pair& p, int i, const char* name) { return p[Checked(i, 2, name)]; }

    std::array<double, kValuationSlots> m_valuation{};
    int32_t m_tuner = 0;
    double m_TunerValue = 0;
    std::array<double, kCarrySlots> m_Carry{};
    int32_t m_optCarry = 0;
    Pair m_DolDelta{}, m_DolVega{}, m_DolGamma{}, m_DolRho{}, m_DelShrs{}, m_DolCSprd{}, m_GammaShrs{}, m_DolDelShrs{};
};

}  // namespace zemra
