#include "records/CSecurity.h"

#include <algorithm>
#include <vector>

#include "records/RecordError.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"

namespace zemra {

namespace {

constexpr std::size_t kRecordFields = 32;

// Field names of the security record text, as the user knows them.
constexpr const char* kFieldNames[kRecordFields] = {
    "Security Id",
    "Description",
    "Security Type",
    "Convert Position",
    "Convert Price",
    "Credit Spread",
    "Call Adjustment",
    "Call Adjustment Value",
    "Use Borrow",
    "Stock Position",
    "Stock Price",
    "Volatility",
    "Curve",
    "Factor",
    "Delta Adjustment",
    "Ratio",
    "Capital Rule",
    "Convert Capital",
    "Stock Capital",
    "Finance Rate",
    "Rebate Rate",
    "Borrow Rate",
    "Tail Rate",
    "Fx Rate",
    "Maturity",
    "Fx To USD",
    "Discounting",
    "Dividend Type",
    "Recovery/Decay",
    "Recovery/Decay Value",
    "Bankruptcy",
    "IAD",
};

// Decimals each Properties slot is rounded to when set.
constexpr int kPropertyDecimals[kAssumptionSlots] = {
    0,  // ConvertPosIdx
    3,  // ConvertPriceIdx
    0,  // CreditSprdIdx
    0,  // CallAdjValIdx
    3,  // BorrowCostIdx
    0,  // StkPosIdx
    3,  // StkPriceIdx
    1,  // VolatilityIdx
    0,  // DeltaAdjIdx
    3,  // IAD
    0,  // UseBorrowIdx
};

// Reads the fields of one record text, naming the record by its description
// (field 1) or, when that is empty, by its id (field 0).
class FieldReader {
public:
    FieldReader(const std::vector<std::string>& fields, const Locale& locale) : m_fields(fields), m_locale(locale) {
        const std::string& name = fields.size() > 1 && !fields[1].empty() ? fields[1] : fields[0];
        m_record = name.empty() ? std::string("Security record") : "Security record '" + name + "'";
    }

    const std::string& Text(std::size_t i) const { return m_fields[i]; }
    double Number(std::size_t i) const { return ReadNumberField(m_fields[i], m_locale, Where(i)); }
    double Rounded(std::size_t i, int decimals) const { return RoundHalfAway(Number(i), decimals); }
    int32_t Int32(std::size_t i) const { return ReadInt32Field(m_fields[i], m_locale, Where(i)); }
    int16_t Int16(std::size_t i) const { return ReadInt16Field(m_fields[i], m_locale, Where(i)); }

private:
    std::string Where(std::size_t i) const {
        return m_record + " (field " + std::to_string(i) + ", " + kFieldNames[i] + ")";
    }

    const std::vector<std::string>& m_fields;
    const Locale& m_locale;
    std::string m_record;
};

void CheckSecurityPropertyIndex(int index) {
    if (index < 0 || index >= kAssumptionSlots) throw IndexError("Security property", index, kAssumptionSlots - 1);
}

}  // namespace

void CSecurity::SetFactor(double v) { m_Factor = RoundHalfAway(v, 0); }

void CSecurity::ThrowPropertyIndex(int index) { throw IndexError("Security property", index, kAssumptionSlots - 1); }

void CSecurity::SetProperties(int index, double v) {
    CheckSecurityPropertyIndex(index);
    m_Properties[static_cast<std::size_t>(index)] = RoundHalfAway(v, kPropertyDecimals[index]);
}

std::string CSecurity::GetFxToUsd() const { return PlainNumber(m_FxToUsd, '.'); }

void CSecurity::SetFxToUsd(const std::string& v) {
    const auto value = ParseNumber(v, Locale{});
    if (!value) throw RecordError("Fx To USD '" + v + "' is not a number.");
    m_FxToUsd = *value;
}

void CSecurity::CreateRecord(const std::string& SecurityStr, const Locale& hostLocale, const Date& today) {
    m_secId = -1;
    m_description.clear();
    m_Sectype.clear();
    m_CallAdjustment = 0;
    m_Curve = "USG";
    m_Factor = 0;
    m_ConvCapital = 15;
    m_StockCapital = 15;
    m_Finance = 0;
    m_Rebate = 0;
    m_Borrow = 0;
    m_Tail = 0;
    m_FxRate = 0;
    m_CapitalRule = 1;
    m_Maturity = FormatShortDate(AddYears(today, 30), hostLocale);
    m_FxToUsd = 1;
    m_Properties.fill(0);
    if (SecurityStr.empty()) return;

    const std::vector<std::string> fields = SplitFields(SecurityStr, ';');
    const FieldReader f(fields, DataFormat());
    const std::size_t count = std::min(fields.size(), kRecordFields);
    for (std::size_t i = 0; i < count; ++i) {
        switch (i) {
            case 0: m_secId = f.Int32(i); break;
            case 1: m_description = f.Text(i); break;
            case 2: m_Sectype = f.Text(i); break;
            case 3: m_Properties[ConvertPosIdx] = f.Rounded(i, 0); break;
            case 4: m_Properties[ConvertPriceIdx] = f.Rounded(i, 3); break;
            case 5: m_Properties[CreditSprdIdx] = f.Rounded(i, 0); break;
            case 6: m_CallAdjustment = f.Int32(i); break;
            case 7: m_Properties[CallAdjValIdx] = f.Rounded(i, 0); break;
            // Kept as read: only exactly 0 or 1 mean anything to the borrow cost.
            case 8: m_Properties[UseBorrowIdx] = f.Number(i); break;
            case 9: m_Properties[StkPosIdx] = f.Rounded(i, 0); break;
            case 10: m_Properties[StkPriceIdx] = f.Rounded(i, 3); break;
            case 11: m_Properties[VolatilityIdx] = f.Rounded(i, 1); break;
            case 12: m_Curve = f.Text(i); break;
            case 13: m_Factor = f.Rounded(i, 0); break;
            case 14: m_Properties[DeltaAdjIdx] = f.Rounded(i, 0); break;
            case 15: m_Ratio = f.Number(i); break;
            case 16: m_CapitalRule = f.Int32(i); break;
            case 17: m_ConvCapital = f.Number(i); break;
            case 18: m_StockCapital = f.Number(i); break;
            case 19: m_Finance = f.Rounded(i, 3); break;
            case 20: m_Rebate = f.Rounded(i, 3); break;
            case 21: m_Borrow = f.Rounded(i, 3); break;
            case 22: m_Tail = f.Rounded(i, 3); break;
            case 23: m_FxRate = f.Rounded(i, 3); break;
            case 24:
                // A maturity that is not a date keeps the default.
                if (const auto date = ParseDate(f.Text(i), DataFormat())) {
                    m_Maturity = FormatMmDdYyyy(*date, hostLocale.dateSeparator);
                }
                break;
            case 25: m_FxToUsd = f.Rounded(i, 3); break;
            case 26: m_Discount = f.Int16(i); break;
            case 27: m_DivType = f.Int16(i); break;
            case 28: m_RecvDecay = f.Text(i); break;
            case 29: m_RecvDecayVal = f.Number(i); break;
            case 30: m_bankruptcy = f.Int16(i); break;
            case 31: m_Properties[IAD] = f.Rounded(i, 3); break;
            default: break;
        }
    }

    // The borrow cost has no field of its own: with the borrow flag exactly 1
    // it is derived from the rates, otherwise it stays 0.
    if (m_Properties[UseBorrowIdx] == 1) {
        m_Properties[BorrowCostIdx] = RoundHalfAway(m_Finance - m_Rebate + m_Borrow, 3);
    } else {
        m_Properties[BorrowCostIdx] = 0;
    }
}

}  // namespace zemra
