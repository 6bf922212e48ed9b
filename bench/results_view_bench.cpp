// The results view of a valued portfolio of securities x scenarios, as the
// web element asks for it: opening it (the table built from the valuation
// grid, the window of rows and columns on screen, the heatmap and the
// drivers), scrolling (another window of the built table), and beside them
// the baseline of sending every cell of the table at once.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchHost.h"
#include "control/MainCtl.h"
#include "toolkit/UserAction.h"

using namespace zemra;

namespace {

// Every security answers the same pieces, one a scenario; the totals vary
// with the scenarios' stock changes.
class OnePieceHost : public bench::BenchHost {
public:
    explicit OnePieceHost(int scenarios) {
        for (int j = 0; j < scenarios; ++j) {
            m_detail += (j > 0 ? "|" : "") +
                        std::string("42.5;100;101;88;58;1.3;-0.2;0.4;31;340;1.7;1.4;1.1;0.9;-0.1;") + "44;" +
                        std::to_string(95 + j % 11) + ";101;88;58;1.3;-0.2;0.4;31;340;1.7;1.4;1.1;0.9;-0.1;0";
            m_carry += (j > 0 ? "|" : "") + std::string("-120;310;2;189;-15;174;22;40;1;1.25;0.85;0.40");
        }
    }
    FetchResult Fetch(const std::string& address) override {
        if (address.find("ScenarioDetail") != std::string::npos) return {true, m_detail, ""};
        if (address.find("CarryCalc") != std::string::npos) return {true, m_carry, ""};
        return {true, "0", ""};
    }
    MsgAnswer MessageBox(const std::string&, MsgButtons) override { return MsgAnswer::Ok; }

private:
    std::string m_detail, m_carry;
};

// A control with the portfolio loaded, valued and its results view open.
struct ValuedControl {
    OnePieceHost host;
    MainCtl ctl;
    ValuedControl(int securities, int scenarios) : host(scenarios), ctl(host) {
        std::string records, texts;
        for (int k = 0; k < securities; ++k)
            records += (k > 0 ? "|" : "") + std::to_string(1000 + k) + ";Security " + std::to_string(k) +
                       ";B;1000;105.25;350;1;0;1;-12500;42.5;32.5;USG;10;0;25;1;15;15;5.25;1.25;0.5;0;1;06/15/"
                       "2031;1;0;1;R;40;1;0.5";
        for (int j = 0; j < scenarios; ++j)
            texts += (j > 0 ? "|" : "") + std::string("Scenario ") + std::to_string(j) + ";" +
                     std::to_string(j % 41 - 20) + ";" + std::to_string(j % 7 * 25) + ";0;0;0;100;0;1;N";
        PropertyBag bag;
        bag.Write("RecordString", records);
        bag.Write("ScenarioString", texts);
        bag.Write("ScenarioDetailPath", "http://pages.bench/ScenarioDetail.asp");
        bag.Write("CarryCalcPath", "http://pages.bench/CarryCalc.asp");
        ctl.ReadProperties(bag);
        ctl.ProcessInitData();
        Act("click BtnResults");
    }
    void Act(const std::string& line) { ApplyUserAction(ctl.Ui(), ParseUserAction(line)); }
};

// What the element fetches for a table on screen: 40 rows by 20 columns.
constexpr DataView::Window kOnScreen{0, 40, 0, 20};

void Counters(benchmark::State& state, std::size_t bytes) {
    state.counters["cells"] = static_cast<double>(state.range(0)) * static_cast<double>(state.range(1));
    state.counters["reply_KB"] = static_cast<double>(bytes) / 1024.0;
}

// Opening: the table is built afresh (a sort makes the view's content new)
// and the element fetches the window on screen, the heatmap and the drivers.
void BM_ResultsOpen(benchmark::State& state) {
    ValuedControl c(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        c.Act("sort Results -1");
        bytes = c.ctl.ViewResults->content(kOnScreen).Write().size() + c.ctl.ViewHeatmap->content({}).Write().size() +
                c.ctl.ViewDrivers->content({}).Write().size();
    }
    Counters(state, bytes);
}

// Scrolling: another window of the table already built.
void BM_ResultsScroll(benchmark::State& state) {
    ValuedControl c(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::size_t bytes = c.ctl.ViewResults->content(kOnScreen).Write().size();  // the view is open
    int first = 0;
    for (auto _ : state) {
        first = (first + 37) % static_cast<int>(state.range(1));
        bytes = c.ctl.ViewResults->content({0, 40, first, 20}).Write().size();
    }
    Counters(state, bytes);
}

// The baseline: every cell of the table in one reply.
void BM_ResultsWholeTable(benchmark::State& state) {
    ValuedControl c(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::size_t bytes = 0;
    for (auto _ : state) bytes = c.ctl.ViewResults->content({}).Write().size();
    Counters(state, bytes);
}

}  // namespace

BENCHMARK(BM_ResultsOpen)->Args({10, 125})->Args({200, 3125})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ResultsScroll)->Args({10, 125})->Args({200, 3125})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ResultsWholeTable)
    ->Args({10, 125})
    ->Args({200, 3125})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
