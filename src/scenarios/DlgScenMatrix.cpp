#include "scenarios/DlgScenMatrix.h"

namespace zemra {

DlgScenMatrix::DlgScenMatrix(UiContext& ui) : form(ui, "DlgScenMatrix") {
    form.caption = "Scenario Matrix";
    static const char* const kRows[3] = {"Start:", "Increments:", "Steps:"};
    for (int row = 0; row < 3; ++row) form.Add<Label>("CaptionRow(" + std::to_string(row) + ")", nullptr).caption = kRows[row];
    struct Column {
        std::array<TextBox*, 3>* boxes;
        const char* name;
        const char* caption;
    };
    const Column columns[5] = {{&TxtStk, "TxtStk", "Stock Change (%)"},
                               {&TxtVol, "TxtVol", "Volatility Change (%)"},
                               {&TxtCrdSprd, "TxtCrdSprd", "Crd Sprd Change (%)"},
                               {&TxtRate, "TxtRate", "Rate Change (bp)"},
                               {&TxtTime, "TxtTime", "Time Change (d)"}};
    for (const auto& c : columns) {
        form.Add<Label>(std::string("Caption") + c.name, nullptr).caption = c.caption;
        for (int row = 0; row < 3; ++row) {
            TextBox& box = form.Add<TextBox>(std::string(c.name) + "(" + std::to_string(row) + ")", nullptr);
            box.SetText("0");
            (*c.boxes)[row] = &box;
        }
    }
    form.Add<Label>("CaptionComboTuner", nullptr).caption = "Tuner:";
    ComboTuner = &form.Add<ComboBox>("ComboTuner", nullptr);
    TxtTunerVal = &form.Add<TextBox>("TxtTunerVal", nullptr);
    TxtTunerVal->SetText("100");
    OKButton = &form.Add<Button>("OKButton", nullptr);
    OKButton->caption = "OK";
    CancelButton = &form.Add<Button>("CancelButton", nullptr);
    CancelButton->caption = "Cancel";
    Wire();
}

void DlgScenMatrix::Wire() {}

}  // namespace zemra
