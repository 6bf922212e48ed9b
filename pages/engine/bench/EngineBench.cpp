// Timing of the pricing engine beside QuantLib's binomial convertible
// engine, and of ScenarioDetail-sized calls. Prints tables; run it from the
// build folder: pages/engine/zemra_engine_bench.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "ConvertibleModel.h"
#include "CorneredLattice.h"
#include "DemoBookBench.h"
#include "EngineTestSupport.h"
#include "FigureTools.h"
#include "QuantLibConvertible.h"
#include "ScenarioValuation.h"

namespace {

using namespace zemra::engine;
using zemra::engine::testing::QuantLibConvertiblePrice;
using zemra::engine::testing::ReferenceBond;

// Five-year 4% annual convertible, conversion price 50, stock 42.5, vol 30%,
// flat 4%, no credit spread: a case both models price alike.
ValuationInput BenchConvertible() {
    ValuationInput in;
    in.terms.face = 1000;
    in.terms.couponPct = 4;
    in.terms.couponFrequency = 1;
    in.terms.issueTime = 0;
    in.terms.maturityTime = 5;
    in.terms.conversionRatio = 20;
    in.market.stockPrice = 42.5;
    in.market.volatilityPct = 30;
    in.market.dividendYieldPct = 1;
    in.market.zeroCurve = {{1, 4}};
    in.marketPricePct = 100;
    return in;
}

// Processor time of this process, in milliseconds (all threads).
double CpuMs() { return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// Median wall time of `runs` calls, in milliseconds.
double TimeMs(const std::function<void()>& f, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double EnginePrice(const ValuationInput& in) {
    const ConvertibleModel model(in);
    const ModelState state{0, in.market.volatilityPct / 100, in.market.creditSpreadBp / 10000};
    return CleanPriceToday(model, state, true);
}

// The first entry from which every later (finer) one is within `tolerance`.
int FirstSettled(const std::vector<double>& errors, double tolerance) {
    int first = -1;
    for (int i = static_cast<int>(errors.size()) - 1;
         i >= 0 && std::abs(errors[static_cast<std::size_t>(i)]) < tolerance; --i)
        first = i;
    return first;
}

void SinglePrice(const char* title, ValuationInput in) {
    constexpr double kTolerance = 0.01;
    in.model.grid = {1600, 800, 800};
    const double reference = EnginePrice(in);
    std::printf("%s\nreference: FD 1600 nodes x 800 steps a year = %.5f\n", title, reference);
    std::printf("%-34s %10s %10s %10s\n", "method", "price", "error", "ms");
    const std::vector<GridAccuracy> grids{{60, 15, 15}, {100, 25, 25}, {160, 40, 40}, {240, 60, 60}, {320, 80, 80}};
    std::vector<double> engineErrors, engineMs;
    for (GridAccuracy grid : grids) {
        in.model.grid = grid;
        const double price = EnginePrice(in);
        engineErrors.push_back(price - reference);
        engineMs.push_back(TimeMs([&] { EnginePrice(in); }, 21));
        std::printf("FD %4d nodes x %3d steps a year   %10.5f %10.5f %10.3f\n", grid.stockNodes, grid.timeStepsPerYear,
                    price, engineErrors.back(), engineMs.back());
    }
    const std::vector<int> steps{100, 200, 400, 800, 1600, 3200};
    std::vector<double> quantLibErrors, quantLibMs;
    for (int n : steps) {
        const double price = QuantLibConvertiblePrice(in, n);
        quantLibErrors.push_back(price - reference);
        quantLibMs.push_back(TimeMs([&] { QuantLibConvertiblePrice(in, n); }, n > 1000 ? 3 : 7));
        std::printf("QuantLib binomial CRR %5d steps    %10.5f %10.5f %10.3f\n", n, price, quantLibErrors.back(),
                    quantLibMs.back());
    }
    const int fd = FirstSettled(engineErrors, kTolerance), tree = FirstSettled(quantLibErrors, kTolerance);
    if (fd >= 0 && tree >= 0)
        std::printf(
            "Within %.2f points from then on: FD %d nodes %.3f ms, QuantLib %d steps %.3f ms: FD %.1fx faster\n\n",
            kTolerance, grids[static_cast<std::size_t>(fd)].stockNodes, engineMs[static_cast<std::size_t>(fd)],
            steps[static_cast<std::size_t>(tree)], quantLibMs[static_cast<std::size_t>(tree)],
            quantLibMs[static_cast<std::size_t>(tree)] / engineMs[static_cast<std::size_t>(fd)]);
    else
        std::printf("Within %.2f points: not reached by %s in this table\n\n", kTolerance, fd >= 0 ? "QuantLib" : "FD");
}

void ScenarioCalls() {
    ValuationInput in = BenchConvertible();
    in.market.creditSpreadBp = 300;
    in.terms.calls.push_back({2, 5, 100, true, 130});
    in.terms.puts.push_back({3, 100, true});
    in.model.discounting = DiscountingScheme::BondPlusOption;
    const double levels[5] = {-2, -1, 0, 1, 2};
    std::printf("ScenarioDetail calls (callable, putable, Bond+Option, tuner constant implied volatility)\n");
    std::printf(
        "(wall time is the median of three runs, one for 3125; processor time is that of one run and is\n"
        " what the call costs on an otherwise idle machine)\n");
    std::printf("%-10s %-36s %14s %14s %14s\n", "scenarios", "dimensions", "1 thread wall", "1 thread cpu",
                "2 threads wall");
    const char* names[4] = {"stock x rate", "stock x rate x vol", "stock x rate x vol x days",
                            "stock x rate x vol x days x spread"};
    for (int dims = 2; dims <= 5; ++dims) {
        std::vector<ScenarioShift> shifts;
        const int counts[5] = {5, 5, dims >= 3 ? 5 : 1, dims >= 4 ? 5 : 1, dims >= 5 ? 5 : 1};
        for (int a = 0; a < counts[0]; ++a)
            for (int b = 0; b < counts[1]; ++b)
                for (int c = 0; c < counts[2]; ++c)
                    for (int d = 0; d < counts[3]; ++d)
                        for (int e = 0; e < counts[4]; ++e) {
                            ScenarioShift s;
                            s.stockChangePct = 10 * levels[a];
                            s.rateChangeBp = 25 * levels[b];
                            s.volChangePct = counts[2] > 1 ? 10 * levels[c] : 0;
                            s.days = counts[3] > 1 ? 30 * (d) : 0;
                            s.spreadChangePct = counts[4] > 1 ? 20 * levels[e] : 0;
                            shifts.push_back(s);
                        }
        const int runs = shifts.size() > 1000 ? 1 : 3;
        const double one = TimeMs([&] { ValueScenarios(in, shifts, {1}); }, runs);
        const double cpuStart = CpuMs();
        ValueScenarios(in, shifts, {1});
        const double cpu = CpuMs() - cpuStart;
        const double two = TimeMs([&] { ValueScenarios(in, shifts, {2}); }, runs);
        std::printf("%-10zu %-36s %11.1f ms %11.1f ms %11.1f ms\n", shifts.size(), names[dims - 2], one, cpu, two);
    }
}

// The reference bond (Ayache-Forsyth-Vetzal 2003) in every model: the
// published value, the engine on three grids, and side by side one price
// within 0.01 of the published value against QuantLib's tree, and 625
// scenarios on one thread.
struct ReferenceModel {
    const char* name;
    ValuationInput input;
    double published;  // 0: none
    // 625 scenarios, processor time of one thread (ms), before the round
    // that made the blended solve one pass (same machine, same day).
    double baselineCpuMs;
};

std::vector<ReferenceModel> ReferenceModels() {
    ValuationInput totalDefault = ReferenceBond();
    totalDefault.model.bankruptcy = true;
    ValuationInput decaying = totalDefault;
    decaying.model.spreadDecayFactor = 0.5;
    return {{"no credit risk", ReferenceBond(DiscountingScheme::Risky, 0), 125.9529, 380.5},
            {"hazard 2%, total default", totalDefault, 122.7316, 387.2},
            {"Bond+Option (TF)", ReferenceBond(DiscountingScheme::BondPlusOption), 123.9705, 607.8},
            {"blended (1994 rule)", ReferenceBond(DiscountingScheme::Blended), 0, 2453.6},
            {"risky", ReferenceBond(DiscountingScheme::Risky), 0, 345.7},
            {"hazard 2% decaying (0.5)", decaying, 0, 374.5}};
}

// 625 scenarios of the reference bond (tuner 1, market price a point under
// the fair value) on one thread: wall and processor time, the processor
// time beside the baseline's.
void ReferenceScenarioTimes(const ValuationInput& model) {
    const auto shifts = zemra::engine::bench::ScenarioMatrix(false);
    ValuationInput in = model;
    in.marketPricePct = EnginePrice(in) - 1;
    const double wall = TimeMs([&] { ValueScenarios(in, shifts, {1}); }, 1);
    const double cpuStart = CpuMs();
    ValueScenarios(in, shifts, {1});
    std::printf(" %12.1f %12.1f", wall, CpuMs() - cpuStart);
}

// The 625 scenarios of every model only (`only`, when not empty: the model
// of that row, from 1), beside the baseline.
void ReferenceSpeed(const std::string& only) {
    std::printf("Reference bond, 625 scenarios on one thread (processor time; baseline: before this round)\n");
    std::printf("%-26s %12s %12s %12s\n", "model", "baseline ms", "wall ms", "cpu ms");
    int row = 0;
    for (const auto& m : ReferenceModels()) {
        if (++row, !only.empty() && std::to_string(row) != only) continue;
        std::printf("%-26s %12.1f", m.name, m.baselineCpuMs);
        ReferenceScenarioTimes(m.input);
        std::printf("\n");
    }
}

void ReferenceBondTables() {
    const std::vector<ReferenceModel> models = ReferenceModels();
    const std::vector<GridAccuracy> grids{{240, 60, 60}, {480, 120, 120}, {960, 240, 240}};
    std::printf("Reference bond (AFV 2003 Table 1): published, engine on three grids, 625 scenarios on one thread\n");
    std::printf("(baseline: processor time before this round, same machine and day)\n");
    std::printf("%-26s %10s %10s %10s %10s %12s %12s %12s\n", "model", "published", "240x60", "480x120", "960x240",
                "baseline ms", "625 wall ms", "625 cpu ms");
    for (const auto& m : models) {
        std::printf("%-26s %10.4f", m.name, m.published);
        for (GridAccuracy grid : grids) {
            ValuationInput in = m.input;
            in.model.grid = grid;
            std::printf(" %10.4f", EnginePrice(in));
        }
        std::printf(" %12.1f", m.baselineCpuMs);
        ReferenceScenarioTimes(m.input);
        std::printf("\n");
    }

    // Blended without calls and puts: QuantLib's tree is the same model.
    ValuationInput noCall = ReferenceBond(DiscountingScheme::Blended);
    noCall.terms.calls.clear();
    noCall.terms.puts.clear();
    double consecutive = 0, spread = 0;
    for (int k = 0; k < 40; ++k) consecutive += QuantLibConvertiblePrice(noCall, 3200 + k) / 40;
    for (int k = 0; k < 20; ++k) spread += QuantLibConvertiblePrice(noCall, 2000 + 101 * k) / 20;
    std::printf(
        "\nBlended, no call or put: engine %.4f; QuantLib mean of 3200..3239 steps %.4f, of 20 counts "
        "2000..3919 %.4f\n",
        EnginePrice(noCall), consecutive, spread);
    const ValuationInput blended = ReferenceBond(DiscountingScheme::Blended);
    std::printf(
        "Blended with call and put: engine %.4f; lattice of the 1994 rule (36 nodes a coupon) %.4f; "
        "QuantLib (carries p where put or called for cash) %.4f\n\n",
        EnginePrice(blended), zemra::engine::testing::CorneredLatticePrice(blended, 36),
        (QuantLibConvertiblePrice(blended, 3200) + QuantLibConvertiblePrice(blended, 3201)) / 2);

    // One price within 0.01 of the published value, no credit risk.
    constexpr double kTolerance = 0.01;
    const ValuationInput plain = models[0].input;
    const double published = models[0].published;
    std::printf("One price within %.2f of the published %.4f (no credit risk), from this entry on\n", kTolerance,
                published);
    const std::vector<GridAccuracy> fdGrids{{40, 10, 10},  {60, 15, 15},  {80, 20, 20}, {100, 25, 25},
                                            {120, 30, 30}, {160, 40, 40}, {240, 60, 60}};
    std::vector<double> fdErrors, fdMs;
    for (GridAccuracy grid : fdGrids) {
        ValuationInput in = plain;
        in.model.grid = grid;
        fdErrors.push_back(EnginePrice(in) - published);
        fdMs.push_back(TimeMs([&] { EnginePrice(in); }, 21));
        std::printf("FD %4d x %3d       error %+8.4f %9.3f ms\n", grid.stockNodes, grid.timeStepsPerYear,
                    fdErrors.back(), fdMs.back());
    }
    const std::vector<int> steps{100, 200, 400, 800, 1600, 3200};
    std::vector<double> treeErrors, treeMs;
    for (int n : steps) {
        treeErrors.push_back(QuantLibConvertiblePrice(plain, n) - published);
        treeMs.push_back(TimeMs([&] { QuantLibConvertiblePrice(plain, n); }, 3));
        std::printf("QuantLib %5d steps error %+8.4f %9.3f ms\n", n, treeErrors.back(), treeMs.back());
    }
    const int fd = FirstSettled(fdErrors, kTolerance), tree = FirstSettled(treeErrors, kTolerance);
    if (fd >= 0 && tree >= 0)
        std::printf("FD %.3f ms, QuantLib %.3f ms: FD %.0fx faster\n\n", fdMs[static_cast<std::size_t>(fd)],
                    treeMs[static_cast<std::size_t>(tree)],
                    treeMs[static_cast<std::size_t>(tree)] / fdMs[static_cast<std::size_t>(fd)]);
}

// The blended reference bond over the credit spread: the engine on three
// grids beside the lattice of the 1994 rule. The lattice's price falls
// smoothly with the spread; where the engine's steps, its blended
// spread sensitivity and implied spreads step with it.
void BlendedSpreadScan() {
    constexpr int kLatticeNodes = 18;
    const std::vector<GridAccuracy> grids{{240, 60, 60}, {480, 120, 120}, {960, 240, 240}};
    std::printf("Blended reference bond over the spread: engine on three grids, lattice (%d nodes a coupon)\n",
                kLatticeNodes);
    std::printf("%8s %10s %10s %10s %10s %9s\n", "bp", "240x60", "480x120", "960x240", "lattice", "default-l");
    for (double bp = 190; bp <= 222; bp += 4) {
        ValuationInput in = ReferenceBond(DiscountingScheme::Blended, bp);
        std::printf("%8.0f", bp);
        double atDefault = 0;
        for (GridAccuracy grid : grids) {
            in.model.grid = grid;
            const double price = EnginePrice(in);
            if (grid.stockNodes == grids.front().stockNodes) atDefault = price;
            std::printf(" %10.4f", price);
        }
        const double lattice = zemra::engine::testing::CorneredLatticePrice(in, kLatticeNodes);
        std::printf(" %10.4f %+9.4f\n", lattice, atDefault - lattice);
    }
}

}  // namespace

// Arguments: none runs every table; "demo [ID] [full]" only the demo book
// (one security; 3125 scenarios with "full"); "implied [ID]" the demo
// book's scenario implied values priced again; "grid" the demo book's fair
// values on coarser grids against a fine one; "scenarios" only the
// ScenarioDetail calls of the bench convertible; "references" the
// reference bond's tables; "speed [ROW]" only their 625-scenario times;
// "spreads" the blended reference bond over the credit spread.
int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    auto has = [&](const char* word) { return std::find(args.begin(), args.end(), word) != args.end(); };
    std::string only;
    for (const auto& a : args)
        if (!a.empty() && std::isdigit(static_cast<unsigned char>(a[0]))) only = a;
    if (has("grid")) {
        zemra::engine::bench::DemoBookGridCheck(ZEMRA_DEMO_BOOK);
        return 0;
    }
    if (has("implied")) {
        zemra::engine::bench::DemoBookImpliedCheck(ZEMRA_DEMO_BOOK, only);
        return 0;
    }
    if (has("demo")) {
        zemra::engine::bench::DemoBookTimes(ZEMRA_DEMO_BOOK, only, has("full"));
        return 0;
    }
    if (has("scenarios")) {
        ScenarioCalls();
        return 0;
    }
    if (has("speed")) {
        ReferenceSpeed(only);
        return 0;
    }
    if (has("spreads")) {
        BlendedSpreadScan();
        return 0;
    }
    if (has("references")) {
        ReferenceBondTables();
        return 0;
    }
    SinglePrice("One price: American conversion, no call, no credit", BenchConvertible());
    ValuationInput callable = BenchConvertible();
    for (double year : {2.0, 3.0, 4.0}) callable.terms.calls.push_back({year, year, 105, true, 0});
    SinglePrice("One price: the same with calls at 105 on the coupon dates of years 2, 3 and 4", callable);
    ScenarioCalls();
    std::printf("\n");
    ReferenceBondTables();
    zemra::engine::bench::DemoBookTimes(ZEMRA_DEMO_BOOK, only, false);
    return 0;
}
