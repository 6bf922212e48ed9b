#pragma once
// The security record text: the 32 fields a portfolio's security starts
// with, joined by ";" (identifier, description, type, positions, prices,
// spread, call adjustment, volatility, curve, rates, capital settings,
// maturity, FX, discounting, dividend and recovery choices).
#include <cstdint>
#include <optional>
#include <string>

#include "toolkit/DateText.h"

namespace zemra::pages {

constexpr int kRecordFields = 32;

struct RecordFields {
    int64_t id = 0;
    std::string description;
    std::string type;
    double convertPosition = 0;
    double convertPrice = 0;
    double creditSpread = 0;
    int callAdjustment = 0;
    double callAdjValue = 0;
    double useBorrow = 0;
    double stockPosition = 0;
    double stockPrice = 0;
    double volatility = 0;
    std::string curve;
    double factor = 0;
    double deltaAdj = 0;
    double ratio = 0;
    int capitalRule = 1;
    double convCapital = 15;
    double stockCapital = 15;
    double finance = 0;
    double rebate = 0;
    double borrow = 0;
    double tail = 0;
    double fxRate = 0;
    std::optional<Date> maturity;  // written mm/dd/yyyy; none for a stock
    double fxToUsd = 1;
    int discount = 0;
    int divType = 0;
    std::string recvDecay = "R";
    double recvDecayValue = 0;
    int bankruptcy = 0;
    double iad = 0;
};

std::string SecurityRecordText(const RecordFields& fields);

}  // namespace zemra::pages
