#include "compute/ImpactMath.h"

#include <cmath>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "compute/PageContract.h"
#include "records/CarryOption.h"
#include "records/SecurityType.h"
#include "toolkit/NumberText.h"

namespace zemra {

namespace {

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

std::string PieceCount(std::size_t pieces) { return std::to_string(pieces) + (pieces == 1 ? " piece" : " pieces"); }

// The name of the first dollar Greek or share figure of `val` that is not a
// finite number, or nullptr.
const char* NonFiniteFigure(const CValuation& val) noexcept {
    for (int k = 0; k < 2; ++k) {
        const std::pair<const char*, double> figures[] = {
            {"dollar delta", val.GetDolDelta(k)},  {"dollar gamma", val.GetDolGamma(k)},
            {"dollar vega", val.GetDolVega(k)},    {"dollar rho", val.GetDolRho(k)},
            {"dollar spread", val.GetDolCSprd(k)}, {"delta shares", val.GetDelShrs(k)},
            {"gamma shares", val.GetGammaShrs(k)}, {"dollar delta shares", val.GetDolDelShrs(k)}};
        for (const auto& [name, value] : figures) {
            if (!std::isfinite(value)) return name;
        }
    }
    return nullptr;
}

// Why a security's FxToUsd cannot divide the `figures`, or nothing when it
// can.
std::optional<std::string> FxFault(const CSecurity& sec, const std::optional<double>& fx, const char* figures) {
    if (!fx) return "its Fx To USD '" + sec.GetFxToUsd() + "' is not a number.";
    if (*fx == 0) return std::string("its Fx To USD is 0, and the ") + figures + " are divided by it.";
    return std::nullopt;
}

// What stopped the staging of one security's valuations, and where.
struct StageStop {
    enum class Fault { None, StockPriceTooLarge, StockPriceZero, TooManyNumbers, FigureTooLarge };
    Fault fault = Fault::None;
    int scenario = 0;              // 1-based
    std::size_t field = 0;         // TooManyNumbers: the 0-based field of the 32nd number
    const char* figure = nullptr;  // FigureTooLarge: its name
};

// Fills staged[0..count) from the row and the reply pieces. The hot loop of
// the impact run: it neither throws for the replies nor holds anything that
// needs cleaning up, so that every call in it is a plain one (in the
// browser build, calls that an exception may cross with cleanups pending
// each go through the script engine). What stops it is returned, and
// StageValuations says so.
StageStop StagePieces(const CSecurity& sec, const Collection<CScenario>& scenarios, const ValuationRow& row,
                      const std::string_view* detail, const std::string_view* carry, double SP, double FX,
                      CValuation* staged) {
    const int count = row.Count();
    for (int j = 1; j <= count; ++j) {
        const double NSP = NewStockPrice(scenarios.Item(j).GetScenarioProperties(m_StkChgIdx), SP);
        if (!std::isfinite(NSP / FX)) return {StageStop::Fault::StockPriceTooLarge, j, 0, nullptr};
        if (NSP / FX == 0) return {StageStop::Fault::StockPriceZero, j, 0, nullptr};
        CValuation& val = staged[j - 1];
        val = row.Item(j);
        const auto at = static_cast<std::size_t>(j - 1);
        if (const auto field = val.ReadValuation(detail[at], carry[at], pages::ReplyNumberFormat()))
            return {StageStop::Fault::TooManyNumbers, j, *field, nullptr};
        FillDollarGreeks(sec, NSP, FX, val);
        if (const char* figure = NonFiniteFigure(val)) return {StageStop::Fault::FigureTooLarge, j, 0, figure};
    }
    return {};
}

}  // namespace

double NewStockPrice(double stockChange, double stockPrice) { return (stockChange * 0.01 + 1.0) * stockPrice; }

double WithCarry(double impact, long carryOption, double fullCarry, double netCarry) {
    const std::optional<double> carry = ChosenCarry(carryOption, fullCarry, netCarry);
    return carry ? impact + *carry : impact;
}

double PriceChangeImpact(double updatePrice, double currentPrice, double factor, double convertPosition,
                         double stockPrice, double newStockPrice, double stockPosition, long carryOption,
                         double fullCarry, double netCarry) {
    return WithCarry(
        (updatePrice - currentPrice) * factor * convertPosition + (newStockPrice - stockPrice) * stockPosition,
        carryOption, fullCarry, netCarry);
}

double StockChangeImpact(double newStockPrice, double stockPrice, double factor, double convertPosition,
                         long carryOption, double fullCarry, double netCarry) {
    return WithCarry((newStockPrice - stockPrice) * factor * convertPosition, carryOption, fullCarry, netCarry);
}

double OptionValueImpact(double updateEstPrice, double updateBondFloor, double currentEstPrice, double currentBondFloor,
                         double convertPosition, double factor, double newStockPrice, double stockPrice,
                         double stockPosition, long carryOption, double fullCarry, double netCarry) {
    double a = updateEstPrice - updateBondFloor;
    if (a < 0) a = 0;
    double b = currentEstPrice - currentBondFloor;
    if (b < 0) b = 0;
    return WithCarry((a - b) * convertPosition * factor + (newStockPrice - stockPrice) * stockPosition, carryOption,
                     fullCarry, netCarry);
}

// FX: the security's FxToUsd read from its text (written with "." and no
// grouping).
double DivisorFx(const CSecurity& sec, const char* figures) {
    const std::optional<double> fx = ParseNumber(sec.GetFxToUsd(), Locale{});
    if (const auto fault = FxFault(sec, fx, figures)) throw std::runtime_error(*fault);
    return *fx;
}

void FillDollarGreeks(const CSecurity& sec, double NSP, double FX, CValuation& val) {
    const double CP = sec.GetProperties(ConvertPosIdx);
    const double SP = sec.GetProperties(StkPriceIdx);
    const double STP = sec.GetProperties(StkPosIdx);
    const double R = sec.GetRatio();
    const double F = sec.GetFactor();
    auto v = [&val](int index) { return val.Getvaluation(index); };
    if (!IsStock(sec.GetSectype())) {
        val.SetDolDelta(0, v(m_CurDelta) * CP / 100 * R * SP / FX + STP * SP / FX);
        val.SetDolDelta(1, v(m_UpdateDelta) * CP / 100 * R * NSP / FX + STP * NSP / FX);
    } else {
        val.SetDolDelta(0, CP * SP / FX);
        val.SetDolDelta(1, CP * NSP / FX);
    }
    val.SetDolGamma(0, v(m_CurGamma) * CP * R * (SP / 100) / FX);
    val.SetDolGamma(1, v(m_UpdateGamma) * CP * R * (NSP / 100) / FX);
    val.SetDolVega(0, v(m_CurVega) * CP * F / FX);
    val.SetDolVega(1, v(m_UpdateVega) * CP * F / FX);
    val.SetDolRho(0, v(m_CurRho) * CP / 10 * F / FX);
    val.SetDolRho(1, v(m_UpdateRho) * CP / 10 * F / FX);
    val.SetDolCSprd(0, v(m_CurCrdSprd01) * CP / 10 * F / FX);
    val.SetDolCSprd(1, v(m_UpdateCrdSprd01) * CP / 10 * F / FX);
    if (HasDeltaShares(sec.GetSectype())) {
        val.SetDelShrs(0, R * v(m_CurDelta) * 0.01 * CP);
        val.SetDelShrs(1, R * v(m_UpdateDelta) * 0.01 * CP);
    } else {
        val.SetDelShrs(0, 0);
        val.SetDelShrs(1, 0);
    }
    val.SetGammaShrs(0, val.GetDolGamma(0) / (SP / FX));
    val.SetGammaShrs(1, val.GetDolGamma(1) / (NSP / FX));
    val.SetDolDelShrs(0, val.GetDolDelta(0) / (SP / FX));
    val.SetDolDelShrs(1, val.GetDolDelta(1) / (NSP / FX));
}

void StageValuations(const CSecurity& sec, const Collection<CScenario>& scenarios, const ValuationRow& row,
                     std::string_view detailReply, std::string_view carryReply, std::vector<CValuation>& staged) {
    const int count = row.Count();
    const auto needed = static_cast<std::size_t>(count);
    // Only the piece of each scenario is read.
    const std::vector<std::string_view> detail = pages::FirstReplyPieces(detailReply, needed);
    const std::vector<std::string_view> carry = pages::FirstReplyPieces(carryReply, needed);
    if (detail.size() < needed)
        throw std::runtime_error("the scenario-detail reply has " + PieceCount(detail.size()) + " for " +
                                 std::to_string(count) + " scenarios.");
    if (carry.size() < needed)
        throw std::runtime_error("the carry reply has " + PieceCount(carry.size()) + " for " + std::to_string(count) +
                                 " scenarios.");

    const double SP = sec.GetProperties(StkPriceIdx);
    const double FX = DivisorFx(sec, "dollar figures");
    if (SP / FX == 0) throw std::runtime_error("its stock price is 0, and the share figures are divided by it.");

    staged.resize(needed);
    const StageStop stop = StagePieces(sec, scenarios, row, detail.data(), carry.data(), SP, FX, staged.data());
    if (stop.fault == StageStop::Fault::None) return;
    const CScenario& scen = scenarios.Item(stop.scenario);
    const std::string stockChange = PlainNumber(scen.GetScenarioProperties(m_StkChgIdx), '.');
    switch (stop.fault) {
        case StageStop::Fault::StockPriceTooLarge:
            throw std::runtime_error("its stock price under scenario " + Quoted(scen.Getdescription()) +
                                     " (stock change " + stockChange + "%) is too large to compute.");
        case StageStop::Fault::StockPriceZero:
            throw std::runtime_error("its stock price under scenario " + Quoted(scen.Getdescription()) +
                                     " (stock change " + stockChange +
                                     "%) is 0, and the share figures are divided by it.");
        case StageStop::Fault::TooManyNumbers:
            throw std::runtime_error("piece " + std::to_string(stop.scenario) +
                                     " of the scenario-detail reply (scenario " + Quoted(scen.Getdescription()) +
                                     ") holds more than " + std::to_string(pages::kValuationFields) +
                                     " numbers (a number in field " + std::to_string(stop.field + 1) + ").");
        case StageStop::Fault::FigureTooLarge:
            throw std::runtime_error(std::string("its ") + stop.figure + " under scenario " +
                                     Quoted(scen.Getdescription()) + " is too large to compute.");
        case StageStop::Fault::None: break;
    }
}

namespace {

// The figures of a security that do not depend on the scenario.
struct Holding {
    const CSecurity* sec;
    ImpactBasis basis;
    double F, CP, SP, STP;
    std::optional<double> FX;
};

// What stopped a scenario's total, and at which security (0-based).
struct ImpactStop {
    enum class Fault { None, Fx, SubImpact, Total };
    Fault fault = Fault::None;
    std::size_t holding = 0;
};

// Writes every security's sub-impact under scenario `s` and adds them up
// into `total`. Like StagePieces, the hot loop neither throws for the
// figures nor holds anything that needs cleaning up.
ImpactStop ScenarioTotal(const Portfolio& portfolio, const Holding* holdings, std::size_t count, int s, double& total) {
    const double S = portfolio.Scenarios().Item(s).GetScenarioProperties(m_StkChgIdx);
    total = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const Holding& h = holdings[k];
        CValuation& val = portfolio.ValuationAt(static_cast<int>(k) + 1, s);
        const double E1 = val.Getvaluation(m_CurEstPrice);
        const double U1 = val.Getvaluation(m_UpdateEstPrice);
        const double BF = val.Getvaluation(m_CurBondFlr);
        const double UBF = val.Getvaluation(m_UpdateBondFlr);
        const double NSP = NewStockPrice(S, h.SP);
        const long opt = val.GetoptCarry();
        const double fullCarry = val.GetCarry(m_CarryIdx);
        const double netCarry = val.GetCarry(m_NetCarryIdx);
        double impact = 0;
        switch (h.basis) {
            case ImpactBasis::StockPrice:
                impact = StockChangeImpact(NSP, h.SP, h.F, h.CP, opt, fullCarry, netCarry);
                break;
            case ImpactBasis::OptionValue:
                impact = OptionValueImpact(U1, UBF, E1, BF, h.CP, h.F, NSP, h.SP, h.STP, opt, fullCarry, netCarry);
                break;
            case ImpactBasis::BondFloor:
                if (BF == 0) continue;  // no bond floor: keeps its previous sub-impact
                impact = PriceChangeImpact(UBF, BF, h.F, h.CP, h.SP, NSP, h.STP, opt, fullCarry, netCarry);
                break;
            case ImpactBasis::EstimatedPrice:
                if (E1 == 0) continue;  // no estimated price: keeps its previous sub-impact
                impact = PriceChangeImpact(U1, E1, h.F, h.CP, h.SP, NSP, h.STP, opt, fullCarry, netCarry);
                break;
        }
        if (!h.FX || *h.FX == 0) return {ImpactStop::Fault::Fx, k};
        const double subImpact = impact / *h.FX;
        total = total + subImpact;
        if (!std::isfinite(subImpact)) return {ImpactStop::Fault::SubImpact, k};
        if (!std::isfinite(total)) return {ImpactStop::Fault::Total, k};
        val.Setvaluation(m_SubImpact, subImpact);
    }
    return {};
}

}  // namespace

void CalculateImpacts(const Portfolio& portfolio, const std::function<void(int, double)>& done) {
    std::vector<Holding> holdings;
    for (int k = 1; k <= portfolio.Valuations().Count(); ++k) {
        const CSecurity& sec = portfolio.Securities().Item(k);
        holdings.push_back({&sec, ImpactBasisOf(sec.GetSectype()), sec.GetFactor(), sec.GetProperties(ConvertPosIdx),
                            sec.GetProperties(StkPriceIdx), sec.GetProperties(StkPosIdx),
                            ParseNumber(sec.GetFxToUsd(), Locale{})});
    }
    for (int s = 1; s <= portfolio.Scenarios().Count(); ++s) {
        double total = 0;
        const ImpactStop stop = ScenarioTotal(portfolio, holdings.data(), holdings.size(), s, total);
        if (stop.fault != ImpactStop::Fault::None) {
            const Holding& h = holdings[stop.holding];
            const std::string where = "The $Impact calculation stopped at security " + Quoted(h.sec->Getdescription());
            if (stop.fault == ImpactStop::Fault::Fx)
                throw std::runtime_error(where + ": " + FxFault(*h.sec, h.FX, "sub-impacts").value_or(""));
            throw std::runtime_error(
                where + " under scenario " + Quoted(portfolio.Scenarios().Item(s).Getdescription()) + ": " +
                (stop.fault == ImpactStop::Fault::Total ? "the scenario's total $Impact" : "its sub-impact") +
                " is too large to compute.");
        }
        done(s, total);
    }
}

}  // namespace zemra
