// The impact run: values every security under every scenario and computes
// the dollar Greeks, sub-impacts and scenario totals.
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "control/MainCtl.h"
#include "records/RecordError.h"
#include "server/PageContract.h"
#include "toolkit/NumberText.h"

namespace zemra {

namespace {

// FX: the security's FxToUsd read from its text (written with "." and no
// grouping). Nothing when the text is not a number.
std::optional<double> FxOf(const CSecurity& sec) { return ParseNumber(sec.GetFxToUsd(), Locale{}); }

// FX where a figure is divided by it: a number other than 0.
double DivisorFx(const CSecurity& sec, const char* figures) {
    const std::optional<double> fx = FxOf(sec);
    if (!fx) throw std::runtime_error("its Fx To USD '" + sec.GetFxToUsd() + "' is not a number.");
    if (*fx == 0) throw std::runtime_error(std::string("its Fx To USD is 0, and the ") + figures + " are divided by it.");
    return *fx;
}

// NSP: the stock price under a scenario with stock change S (in percent).
double NewStockPrice(double stockChange, double stockPrice) { return (stockChange * 0.01 + 1.0) * stockPrice; }

// An impact with the carry added by the carry option: 0 the full carry, 1
// the net carry, any other option none.
double WithCarry(double impact, long carryOption, double fullCarry, double netCarry) {
    if (carryOption == 0) return impact + fullCarry;
    if (carryOption == 1) return impact + netCarry;
    return impact;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

std::string PieceCount(std::size_t pieces) {
    return std::to_string(pieces) + (pieces == 1 ? " piece" : " pieces");
}

}  // namespace

void MainCtl::WireServerEvents() {
    UpdateBtn->Click = [this] { UpdateBtn_Click(); };
    CmdDebug->Click = [this] { CmdDebug_Click(); };
}

void MainCtl::UpdateBtn_Click() {
    if (portfolio_.Securities().Empty() || portfolio_.Scenarios().Empty()) {
        MsgOk(portfolio_.Scenarios().Empty() ? "Choose the scenario you wish to update!" : "Choose the security you wish to update!");
    } else {
        const int securities = portfolio_.Securities().Count();
        for (int i = 1; i <= securities; ++i) {
            // A failure ends the run here, naming the security; the ones
            // before it keep their new values.
            try {
                const std::string query = BuildSecurityQuery(i) + BuildScenarioQuery(i);
                if (props_.ScenarioDetailPath.empty()) {
                    MsgOk("Please give ScenarioDetail.asp file path!");
                    return;
                }
                ShowProgress();
                const std::string detailReply = FetchReply(pages::Address(props_.ScenarioDetailPath, query));
                const std::string carryQuery = BuildCarryQuery(i) + BuildTimeChangeList();
                const std::string carryReply = FetchReply(pages::Address(props_.CarryCalcPath, carryQuery));
                ApplyValuationReplies(i, detailReply, carryReply);
            } catch (const std::exception& e) {
                // The impacts shown no longer match every security's
                // figures: leave the busy state and say that they are stale.
                HideProgress();
                SetStaleNotice();
                throw std::runtime_error("The $Impact update stopped at security " +
                                         Quoted(portfolio_.Securities().Item(i).Getdescription()) + ": " + e.what());
            }
        }
        CalculateImpacts();
        ShowSecurity();
        ShowScenarioDetail();
        ShowValuation();
        HideProgress();
    }
    panel_.SetFocus(*TxtScenario[m_StkChgIdx]);
}

// Fills the valuations of one security from its two replies and derives the
// dollar Greeks and share figures. The replies are checked and every figure
// computed before any record changes, so a security whose replies cannot be
// applied keeps all its previous values.
void MainCtl::ApplyValuationReplies(int position, const std::string& detailReply, const std::string& carryReply) {
    ValuationRow& vals = portfolio_.Valuations().Item(position);
    const CSecurity& sec = portfolio_.Securities().Item(position);
    const int count = vals.Count();
    const std::vector<std::string> detail = pages::ReplyPieces(detailReply);
    const std::vector<std::string> carry = pages::ReplyPieces(carryReply);
    const auto needed = static_cast<std::size_t>(count);
    if (detail.size() < needed)
        throw std::runtime_error("the scenario-detail reply has " + PieceCount(detail.size()) + " for " +
                                 std::to_string(count) + " scenarios.");
    if (carry.size() < needed)
        throw std::runtime_error("the carry reply has " + PieceCount(carry.size()) + " for " + std::to_string(count) +
                                 " scenarios.");

    const std::string& type = sec.GetSectype();
    const bool stock = type == "E";
    const bool deltaShares = type != "P" && type != "B" && type != "DS";
    const double CP = sec.GetProperties(ConvertPosIdx);
    const double SP = sec.GetProperties(StkPriceIdx);
    const double STP = sec.GetProperties(StkPosIdx);
    const double R = sec.GetRatio();
    const double F = sec.GetFactor();
    const double FX = DivisorFx(sec, "dollar figures");
    if (SP / FX == 0) throw std::runtime_error("its stock price is 0, and the share figures are divided by it.");

    std::vector<CValuation> staged;
    staged.reserve(needed);
    for (int j = 1; j <= count; ++j) {
        const CScenario& scen = portfolio_.Scenarios().Item(j);
        const double NSP = NewStockPrice(scen.GetScenarioProperties(m_StkChgIdx), SP);
        if (NSP / FX == 0)
            throw std::runtime_error("its stock price under scenario " + Quoted(scen.Getdescription()) +
                                     " (stock change " + PlainNumber(scen.GetScenarioProperties(m_StkChgIdx), '.') +
                                     "%) is 0, and the share figures are divided by it.");
        CValuation val = vals.Item(j);
        const std::string& piece = detail[static_cast<std::size_t>(j - 1)];
        try {
            val.CreateValuation(piece, carry[static_cast<std::size_t>(j - 1)], pages::ReplyNumberFormat());
        } catch (const RecordError&) {
            const auto field = pages::NumberBeyondSlots(piece, pages::ReplyNumberFormat());
            throw std::runtime_error("piece " + std::to_string(j) + " of the scenario-detail reply (scenario " +
                                     Quoted(scen.Getdescription()) + ") holds more than " +
                                     std::to_string(pages::kValuationFields) + " numbers" +
                                     (field ? " (a number in field " + std::to_string(*field + 1) + ")" : "") + ".");
        }
        auto v = [&val](int index) { return val.Getvaluation(index); };

        // Each formula is evaluated left to right as written.
        if (!stock) {
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
        if (deltaShares) {
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
        staged.push_back(val);
    }
    // Each valuation in turn writes its carry to LbCarry; the last one with
    // a carry option of 0 or 1 is what the label shows afterwards.
    int carryShown = 0;
    for (int j = 1; j <= count; ++j) {
        CValuation& val = vals.Item(j);
        val = staged[static_cast<std::size_t>(j - 1)];
        if (val.GetoptCarry() == 0 || val.GetoptCarry() == 1) carryShown = j;
    }
    if (carryShown > 0) ShowCarryLabel(vals.Item(carryShown));
}

// The carry of a valuation in LbCarry, by its carry option: 0 the full
// carry, 1 the net carry; any other option leaves the label as it is.
void MainCtl::ShowCarryLabel(const CValuation& val) {
    double carry = 0;
    if (val.GetoptCarry() == 0) carry = val.GetCarry(m_CarryIdx);
    else if (val.GetoptCarry() == 1) carry = val.GetCarry(m_NetCarryIdx);
    else return;
    LbCarry->caption = FormatGrouped(carry, 0, Loc());
    LbCarry->foreColor = SignColor(carry);
}

// Every security's sub-impact under every scenario and each scenario's total
// $Impact, written to the scenarios and to LstImpact.
void MainCtl::CalculateImpacts() {
    if (portfolio_.Valuations().Empty()) {
        // No security is valued: every total is 0, and the impact list says
        // so rather than keep totals of securities that are gone.
        for (int s = 1; s <= portfolio_.Scenarios().Count(); ++s) portfolio_.Scenarios().Item(s).SetImpact(0);
        const int rows = LstImpact->Count() < portfolio_.Scenarios().Count() ? LstImpact->Count() : portfolio_.Scenarios().Count();
        for (int r = 0; r < rows; ++r) LstImpact->SetItemText(r, FormatGrouped(portfolio_.Scenarios().Item(r + 1).GetImpact(), 0, Loc()));
        return;
    }
    const int scenarios = ScenarioLst->Count();
    const int securities = LstSecurity->Count();
    // The figures of each security that do not depend on the scenario.
    struct Holding {
        const CSecurity* sec;
        enum { General, Stock, Option, BondFloor } kind;
        double F, CP, SP, STP;
        std::optional<double> FX;
    };
    std::vector<Holding> holdings;
    holdings.reserve(static_cast<std::size_t>(securities));
    for (int k = 1; k <= securities; ++k) {
        const CSecurity& sec = portfolio_.Securities().Item(k);
        const std::string& type = sec.GetSectype();
        Holding h{&sec, Holding::General, sec.GetFactor(), sec.GetProperties(ConvertPosIdx),
                  sec.GetProperties(StkPriceIdx), sec.GetProperties(StkPosIdx), FxOf(sec)};
        if (type == "E") h.kind = Holding::Stock;
        else if (type == "AS") h.kind = Holding::Option;
        else if (type == "DS") h.kind = Holding::BondFloor;
        holdings.push_back(h);
    }
    for (int s = 1; s <= scenarios; ++s) {
        CScenario& scen = portfolio_.Scenarios().Item(s);
        const double S = scen.GetScenarioProperties(m_StkChgIdx);
        double total = 0;
        for (int k = 1; k <= securities; ++k) {
            const Holding& h = holdings[static_cast<std::size_t>(k - 1)];
            CValuation& val = portfolio_.Valuations().Item(k).Item(s);
            const double E1 = val.Getvaluation(m_CurEstPrice);
            const double U1 = val.Getvaluation(m_UpdateEstPrice);
            const double BF = val.Getvaluation(m_CurBondFlr);
            const double UBF = val.Getvaluation(m_UpdateBondFlr);
            const double NSP = NewStockPrice(S, h.SP);
            const long opt = val.GetoptCarry();
            const double fullCarry = val.GetCarry(m_CarryIdx);
            const double netCarry = val.GetCarry(m_NetCarryIdx);
            double impact = 0;
            switch (h.kind) {
                case Holding::Stock:
                    impact = StockChangeImpact(NSP, h.SP, h.F, h.CP, opt, fullCarry, netCarry);
                    break;
                case Holding::Option:
                    impact = OptionValueImpact(U1, UBF, E1, BF, h.CP, h.F, NSP, h.SP, h.STP, opt, fullCarry, netCarry);
                    break;
                case Holding::BondFloor:
                    if (BF == 0) continue;  // no bond floor: keeps its previous sub-impact
                    impact = PriceChangeImpact(UBF, BF, h.F, h.CP, h.SP, NSP, h.STP, opt, fullCarry, netCarry);
                    break;
                case Holding::General:
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
            const double FX = *h.FX;
            total = total + impact / FX;
            val.Setvaluation(m_SubImpact, impact / FX);
        }
        scen.SetImpact(total);
        LstImpact->SetItemText(s - 1, FormatGrouped(scen.GetImpact(), 0, Loc()));
    }
}

double MainCtl::PriceChangeImpact(double updatePrice, double currentPrice, double factor, double convertPosition,
                                  double stockPrice, double newStockPrice, double stockPosition, long carryOption,
                                  double fullCarry, double netCarry) {
    return WithCarry((updatePrice - currentPrice) * factor * convertPosition + (newStockPrice - stockPrice) * stockPosition,
                     carryOption, fullCarry, netCarry);
}

double MainCtl::StockChangeImpact(double newStockPrice, double stockPrice, double factor, double convertPosition,
                                  long carryOption, double fullCarry, double netCarry) {
    return WithCarry((newStockPrice - stockPrice) * factor * convertPosition, carryOption, fullCarry, netCarry);
}

double MainCtl::OptionValueImpact(double updateEstPrice, double updateBondFloor, double currentEstPrice,
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

}  // namespace zemra
