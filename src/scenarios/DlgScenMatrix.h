#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "compute/ScenarioMatrix.h"
#include "toolkit/Form.h"

namespace zemra {

// The Scenario Matrix dialog: a start, an increment and a number of steps
// for each of the five changes, a tuner and a tuner value. OK closes it and
// hands the text of every combination's scenario to the control through
// AddScenarios; Cancel closes it and changes nothing.
class DlgScenMatrix {
public:
    explicit DlgScenMatrix(UiContext& ui);

    Form& Window() { return m_form; }
    // The three fields (Start, Increments, Steps) of each change.
    std::array<TextBox*, 3> TxtStk{}, TxtVol{}, TxtCrdSprd{}, TxtRate{}, TxtTime{};
    ComboBox* ComboTuner;
    TextBox* TxtTunerVal;
    // How many scenarios OK makes of what the fields hold now.
    Label* LbCount;
    Button* OKButton;
    Button* CancelButton;

    // Fills ComboTuner from a tuner list text and shows its first tuner; the
    // list ends at an item that cannot be read (start-up reported it).
    void SetTunerOptions(const std::string& text);
    void SetTuner(long tuner);

    std::function<void(const std::vector<std::string>& scenarios)> AddScenarios;

private:
    enum Row { kStartRow, kIncrementRow, kStepsRow };
    struct Column {
        std::array<TextBox*, 3>* fields;
        MatrixColumnIdx change;
    };
    void Build();
    std::string FindTunerName(long tuner) const;
    void ColumnField_Validate(const Column& column, int index, bool& cancel);
    void TxtTunerVal_Validate(bool& cancel);
    void OKButton_Click();
    void CancelButton_Click();
    void Refuse(TextBox& field, const char* message, bool& cancel);
    double Number(const TextBox& field);
    // The setup OK makes its scenarios of.
    MatrixSetup ReadSetup();
    void ShowCount();
    void EntryChanged();

    Form m_form;
    std::array<Column, kMatrixColumns> m_columns{};
    // The entry last refused: its message is shown once, however often the
    // focus tries to leave the field before the entry changes.
    const TextBox* m_refusedField = nullptr;
    std::string m_refusedText;
};

}  // namespace zemra
