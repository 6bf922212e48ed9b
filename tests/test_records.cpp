// The three records read from their texts: every field of a security with
// its rounding and the host's number and date formats, a scenario in both
// text forms, the valuation and carry replies, and the message of each bad
// text.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "Builders.h"
#include "records/CScenario.h"
#include "records/CSecurity.h"
#include "records/CValuation.h"
#include "records/RecordError.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"

using namespace zemra;
using zemra::testing::GermanLike;
using zemra::testing::Piece;

namespace {

const Date kToday{2026, 12, 6};
const Locale kUs;

// A complete 32-field security record text, with the fields of `changes`
// ("index=text|index=text") replaced.
std::string SecurityText(const std::string& changes = "") {
    std::vector<std::string> f = {"101",       "IBM 5s",  "AS",    "1000", "98.5", "250", "2",   "3",
                                  "1",         "-500",    "45.25", "30.5", "LIB",  "1",   "0",   "2.5",
                                  "3",         "20",      "25",    "5",    "1.25", "0.5", "0.1", "1.5",
                                  "6/15/2010", "1.23456", "1",     "2",    "R",    "40",  "1",   "0.25"};
    for (const std::string& change : SplitItems(changes, '|'))
        f[std::stoul(change.substr(0, change.find('=')))] = change.substr(change.find('=') + 1);
    std::string out = f[0];
    for (std::size_t i = 1; i < f.size(); ++i) out += ";" + f[i];
    return out;
}

template <typename Call>
std::string ErrorOf(Call call) {
    return zemra::testing::ErrorOf<RecordError>(call);
}

// Every field a security shows, as text (numbers written plainly); the
// property slots both one by one and joined.
std::map<std::string, std::string> FieldsOf(const CSecurity& s) {
    const auto n = [](double v) { return PlainNumber(v); };
    // clang-format off
    std::map<std::string, std::string> f = {
        {"id", n(s.GetsecId())}, {"desc", s.Getdescription()}, {"type", s.GetSectype()},
        {"callAdj", n(s.GetCallAdjustment())}, {"curve", s.GetCurve()}, {"factor", n(s.GetFactor())},
        {"ratio", n(s.GetRatio())}, {"capRule", n(s.GetCapitalRule())}, {"convCap", n(s.GetConvCapital())},
        {"stkCap", n(s.GetStockCapital())}, {"tail", n(s.GetTail())}, {"fx", n(s.GetFxRate())},
        {"maturity", s.GetMaturity()}, {"fxToUsd", s.GetFxToUsd()}, {"disc", n(s.GetDiscount())},
        {"divType", n(s.GetDivType())}, {"recv", s.GetRecvDecay()}, {"recvVal", n(s.m_RecvDecayVal)},
        {"bnk", n(s.Getbankruptcy())}};
    const char* const slots[kAssumptionSlots] = {"cp", "convPrice", "spread", "callAdjVal", "borrowCost", "stkPos",
                                                 "stkPrice", "vol", "deltaAdj", "iad", "useBorrow"};
    // clang-format on
    for (int i = 0; i < kAssumptionSlots; ++i) {
        f[slots[i]] = n(s.GetProperties(i));
        f["properties"] += (i ? ";" : "") + f[slots[i]];
    }
    return f;
}

// The fields of a scenario, likewise.
std::map<std::string, std::string> FieldsOf(const CScenario& s) {
    std::map<std::string, std::string> f = {
        {"desc", s.Getdescription()},  {"impact", PlainNumber(s.GetImpact())}, {"tuner", PlainNumber(s.Gettuner())},
        {"autoLoad", s.GetAutoLoad()}, {"uid", PlainNumber(s.GetUid())},       {"key", PlainNumber(s.Getkey())}};
    for (int i = 0; i < kScenarioSlots; ++i)
        f["properties"] += (i ? ";" : "") + PlainNumber(s.GetScenarioProperties(i));
    return f;
}

// The valuation slots and the carry slots, joined.
std::string SlotsOf(const CValuation& v) {
    std::string text;
    for (int i = 0; i < kValuationSlots; ++i) text += (i ? ";" : "") + PlainNumber(v.Getvaluation(i));
    text += " /";
    for (int i = 0; i < kCarrySlots; ++i) text += (i ? ";" : " ") + PlainNumber(v.GetCarry(i));
    return text;
}

// Checks the named fields of `fields` only: "name=value|name=value".
void ExpectFields(const std::map<std::string, std::string>& fields, const std::string& expected,
                  const std::string& text) {
    for (const std::string& item : SplitItems(expected, '|')) {
        const auto eq = item.find('=');
        EXPECT_EQ(fields.at(item.substr(0, eq)), item.substr(eq + 1)) << item.substr(0, eq) << " of '" << text << "'";
    }
}

}  // namespace

TEST(SecurityRecord, EachFieldIsReadRoundedAsItRequiresOrKeepsItsDefault) {
    // Whole numbers (codes, identifiers) halve to even, stored figures halve
    // away from zero to their decimals; the ratio is kept as read. The ratio
    // and recovery value 7 are set before the record is read.
    const Locale de = GermanLike();
    const std::string rounded = SecurityText("0=2.5|6=3.5|3=1234.5|4=12.34567|11=25.55|13=2.5|15=0.123456|31=1.0005");
    const std::vector<std::tuple<std::string, Locale, std::string>> table = {
        {"", kUs,
         "id=-1|curve=USG|capRule=1|convCap=15|stkCap=15|fxToUsd=1|maturity=12/6/2056|properties=0;0;0;0;0;0;0;0;0;0;"
         "0|ratio=7|recvVal=7"},
        {"", de, "maturity=06.12.2056"},
        {"7;Acme 2030;E", kUs, "id=7|desc=Acme 2030|type=E|curve=USG|maturity=12/6/2056"},
        {SecurityText(), kUs,
         "properties=1000;98.5;250;3;4.25;-500;45.25;30.5;0;0.25;1|id=101|type=AS|callAdj=2|curve=LIB|factor=1|"
         "ratio=2.5|capRule=3|convCap=20|stkCap=25|tail=0.1|fx=1.5|maturity=06/15/2010|fxToUsd=1.235|disc=1|"
         "divType=2|recv=R|recvVal=40|bnk=1"},
        {rounded, kUs, "id=2|callAdj=4|cp=1235|convPrice=12.346|vol=25.6|factor=3|ratio=0.123456|iad=1.001"},
        // The borrow cost is derived only when the flag is exactly 1.
        {SecurityText("8=0.5"), kUs, "useBorrow=0.5|borrowCost=0"},
        {SecurityText("8=0"), kUs, "borrowCost=0"},
        {SecurityText("24=6/15/10 12:00:00 AM"), kUs, "maturity=06/15/2010"},
        {SecurityText("24=someday"), kUs, "maturity=12/6/2056"},
        // Record texts are data written by a page: read in the one data format
        // whatever the host's locale, whose date separator only writes the maturity.
        {"5;Bund;B;1,000;1234.5678;0;0;0;0;0;0;25.55;EUR;0;0;0;1;15;15;0;0;0;0;0;06/15/2010;1.5", de,
         "cp=1000|convPrice=1234.568|vol=25.6|maturity=06.15.2010|fxToUsd=1.5"},
        {SecurityText() + ";junk;junk;junk", kUs, "iad=0.25"},  // fields after the 32nd are ignored
    };
    for (const auto& [text, locale, expected] : table) {
        CSecurity sec;
        sec.SetRatio(7);
        sec.m_RecvDecayVal = 7;
        sec.CreateRecord(text, locale, kToday);
        ExpectFields(FieldsOf(sec), expected, text);
    }
}

TEST(SecurityRecord, SettersRound) {
    CSecurity sec;
    sec.SetProperties(VolatilityIdx, 33.333);
    sec.SetProperties(ConvertPriceIdx, 2.6745);
    sec.SetProperties(StkPosIdx, -2.5);
    sec.SetFactor(2.5);
    ExpectFields(FieldsOf(sec), "vol=33.3|convPrice=2.675|stkPos=-3|factor=3", "setters");
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
    EXPECT_EQ(ErrorOf([&] { sec.CreateRecord(SecurityText("5=abc"), kUs, kToday); }),
              "Security record 'IBM 5s' (field 5, Credit Spread): 'abc' is not a number.");
    ExpectFields(FieldsOf(sec), "id=101|convPrice=98.5|callAdj=0|curve=USG|borrowCost=0", "field 5 bad");
    EXPECT_EQ(ErrorOf([&] { sec.CreateRecord("101;IBM 5s;AS;", kUs, kToday); }),
              "Security record 'IBM 5s' (field 3, Convert Position): the field is empty, a number is needed.");
    EXPECT_EQ(ErrorOf([&] { sec.CreateRecord("x1;;E", kUs, kToday); }),
              "Security record 'x1' (field 0, Security Id): 'x1' is not a number.");
}

TEST(ScenarioRecord, BothTextFormsFillEveryFieldAndAShortTextTheFirstSlots) {
    const std::string read = "properties=10;25;-5;30;2;110|", reset = "properties=0;0;0;0;0;100|";
    const Locale de = GermanLike();
    // Whether the text is in the stored form (the identifier first), the
    // text, the locale and the fields.
    const std::vector<std::tuple<bool, std::string, Locale, std::string>> table = {
        // The impact is not rounded; the tuner halves to even.
        {false, "Up 10;10;25;-5;30;2;110;-1234.56;3;y", kUs, read + "desc=Up 10|impact=-1234.56|tuner=3|autoLoad=Yes"},
        {true, "42;Down;10;25;-5;30;2;110;-1234.56;2.5;N", kUs,
         read + "uid=42|key=-1|desc=Down|impact=-1234.56|tuner=2|autoLoad=No"},
        {false, "Flat;12.5;2;N", kUs, reset + "impact=12.5"},
        {false, "S;1,5;-2.500;0;1;N", de, "properties=1.5;-2500;0;0;0;100"},
        // Only "Y" means auto-load.
        {false, "S;0;1;Y", kUs, "autoLoad=Yes"},
        {false, "S;0;1;YES", kUs, "autoLoad=No"},
        {false, "S;0;1;N", kUs, "autoLoad=No"},
        {false, "S;0;1;", kUs, "autoLoad=No"},
        {false, "S;0;1; Y", kUs, "autoLoad=No"},
    };
    for (const auto& [stored, text, locale, expected] : table) {
        CScenario scen;
        stored ? scen.CreateScenarioFromDataBase(text, locale) : scen.CreateScenario(text, locale);
        ExpectFields(FieldsOf(scen), expected, text);
    }
    // An empty text resets all but the description and the tuner.
    CScenario scen;
    scen.CreateScenarioFromDataBase("42;Up 10;10;25;-5;30;2;110;-1234.56;3;Y", kUs);
    scen.Setkey(12);
    scen.CreateScenario("", kUs);
    ExpectFields(FieldsOf(scen), reset + "key=-1|uid=-1|autoLoad=No|impact=0|desc=Up 10|tuner=3", "");
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
    EXPECT_EQ(FieldsOf(scen)["properties"], "10;25;0;0;0;100");
    EXPECT_EQ(ErrorOf([&] { scen.CreateScenarioFromDataBase("x;Up 10;0;1;N", kUs); }),
              "Stored scenario record 'Up 10' (field 0): 'x' is not a number.");
    EXPECT_EQ(ErrorOf([&] { scen.CreateScenarioFromDataBase("42;;0;t;N", kUs); }),
              "Stored scenario record '42' (field 3): 't' is not a number.");
    EXPECT_EQ(scen.GetUid(), 42);
}

TEST(ValuationRecord, EachSlotIsReadFromTheRepliesAndWhatIsNotANumberIsZero) {
    CValuation val;
    val.Setvaluation(m_CurEstPrice, 5);
    val.SetCarry(m_FinanceIdx, 7);
    val.CreateValuation("", "", kUs);
    EXPECT_EQ(SlotsOf(val), Piece({}) + " / 0;0;0;0;0;0;0;0;0;0;0;0");
    EXPECT_EQ(val.GetTunerValue(), 100);
    val.SetTunerValue(120);
    val.CreateValuation("10;101.5;N/A;95", "1;2", kUs);
    EXPECT_EQ(SlotsOf(val),
              Piece({{m_CurStkPrice, 10}, {m_CurEstPrice, 101.5}, {m_CurBondFlr, 95}}) + " / 1;2;0;0;0;0;0;0;0;0;0;0");
    EXPECT_EQ(val.GetTunerValue(), 120);                       // kept
    val.CreateCarry("1;2;3;4;5;6;7;8;9;10;11;12;13;14", kUs);  // twelve slots at most
    EXPECT_TRUE(SlotsOf(val).ends_with(" / 1;2;3;4;5;6;7;8;9;10;11;12"));
    val.CreateCarry("1;2;x;4;5", kUs);
    EXPECT_TRUE(SlotsOf(val).ends_with(" / 1;2;0;4;5;0;0;0;0;0;0;0"));
    for (const auto& [text, locale, number] : std::vector<std::tuple<const char*, Locale, double>>{
             {"1,234.5", kUs, 1234.5}, {"1.234,5", GermanLike(), 1234.5}, {"", kUs, 0}, {"a", kUs, 0}})
        EXPECT_EQ(CValuation::retNumber(text, locale), number) << text;
}

TEST(ValuationRecord, ThirtySecondNumberIsAnErrorAndCarryIsNotRead) {
    std::string text = "1";
    for (int i = 2; i <= 31; ++i) text += ";" + std::to_string(i);
    CValuation val;
    val.CreateValuation(text + ";N/A;", "", kUs);  // non-numeric extras are skipped
    val.SetCarry(m_FinanceIdx, 9);
    EXPECT_EQ(ErrorOf([&] { val.CreateValuation(text + ";32", "1;2", kUs); }),
              "Valuation reply piece has more than 31 numbers.");
    EXPECT_EQ(SlotsOf(val), text + " / 9;0;0;0;0;0;0;0;0;0;0;0");
}

TEST(RecordErrors, EachNamesTheRecordTheFieldAndWhatIsWrong) {
    CSecurity sec;
    CScenario scen;
    CValuation val;
    // The record with one field replaced.
    const auto record = [&](int field, const std::string& text) {
        return [&sec, field, text] { sec.CreateRecord(SecurityText(std::to_string(field) + "=" + text), kUs, kToday); };
    };
    const std::string zeros(400, '0');
    const std::vector<std::pair<std::function<void()>, std::string>> table = {
        {record(0, "3E+9"),
         "Security record 'IBM 5s' (field 0, Security Id): '3E+9' is outside the range of a whole number "
         "(-2147483648 to 2147483647)."},
        {record(30, "40000"),
         "Security record 'IBM 5s' (field 30, Bankruptcy): '40000' is outside the range of a small whole number "
         "(-32768 to 32767)."},
        {record(5, "1e309"),
         "Security record 'IBM 5s' (field 5, Credit Spread): the number '1e309' is too large (beyond 1.8E+308)."},
        {[&] { scen.CreateScenario("S;-1" + zeros + ";0;1;N", kUs); },
         "Scenario record 'S' (field 1): the number '-1" + zeros + "' is too large (beyond 1.8E+308)."},
        {[&] { sec.GetProperties(11); }, "Security property index 11 is out of range (0 to 10)."},
        {[&] { sec.SetProperties(-1, 1); }, "Security property index -1 is out of range (0 to 10)."},
        {[&] { scen.CreateScenario("S;1;2;3;4;5;6;7;99;1;Y", kUs); },
         "Scenario record 'S' (field 7): a scenario has no more than six properties."},
        {[&] { scen.CreateScenario("a;b", kUs); }, "Scenario text 'a;b' has too few fields."},
        {[&] { scen.CreateScenarioFromDataBase("1;a;0;1", kUs); },
         "Stored scenario text '1;a;0;1' has too few fields."},
        {[&] { scen.GetScenarioProperties(6); }, "Scenario property index 6 is out of range (0 to 5)."},
        {[&] { scen.Settuner(40000), scen.Gettuner(); },
         "Scenario 'S' tuner 40000 is outside the range of a tuner identifier (-32768 to 32767)."},
        {[&] { val.Getvaluation(31); }, "Valuation index 31 is out of range (0 to 30)."},
        {[&] { val.SetCarry(12, 0); }, "Carry index 12 is out of range (0 to 11)."},
        {[&] { val.GetDolDelta(2); }, "DolDelta index 2 is out of range (0 to 1)."},
        {[&] { val.Settuner(-40000), val.Gettuner(); },
         "Valuation tuner -40000 is outside the range of a tuner identifier (-32768 to 32767)."},
    };
    for (const auto& [call, message] : table) EXPECT_EQ(ErrorOf(call), message);
    // What was read before the failing field stays.
    EXPECT_EQ(sec.GetDivType(), 2);
}
