#pragma once
// The scenario database: retrieving every stored scenario, saving the
// current one (insert, then modify once it has an identity), deleting it,
// and loading a stored scenario into the working list.
#include "context/PanelContext.h"

namespace zemra {

// The stored scenarios' elements, made by the panel's layout.
struct StoredScenarioWidgets {
    ComboBox* ComboScenario = nullptr;
    Button* BtnRetrieve = nullptr;
    Button* BtnSave = nullptr;
    Button* BtnDelScenario = nullptr;
    // The scenario list's description field, read (never written) by the
    // confirmation of a delete.
    const TextBox* scenarioDescription = nullptr;
};

class StoredScenarios : private StoredScenarioWidgets {
public:
    StoredScenarios(PanelContext& ctx, const StoredScenarioWidgets& widgets);

private:
    void BtnRetrieve_Click();
    void BtnSave_Click();
    void BtnDelScenario_Click();
    void RemoveCurrentScenario();
    void ComboScenario_Click();

    PanelContext& m_ctx;
};

}  // namespace zemra
