#include "server/ImpactMath.h"

#include <cmath>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "records/CarryOption.h"
#include "records/RecordError.h"
#include "records/SecurityType.h"
#include "server/PageContract.h"
#include "toolkit/NumberText.h"

namespace zemra {

namespace {

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

std::string PieceCount(std::size_t pieces) {
    return std::to_string(pieces) + (pieces == 1 ? " piece" : " pieces");
}

// The name of the first dollar Greek or share figure of `val` that is not a
// finite number, if any.
std::optional<std::string> NonFiniteFigure(const CValuation& val) {
    for (int k = 0; k < 2; ++k) {
        const std::pair<const char*, double> figures[] = {
            {"dollar delta", val.GetDolDelta(k)},   {"dollar gamma", val.GetDolGamma(k)},
            {"dollar vega", val.GetDolVega(k)},     {"dollar rho", val.GetDolRho(k)},
            {"dollar spread", val.GetDolCSprd(k)},  {"delta shares", val.GetDelShrs(k)},
            {"gamma shares", val.GetGammaShrs(k)},  {"dollar delta shares", val.GetDolDelShrs(k)}};
        for (const auto& [name, value] : figures) {
            if (!std::isfinite(value)) return std::string(name);
        }
    }
    return std::nullopt;
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
    return WithCarry((updatePrice - currentPrice) * factor * convertPosition + (newStockPrice - stockPrice) * stockPosition,
                     carryOption, fullCarry, netCarry);
}

double StockChangeImpact(double newStockPrice, double stockPrice, double factor, double convertPosition,
                         long carryOption, double fullCarry, double netCarry) {
    return WithCarry((newStockPrice - stockPrice) * factor * convertPosition, carryOption, fullCarry, netCarry);
}

double OptionValueImpact(double updateEstPrice, double updateBondFloor, double currentEstPrice,
                         double currentBondFloor, double convertPosition, double factor, double newStockPrice,
                         double stockPrice, double stockPosition, long carryOption, double fullCarry,
                         double netCarry) {
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
    if (!fx) throw std::runtime_error("its Fx To USD '" + sec.GetFxToUsd() + "' is not a number.");
    if (*fx == 0) throw std::runtime_error(std::string("its Fx To USD is 0, and the ") + figures + " are divided by it.");
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

std::vector<CValuation> StageValuations(const CSecurity& sec, const Collection<CScenario>& scenarios,
                                        const ValuationRow& row, const std::string& detailReply,
                                        const std::string& carryReply) {
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

    std::vector<CValuation> staged;
    staged.reserve(needed);
    for (int j = 1; j <= count; ++j) {
        const CScenario& scen = scenarios.Item(j);
        const double NSP = NewStockPrice(scen.GetScenarioProperties(m_StkChgIdx), SP);
        if (!std::isfinite(NSP / FX))
            throw std::runtime_error("its stock price under scenario " + Quoted(scen.Getdescription()) +
                                     " (stock change " + PlainNumber(scen.GetScenarioProperties(m_StkChgIdx), '.') +
                                     "%) is too large to compute.");
        if (NSP / FX == 0)
            throw std::runtime_error("its stock price under scenario " + Quoted(scen.Getdescription()) +
                                     " (stock change " + PlainNumber(scen.GetScenarioProperties(m_StkChgIdx), '.') +
                                     "%) is 0, and the share figures are divided by it.");
        CValuation val = row.Item(j);
        const std::string piece(detail[static_cast<std::size_t>(j - 1)]);
        try {
            val.CreateValuation(piece, std::string(carry[static_cast<std::size_t>(j - 1)]), pages::ReplyNumberFormat());
        } catch (const RecordError&) {
            const auto field = pages::NumberBeyondSlots(piece, pages::ReplyNumberFormat());
            throw std::runtime_error("piece " + std::to_string(j) + " of the scenario-detail reply (scenario " +
                                     Quoted(scen.Getdescription()) + ") holds more than " +
                                     std::to_string(pages::kValuationFields) + " numbers" +
                                     (field ? " (a number in field " + std::to_string(*field + 1) + ")" : "") + ".");
        }
        FillDollarGreeks(sec, NSP, FX, val);
        if (const auto figure = NonFiniteFigure(val))
            throw std::runtime_error("its " + *figure + " under scenario " + Quoted(scen.Getdescription()) +
                                     " is too large to compute.");
        staged.push_back(val);
    }
    return staged;
}

void CalculateImpacts(const Portfolio& portfolio, const std::function<void(int, double)>& done) {
    // The figures of each security that do not depend on the scenario.
    struct Holding {
        const CSecurity* sec;
        ImpactBasis basis;
        double F, CP, SP, STP;
        std::optional<double> FX;
    };
    std::vector<Holding> holdings;
    for (int k = 1; k <= portfolio.Valuations().Count(); ++k) {
        const CSecurity& sec = portfolio.Securities().Item(k);
        holdings.push_back({&sec, ImpactBasisOf(sec.GetSectype()), sec.GetFactor(), sec.GetProperties(ConvertPosIdx),
                            sec.GetProperties(StkPriceIdx), sec.GetProperties(StkPosIdx),
                            ParseNumber(sec.GetFxToUsd(), Locale{})});
    }
    for (int s = 1; s <= portfolio.Scenarios().Count(); ++s) {
        const double S = portfolio.Scenarios().Item(s).GetScenarioProperties(m_StkChgIdx);
        double total = 0;
        for (std::size_t k = 0; k < holdings.size(); ++k) {
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
            if (!h.FX || *h.FX == 0) {
                try {
                    DivisorFx(*h.sec, "sub-impacts");
                } catch (const std::exception& e) {
                    throw std::runtime_error("The $Impact calculation stopped at security " +
                                             Quoted(h.sec->Getdescription()) + ": " + e.what());
                }
            }
            const double subImpact = impact / *h.FX;
            total = total + subImpact;
            if (!std::isfinite(subImpact) || !std::isfinite(total)) {
                const CScenario& scen = portfolio.Scenarios().Item(s);
                throw std::runtime_error("The $Impact calculation stopped at security " +
                                         Quoted(h.sec->Getdescription()) + " under scenario " +
                                         Quoted(scen.Getdescription()) + ": " +
                                         (std::isfinite(subImpact) ? "the scenario's total $Impact"
                                                                   : "its sub-impact") +
                                         " is too large to compute.");
            }
            val.Setvaluation(m_SubImpact, subImpact);
        }
        done(s, total);
    }
}

}  // namespace zemra
