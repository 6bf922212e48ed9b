#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "records/Indexes.h"
#include "toolkit/DateText.h"
#include "toolkit/Locale.h"

namespace zemra {

// One security of the portfolio, filled from a security record text.
class CSecurity {
public:
    double m_DiscrYrs = 0;
    double m_RecvDecayVal = 0;

    double GetRatio() const { return m_Ratio; }
    void SetRatio(double v) { m_Ratio = v; }
    double GetFactor() const { return m_Factor; }
    void SetFactor(double v);  // rounds to whole
    // RecordError outside 0..10; read for every valuation of an impact run,
    // so the check is inline and the error out of line.
    double GetProperties(int index) const {
        if (index < 0 || index >= kAssumptionSlots) ThrowPropertyIndex(index);
        return m_Properties[static_cast<std::size_t>(index)];
    }
    void SetProperties(int index, double v);  // rounds by index
    int32_t GetsecId() const { return m_secId; }
    void SetsecId(int32_t v) { m_secId = v; }
    const std::string& Getdescription() const { return m_description; }
    void Setdescription(const std::string& v) { m_description = v; }
    const std::string& GetSectype() const { return m_Sectype; }
    void SetSectype(const std::string& v) { m_Sectype = v; }
    int32_t GetCallAdjustment() const { return m_CallAdjustment; }
    void SetCallAdjustment(int32_t v) { m_CallAdjustment = v; }
    const std::string& GetCurve() const { return m_Curve; }
    void SetCurve(const std::string& v) { m_Curve = v; }
    int32_t GetCapitalRule() const { return m_CapitalRule; }
    void SetCapitalRule(int32_t v) { m_CapitalRule = v; }
    double GetConvCapital() const { return m_ConvCapital; }
    void SetConvCapital(double v) { m_ConvCapital = v; }
    double GetStockCapital() const { return m_StockCapital; }
    void SetStockCapital(double v) { m_StockCapital = v; }
    double GetFinance() const { return m_Finance; }
    void SetFinance(double v) { m_Finance = v; }
    double GetRebate() const { return m_Rebate; }
    void SetRebate(double v) { m_Rebate = v; }
    double GetBorrow() const { return m_Borrow; }
    void SetBorrow(double v) { m_Borrow = v; }
    double GetTail() const { return m_Tail; }
    void SetTail(double v) { m_Tail = v; }
    double GetFxRate() const { return m_FxRate; }
    void SetFxRate(double v) { m_FxRate = v; }
    const std::string& GetMaturity() const { return m_Maturity; }
    void SetMaturity(const std::string& v) { m_Maturity = v; }
    // FxToUsd is exposed as text: get writes the plain number text with "."
    // as the decimal separator; set reads the text with the default (en-US)
    // number rules, "." decimal and "," grouping, so it reads back what get
    // writes, and stores it unrounded (RecordError when it is not a number).
    std::string GetFxToUsd() const;
    void SetFxToUsd(const std::string& v);
    double FxToUsdValue() const { return m_FxToUsd; }
    int16_t GetDiscount() const { return m_Discount; }
    void SetDiscount(int16_t v) { m_Discount = v; }
    int16_t GetDivType() const { return m_DivType; }
    void SetDivType(int16_t v) { m_DivType = v; }
    const std::string& GetRecvDecay() const { return m_RecvDecay; }
    void SetRecvDecay(const std::string& v) { m_RecvDecay = v; }
    int16_t Getbankruptcy() const { return m_bankruptcy; }
    void Setbankruptcy(int16_t v) { m_bankruptcy = v; }

    // Fills the record from a security record text (32 fields separated by
    // ";"), written in the data format whatever the host's locale. `today`
    // gives the default maturity (30 years on, in the host locale's short
    // date); a maturity read from the text is written with the host's date
    // separator. Throws RecordError naming the field that cannot be
    // converted; fields before it keep their new values.
    void CreateRecord(const std::string& SecurityStr, const Locale& hostLocale, const Date& today);

private:
    [[noreturn]] static void ThrowPropertyIndex(int index);
    int32_t m_secId = 0;
    std::string m_description;
    std::string m_Sectype;
    int32_t m_CallAdjustment = 0;
    std::string m_Curve;
    std::array<double, kAssumptionSlots> m_Properties{};
    double m_Factor = 0;
    double m_Ratio = 0;
    int32_t m_CapitalRule = 0;
    double m_ConvCapital = 0;
    double m_StockCapital = 0;
    double m_Finance = 0;
    double m_Rebate = 0;
    double m_Borrow = 0;
    double m_Tail = 0;
    double m_FxRate = 0;
    std::string m_Maturity;
    double m_FxToUsd = 0;
    int16_t m_Discount = 0;
    int16_t m_DivType = 0;
    std::string m_RecvDecay;
    int16_t m_bankruptcy = 0;
};

}  // namespace zemra
