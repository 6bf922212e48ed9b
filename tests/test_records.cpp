#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Builders.h"
#include "records/CScenario.h"
#include "records/CSecurity.h"
#include "records/CValuation.h"
#include "records/RecordError.h"

using namespace zemra;
using zemra::testing::GermanLike;

namespace {

const Date kToday{2026, 12, 6};
const Locale kUs;

// A complete 32-field security record text, with some fields replaced.
std::string SecurityText(const std::map<int, std::string>& changes = {}) {
    std::vector<std::string> f = {"101", "IBM 5s", "AS", "1000", "98.5", "250", "2", "3", "1", "-500", "45.25",
                                  "30.5", "LIB", "1", "0", "2.5", "3", "20", "25", "5", "1.25", "0.5", "0.1", "1.5",
                                  "6/15/2010", "1.23456", "1", "2", "R", "40", "1", "0.25"};
    for (const auto& [index, text] : changes) f[static_cast<std::size_t>(index)] = text;
    std::string out = f[0];
    for (std::size_t i = 1; i < f.size(); ++i) out += ";" + f[i];
    return out;
}

// The message of the RecordError the call throws, or "" when it throws none.
template <typename Call>
std::string ErrorOf(Call call) {
    try {
        call();
    } catch (const RecordError& error) {
        return error.what();
    }
    return "";
}

}  // namespace

TEST(SecurityRecord, EmptyTextGivesDefaults) {
    CSecurity sec;
    sec.SetRatio(2.5);
    sec.m_RecvDecayVal = 40;
    sec.CreateRecord("", kUs, kToday);
    EXPECT_EQ(sec.GetsecId(), -1);
    EXPECT_EQ(sec.GetCurve(), "USG");
    EXPECT_EQ(sec.GetCapitalRule(), 1);
    EXPECT_EQ(sec.GetConvCapital(), 15);
    EXPECT_EQ(sec.GetStockCapital(), 15);
    EXPECT_EQ(sec.GetFxToUsd(), "1");
    EXPECT_EQ(sec.GetMaturity(), "12/6/2056");
    for (int i = 0; i < kAssumptionSlots; ++i) EXPECT_EQ(sec.GetProperties(i), 0) << i;
    EXPECT_EQ(sec.GetRatio(), 2.5);  // not reset
    EXPECT_EQ(sec.m_RecvDecayVal, 40);
    sec.CreateRecord("", GermanLike(), kToday);
    EXPECT_EQ(sec.GetMaturity(), "06.12.2056");
}

TEST(SecurityRecord, ThreeFieldsFillOnlyThose) {
    CSecurity sec;
    sec.CreateRecord("7;Acme 2030;E", kUs, kToday);
    EXPECT_EQ(sec.GetsecId(), 7);
    EXPECT_EQ(sec.Getdescription(), "Acme 2030");
    EXPECT_EQ(sec.GetSectype(), "E");
    EXPECT_EQ(sec.GetCurve(), "USG");
    EXPECT_EQ(sec.GetMaturity(), "12/6/2056");
}

TEST(SecurityRecord, FullTextFillsEveryField) {
    CSecurity sec;
    sec.CreateRecord(SecurityText(), kUs, kToday);
    const double properties[kAssumptionSlots] = {1000, 98.5, 250, 3, 4.25, -500, 45.25, 30.5, 0, 0.25, 1};
    for (int i = 0; i < kAssumptionSlots; ++i) EXPECT_EQ(sec.GetProperties(i), properties[i]) << i;
    EXPECT_EQ(sec.GetsecId(), 101);
    EXPECT_EQ(sec.GetSectype(), "AS");
    EXPECT_EQ(sec.GetCallAdjustment(), 2);
    EXPECT_EQ(sec.GetCurve(), "LIB");
    EXPECT_EQ(sec.GetFactor(), 1);
    EXPECT_EQ(sec.GetRatio(), 2.5);
    EXPECT_EQ(sec.GetCapitalRule(), 3);
    EXPECT_EQ(sec.GetConvCapital(), 20);
    EXPECT_EQ(sec.GetStockCapital(), 25);
    EXPECT_EQ(sec.GetTail(), 0.1);
    EXPECT_EQ(sec.GetFxRate(), 1.5);
    EXPECT_EQ(sec.GetMaturity(), "06/15/2010");
    EXPECT_EQ(sec.GetFxToUsd(), "1.235");
    EXPECT_EQ(sec.GetDiscount(), 1);
    EXPECT_EQ(sec.GetDivType(), 2);
    EXPECT_EQ(sec.GetRecvDecay(), "R");
    EXPECT_EQ(sec.m_RecvDecayVal, 40);
    EXPECT_EQ(sec.Getbankruptcy(), 1);
}

TEST(SecurityRecord, EachFieldIsRoundedAsItRequires) {
    // Whole numbers (codes, identifiers) halve to even, stored figures halve
    // away from zero to their decimals; the ratio is kept as read.
    struct Case {
        int field;
        const char* text;
        double (*read)(const CSecurity&);
        double stored;
    };
    const std::vector<Case> table = {
        {0, "2.5", [](const CSecurity& s) { return double(s.GetsecId()); }, 2},
        {6, "3.5", [](const CSecurity& s) { return double(s.GetCallAdjustment()); }, 4},
        {3, "1234.5", [](const CSecurity& s) { return s.GetProperties(ConvertPosIdx); }, 1235},
        {4, "12.34567", [](const CSecurity& s) { return s.GetProperties(ConvertPriceIdx); }, 12.346},
        {11, "25.55", [](const CSecurity& s) { return s.GetProperties(VolatilityIdx); }, 25.6},
        {13, "2.5", [](const CSecurity& s) { return s.GetFactor(); }, 3},
        {15, "0.123456", [](const CSecurity& s) { return s.GetRatio(); }, 0.123456},
        {31, "1.0005", [](const CSecurity& s) { return s.GetProperties(IAD); }, 1.001},
    };
    for (const Case& c : table) {
        CSecurity sec;
        sec.CreateRecord(SecurityText({{c.field, c.text}}), kUs, kToday);
        EXPECT_EQ(c.read(sec), c.stored) << "field " << c.field << " '" << c.text << "'";
    }
}

TEST(SecurityRecord, BorrowCostIsDerivedOnlyWhenTheFlagIsExactlyOne) {
    CSecurity sec;
    sec.CreateRecord(SecurityText({{8, "1"}, {19, "5"}, {20, "1.25"}, {21, "0.5"}}), kUs, kToday);
    EXPECT_EQ(sec.GetProperties(BorrowCostIdx), 4.25);
    sec.CreateRecord(SecurityText({{8, "0.5"}}), kUs, kToday);
    EXPECT_EQ(sec.GetProperties(UseBorrowIdx), 0.5);
    EXPECT_EQ(sec.GetProperties(BorrowCostIdx), 0);
    sec.CreateRecord(SecurityText({{8, "0"}}), kUs, kToday);
    EXPECT_EQ(sec.GetProperties(BorrowCostIdx), 0);
}

TEST(SecurityRecord, MaturityIsRewrittenOrKeepsTheDefault) {
    CSecurity sec;
    sec.CreateRecord(SecurityText({{24, "6/15/10 12:00:00 AM"}}), kUs, kToday);
    EXPECT_EQ(sec.GetMaturity(), "06/15/2010");
    sec.CreateRecord(SecurityText({{24, "someday"}}), kUs, kToday);
    EXPECT_EQ(sec.GetMaturity(), "12/6/2056");
}

// A record text is data written by a page: read in the one data format
// whatever the host's locale, whose date separator only writes the maturity.
TEST(SecurityRecord, ReadsTheDataFormatWhateverTheHostLocale) {
    CSecurity sec;
    sec.CreateRecord("5;Bund;B;1,000;1234.5678;0;0;0;0;0;0;25.55;EUR;0;0;0;1;15;15;0;0;0;0;0;06/15/2010;1.5",
                     GermanLike(), kToday);
    EXPECT_EQ(sec.GetProperties(ConvertPosIdx), 1000);
    EXPECT_EQ(sec.GetProperties(ConvertPriceIdx), 1234.568);
    EXPECT_EQ(sec.GetProperties(VolatilityIdx), 25.6);
    EXPECT_EQ(sec.GetMaturity(), "06.15.2010");
    EXPECT_EQ(sec.GetFxToUsd(), "1.5");
}

TEST(SecurityRecord, FieldsAfterTheThirtySecondAreIgnored) {
    CSecurity sec;
    std::string text = SecurityText();
    for (int i = 32; i < 40; ++i) text += ";junk";
    sec.CreateRecord(text, kUs, kToday);
    EXPECT_EQ(sec.GetProperties(IAD), 0.25);
}

TEST(SecurityRecord, SettersRoundAndCheckTheIndex) {
    CSecurity sec;
    sec.SetProperties(VolatilityIdx, 33.333);
    EXPECT_EQ(sec.GetProperties(VolatilityIdx), 33.3);
    sec.SetProperties(ConvertPriceIdx, 2.6745);
    EXPECT_EQ(sec.GetProperties(ConvertPriceIdx), 2.675);
    sec.SetProperties(StkPosIdx, -2.5);
    EXPECT_EQ(sec.GetProperties(StkPosIdx), -3);
    sec.SetFactor(2.5);
    EXPECT_EQ(sec.GetFactor(), 3);
    EXPECT_EQ(ErrorOf([&] { sec.GetProperties(11); }), "Security property index 11 is out of range (0 to 10).");
    EXPECT_NE(ErrorOf([&] { sec.SetProperties(-1, 1); }), "");
}

TEST(SecurityRecord, FxToUsdTextReadsTheDefaultNumberFormat) {
    CSecurity sec;
    sec.SetFxToUsd("0.123456");
    EXPECT_EQ(sec.GetFxToUsd(), "0.123456");
    sec.SetFxToUsd(" 1,100.5 ");
    EXPECT_EQ(sec.FxToUsdValue(), 1100.5);
    EXPECT_THROW(sec.SetFxToUsd("abc"), RecordError);
    EXPECT_EQ(sec.FxToUsdValue(), 1100.5);
}

TEST(SecurityRecord, ConversionErrorNamesTheFieldAndKeepsEarlierFields) {
    CSecurity sec;
    EXPECT_EQ(ErrorOf([&] { sec.CreateRecord(SecurityText({{5, "abc"}}), kUs, kToday); }),
              "Security record 'IBM 5s' (field 5, Credit Spread): 'abc' is not a number.");
    EXPECT_EQ(sec.GetsecId(), 101);
    EXPECT_EQ(sec.GetProperties(ConvertPriceIdx), 98.5);
    EXPECT_EQ(sec.GetCallAdjustment(), 0);
    EXPECT_EQ(sec.GetCurve(), "USG");
    EXPECT_EQ(sec.GetProperties(BorrowCostIdx), 0);

    const std::string empty = ErrorOf([&] { sec.CreateRecord("101;IBM 5s;AS;", kUs, kToday); });
    EXPECT_EQ(empty, "Security record 'IBM 5s' (field 3, Convert Position): the field is empty, a number is needed.");
    EXPECT_EQ(ErrorOf([&] { sec.CreateRecord("x1;;E", kUs, kToday); }),
              "Security record 'x1' (field 0, Security Id): 'x1' is not a number.");
}

TEST(ScenarioRecord, EmptyTextResetsAllButDescriptionAndTuner) {
    CScenario scen;
    scen.CreateScenarioFromDataBase("42;Up 10;10;25;-5;30;2;110;-1234.56;3;Y", kUs);
    scen.Setkey(12);
    scen.CreateScenario("", kUs);
    EXPECT_EQ(scen.Getkey(), -1);
    EXPECT_EQ(scen.GetUid(), -1);
    EXPECT_EQ(scen.GetAutoLoad(), "No");
    EXPECT_EQ(scen.GetImpact(), 0);
    for (int i = 0; i < m_TunerValIdx; ++i) EXPECT_EQ(scen.GetScenarioProperties(i), 0) << i;
    EXPECT_EQ(scen.GetScenarioProperties(m_TunerValIdx), 100);
    EXPECT_EQ(scen.Getdescription(), "Up 10");
    EXPECT_EQ(scen.Gettuner(), 3);
}

TEST(ScenarioRecord, BothTextFormsFillEveryField) {
    CScenario scen;
    const double values[kScenarioSlots] = {10, 25, -5, 30, 2, 110};
    scen.CreateScenario("Up 10;10;25;-5;30;2;110;-1234.56;3;y", kUs);
    for (int i = 0; i < kScenarioSlots; ++i) EXPECT_EQ(scen.GetScenarioProperties(i), values[i]) << i;
    EXPECT_EQ(scen.Getdescription(), "Up 10");
    EXPECT_EQ(scen.GetImpact(), -1234.56);  // not rounded
    EXPECT_EQ(scen.Gettuner(), 3);
    EXPECT_EQ(scen.GetAutoLoad(), "Yes");
    scen.CreateScenarioFromDataBase("42;Down;10;25;-5;30;2;110;-1234.56;2.5;N", kUs);
    for (int i = 0; i < kScenarioSlots; ++i) EXPECT_EQ(scen.GetScenarioProperties(i), values[i]) << i;
    EXPECT_EQ(scen.GetUid(), 42);
    EXPECT_EQ(scen.Getkey(), -1);
    EXPECT_EQ(scen.Getdescription(), "Down");
    EXPECT_EQ(scen.GetImpact(), -1234.56);
    EXPECT_EQ(scen.Gettuner(), 2);  // halves to even
    EXPECT_EQ(scen.GetAutoLoad(), "No");
}

TEST(ScenarioRecord, OnlyYMeansAutoLoad) {
    CScenario scen;
    for (const char* flag : {"YES", "N", "", " Y"}) {
        scen.CreateScenario(std::string("S;0;1;") + flag, kUs);
        EXPECT_EQ(scen.GetAutoLoad(), "No") << flag;
    }
    scen.CreateScenario("S;0;1;Y", kUs);
    EXPECT_EQ(scen.GetAutoLoad(), "Yes");
}

TEST(ScenarioRecord, FewerPropertyFieldsFillTheFirstSlots) {
    CScenario scen;
    scen.CreateScenario("Flat;12.5;2;N", kUs);
    for (int i = 0; i < m_TunerValIdx; ++i) EXPECT_EQ(scen.GetScenarioProperties(i), 0) << i;
    EXPECT_EQ(scen.GetScenarioProperties(m_TunerValIdx), 100);
    EXPECT_EQ(scen.GetImpact(), 12.5);
    scen.CreateScenario("S;1,5;-2.500;0;1;N", GermanLike());
    EXPECT_EQ(scen.GetScenarioProperties(m_StkChgIdx), 1.5);
    EXPECT_EQ(scen.GetScenarioProperties(m_RateChgIdx), -2500);
    EXPECT_EQ(scen.GetScenarioProperties(m_VolChgIdx), 0);
}

TEST(ScenarioRecord, ImpactSetterRoundsToWhole) {
    CScenario scen;
    scen.SetImpact(-1234.56);
    EXPECT_EQ(scen.GetImpact(), -1235);
    scen.SetImpactUnrounded(7.25);
    EXPECT_EQ(scen.GetImpact(), 7.25);
}

TEST(ScenarioRecord, ConversionErrorNamesTheFieldAndKeepsEarlierFields) {
    CScenario scen;
    EXPECT_EQ(ErrorOf([&] { scen.CreateScenario("Up 10;10;25;x;30;2;110;0;3;Y", kUs); }),
              "Scenario record 'Up 10' (field 3): 'x' is not a number.");
    EXPECT_EQ(scen.GetScenarioProperties(m_RateChgIdx), 25);
    EXPECT_EQ(scen.GetScenarioProperties(m_VolChgIdx), 0);
    EXPECT_EQ(scen.GetScenarioProperties(m_TunerValIdx), 100);
    EXPECT_EQ(ErrorOf([&] { scen.CreateScenarioFromDataBase("x;Up 10;0;1;N", kUs); }),
              "Stored scenario record 'Up 10' (field 0): 'x' is not a number.");
    EXPECT_EQ(ErrorOf([&] { scen.CreateScenarioFromDataBase("42;;0;t;N", kUs); }),
              "Stored scenario record '42' (field 3): 't' is not a number.");
    EXPECT_EQ(scen.GetUid(), 42);
}

TEST(ValuationRecord, TwoEmptyTextsGiveZerosAndTunerValue100) {
    CValuation val;
    val.Setvaluation(m_CurEstPrice, 5);
    val.SetCarry(m_FinanceIdx, 7);
    val.CreateValuation("", "", kUs);
    for (int i = 0; i < kValuationSlots; ++i) EXPECT_EQ(val.Getvaluation(i), 0) << i;
    for (int i = 0; i < kCarrySlots; ++i) EXPECT_EQ(val.GetCarry(i), 0) << i;
    EXPECT_EQ(val.GetTunerValue(), 100);
}

TEST(ValuationRecord, NonNumericFieldLeavesItsSlotAtZero) {
    CValuation val;
    val.SetTunerValue(120);
    val.CreateValuation("10;101.5;N/A;95", "1;2", kUs);
    EXPECT_EQ(val.Getvaluation(m_CurEstPrice), 101.5);
    EXPECT_EQ(val.Getvaluation(m_CurFairValue), 0);
    EXPECT_EQ(val.Getvaluation(m_CurBondFlr), 95);
    EXPECT_EQ(val.GetCarry(m_IncomeIdx), 2);
    EXPECT_EQ(val.GetTunerValue(), 120);
}

TEST(ValuationRecord, CarryFillsTwelveSlotsAtMost) {
    CValuation val;
    val.CreateCarry("1;2;3;4;5;6;7;8;9;10;11;12;13;14", kUs);
    for (int i = 0; i < kCarrySlots; ++i) EXPECT_EQ(val.GetCarry(i), i + 1) << i;
    val.CreateCarry("1;2;x;4;5", kUs);
    const double carry[kCarrySlots] = {1, 2, 0, 4, 5};
    for (int i = 0; i < kCarrySlots; ++i) EXPECT_EQ(val.GetCarry(i), carry[i]) << i;
}

TEST(ValuationRecord, RetNumberReadsTheHostFormatOrGivesZero) {
    EXPECT_EQ(CValuation::retNumber("1,234.5", kUs), 1234.5);
    EXPECT_EQ(CValuation::retNumber("1.234,5", GermanLike()), 1234.5);
    EXPECT_EQ(CValuation::retNumber("", kUs), 0);
    EXPECT_EQ(CValuation::retNumber("a", kUs), 0);
}

TEST(ValuationRecord, ThirtySecondNumberIsAnErrorAndCarryIsNotRead) {
    std::string text = "1";
    for (int i = 2; i <= 31; ++i) text += ";" + std::to_string(i);
    CValuation val;
    val.CreateValuation(text + ";N/A;", "", kUs);  // non-numeric extras are skipped
    EXPECT_EQ(val.Getvaluation(m_SubImpact), 31);
    val.SetCarry(m_FinanceIdx, 9);
    EXPECT_EQ(ErrorOf([&] { val.CreateValuation(text + ";32", "1;2", kUs); }),
              "Valuation reply piece has more than 31 numbers.");
    for (int i = 0; i < kValuationSlots; ++i) EXPECT_EQ(val.Getvaluation(i), i + 1) << i;
    EXPECT_EQ(val.GetCarry(m_FinanceIdx), 9);
}

TEST(RecordErrors, EachNamesTheRecordTheFieldAndWhatIsWrong) {
    CSecurity sec;
    CScenario scen;
    CValuation val;
    const std::vector<std::pair<std::function<void()>, std::string>> table = {
        {[&] { sec.CreateRecord(SecurityText({{0, "3E+9"}}), kUs, kToday); },
         "Security record 'IBM 5s' (field 0, Security Id): '3E+9' is outside the range of a whole number "
         "(-2147483648 to 2147483647)."},
        {[&] { sec.CreateRecord(SecurityText({{30, "40000"}}), kUs, kToday); },
         "Security record 'IBM 5s' (field 30, Bankruptcy): '40000' is outside the range of a small whole number "
         "(-32768 to 32767)."},
        {[&] { sec.CreateRecord(SecurityText({{5, "1e309"}}), kUs, kToday); },
         "Security record 'IBM 5s' (field 5, Credit Spread): the number '1e309' is too large (beyond 1.8E+308)."},
        {[&] { scen.CreateScenario("S;-1" + std::string(400, '0') + ";0;1;N", kUs); },
         "Scenario record 'S' (field 1): the number '-1" + std::string(400, '0') + "' is too large (beyond 1.8E+308)."},
        {[&] { sec.GetProperties(11); }, "Security property index 11 is out of range (0 to 10)."},
        {[&] { sec.SetProperties(-1, 1); }, "Security property index -1 is out of range (0 to 10)."},
        {[&] { scen.CreateScenario("S;1;2;3;4;5;6;7;99;1;Y", kUs); },
         "Scenario record 'S' (field 7): a scenario has no more than six properties."},
        {[&] { scen.CreateScenario("a;b", kUs); }, "Scenario text 'a;b' has too few fields."},
        {[&] { scen.CreateScenarioFromDataBase("1;a;0;1", kUs); }, "Stored scenario text '1;a;0;1' has too few fields."},
        {[&] { scen.GetScenarioProperties(6); }, "Scenario property index 6 is out of range (0 to 5)."},
        {[&] {
             scen.Settuner(40000);
             scen.Gettuner();
         },
         "Scenario 'S' tuner 40000 is outside the range of a tuner identifier (-32768 to 32767)."},
        {[&] { val.Getvaluation(31); }, "Valuation index 31 is out of range (0 to 30)."},
        {[&] { val.SetCarry(12, 0); }, "Carry index 12 is out of range (0 to 11)."},
        {[&] { val.GetDolDelta(2); }, "DolDelta index 2 is out of range (0 to 1)."},
        {[&] {
             val.Settuner(-40000);
             val.Gettuner();
         },
         "Valuation tuner -40000 is outside the range of a tuner identifier (-32768 to 32767)."},
    };
    for (const auto& [call, message] : table) EXPECT_EQ(ErrorOf(call), message);
    // What was read before the failing field stays.
    EXPECT_EQ(sec.GetDivType(), 2);
}
