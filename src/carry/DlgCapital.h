#pragma once
#include <functional>
#include <optional>

#include "toolkit/Form.h"
#include "toolkit/Locale.h"

namespace zemra {

// The Capital Settings dialog: a security's capital rule and its convert
// and stock capital rates. It reports back only through its two events;
// OK and Cancel unload it first, closing it by its window frame raises
// neither.
class DlgCapital : public Form {
public:
    DlgCapital(UiContext& ui, const Locale& locale);

    ComboBox* ComboCpRule;  // rule names; each entry's item data is the rule's identifier
    TextBox* TxtConvRate;
    TextBox* TxtStkRate;
    Button* OKButton;
    Button* CancelButton;

    // Raised by OK: the chosen rule (nothing when no rule is selected) and
    // the two rates as numbers.
    std::function<void(std::optional<long> rule, double convRate, double stkRate)> ChgCapital;
    // Raised by Cancel.
    std::function<void()> UnLoadCapital;

private:
    void BuildLayout();
    void Rate_Validate(TextBox& box, bool& cancel);
    void OKButton_Click();
    void CancelButton_Click();

    const Locale& m_locale;
    // What OK keeps before it reports them.
    std::optional<long> m_rule;
    double m_convRate = 0;
    double m_stkRate = 0;
};

}  // namespace zemra
