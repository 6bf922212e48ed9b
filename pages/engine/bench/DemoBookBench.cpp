// ScenarioDetail-sized calls for every convertible of the demo book (the
// book the zemra-pages service loads), with its terms, market data and model
// choices mapped as the scenario-detail page maps them.
#include "DemoBookBench.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "ScenarioValuation.h"

namespace zemra::engine::bench {

namespace {

using nlohmann::json;

// Days since 1970-01-01 of an ISO date (YYYY-MM-DD).
long DaySerial(const std::string& iso) {
    int y = std::stoi(iso.substr(0, 4));
    const int m = std::stoi(iso.substr(5, 2)), d = std::stoi(iso.substr(8, 2));
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<long>(era) * 146097 + doe - 719468;
}

// The valuation date of the runs.
constexpr const char* kToday = "2026-12-07";

double YearsTo(const std::string& date) {
    return YearsFromDays(static_cast<double>(DaySerial(date) - DaySerial(kToday)));
}

ValuationInput InputOf(const json& bond, const json& stock, const json& curve) {
    ValuationInput in;
    in.isStock = bond.value("type", "B") == "E";  // the book's type of a stock
    in.marketPricePct = bond.value("price", 0.0);
    ContractTerms& t = in.terms;
    t.face = bond.value("face", 1000.0);
    t.couponPct = bond.value("coupon", 0.0);
    t.couponFrequency = bond.value("frequency", 2);
    if (t.couponFrequency <= 0) t.couponFrequency = 2, t.couponPct = 0;
    t.issueTime = bond.contains("issueDate") ? YearsTo(bond["issueDate"]) : -1;
    t.maturityTime = YearsTo(bond["maturity"]);
    t.redemptionPct = bond.value("redemption", 100.0);
    t.conversionRatio = bond.value("conversionRatio", 0.0);
    const bool dirtyCalls = bond.value("callPriceKind", "clean") == "dirty";
    if (bond.contains("calls"))
        for (const auto& c : bond["calls"])
            t.calls.push_back(
                {YearsTo(c["from"]), YearsTo(c["to"]), c.value("price", 100.0), !dirtyCalls, c.value("trigger", 0.0)});
    if (bond.contains("puts"))
        for (const auto& p : bond["puts"]) t.puts.push_back({YearsTo(p["date"]), p.value("price", 100.0), true});

    MarketData& m = in.market;
    m.stockPrice = stock.value("price", 0.0);
    m.volatilityPct = stock.value("volatility", 30.0);
    m.borrowCostPct = stock.value("borrowCost", 0.0);
    m.creditSpreadBp = bond.value("creditSpread", 0.0);
    m.dividendYieldPct = stock.value("dividendYield", 0.0);
    if (stock.contains("dividends"))
        for (const auto& d : stock["dividends"]) {
            const double years = YearsTo(d["exDate"]);
            if (years > 0) m.dividends.push_back({years, d["amount"]});
        }
    for (const auto& p : curve["points"]) m.zeroCurve.push_back({p["tenor"], p["rate"]});
    m.fxStockToBond = bond.value("fxToUsd", 1.0) / stock.value("fxToUsd", 1.0);

    const json& defaults = bond["defaults"];
    ModelChoice& model = in.model;
    model.discounting = static_cast<DiscountingScheme>(defaults.value("discount", 0));
    model.bankruptcy = defaults.value("bankruptcy", 0) != 0;
    const bool recovery = defaults.value("recvDecay", "R") == "R";
    const double recvDecay = defaults.value("recvDecayValue", 0.0);
    model.bondRecoveryPct = recovery ? recvDecay : 0.0;
    model.spreadDecayFactor = recovery ? 0.0 : recvDecay;
    model.dividendType = defaults.value("divType", 2) == 1 ? DividendType::Discrete : DividendType::Continuous;
    return in;
}

double WallMs(const std::function<void()>& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double CpuMs(const std::function<void()>& f) {
    const std::clock_t start = std::clock();
    f();
    return 1000.0 * static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

}  // namespace

// A full matrix: 5 stock x 5 rate x 5 volatility x 5 days (x 5 spread).
std::vector<ScenarioShift> ScenarioMatrix(bool withSpread) {
    const double levels[5] = {-2, -1, 0, 1, 2};
    std::vector<ScenarioShift> shifts;
    for (double a : levels)
        for (double b : levels)
            for (double c : levels)
                for (int d = 0; d < 5; ++d)
                    for (int e = 0; e < (withSpread ? 5 : 1); ++e) {
                        ScenarioShift s;
                        s.stockChangePct = 10 * a;
                        s.rateChangeBp = 25 * b;
                        s.volChangePct = 10 * c;
                        s.days = 30 * d;
                        s.spreadChangePct = withSpread ? 20 * levels[e] : 0;
                        shifts.push_back(s);
                    }
    return shifts;
}

std::vector<DemoSecurity> LoadDemoBook(const std::string& path) {
    std::vector<DemoSecurity> result;
    std::ifstream file(path);
    if (!file) return result;
    const json book = json::parse(file);
    std::map<long, json> byId;
    for (const auto& s : book["securities"]) byId[s["id"].get<long>()] = s;
    std::map<std::string, json> curves;
    for (const auto& c : book["curves"]) curves[c["code"].get<std::string>()] = c;
    for (const auto& [id, bond] : byId) {
        if (bond.value("type", "E") == "E") continue;
        const long underlying = bond.value("underlying", 0L);
        const json& stock = byId.count(underlying) ? byId[underlying] : bond;
        result.push_back({id, InputOf(bond, stock, curves[bond["defaults"].value("curve", "USG")])});
    }
    return result;
}

void DemoBookTimes(const std::string& path, const std::string& only, bool full) {
    const std::vector<DemoSecurity> book = LoadDemoBook(path);
    if (book.empty()) {
        std::printf("demo book %s not found: skipped\n", path.c_str());
        return;
    }
    const auto shifts = ScenarioMatrix(full);
    std::printf("Demo book: every convertible under %zu scenarios (tuner constant implied volatility)\n",
                shifts.size());
    std::printf("%-6s %-4s %-6s %-4s %9s %14s %14s %14s\n", "id", "type", "scheme", "bkr", "price", "1 thread wall",
                "1 thread cpu", "2 threads wall");
    double worstOne = 0, worstTwo = 0, sumOne = 0, sumTwo = 0, sumCpu = 0;
    int count = 0;
    for (const auto& [id, in] : book) {
        if (!only.empty() && std::to_string(id) != only) continue;
        const double one = WallMs([&] { ValueScenarios(in, shifts, {1}); });
        const double cpu = CpuMs([&] { ValueScenarios(in, shifts, {1}); });
        const double two = WallMs([&] { ValueScenarios(in, shifts, {2}); });
        std::printf("%-6ld %-4s %-6d %-4d %9.2f %11.1f ms %11.1f ms %11.1f ms\n", id, in.isStock ? "E" : "B",
                    static_cast<int>(in.model.discounting), in.model.bankruptcy ? 1 : 0, in.marketPricePct, one, cpu,
                    two);
        std::fflush(stdout);
        worstOne = std::max(worstOne, one);
        worstTwo = std::max(worstTwo, two);
        sumOne += one;
        sumTwo += two;
        sumCpu += cpu;
        ++count;
    }
    if (count > 0)
        std::printf(
            "%d convertibles: mean %.1f ms (cpu %.1f ms), worst %.1f ms on one thread; mean %.1f ms, worst "
            "%.1f ms on two\n\n",
            count, sumOne / count, sumCpu / count, worstOne, sumTwo / count, worstTwo);
}

namespace {

// The scenario's fair value with the volatility (or spread) replaced by
// `value` (percent, or basis points).
double PriceAt(ValuationInput in, ScenarioShift shift, bool volatility, double value) {
    if (volatility) {
        in.market.volatilityPct = value;
        shift.volChangePct = 0;
    } else {
        in.market.creditSpreadBp = value;
        shift.spreadChangePct = 0;
    }
    const std::vector<ScenarioShift> one{shift};
    return ValueScenarios(in, one, {1}).front().scenario.fairValue;
}

}  // namespace

void DemoBookGridCheck(const std::string& path) {
    auto fairValue = [](ValuationInput in, int nodes, int stepsPerYear) {
        in.model.grid = {nodes, stepsPerYear, stepsPerYear};
        const std::vector<ScenarioShift> none{ScenarioShift{}};
        return ValueScenarios(in, none, {1}).front().today.fairValue;
    };
    // The reference takes 16 times the time steps: with 4 times the nodes
    // and only 4 times the steps, Crank-Nicolson steps across a soft call's
    // trigger leave errors of a few hundredths of a point themselves.
    const GridAccuracy standard;
    const int nodes = standard.stockNodes, steps = standard.timeStepsPerYear;
    std::printf("Fair value on coarser grids less that on %d nodes x %d steps a year, points\n", 4 * nodes, 16 * steps);
    std::printf("%-6s %-6s %-4s %12s %14s %14s\n", "id", "scheme", "bkr", "fine", "default grid", "4x time steps");
    double worstDefault = 0, worstTime = 0;
    for (const auto& [id, in] : LoadDemoBook(path)) {
        if (in.isStock) continue;
        const double fine = fairValue(in, 4 * nodes, 16 * steps);
        const double atDefault = fairValue(in, nodes, steps) - fine, moreSteps = fairValue(in, nodes, 4 * steps) - fine;
        worstDefault = std::max(worstDefault, std::abs(atDefault));
        worstTime = std::max(worstTime, std::abs(moreSteps));
        std::printf("%-6ld %-6d %-4d %12.4f %+14.4f %+14.4f\n", id, static_cast<int>(in.model.discounting),
                    in.model.bankruptcy ? 1 : 0, fine, atDefault, moreSteps);
    }
    std::printf("largest: %.4f on the default grid, %.4f with four times the time steps\n\n", worstDefault, worstTime);
}

void DemoBookImpliedCheck(const std::string& path, const std::string& only) {
    const std::vector<DemoSecurity> book = LoadDemoBook(path);
    const auto shifts = ScenarioMatrix(false);
    std::printf(
        "Scenario implied values priced again (every seventh of %zu scenarios): largest gap to the "
        "estimated price, points\n",
        shifts.size());
    std::printf("%-6s %-6s %-4s %14s %14s\n", "id", "scheme", "bkr", "implied vol", "implied spread");
    for (const auto& [id, in] : book) {
        if ((!only.empty() && std::to_string(id) != only) || in.isStock) continue;
        const auto figures = ValueScenarios(in, shifts, {2});
        double worstVol = 0, worstSpread = 0;
        for (std::size_t j = 0; j < shifts.size(); j += 7) {
            const Figures& f = figures[j].scenario;
            const double target = f.estimatedPrice;
            if (f.impliedVolPct)
                worstVol = std::max(worstVol, std::abs(PriceAt(in, shifts[j], true, *f.impliedVolPct) - target));
            if (f.impliedSpreadBp)
                worstSpread =
                    std::max(worstSpread, std::abs(PriceAt(in, shifts[j], false, *f.impliedSpreadBp) - target));
        }
        std::printf("%-6ld %-6d %-4d %14.4f %14.4f\n", id, static_cast<int>(in.model.discounting),
                    in.model.bankruptcy ? 1 : 0, worstVol, worstSpread);
        std::fflush(stdout);
    }
}

}  // namespace zemra::engine::bench
