#include "server/DlgCarry.h"

#include <string>

namespace zemra {

DlgCarry::DlgCarry(UiContext& ui) : form(ui, "DlgCarry") {
    form.caption = "Rates";
    auto caption = [&](const std::string& element, const std::string& text) {
        form.Add<Label>("Caption" + element, nullptr).caption = text;
    };
    auto field = [&](const std::string& name, const std::string& text) {
        caption(name, text);
        return &form.Add<TextBox>(name, nullptr);
    };
    TxtFinRate = field("TxtFinRate", "Finance Rate %:");
    TxtRebRate = field("TxtRebRate", "Rebate Rate %:");
    TxtTailRate = field("TxtTailRate", "Tail Rate %:");
    TxtBrwCost = field("TxtBrwCost", "Addl. Borrow Cost %:");
    static const char* const kCaptions[12] = {"Finance:", "Income:",    "Est. # Payments:", "Carry:",
                                              "Capital:", "Net Carry:", "Rebate:",          "Dividends:",
                                              "Est. # Dividends:", "Points:", "Points:",    "Points:"};
    for (int k = 0; k < 12; ++k) {
        const std::string name = "LbCarryVal(" + std::to_string(k) + ")";
        caption(name, kCaptions[k]);
        LbCarryVal[k] = &form.Add<Label>(name, nullptr);
        LbCarryVal[k]->foreColor = kBlue;
    }
    OptFullCarry = &form.Add<OptionButton>("OptFullCarry", nullptr, "carry");
    OptFullCarry->caption = "Use Full Carry";
    OptNetCarry = &form.Add<OptionButton>("OptNetCarry", nullptr, "carry");
    OptNetCarry->caption = "Use Net Carry";
    OKButton = &form.Add<Button>("OKButton", nullptr);
    OKButton->caption = "OK";
    CancelButton = &form.Add<Button>("CancelButton", nullptr);
    CancelButton->caption = "Cancel";
    Wire();
}

void DlgCarry::Wire() {}

}  // namespace zemra
