#pragma once
#include <map>
#include <optional>
#include <string>

namespace zemra {

// The host's persisted property set: named texts. A key that is absent is an
// absent property.
class PropertyBag {
public:
    void Write(const std::string& key, const std::string& value) { m_values[key] = value; }
    std::optional<std::string> Read(const std::string& key) const {
        auto it = m_values.find(key);
        if (it == m_values.end()) return std::nullopt;
        return it->second;
    }
    const std::map<std::string, std::string>& All() const { return m_values; }

private:
    std::map<std::string, std::string> m_values;
};

// The sixteen properties of the control, read once when it loads and kept
// unchanged for its lifetime.
struct ControlProperties {
    std::string TunerString;
    std::string CurveOptions;
    std::string CallAdjustment;
    std::string RecordString;
    std::string ScenarioString;
    std::string QuickSearchPath;
    std::string ScenarioDetailPath;
    std::string GetScenarioPath;
    std::string InsertScenarioPath;
    std::string DelScenarioPath;
    std::string ModScenarioPath;
    std::string StoredScenarios;
    std::string CapitalRules;
    std::string CapitalCalcPath;
    std::string CarryCalcPath;
    std::string EnableDebug;

    // Reads the properties in this order; an absent one is the empty text.
    static ControlProperties ReadFrom(const PropertyBag& bag);
    // The names of the sixteen properties, in reading order.
    static const char* const kNames[16];
};

}  // namespace zemra
