#pragma once
// Shared builders of the tests: record texts, reply pieces, the page
// addresses of the canned replies and the texts the control shows.
#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "records/Indexes.h"
#include "toolkit/NumberText.h"

namespace zemra::testing {

inline const std::string kPages = "http://pages.test/";
inline const std::string kDetail = kPages + "ScenarioDetail.asp";
inline const std::string kCarry = kPages + "CarryCalc.asp";
inline const std::string kCapital = kPages + "CapitalCalc.asp";
inline const char* const kStale = "Click Update button to recalculate $Impact!";

// Two complete security records: a convertible bond and a stock.
inline const char* const kSecurityA =
    "1001;ACME CV;B;1000;105.25;350;1;0;1;-12500;42.5;32.5;USG;10;0;25;1;15;15;5.25;1.25;0.5;0;1;06/15/2031;1;0;1;R;40;1;0.5";
inline const char* const kSecurityB =
    "1002;Beta Corp;E;5000;63.1;0;0;0;0;0;63.1;28;USG;1;0;1;1;15;15;5;1;0;0;1;;1;2;2;D;0;0;0";

// A security record: positions, prices, factor, ratio and exchange rate to
// US dollars; the other fields are fixed.
inline std::string SecurityRecord(int id, const std::string& description, const std::string& type, double cp,
                                  double sp, double stp, double factor, double ratio, const std::string& fxToUsd) {
    return std::to_string(id) + ";" + description + ";" + type + ";" + PlainNumber(cp) + ";100;300;0;0;0;" +
           PlainNumber(stp) + ";" + PlainNumber(sp) + ";30;USG;" + PlainNumber(factor) + ";0;" + PlainNumber(ratio) +
           ";1;15;15;5;1;0.5;0;1;06/15/2031;" + fxToUsd + ";0;1;R;40;0;0";
}

// A scenario text: description, the six changes, impact, tuner, auto-load.
inline std::string ScenarioText(const std::string& description, double stockChange = 0, double tuner = 1,
                                double impact = 0) {
    return description + ";" + PlainNumber(stockChange) + ";0;0;0;0;100;" + PlainNumber(impact) + ";" +
           PlainNumber(tuner) + ";N";
}

// Items joined by "|".
inline std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : "|") + item;
    return text;
}

// One valuation piece: the given slots, every other of the 31 slots 0.
inline std::string Piece(std::initializer_list<std::pair<int, double>> slots) {
    std::vector<double> v(kValuationSlots, 0.0);
    for (const auto& [slot, value] : slots) v[static_cast<std::size_t>(slot)] = value;
    std::string text;
    for (std::size_t i = 0; i < v.size(); ++i) text += (i ? ";" : "") + PlainNumber(v[i]);
    return text;
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
inline bool Contains(const std::vector<std::string>& texts, const std::string& part) {
    return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return Contains(t, part); });
}

}  // namespace zemra::testing
