#include "records/CScenario.h"

#include "records/RecordError.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"

namespace zemra {

namespace {

void CheckScenarioPropertyIndex(int index) {
    if (index < 0 || index >= kScenarioSlots) throw IndexError("Scenario property", index, kScenarioSlots - 1);
}

// "Scenario record 'Up 10'" or "Stored scenario record 'Up 10'": a scenario
// text is named by its description (field 0), a stored-scenario text by its
// description (field 1) or, when that is empty, by its database id (field 0).
std::string RecordName(const std::vector<std::string>& fields, std::size_t firstProperty) {
    if (firstProperty == 1) {
        return fields[0].empty() ? std::string("Scenario record") : "Scenario record '" + fields[0] + "'";
    }
    const std::string& name = fields[1].empty() ? fields[0] : fields[1];
    return name.empty() ? std::string("Stored scenario record") : "Stored scenario record '" + name + "'";
}

std::string Where(const std::string& record, std::size_t field) {
    return record + " (field " + std::to_string(field) + ")";
}

}  // namespace

void CScenario::ThrowPropertyIndex(int index) { throw IndexError("Scenario property", index, kScenarioSlots - 1); }

void CScenario::SetScenarioProperties(int index, double v) {
    CheckScenarioPropertyIndex(index);
    m_ScenarioProperties[static_cast<std::size_t>(index)] = v;
}

int16_t CScenario::Gettuner() const {
    return TunerAs16Bits(m_tuner, m_description.empty() ? std::string("Scenario") : "Scenario '" + m_description + "'");
}

bool CScenario::AutoLoads() const { return ToUpper(m_AutoLoad) == ToUpper(kAutoLoadYes); }

void CScenario::SetImpact(double v) { m_Impact = RoundHalfAway(v, 0); }

// Description and tuner are left as they were.
void CScenario::Reset() {
    m_ScenarioProperties.fill(0);
    m_Impact = 0;
    m_key = -1;
    m_Uid = -1;
    m_AutoLoad = kAutoLoadNo;
    m_ScenarioProperties[m_TunerValIdx] = 100;
}

void CScenario::CreateScenario(const std::string& scenariostr, const Locale& locale) {
    Reset();
    if (scenariostr.empty()) return;
    const std::vector<std::string> fields = SplitFields(scenariostr, ';');
    if (fields.size() < 4) throw RecordError("Scenario text '" + scenariostr + "' has too few fields.");
    m_description = fields[0];
    FillTail(fields, 1, locale);
}

void CScenario::CreateScenarioFromDataBase(const std::string& scenariostr, const Locale& locale) {
    Reset();
    if (scenariostr.empty()) return;
    const std::vector<std::string> fields = SplitFields(scenariostr, ';');
    if (fields.size() < 5) throw RecordError("Stored scenario text '" + scenariostr + "' has too few fields.");
    m_Uid = ReadInt32Field(fields[0], locale, Where(RecordName(fields, 2), 0));
    m_description = fields[1];
    FillTail(fields, 2, locale);
}

// The property fields run from `firstProperty` up to the three trailing
// fields, which are always impact, tuner and auto-load flag.
void CScenario::FillTail(const std::vector<std::string>& fields, size_t firstProperty, const Locale& locale) {
    const std::string record = RecordName(fields, firstProperty);
    const std::size_t last = fields.size() - 1;
    for (std::size_t i = firstProperty; i + 3 <= last; ++i) {
        const double value = ReadNumberField(fields[i], locale, Where(record, i));
        const std::size_t slot = i - firstProperty;
        if (slot >= static_cast<std::size_t>(kScenarioSlots)) {
            throw RecordError(Where(record, i) + ": a scenario has no more than six properties.");
        }
        m_ScenarioProperties[slot] = value;
    }
    m_Impact = ReadNumberField(fields[last - 2], locale, Where(record, last - 2));
    m_tuner = ReadInt32Field(fields[last - 1], locale, Where(record, last - 1));
    m_AutoLoad = ToUpper(fields[last]) == "Y" ? kAutoLoadYes : kAutoLoadNo;
}

}  // namespace zemra
