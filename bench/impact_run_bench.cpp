// The control's own work in one Update, with canned replies and no network:
// building the queries, parsing the replies, the dollar Greeks, the
// sub-impacts and totals and the impact list rewrite, for portfolios of
// securities x scenarios. Prints the time per security-scenario pair and the
// peak memory of the process; beside it, reading the numbers of the replies
// of 50 x 625 alone and the floor of converting the same numbers with
// std::from_chars and nothing else; the time per scenario of listing a
// scenario matrix of up to 3125 scenarios; and deleting, or applying a tuner
// value to, 3125 selected scenarios at 200 securities, beside deleting them
// one by one.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <charconv>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "BenchHost.h"
#include "compute/PageContract.h"
#include "control/MainCtl.h"
#include "scenarios/DlgScenMatrix.h"
#include "toolkit/NumberText.h"

using namespace zemra;

namespace {

const char* const kDetailPage = "http://pages.bench/ScenarioDetail.asp";
const char* const kCarryPage = "http://pages.bench/CarryCalc.asp";
const char* const kCapitalPage = "http://pages.bench/CapitalCalc.asp";

// A host that answers every page from replies prepared beforehand.
class CannedHost : public bench::BenchHost {
public:
    std::map<long, std::string> detail, carry;
    // The replies of a security without its own.
    std::string anyDetail, anyCarry;
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
        const std::string& any = isDetail ? anyDetail : anyCarry;
        if (it == replies.end() && !any.empty()) return FetchResult{true, any, ""};
        if (it == replies.end()) return FetchResult{false, "", "no canned reply for " + address};
        return FetchResult{true, it->second, ""};
    }
    // Yes to every question (the delete's "Are you sure"); any other message
    // is a fault of the benchmark.
    MsgAnswer MessageBox(const std::string& text, MsgButtons buttons) override {
        if (buttons == MsgButtons::YesNo) return MsgAnswer::Yes;
        throw std::runtime_error("unexpected message box: " + text);
    }
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
    state.counters["requests_per_run"] =
        static_cast<double>(host.requests) / static_cast<double>(state.iterations() + 1);
}

BENCHMARK(BM_Update)->Args({10, 125})->Args({50, 625})->Args({200, 3125})->Unit(benchmark::kMillisecond)->UseRealTime();

// The numbers of the replies of one Update at 50 x 625 (31 per
// scenario-detail piece, 12 per carry piece), each field a view into its
// reply.
const std::vector<std::string_view>& ReplyFields() {
    static std::vector<std::string> replies;
    static std::vector<std::string_view> fields;
    if (!fields.empty()) return fields;
    for (int k = 0; k < 50; ++k) {
        std::string detail, carry;
        for (int j = 0; j < 625; ++j) {
            detail += (j > 0 ? "|" : "") + DetailPiece(k, j);
            carry += (j > 0 ? "|" : "") + CarryPiece(j);
        }
        replies.push_back(std::move(detail));
        replies.push_back(std::move(carry));
    }
    for (const std::string& reply : replies) {
        std::size_t start = 0;
        for (std::size_t i = 0; i <= reply.size(); ++i) {
            if (i < reply.size() && reply[i] != '|' && reply[i] != ';') continue;
            fields.emplace_back(reply.data() + start, i - start);
            start = i + 1;
        }
    }
    return fields;
}

// The control's number reader (the one numeric test, with the data
// format's rules) on every number of an Update's replies.
void BM_ReplyNumbers(benchmark::State& state) {
    const auto& fields = ReplyFields();
    for (auto _ : state) {
        double sum = 0;
        for (const std::string_view field : fields) sum += ParseNumber(field, DataFormat()).value_or(0.0);
        benchmark::DoNotOptimize(sum);
    }
    state.counters["numbers"] = static_cast<double>(fields.size());
    state.counters["per_number"] =
        benchmark::Counter(static_cast<double>(fields.size()),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The floor: the same numbers converted by std::from_chars alone (no
// blanks, signs, grouping or locale to look at).
void BM_ReplyNumbersFromCharsFloor(benchmark::State& state) {
    const auto& fields = ReplyFields();
    for (auto _ : state) {
        double sum = 0;
        for (const std::string_view field : fields) {
            double value = 0;
            std::from_chars(field.data(), field.data() + field.size(), value);
            sum += value;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["numbers"] = static_cast<double>(fields.size());
    state.counters["per_number"] =
        benchmark::Counter(static_cast<double>(fields.size()),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_ReplyNumbers)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplyNumbersFromCharsFloor)->Unit(benchmark::kMillisecond);

// A control on `securities` x `scenarios`, valued once, with every scenario
// selected.
struct SelectedGrid {
    CannedHost host;
    std::unique_ptr<MainCtl> ctl;

    SelectedGrid(int securities, int scenarios) {
        std::string records, scenarioTexts;
        for (int k = 0; k < securities; ++k) records += (k > 0 ? "|" : "") + SecurityText(k);
        for (int j = 0; j < scenarios; ++j) {
            scenarioTexts += (j > 0 ? "|" : "") + ScenarioText(j);
            host.anyDetail += (j > 0 ? "|" : "") + DetailPiece(0, j);
            host.anyCarry += (j > 0 ? "|" : "") + CarryPiece(j);
        }
        PropertyBag bag;
        bag.Write("RecordString", records);
        bag.Write("ScenarioString", scenarioTexts);
        bag.Write("TunerString", "1;Standard|2;Aggressive");
        bag.Write("ScenarioDetailPath", kDetailPage);
        bag.Write("CarryCalcPath", kCarryPage);
        bag.Write("CapitalCalcPath", kCapitalPage);
        ctl = std::make_unique<MainCtl>(host);
        ctl->ReadProperties(bag);
        ctl->ProcessInitData();
        ctl->Panel().UserSelectRow(*ctl->ScenarioLst, 0);
        ctl->Panel().UserSelectRow(*ctl->ScenarioLst, scenarios - 1, false, true);
    }
    bool InStep(int scenarios) const {
        const Portfolio& model = ctl->Model();
        if (model.Scenarios().Count() != scenarios || ctl->ScenarioLst->Count() != scenarios ||
            ctl->LstImpact->Count() != scenarios)
            return false;
        for (int k = 1; k <= model.Valuations().Count(); ++k)
            if (model.Valuations().Item(k).Count() != scenarios) return false;
        return true;
    }
};

// Delete with every scenario but the last selected, answering Yes.
void BM_DeleteSelected(benchmark::State& state) {
    const int securities = static_cast<int>(state.range(0));
    const int scenarios = static_cast<int>(state.range(1));
    for (auto _ : state) {
        state.PauseTiming();
        SelectedGrid grid(securities, scenarios);
        grid.ctl->Panel().UserSelectRow(*grid.ctl->ScenarioLst, scenarios - 1, true);
        state.ResumeTiming();
        grid.ctl->Panel().UserClick(*grid.ctl->DeleteBtn);
        state.PauseTiming();
        if (!grid.InStep(1)) state.SkipWithError("the lists and the grid are not in step");
        state.ResumeTiming();
    }
    state.counters["deleted"] = scenarios - 1;
}

// The baseline: the same scenarios taken off one by one, each removal
// shifting every list and row (as a delete did before).
void BM_DeleteOneByOneBaseline(benchmark::State& state) {
    const int securities = static_cast<int>(state.range(0));
    const int scenarios = static_cast<int>(state.range(1));
    for (auto _ : state) {
        state.PauseTiming();
        SelectedGrid grid(securities, scenarios);
        // The portfolio's single removal, which the delete called once per
        // selected row.
        auto& model = const_cast<Portfolio&>(grid.ctl->Model());
        state.ResumeTiming();
        for (int j = 1; j < scenarios; ++j) model.RemoveScenario(1);
        state.PauseTiming();
        if (!grid.InStep(1)) state.SkipWithError("the lists and the grid are not in step");
        state.ResumeTiming();
    }
    state.counters["deleted"] = scenarios - 1;
}

// The tuner value typed for every selected scenario and applied with the
// update-tuner button: one user action.
void BM_TunerToSelected(benchmark::State& state) {
    const int securities = static_cast<int>(state.range(0));
    const int scenarios = static_cast<int>(state.range(1));
    SelectedGrid grid(securities, scenarios);
    MainCtl& ctl = *grid.ctl;
    int value = 100;
    for (auto _ : state) {
        ctl.Panel().UserType(*ctl.TxtScenario[m_TunerValIdx], std::to_string(++value));
        ctl.Panel().UserClick(*ctl.BtnUptTuner);
    }
    if (ctl.Model().ValuationAt(securities, scenarios).GetTunerValue() != value)
        state.SkipWithError("the tuner value did not reach every valuation");
    state.counters["selected"] = scenarios;
}

BENCHMARK(BM_DeleteSelected)->Args({200, 3125})->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_DeleteOneByOneBaseline)->Args({200, 3125})->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_TunerToSelected)->Args({200, 3125})->Unit(benchmark::kMillisecond);

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
    state.counters["per_scenario"] = benchmark::Counter(
        static_cast<double>(listed), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
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
