#pragma once
#include <array>
#include <functional>

#include "toolkit/Form.h"
#include "toolkit/Locale.h"

namespace zemra {

// The Rates dialog: the four rates of a security, the carry breakdown of
// the selected security under the selected scenario and the carry option.
// It reports back only through its two events; OK and Cancel unload it
// first, closing it by its window frame raises neither.
class DlgCarry : public Form {
public:
    DlgCarry(UiContext& ui, const Locale& locale);

    TextBox* TxtFinRate;
    TextBox* TxtTailRate;
    TextBox* TxtRebRate;
    TextBox* TxtBrwCost;
    OptionButton* OptFullCarry;
    OptionButton* OptNetCarry;
    Button* OKButton;
    Button* CancelButton;
    std::array<Label*, 12> LbCarryVal{};

    // Raised by OK with the four rates as numbers and the carry option.
    std::function<void(double finRate, double rebRate, double tailRate, double brwCost, long carryOption)> ChgCarry;
    // Raised by Cancel.
    std::function<void()> UnloadCarry;

    // A rate with 3 decimals and digit grouping (1234.5 shows 1,234.500).
    std::string RateText(double rate) const;

private:
    void BuildLayout();
    void RateField_Validate(TextBox& box, bool& cancel);
    void OKButton_Click();
    void CancelButton_Click();

    const Locale& m_locale;
};

}  // namespace zemra
