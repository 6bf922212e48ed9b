// The control's own work in one Update, with canned replies and no network:
// building the queries, parsing the replies, the dollar Greeks, the
// sub-impacts and totals and the impact list rewrite, for portfolios of
// securities x scenarios. Prints the time per security-scenario pair and the
// peak memory of the process; beside it, the time per scenario of listing a
// scenario matrix of up to 3125 scenarios.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>

#include "control/MainCtl.h"
#include "scenarios/DlgScenMatrix.h"
#include "server/PageContract.h"

using namespace zemra;

namespace {

const char* const kDetailPage = "http://pages.bench/ScenarioDetail.asp";
const char* const kCarryPage = "http://pages.bench/CarryCalc.asp";
const char* const kCapitalPage = "http://pages.bench/CapitalCalc.asp";

// A host that answers every page from replies prepared beforehand.
class CannedHost : public HostSeam {
public:
    std::map<long, std::string> detail, carry;
    long requests = 0;

    FetchResult Fetch(const std::string& address) override {
        ++requests;
        const auto at = address.find("Secid=");
        const bool isDetail = address.rfind(kDetailPage, 0) == 0;
        if (at == std::string::npos || (!isDetail && address.rfind(kCarryPage, 0) != 0))
            return FetchResult{true, "0", ""};  // the capital page: one number
        const long id = std::strtol(address.c_str() + at + 6, nullptr, 10);
        const auto& replies = isDetail ? detail : carry;
        const auto it = replies.find(id);
        if (it == replies.end()) return FetchResult{false, "", "no canned reply for " + address};
        return FetchResult{true, it->second, ""};
    }
    void OpenBrowserWindow(const std::string&) override {}
    bool ModelessAllowed() const override { return true; }
    void SetMousePointer(int code) override { pointer_ = code; }
    int MousePointer() const override { return pointer_; }
    Date Today() const override { return Date{2026, 12, 6}; }
    const Locale& GetLocale() const override { return locale_; }
    MsgAnswer MessageBox(const std::string& text, MsgButtons) override {
        throw std::runtime_error("unexpected message box: " + text);
    }

private:
    int pointer_ = kPointerDefault;
    Locale locale_;
};

std::string Num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4f", v);
    return buf;
}

const char* const kTypes[] = {"B", "E", "AS", "DS", "P", "CB"};

std::string SecurityText(int k) {
    const long id = 1000 + k;
    return std::to_string(id) + ";Security " + std::to_string(k) + " 2.5% 2031 CV;" + kTypes[k % 6] + ";" +
           std::to_string(500 + k) + ";" + Num(98.5 + k % 7) + ";350;1;0;1;-12500;" + Num(42.5 + k % 11) +
           ";32.5;USG;10;0;25;1;15;15;5.25;1.25;0.5;0;1;06/15/2031;1.08;0;1;R;40;1;0.5";
}

std::string ScenarioText(int j) {
    return "Scenario " + std::to_string(j) + ";" + std::to_string(j % 41 - 20) + ";" + std::to_string(j % 7 * 25) +
           ";" + std::to_string(j % 5 - 2) + ";" + std::to_string(j % 3 * 30) + ";" + std::to_string(j % 9) +
           ";100;0;1;N";
}

std::string DetailPiece(int k, int j) {
    std::string piece;
    piece.reserve(31 * 9);
    for (int f = 0; f < 31; ++f) {
        if (f > 0) piece += ';';
        piece += Num(f == 30 ? 0 : 10.0 + f * 3.25 + (k % 13) * 0.5 + (f >= 15 ? (j % 17) * 0.125 : 0));
    }
    return piece;
}

std::string CarryPiece(int j) {
    return "-120.50;310.25;2;" + Num(189.75 + j % 5) + ";-15.00;174.75;22.50;40.00;1;1.25;0.85;0.40";
}

long PeakMemoryKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_Update(benchmark::State& state) {
    const int securities = static_cast<int>(state.range(0));
    const int scenarios = static_cast<int>(state.range(1));
    CannedHost host;
    std::string records, scenarioTexts;
    for (int k = 0; k < securities; ++k) {
        if (k > 0) records += '|';
        records += SecurityText(k);
        std::string detail, carry;
        for (int j = 0; j < scenarios; ++j) {
            if (j > 0) {
                detail += '|';
                carry += '|';
            }
            detail += DetailPiece(k, j);
            carry += CarryPiece(j);
        }
        host.detail[1000 + k] = std::move(detail);
        host.carry[1000 + k] = std::move(carry);
    }
    for (int j = 0; j < scenarios; ++j) {
        if (j > 0) scenarioTexts += '|';
        scenarioTexts += ScenarioText(j);
    }
    PropertyBag bag;
    bag.Write("RecordString", records);
    bag.Write("ScenarioString", scenarioTexts);
    bag.Write("ScenarioDetailPath", kDetailPage);
    bag.Write("CarryCalcPath", kCarryPage);
    bag.Write("CapitalCalcPath", kCapitalPage);
    MainCtl ctl(host);
    ctl.ReadProperties(bag);
    ctl.ProcessInitData();  // loads the portfolio and runs the first Update
    if (ctl.Model().Valuations().Count() != securities) state.SkipWithError("the portfolio did not load");

    for (auto _ : state) {
        ctl.Panel().UserClick(*ctl.UpdateBtn);
        benchmark::DoNotOptimize(ctl.Model().Scenarios().Item(1).GetImpact());
    }
    const double pairs = static_cast<double>(securities) * scenarios;
    state.counters["per_pair"] =
        benchmark::Counter(pairs, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["peak_MB"] = static_cast<double>(PeakMemoryKb()) / 1024.0;
    // The canned replies this host keeps in memory count in the peak.
    double replyBytes = 0;
    for (const auto& [id, text] : host.detail) replyBytes += static_cast<double>(text.size());
    for (const auto& [id, text] : host.carry) replyBytes += static_cast<double>(text.size());
    state.counters["replies_MB"] = replyBytes / (1024.0 * 1024.0);
    state.counters["requests_per_run"] = static_cast<double>(host.requests) / static_cast<double>(state.iterations() + 1);
}

BENCHMARK(BM_Update)->Args({10, 125})->Args({50, 625})->Args({200, 3125})->Unit(benchmark::kMillisecond)->UseRealTime();

// The scenario matrix: OK in the Scenario Matrix dialog with the same steps
// in all five columns generates (steps + 1)^5 scenarios and lists them with
// their valuations for 10 securities; beside the Update runs above, which
// send them.
void BM_MatrixGrid(benchmark::State& state) {
    const int steps = static_cast<int>(state.range(0));
    std::string records;
    for (int k = 0; k < 10; ++k) records += (k > 0 ? "|" : "") + SecurityText(k);
    long listed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // Start-up values one scenario, so that the portfolio is loaded.
        CannedHost host;
        for (int k = 0; k < 10; ++k) {
            host.detail[1000 + k] = DetailPiece(k, 0);
            host.carry[1000 + k] = CarryPiece(0);
        }
        PropertyBag bag;
        bag.Write("RecordString", records);
        bag.Write("ScenarioString", ScenarioText(0));
        bag.Write("TunerString", "1;Standard|2;Aggressive");
        bag.Write("ScenarioDetailPath", kDetailPage);
        bag.Write("CarryCalcPath", kCarryPage);
        MainCtl ctl(host);
        ctl.ReadProperties(bag);
        ctl.ProcessInitData();
        ctl.Panel().UserClick(*ctl.BtnScenMatrix);
        DlgScenMatrix& dlg = *ctl.ScenMatrixDialog();
        for (auto* column : {&dlg.TxtStk, &dlg.TxtVol, &dlg.TxtCrdSprd, &dlg.TxtRate, &dlg.TxtTime}) {
            dlg.Window().UserType(*(*column)[1], "1");
            dlg.Window().UserType(*(*column)[2], std::to_string(steps));
        }
        state.ResumeTiming();
        dlg.Window().UserClick(*dlg.OKButton);
        listed = ctl.ScenarioLst->Count() - 1;
        if (ctl.Model().Valuations().Count() != 10 || ctl.Model().Valuations().Item(10).Count() != listed + 1)
            state.SkipWithError("the valuation grid is not in step");
    }
    long expected = 1;
    for (int c = 0; c < 5; ++c) expected *= steps + 1;
    if (listed != expected) state.SkipWithError("the grid was not listed whole");
    state.counters["scenarios"] = static_cast<double>(listed);
    state.counters["per_scenario"] =
        benchmark::Counter(static_cast<double>(listed), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_MatrixGrid)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();

// A reply of the largest size the control reads, made only of piece
// separators, for 3125 scenarios: the pieces the run reads (the first 3125)
// beside the baseline that splits every piece.
const std::string& BarsReply() {
    static const std::string reply(pages::kMaxReplyBytes, '|');
    return reply;
}

void BM_BarsReplyFirstPieces(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(pages::FirstReplyPieces(BarsReply(), 3125));
}

void BM_BarsReplyEveryPieceBaseline(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(pages::ReplyPieces(BarsReply()));
}

BENCHMARK(BM_BarsReplyFirstPieces)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BarsReplyEveryPieceBaseline)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
