#pragma once
#include <cstdint>
#include <functional>

#include "toolkit/Form.h"

namespace zemra {

// The Capital Settings dialog: capital rule and the two capital rates.
class DlgCapital {
public:
    explicit DlgCapital(UiContext& ui);
    Form form;

    Label* LbCapitalRule;
    ComboBox* ComboCpRule;
    Label* LbConvRate;
    TextBox* TxtConvRate;
    Label* LbStkRate;
    TextBox* TxtStkRate;
    Button* OKButton;
    Button* CancelButton;

    // What OK keeps: the chosen rule and the two rates.
    int32_t m_Rule = 0;
    double m_ConvRate = 0;
    double m_StkRate = 0;

    // Raised by OK and Cancel.
    std::function<void(int32_t& rule, double& convRate, double& stkRate)> ChgCapital;
    std::function<void()> UnLoadCapital;

private:
    void Wire();
};

}  // namespace zemra
