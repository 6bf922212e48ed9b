#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/Form.h"

namespace zemra {

// The Scenario Matrix dialog: one scenario for every combination of five
// value series, each given by a start, an increment and a number of steps.
class DlgScenMatrix {
public:
    DlgScenMatrix(UiContext& ui);
    Form form;

    // Row 0 "Start:", 1 "Increments:", 2 "Steps:".
    std::array<TextBox*, 3> TxtStk{};
    std::array<TextBox*, 3> TxtVol{};
    std::array<TextBox*, 3> TxtCrdSprd{};
    std::array<TextBox*, 3> TxtRate{};
    std::array<TextBox*, 3> TxtTime{};
    ComboBox* ComboTuner;
    TextBox* TxtTunerVal;
    Button* OKButton;
    Button* CancelButton;

    void SetTunerOptions(const std::string& text);
    void SetTuner(long tuner);

    // Raised once by OK with the generated scenario texts.
    std::function<void(const std::vector<std::string>& scenarios)> AddScenarios;

private:
    void Wire();
};

}  // namespace zemra
