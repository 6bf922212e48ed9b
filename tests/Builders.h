#pragma once
// Shared builders of the tests: record texts, reply pieces, the page
// addresses of the canned replies and the texts the control shows.
#include <algorithm>
#include <array>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "portfolio/Portfolio.h"
#include "records/CScenario.h"
#include "records/CSecurity.h"
#include "records/Indexes.h"
#include "toolkit/NumberText.h"
#include "toolkit/TextSplit.h"

namespace zemra::testing {

inline const std::string kPages = "http://pages.test/";
inline const std::string kDetail = kPages + "ScenarioDetail.asp";
inline const std::string kCarry = kPages + "CarryCalc.asp";
inline const std::string kCapital = kPages + "CapitalCalc.asp";
inline const char* const kStale = "Click Update button to recalculate $Impact!";

// A host whose numbers and dates are written the German way.
inline Locale GermanLike() {
    Locale locale;
    locale.decimalSeparator = ',';
    locale.groupSeparator = ".";
    locale.dateSeparator = '.';
    locale.dateOrder = DateOrder::DayMonthYear;
    locale.shortDatePattern = "dd.MM.yyyy";
    return locale;
}

// Two complete security records: a convertible bond and a stock.
inline const char* const kSecurityA =
    "1001;ACME "
    "CV;B;1000;105.25;350;1;0;1;-12500;42.5;32.5;USG;10;0;25;1;15;15;5.25;1.25;0.5;0;1;06/15/2031;1;0;1;R;40;1;0.5";
inline const char* const kSecurityB =
    "1002;Beta Corp;E;5000;63.1;0;0;0;0;0;63.1;28;USG;1;0;1;1;15;15;5;1;0;0;1;;1;2;2;D;0;0;0";

// A security record text whose 32 fields can be changed by name.
struct SecurityFields {
    std::string id = "4001", desc = "Maple CV", type = "C", cp = "1000", convPrice = "105.25", spread = "350",
                callAdj = "0", callAdjVal = "0", useBorrow = "0", stkPos = "-12500", stkPrice = "42.5", vol = "32.5",
                curve = "USG", factor = "10", deltaAdj = "0", ratio = "25", capRule = "1", convCap = "15",
                stkCap = "15", fin = "0", reb = "0", brw = "0", tail = "0", fx = "1", maturity = "", fxToUsd = "1",
                disc = "0", divType = "1", recv = "R", recvVal = "40", bnk = "1", iad = "0";
    std::string Text() const {
        std::string out;
        for (const std::string* f :
             {&id,        &desc,    &type,     &cp,      &convPrice, &spread,  &callAdj,  &callAdjVal,
              &useBorrow, &stkPos,  &stkPrice, &vol,     &curve,     &factor,  &deltaAdj, &ratio,
              &capRule,   &convCap, &stkCap,   &fin,     &reb,       &brw,     &tail,     &fx,
              &maturity,  &fxToUsd, &disc,     &divType, &recv,      &recvVal, &bnk,      &iad})
            out += (f == &id ? "" : ";") + *f;
        return out;
    }
};

// A security record: positions, prices, factor, ratio and exchange rate to
// US dollars; the other fields are fixed.
inline std::string SecurityRecord(int id, const std::string& description, const std::string& type, double cp, double sp,
                                  double stp, double factor, double ratio, const std::string& fxToUsd) {
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
inline std::string PieceOf(const std::vector<double>& slots) {
    std::string text;
    for (std::size_t i = 0; i < slots.size(); ++i) text += (i ? ";" : "") + PlainNumber(slots[i]);
    return text;
}
inline std::string Piece(std::initializer_list<std::pair<int, double>> slots) {
    std::vector<double> v(kValuationSlots, 0.0);
    for (const auto& [slot, value] : slots) v[static_cast<std::size_t>(slot)] = value;
    return PieceOf(v);
}

// Records filled from their texts, with the tests' today and locale.
inline CSecurity SecurityOf(const std::string& text) {
    CSecurity sec;
    sec.CreateRecord(text, Locale::EnUs(), Date{2026, 12, 6});
    return sec;
}
inline CScenario ScenarioOf(const std::string& text) {
    CScenario scenario;
    scenario.CreateScenario(text, Locale::EnUs());
    return scenario;
}

// A portfolio model of the given security records and the "|"-joined
// scenario texts, keyed 1, 2, ... in their order.
inline Portfolio PortfolioOf(const std::vector<std::string>& records, const std::string& scenarios) {
    Portfolio model;
    for (const std::string& record : records) model.AddSecurity(std::make_shared<CSecurity>(SecurityOf(record)));
    int key = 0;
    for (const std::string& text : SplitItems(scenarios, '|'))
        model.AddScenario(std::make_shared<CScenario>(ScenarioOf(text)), ++key);
    return model;
}

// Record texts of securities whose fields are changed by name.
inline std::string Records(const std::vector<SecurityFields>& securities) {
    std::vector<std::string> texts;
    for (const SecurityFields& s : securities) texts.push_back(s.Text());
    return Joined(texts);
}

// ---- A portfolio of every security type the impact run tells apart, and
// one it does not know, with their replies under two scenarios.

// Full carry 250, net carry -75.
inline const std::string kCarryPiece = "10;20;2;250;5;-75;1;2;1;0.5;0.25;0.1";
inline const std::string kUpAndDown = "Up 50;50;0;0;0;0;100;0;1;N|Down 25;-25;50;-10;30;20;100;0;1;N";

struct Holding {
    int id;
    std::string record;
    std::string up, down;  // the pieces of the two scenarios
};

// The eight figures the run reads, in this order: stock price, estimated
// price, bond floor, delta, gamma, rho, vega, credit spread 01.
using PriceFigures = std::array<double, 8>;

// A valuation piece of the figures now and under the scenario; every other
// slot 0.
inline std::string Piece(const PriceFigures& now, const PriceFigures& then) {
    static constexpr int kNow[8] = {m_CurStkPrice, m_CurEstPrice, m_CurBondFlr, m_CurDelta,
                                    m_CurGamma,    m_CurRho,      m_CurVega,    m_CurCrdSprd01};
    std::vector<double> v(kValuationSlots, 0.0);
    for (std::size_t i = 0; i < 8; ++i) {
        v[static_cast<std::size_t>(kNow[i])] = now[i];
        v[static_cast<std::size_t>(kNow[i] + m_UpdateStkPrice)] = then[i];
    }
    return PieceOf(v);
}

// A portfolio of every type the run tells apart, and one it does not know.
inline std::vector<Holding> MixedPortfolio() {
    const PriceFigures bond{40, 100, 80, 60, 1.5, -0.2, 0.4, -0.1}, stock{40, 0, 0, 100, 0, 0, 0, 0},
        option{0, 95, 90, 40, 2, -0.3, 0.5, -0.2}, pref{0, 100, 85, 50, 1.2, -0.1, 0.2, -0.05},
        other{0, 100, 90, 50, 1, -0.1, 0.3, -0.08}, deep{0, 70, 90, 0, 0, 0, 0, 0};
    return {
        {11, SecurityRecord(11, "Bond CV", "B", 1000, 40, -2000, 10, 25, "1"),
         Piece(bond, {60, 130, 82, 80, 1.0, -0.3, 0.3, -0.05}), Piece(bond, {30, 85, 79, 45, 1.7, -0.15, 0.45, -0.12})},
        // A stock: no estimated price is needed, the stock position is not used.
        {12, SecurityRecord(12, "Stock", "E", 500, 40, 300, 1, 1, "1"), Piece(stock, {60, 0, 0, 100, 0, 0, 0, 0}),
         Piece(stock, {30, 0, 0, 100, 0, 0, 0, 0})},
        {13, SecurityRecord(13, "Option AS", "AS", 200, 20, -1000, 10, 5, "1.25"),
         Piece(option, {0, 110, 91, 55, 1.8, -0.35, 0.45, -0.15}),
         Piece(option, {0, 92, 89, 30, 2.1, -0.25, 0.5, -0.22})},
        // Valued on its bond floors; the estimated prices do not count.
        {14, SecurityRecord(14, "Discount DS", "DS", 300, 30, -500, 10, 3, "1"),
         Piece({0, 0, 70, 30, 0, 0, 0, 0}, {0, 999, 75, 40, 0, 0, 0, 0}),
         Piece({0, 0, 70, 30, 0, 0, 0, 0}, {0, 0, 68, 20, 0, 0, 0, 0})},
        {15, SecurityRecord(15, "Pref P", "P", 100, 40, 0, 10, 2, "2"),
         Piece(pref, {0, 120, 86, 70, 1.1, -0.12, 0.18, -0.06}), Piece(pref, {0, 90, 84, 40, 1.3, -0.08, 0.22, -0.04})},
        {16, SecurityRecord(16, "Other X&Y", "X&Y", 400, 25, -800, 10, 4, "1"),
         Piece(other, {0, 115, 92, 65, 0, 0, 0, 0}), Piece(other, {0, 92, 89, 40, 0, 0, 0, 0})},
        // Both prices below their bond floors under both scenarios.
        {17, SecurityRecord(17, "Deep AS", "AS", 100, 10, -400, 10, 2, "1"), Piece(deep, {0, 75, 88, 0, 0, 0, 0, 0}),
         Piece(deep, {0, 60, 85, 0, 0, 0, 0, 0})},
    };
}

inline std::string Records(const std::vector<Holding>& holdings) {
    std::vector<std::string> texts;
    for (const Holding& h : holdings) texts.push_back(h.record);
    return Joined(texts);
}

// The message of the exception of type E the call throws, or "" when it
// throws none.
template <class E = std::exception, class Call>
std::string ErrorOf(Call call) {
    try {
        call();
    } catch (const E& error) {
        return error.what();
    }
    return "";
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
inline bool Contains(const std::vector<std::string>& texts, const std::string& part) {
    return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return Contains(t, part); });
}

}  // namespace zemra::testing
