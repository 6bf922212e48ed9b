#pragma once
// A book: securities with their contract terms, default assumptions and
// market data, the rate curves, the option lists and stored scenarios, as an
// import document carries them and as the database keeps them.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/DateText.h"

namespace zemra::pages {

// The type letter of a stock; every other type is a bond with terms.
constexpr const char* kStockType = "E";

struct CallPeriod {
    Date from;
    Date to;
    double price = 100;             // % of face
    std::optional<double> trigger;  // soft call: % of the conversion price
};

struct PutDate {
    Date date;
    double price = 100;  // % of face
};

struct Dividend {
    Date exDate;
    double amount = 0;  // per share, in the stock's currency
};

// The other fields of the security record text: the assumptions a security
// starts with when it is added to a portfolio.
struct DefaultAssumptions {
    double convertPosition = 0;
    double stockPosition = 0;
    int callAdjustment = 0;
    double callAdjValue = 0;
    double useBorrow = 0;
    std::string curve = "USG";
    std::optional<double> factor;  // face / 100 when absent
    double deltaAdj = 0;
    std::optional<double> ratio;  // the conversion ratio when absent
    int capitalRule = 1;
    double convCapital = 15;
    double stockCapital = 15;
    double finance = 0;
    double rebate = 0;
    double tail = 0;
    std::optional<double> fxRate;  // the FX to USD when absent
    int discount = 0;
    int divType = 0;
    std::string recvDecay = "R";
    double recvDecayValue = 40;
    int bankruptcy = 0;
    double iad = 0;
};

struct Security {
    int64_t id = 0;
    std::string description;
    std::string ticker;
    std::string type;
    std::string currency = "USD";
    double fxToUsd = 1;
    // Market data.
    double price = 0;                 // stock: per share; bond: % of face
    double volatility = 0;            // stock, % a year
    double dividendYield = 0;         // stock, % a year (when no schedule)
    double borrowCost = 0;            // stock, % a year
    std::vector<Dividend> dividends;  // stock
    double creditSpread = 0;          // bond, basis points
    // Contract terms of a bond.
    std::optional<int64_t> underlying;  // the stock's identifier
    double face = 1000;
    double coupon = 0;  // % a year
    int frequency = 2;  // coupons a year (0: none)
    std::string dayCount = "30/360";
    std::optional<Date> issueDate;
    std::optional<Date> maturity;
    double redemption = 100;     // % of face
    double conversionRatio = 0;  // shares per bond
    std::optional<Date> conversionStart;
    std::optional<Date> conversionEnd;
    std::vector<CallPeriod> calls;
    std::vector<PutDate> puts;
    std::string callPriceKind = "clean";  // clean or dirty
    std::string putPriceKind = "clean";
    DefaultAssumptions defaults;

    bool IsStock() const { return type == kStockType; }
};

struct CurvePoint {
    double tenorYears = 0;
    double zeroRate = 0;  // % a year, continuously compounded
};

struct Curve {
    std::string code;
    std::string name;
    std::vector<CurvePoint> points;
};

struct OptionEntry {
    int id = 0;
    std::string name;
};

// How a capital rule turns the two legs into a capital figure.
constexpr const char* kCapitalGross = "gross";    // each leg's rate on its value
constexpr const char* kCapitalNet = "net";        // net exposure plus the hedged part
constexpr const char* kCapitalLarger = "larger";  // the larger of the two leg charges

struct CapitalRule {
    int id = 0;
    std::string name;
    std::string method = kCapitalGross;
};

struct StoredScenario {
    int64_t id = -1;
    std::string description;
    double stockChange = 0;
    double rateChange = 0;
    double volChange = 0;
    double timeChange = 0;
    double spreadChange = 0;
    double tunerValue = 100;
    double impact = 0;
    int tuner = 1;
    bool autoLoad = false;
};

struct Book {
    std::vector<Security> securities;
    std::vector<Curve> curves;
    std::vector<OptionEntry> tuners;
    std::vector<OptionEntry> callAdjustments;
    std::vector<CapitalRule> capitalRules;
    std::vector<StoredScenario> scenarios;
    // The demo host page: the portfolio and the scenario texts it starts with.
    std::vector<int64_t> hostSecurities;
    std::vector<std::string> hostScenarios;
};

}  // namespace zemra::pages
