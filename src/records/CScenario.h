#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "records/Indexes.h"
#include "toolkit/Locale.h"

namespace zemra {

// The auto-load flag as a scenario keeps it and the panel shows it; a
// scenario text marks it with "Y" (in any case).
inline constexpr const char* kAutoLoadYes = "Yes";
inline constexpr const char* kAutoLoadNo = "No";

// One scenario: the changes it applies, its tuner, description, last impact,
// list key, database identifier and auto-load flag.
class CScenario {
public:
    const std::string& GetAutoLoad() const { return m_AutoLoad; }
    bool AutoLoads() const;  // the flag reads "Yes" in any case
    void SetAutoLoad(const std::string& v) { m_AutoLoad = v; }
    int32_t GetUid() const { return m_Uid; }
    void SetUid(int32_t v) { m_Uid = v; }
    int32_t Getkey() const { return m_key; }
    void Setkey(int32_t v) { m_key = v; }
    // RecordError outside 0..5; read for every valuation of an impact run,
    // so the check is inline and the error out of line.
    double GetScenarioProperties(int index) const {
        if (index < 0 || index >= kScenarioSlots) ThrowPropertyIndex(index);
        return m_ScenarioProperties[static_cast<std::size_t>(index)];
    }
    void SetScenarioProperties(int index, double v);
    const std::string& Getdescription() const { return m_description; }
    void Setdescription(const std::string& v) { m_description = v; }
    int16_t Gettuner() const;  // RecordError when outside 16 bits
    void Settuner(int32_t v) { m_tuner = v; }
    double GetImpact() const { return m_Impact; }
    void SetImpact(double v);  // rounds to whole, halves away
    void SetImpactUnrounded(double v) { m_Impact = v; }

    // Scenario text: description;6 properties (or fewer);impact;tuner;flag.
    // `locale` is the text's number format: DataFormat() for every text
    // that comes from the page or a server.
    void CreateScenario(const std::string& scenariostr, const Locale& locale);
    // Stored-scenario text: uid;description;properties;impact;tuner;flag.
    void CreateScenarioFromDataBase(const std::string& scenariostr, const Locale& locale);

private:
    [[noreturn]] static void ThrowPropertyIndex(int index);
    void Reset();
    void FillTail(const std::vector<std::string>& fields, size_t firstProperty, const Locale& locale);

    std::string m_description;
    double m_Impact = 0;
    std::array<double, kScenarioSlots> m_ScenarioProperties{};
    int32_t m_tuner = 0;
    int32_t m_key = -1;
    int32_t m_Uid = -1;
    std::string m_AutoLoad = kAutoLoadNo;
};

}  // namespace zemra
