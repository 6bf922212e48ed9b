#pragma once
#include <array>
#include <functional>

#include "toolkit/Form.h"

namespace zemra {

// The Rates dialog: the carry breakdown of the selected security under the
// selected scenario, its four rates and the carry option.
class DlgCarry {
public:
    explicit DlgCarry(UiContext& ui);
    Form form;

    TextBox* TxtFinRate;
    TextBox* TxtTailRate;
    TextBox* TxtRebRate;
    TextBox* TxtBrwCost;
    OptionButton* OptFullCarry;
    OptionButton* OptNetCarry;
    Button* OKButton;
    Button* CancelButton;
    std::array<Label*, 12> LbCarryVal{};

    // Raised by OK (finance, rebate, tail, borrow, carry option) and Cancel.
    std::function<void(double, double, double, double, long)> ChgCarry;
    std::function<void()> UnloadCarry;

private:
    void Wire();   // the dialog's own behaviour
};

}  // namespace zemra
