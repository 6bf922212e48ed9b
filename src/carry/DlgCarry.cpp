#include "carry/DlgCarry.h"

#include <string>

#include "records/CarryOption.h"
#include "records/Indexes.h"
#include "toolkit/FieldMessages.h"
#include "toolkit/NumberText.h"
#include "toolkit/WholeText.h"

namespace zemra {

namespace {

constexpr int kRateDecimals = 3;

// The captions beside the carry breakdown, by carry slot.
constexpr const char* kBreakdownCaptions[kCarrySlots] = {
    "Finance:", "Income:",    "Est. # Payments:",  "Carry:",  "Capital:", "Net Carry:",
    "Rebate:",  "Dividends:", "Est. # Dividends:", "Points:", "Points:",  "Points:"};
// The breakdown stands in two columns of six rows.
constexpr int kBreakdownRows = 6;

}  // namespace

DlgCarry::DlgCarry(UiContext& ui, const Locale& locale) : Form(ui, "DlgCarry"), m_locale(locale) {
    caption = "Rates";
    BuildLayout();

    for (TextBox* box : {TxtFinRate, TxtTailRate, TxtRebRate, TxtBrwCost}) {
        box->GotFocus = [box] { SelectWholeText(*box); };
        box->Validate = [this, box](bool& cancel) { RateField_Validate(*box, cancel); };
    }
    // The tail rate follows the finance rate until it is edited on its own.
    TxtFinRate->Change = [this] { TxtTailRate->SetText(TxtFinRate->Text()); };
    defaultButton = OKButton;
    cancelButton = CancelButton;
    OKButton->Click = [this] { OKButton_Click(); };
    CancelButton->Click = [this] { CancelButton_Click(); };
}

void DlgCarry::BuildLayout() {
    // Caption, value, caption, value.
    columns = {130, 90, 130, 90};
    auto captionFor = [&](const std::string& element, const std::string& text, GridCell cell) {
        Label& lb = Add<Label>("Caption" + element, nullptr);
        lb.caption = text;
        lb.role = WidgetRole::Caption;
        lb.cell = cell;
    };
    int tab = 0;
    auto rate = [&](const std::string& name, const std::string& text, int row, int column) {
        captionFor(name, text, {row, column});
        TextBox& box = Add<TextBox>(name, nullptr);
        box.cell = {row, column + 1};
        box.tabIndex = tab++;
        return &box;
    };
    TxtFinRate = rate("TxtFinRate", "Finance Rate %:", 1, 1);
    TxtRebRate = rate("TxtRebRate", "Rebate Rate %:", 1, 3);
    TxtTailRate = rate("TxtTailRate", "Tail Rate %:", 2, 1);
    TxtBrwCost = rate("TxtBrwCost", "Addl. Borrow Cost %:", 2, 3);

    for (int k = 0; k < kCarrySlots; ++k) {
        const std::string name = "LbCarryVal(" + std::to_string(k) + ")";
        const int row = 3 + k % kBreakdownRows;
        const int column = k < kBreakdownRows ? 1 : 3;
        captionFor(name, kBreakdownCaptions[k], {row, column});
        Label& value = Add<Label>(name, nullptr);
        value.role = WidgetRole::Value;
        value.foreColor = kBlue;
        value.cell = {row, column + 1};
        LbCarryVal[static_cast<std::size_t>(k)] = &value;
    }

    const int optionRow = 3 + kBreakdownRows;
    OptFullCarry = &Add<OptionButton>("OptFullCarry", nullptr, "carry");
    OptFullCarry->caption = "Use Full Carry";
    OptFullCarry->cell = {optionRow, 1, 1, 2};
    OptFullCarry->tabIndex = tab++;
    OptNetCarry = &Add<OptionButton>("OptNetCarry", nullptr, "carry");
    OptNetCarry->caption = "Use Net Carry";
    OptNetCarry->cell = {optionRow, 3, 1, 2};
    OptNetCarry->tabIndex = tab++;

    OKButton = &Add<Button>("OKButton", nullptr);
    OKButton->caption = "OK";
    OKButton->cell = {optionRow + 1, 3};
    OKButton->tabIndex = tab++;
    CancelButton = &Add<Button>("CancelButton", nullptr);
    CancelButton->caption = "Cancel";
    CancelButton->cell = {optionRow + 1, 4};
    CancelButton->tabIndex = tab++;
}

std::string DlgCarry::RateText(double rate) const { return FormatGrouped(rate, kRateDecimals, m_locale, true); }

void DlgCarry::RateField_Validate(TextBox& box, bool& cancel) {
    if (IsNumeric(box.Text(), m_locale)) return;
    Ui().Host().MessageBox(kNumbersOnlyMessage, MsgButtons::Ok);
    SelectWholeText(box);
    cancel = true;
}

void DlgCarry::OKButton_Click() {
    // Leaving the focused field validates it: only numbers reach here.
    auto number = [this](const TextBox* box) { return ParseNumber(box->Text(), m_locale).value_or(0); };
    const double finance = number(TxtFinRate);
    const double rebate = number(TxtRebRate);
    const double tail = number(TxtTailRate);
    const double borrow = number(TxtBrwCost);
    long option = kUseFullCarry;
    if (!OptFullCarry->Value() && OptNetCarry->Value()) option = kUseNetCarry;
    Unload();
    if (ChgCarry) ChgCarry(finance, rebate, tail, borrow, option);
}

void DlgCarry::CancelButton_Click() {
    Unload();
    if (UnloadCarry) UnloadCarry();
}

}  // namespace zemra
