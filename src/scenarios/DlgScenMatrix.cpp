#include "scenarios/DlgScenMatrix.h"

#include "compute/OptionLists.h"
#include "records/RecordError.h"
#include "toolkit/FieldMessages.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"
#include "toolkit/WholeText.h"

namespace zemra {

namespace {

constexpr const char* kStepsMessage = "The number in this field must be less than 5";

}  // namespace

DlgScenMatrix::DlgScenMatrix(UiContext& ui) : m_form(ui, "DlgScenMatrix") {
    m_columns = {Column{&TxtStk, kMatrixStock}, Column{&TxtVol, kMatrixVol}, Column{&TxtCrdSprd, kMatrixCrdSprd},
                 Column{&TxtRate, kMatrixRate}, Column{&TxtTime, kMatrixTime}};
    Build();
}

void DlgScenMatrix::Build() {
    m_form.caption = "Scenario Matrix";
    m_form.columns = {96, 132, 132, 132, 132, 132};
    m_form.left = 40;
    m_form.top = 120;
    int tab = 0;
    auto label = [&](const std::string& name, const std::string& caption, GridCell cell, WidgetRole role) {
        Label& lb = m_form.Add<Label>(name, nullptr);
        lb.caption = caption;
        lb.cell = cell;
        lb.role = role;
    };
    const char* const kRowCaptions[3] = {"Start:", "Increments:", "Steps:"};
    for (int row = 0; row < 3; ++row)
        label(std::string("CaptionRow") + std::to_string(row), kRowCaptions[row], {row + 2, 1}, WidgetRole::Caption);
    struct Heading {
        const char* name;
        const char* caption;
    };
    const Heading kHeadings[kMatrixColumns] = {{"TxtStk", "Stock Change (%)"},
                                               {"TxtVol", "Volatility Change (%)"},
                                               {"TxtCrdSprd", "Crd Sprd Change (%)"},
                                               {"TxtRate", "Rate Change (bp)"},
                                               {"TxtTime", "Time Change (d)"}};
    for (int c = 0; c < kMatrixColumns; ++c) {
        label(std::string("Header") + kHeadings[c].name, kHeadings[c].caption, {1, c + 2}, WidgetRole::Header);
        for (int row = 0; row < 3; ++row) {
            TextBox& box =
                m_form.Add<TextBox>(std::string(kHeadings[c].name) + "(" + std::to_string(row) + ")", nullptr);
            box.SetText("0");
            box.cell = {row + 2, c + 2};
            (*m_columns[c].fields)[row] = &box;
        }
    }
    // The tab order runs down each column, then to the tuner and the buttons.
    for (const Column& column : m_columns)
        for (TextBox* box : *column.fields) box->tabIndex = tab++;
    label("CaptionComboTuner", "Tuner:", {5, 1}, WidgetRole::Caption);
    ComboTuner = &m_form.Add<ComboBox>("ComboTuner", nullptr);
    ComboTuner->cell = {5, 2, 1, 2};
    ComboTuner->tabIndex = tab++;
    TxtTunerVal = &m_form.Add<TextBox>("TxtTunerVal", nullptr);
    TxtTunerVal->SetText("100");
    TxtTunerVal->cell = {5, 4};
    TxtTunerVal->tabIndex = tab++;
    LbCount = &m_form.Add<Label>("LbCount", nullptr);
    LbCount->cell = {6, 2, 1, 2};
    LbCount->role = WidgetRole::Value;
    OKButton = &m_form.Add<Button>("OKButton", nullptr);
    OKButton->caption = "OK";
    OKButton->cell = {6, 5};
    OKButton->tabIndex = tab++;
    CancelButton = &m_form.Add<Button>("CancelButton", nullptr);
    CancelButton->caption = "Cancel";
    CancelButton->cell = {6, 6};
    CancelButton->tabIndex = tab++;

    for (const Column& column : m_columns) {
        for (int row = 0; row < 3; ++row) {
            TextBox* box = (*column.fields)[row];
            box->GotFocus = [box] { SelectWholeText(*box); };
            box->Validate = [this, &column, row](bool& cancel) { ColumnField_Validate(column, row, cancel); };
            box->Change = [this] { EntryChanged(); };
        }
    }
    TxtTunerVal->Change = [this] { EntryChanged(); };
    ShowCount();
    TxtTunerVal->GotFocus = [this] { SelectWholeText(*TxtTunerVal); };
    TxtTunerVal->Validate = [this](bool& cancel) { TxtTunerVal_Validate(cancel); };
    m_form.defaultButton = OKButton;
    m_form.cancelButton = CancelButton;
    OKButton->Click = [this] { OKButton_Click(); };
    CancelButton->Click = [this] { CancelButton_Click(); };
}

void DlgScenMatrix::SetTunerOptions(const std::string& text) {
    const Locale& locale = m_form.Ui().Host().GetLocale();
    const auto items = SplitItems(text, '|');
    try {
        for (size_t i = 0; i < items.size(); ++i) {
            const auto [id, name] = ReadCodeItem("tuner", items[i], i, locale);
            ComboTuner->AddItem(name);
            ComboTuner->SetItemData(ComboTuner->Count() - 1, id);
        }
    } catch (const RecordError&) {
        // The tuners read so far are offered.
    }
    if (ComboTuner->Count() > 0) SetTuner(ComboTuner->ItemData(0));
}

void DlgScenMatrix::SetTuner(long tuner) { ComboTuner->SetText(FindTunerName(tuner)); }

std::string DlgScenMatrix::FindTunerName(long tuner) const { return EntryText(*ComboTuner, tuner); }

void DlgScenMatrix::Refuse(TextBox& field, const char* message, bool& cancel) {
    if (&field != m_refusedField || field.Text() != m_refusedText) {
        m_refusedField = &field;
        m_refusedText = field.Text();
        m_form.Ui().Host().MessageBox(message, MsgButtons::Ok);
    }
    SelectWholeText(field);
    cancel = true;
}

void DlgScenMatrix::ColumnField_Validate(const Column& column, int index, bool& cancel) {
    const Locale& locale = m_form.Ui().Host().GetLocale();
    TextBox& field = *(*column.fields)[index];
    if (Trim(field.Text()).empty()) {
        field.SetText("0");
    } else if (!IsNumeric(field.Text(), locale)) {
        Refuse(field, kNumbersOnlyMessage, cancel);
        return;
    }
    // Steps that are not a number have had their message; only a number
    // meets the limit.
    const auto steps = ParseNumber(Trim((*column.fields)[kStepsRow]->Text()), locale);
    if (steps && *steps >= kMatrixStepsLimit) Refuse(field, kStepsMessage, cancel);
}

void DlgScenMatrix::TxtTunerVal_Validate(bool& cancel) {
    if (Trim(TxtTunerVal->Text()).empty()) {
        TxtTunerVal->SetText("0");
        return;
    }
    if (!IsNumeric(TxtTunerVal->Text(), m_form.Ui().Host().GetLocale()))
        Refuse(*TxtTunerVal, kNumbersOnlyMessage, cancel);
}

double DlgScenMatrix::Number(const TextBox& field) {
    return ParseNumber(Trim(field.Text()), m_form.Ui().Host().GetLocale()).value_or(0);
}

void DlgScenMatrix::EntryChanged() {
    m_refusedField = nullptr;
    ShowCount();
}

void DlgScenMatrix::ShowCount() {
    const Locale& locale = m_form.Ui().Host().GetLocale();
    for (const Column& column : m_columns) {
        const auto steps = ParseNumber(Trim((*column.fields)[kStepsRow]->Text()), locale);
        if (steps && *steps >= kMatrixStepsLimit) {
            LbCount->caption = "Too many steps";
            return;
        }
    }
    const std::size_t count = MatrixScenarioCount(ReadSetup());
    LbCount->caption = count == 0 ? "No scenarios" : std::to_string(count) + (count == 1 ? " scenario" : " scenarios");
}

MatrixSetup DlgScenMatrix::ReadSetup() {
    MatrixSetup setup;
    for (const Column& column : m_columns) {
        MatrixColumn& c = setup.columns[column.change];
        c.start = Number(*(*column.fields)[kStartRow]);
        c.increment = Number(*(*column.fields)[kIncrementRow]);
        // Negative steps give an empty series; steps are below the limit
        // once their field was left.
        const double steps = RoundHalfEven(Number(*(*column.fields)[kStepsRow]));
        c.steps = steps < 0                   ? -1
                  : steps > kMatrixStepsLimit ? static_cast<int>(kMatrixStepsLimit)
                                              : static_cast<int>(steps);
    }
    setup.tunerValue = Number(*TxtTunerVal);
    // Without a chosen tuner the scenarios get the first one offered, or 0.
    const int chosen = ComboTuner->ListIndex();
    setup.tuner = chosen >= 0 ? ComboTuner->ItemData(chosen) : ComboTuner->Count() > 0 ? ComboTuner->ItemData(0) : 0;
    return setup;
}

void DlgScenMatrix::OKButton_Click() {
    const MatrixSetup setup = ReadSetup();
    const auto scenarios = GenerateMatrixScenarios(setup, m_form.Ui().Host().GetLocale().decimalSeparator);
    m_form.Unload();
    if (scenarios && AddScenarios) AddScenarios(*scenarios);
}

void DlgScenMatrix::CancelButton_Click() { m_form.Unload(); }

}  // namespace zemra
