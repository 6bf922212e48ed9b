#pragma once
// The wire contract between the control and the server pages: the query keys
// each page takes, the separators of queries and replies, the ranges both
// sides check, and the reply text of a figure that does not exist. The
// control's request builders and reply readers and the service's page
// handlers both include this header; neither side spells a key or a
// separator of its own. Standard library only.
#include <cstdint>
#include <string_view>

namespace zemra::contract {

// ---- Separators.
constexpr char kQueryStart = '?';     // between a page's address and its query
constexpr char kPairSeparator = '&';  // between key=value pairs of a query
constexpr char kKeyValueSeparator = '=';
constexpr char kListSeparator = ';';   // between the values of one list in a query
constexpr char kPieceSeparator = '|';  // between the pieces of a reply
constexpr char kFieldSeparator = ';';  // between the fields of one reply piece or stored detail

// ---- The security half of a scenario-detail query, in the order it is sent.
namespace key {
constexpr std::string_view kSecurityId = "Secid";
constexpr std::string_view kStockPrice = "StockPrice";
constexpr std::string_view kConvertPrice = "ConvertPrice";
constexpr std::string_view kCallAdjustment = "CallAdjustment";
constexpr std::string_view kCreditSpread = "CreditSpread";
constexpr std::string_view kCallAdjValue = "CallAdjValue";
constexpr std::string_view kBorrowCost = "BorrowCost";
constexpr std::string_view kVolatility = "Volatility";
constexpr std::string_view kCurve = "Curve";
constexpr std::string_view kConvertPosition = "ConvertPosition";
constexpr std::string_view kStockPosition = "StockPosition";
constexpr std::string_view kFactor = "Factor";
constexpr std::string_view kMaturity = "Maturity";
constexpr std::string_view kSecurityType = "SecType";
constexpr std::string_view kFxRate = "FxRate";
constexpr std::string_view kBankruptcyModel = "BankruptcyModel";
constexpr std::string_view kBondRecoveryRate = "BondRecoveryRate";
constexpr std::string_view kSpreadDecayFactor = "SpreadDecayFactor";
constexpr std::string_view kDiscountingScheme = "DiscountingScheme";
constexpr std::string_view kDividendType = "DividendType";
constexpr std::string_view kDiscreteDividendYears = "DiscreteDivYrs";
constexpr std::string_view kIssueAmountDate = "IAD";

// The scenario half: one value per scenario, joined by kListSeparator.
constexpr std::string_view kStockChange = "StkChg";
constexpr std::string_view kRateChange = "RateChg";
constexpr std::string_view kVolChange = "VolChg";
constexpr std::string_view kImpact = "Impact";
constexpr std::string_view kCreditSpreadChange = "CreditSprdChg";
constexpr std::string_view kTunerValue = "TunerVal";
constexpr std::string_view kTuner = "Tuner";
constexpr std::string_view kTimeChange = "TimeChg";

// Carry and capital.
constexpr std::string_view kFinanceRate = "FinRate";
constexpr std::string_view kRebateRate = "RebRate";
constexpr std::string_view kBorrowRate = "BrwCost";
constexpr std::string_view kTailRate = "TailRate";
constexpr std::string_view kConvPosition = "ConvPosition";
constexpr std::string_view kStkPosition = "StkPosition";
constexpr std::string_view kCapitalRule = "CapitalRule";
constexpr std::string_view kConvCapital = "ConvCapital";
constexpr std::string_view kStockCapital = "StockCapital";
constexpr std::string_view kConvPrice = "ConvPrice";
constexpr std::string_view kStkPrice = "StkPrice";

// Search and stored scenarios.
constexpr std::string_view kQuickSearch = "QuickSearch";
constexpr std::string_view kScenarioUid = "Uid";
constexpr std::string_view kDescription = "Description";
constexpr std::string_view kScenarioDetail = "ScenarioDetail";
constexpr std::string_view kAutoLoad = "AutoLoad";

// The debug view's switch ("&enableDebug=y"): the answer is only shown.
constexpr std::string_view kDebug = "enableDebug";
constexpr std::string_view kDebugOn = "y";
}  // namespace key

// ---- Ranges both sides check.
// Tuner identifiers, option codes and capital rules are 16-bit whole numbers.
constexpr std::int32_t kSmallIntMin = -32768;
constexpr std::int32_t kSmallIntMax = 32767;
constexpr bool IsSmallInt(double value) {
    return value >= kSmallIntMin && value <= kSmallIntMax &&
           value == static_cast<double>(static_cast<std::int32_t>(value));
}

// ---- Replies.
// A figure the model cannot give (no volatility or spread reproduces the
// market price, so there is no implied figure): the pages write this text in
// its field, and the control shows it as missing ("n/a"), never as a number.
constexpr std::string_view kMissingFigure = "NA";

}  // namespace zemra::contract
