// The impact run's arithmetic through server/ImpactMath.h: the three impact
// functions and the carry options, the dollar Greeks and share figures of
// every security type from known replies, sub-impacts and scenario totals,
// skipped securities, and every reply or record that stops a security.
#include <gtest/gtest.h>

#include <tuple>

#include "Builders.h"
#include "compute/ImpactMath.h"
#include "compute/PageContract.h"
#include "records/CarryOption.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

// The mixed portfolio under the two scenarios, each security's valuations
// staged from its replies and written as the impact run writes them.
struct Valued {
    Portfolio model;
    explicit Valued(const std::vector<Holding>& holdings) {
        std::vector<std::string> records;
        for (const Holding& h : holdings) records.push_back(h.record);
        model = PortfolioOf(records, kUpAndDown);
        for (int k = 1; k <= model.Securities().Count(); ++k) Apply(k, holdings[static_cast<std::size_t>(k - 1)]);
    }
    void Apply(int k, const Holding& h) {
        std::vector<CValuation> staged;
        StageValuations(model.Securities().Item(k), model.Scenarios(), model.Valuations().Item(k), h.up + "|" + h.down,
                        kCarryPiece + "|" + kCarryPiece, staged);
        for (int s = 1; s <= static_cast<int>(staged.size()); ++s)
            model.ValuationAt(k, s) = staged[static_cast<std::size_t>(s - 1)];
    }
    const CValuation& Val(int k, int s) const { return model.ValuationAt(k, s); }
    // Every scenario's total $Impact, in list order.
    std::vector<double> Totals() const {
        std::vector<double> totals;
        CalculateImpacts(model, [&](int, double total) { totals.push_back(total); });
        return totals;
    }
};

struct Greeks {
    double dolDelta[2], dolGamma[2], dolVega[2], dolRho[2], dolCSprd[2], delShrs[2], gammaShrs[2], dolDelShrs[2];
};

void ExpectGreeks(const CValuation& v, const Greeks& g) {
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i == 0 ? "current" : "under the scenario");
        EXPECT_DOUBLE_EQ(v.GetDolDelta(i), g.dolDelta[i]);
        EXPECT_DOUBLE_EQ(v.GetDolGamma(i), g.dolGamma[i]);
        EXPECT_DOUBLE_EQ(v.GetDolVega(i), g.dolVega[i]);
        EXPECT_DOUBLE_EQ(v.GetDolRho(i), g.dolRho[i]);
        EXPECT_DOUBLE_EQ(v.GetDolCSprd(i), g.dolCSprd[i]);
        EXPECT_DOUBLE_EQ(v.GetDelShrs(i), g.delShrs[i]);
        EXPECT_DOUBLE_EQ(v.GetGammaShrs(i), g.gammaShrs[i]);
        EXPECT_DOUBLE_EQ(v.GetDolDelShrs(i), g.dolDelShrs[i]);
    }
}

}  // namespace

TEST(ImpactFunctions, EachFunctionWithEveryCarryOption) {
    // Full carry 250, net carry -75; option 2 adds none.
    // The function of the carry option, and its impact without carry.
    const std::vector<std::tuple<const char*, double (*)(long), double>> table = {
        // (130 - 100) x 10 x 1000 + (60 - 40) x -2000
        {"price change", [](long o) { return PriceChangeImpact(130, 100, 10, 1000, 40, 60, -2000, o, 250, -75); },
         260000},
        // (60 - 40) x 1 x 500; the stock position does not count
        {"stock change", [](long o) { return StockChangeImpact(60, 40, 1, 500, o, 250, -75); }, 10000},
        // ((110 - 91) - (95 - 90)) x 200 x 10 + (30 - 20) x -1000
        {"option value", [](long o) { return OptionValueImpact(110, 91, 95, 90, 200, 10, 30, 20, -1000, o, 250, -75); },
         18000},
        // Both prices below their bond floors: the stock leg alone.
        {"option value below the floors",
         [](long o) { return OptionValueImpact(75, 88, 70, 90, 100, 10, 15, 10, -400, o, 250, -75); }, -2000},
    };
    for (const auto& [name, impact, withoutCarry] : table) {
        EXPECT_DOUBLE_EQ(impact(kUseFullCarry), withoutCarry + 250) << name;
        EXPECT_DOUBLE_EQ(impact(kUseNetCarry), withoutCarry - 75) << name;
        EXPECT_DOUBLE_EQ(impact(2), withoutCarry) << name;
    }
    EXPECT_DOUBLE_EQ(NewStockPrice(-25, 40), 30);
}

TEST(DollarGreeks, EveryTypeFromKnownReplies) {
    const Valued v(MixedPortfolio());
    EXPECT_EQ(v.Val(1, 1).Getvaluation(m_UpdateEstPrice), 130);
    EXPECT_EQ(v.Val(1, 1).GetCarry(m_NetPtsIdx), 0.1);
    // clang-format off
    // B: no delta shares.
    ExpectGreeks(v.Val(1, 1), {{520000, 1080000}, {15000, 15000}, {4000, 3000}, {-200, -300}, {-100, -50}, {0, 0},
                               {375, 250}, {13000, 18000}});
    ExpectGreeks(v.Val(1, 2), {{520000, 277500}, {15000, 12750}, {4000, 4500}, {-200, -150}, {-100, -120}, {0, 0},
                               {375, 425}, {13000, 9250}});
    // E: CP x price / FX; delta shares as in the general case.
    ExpectGreeks(v.Val(2, 1), {{20000, 30000}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {500, 500}, {0, 0}, {500, 500}});
    // AS at 1.25 to the dollar.
    ExpectGreeks(v.Val(3, 1), {{-9600, -10800}, {320, 432}, {800, 720}, {-48, -56}, {-32, -24}, {400, 550}, {20, 18},
                               {-600, -450}});
    ExpectGreeks(v.Val(3, 2), {{-9600, -8400}, {320, 252}, {800, 800}, {-48, -40}, {-32, -35.2}, {400, 300}, {20, 21},
                               {-600, -700}});
    // DS and P have no delta shares; P at 2 to the dollar.
    ExpectGreeks(v.Val(4, 1), {{-6900, -6300}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {-230, -140}});
    ExpectGreeks(v.Val(5, 2), {{2000, 1200}, {48, 39}, {100, 110}, {-5, -4}, {-2.5, -2}, {0, 0}, {2.4, 2.6}, {100, 80}});
    // A type the run does not know is the general case, with delta shares.
    ExpectGreeks(v.Val(6, 1), {{0, 9000}, {400, 0}, {1200, 0}, {-40, 0}, {-32, 0}, {800, 1040}, {16, 0}, {0, 240}});
    // clang-format on
}

TEST(ScenarioImpact, SubImpactsByTypeAndTheTotals) {
    Valued v(MixedPortfolio());
    const double expected[7][2] = {
        {260250, -129750},  // B: estimated prices and the stock leg, plus the full carry
        {10250, -4750},     // E
        {14600, 1000},      // AS: option value over the bond floor, in dollars at 1.25
        {7750, -2000},      // DS: the bond floors
        {10125, -4875},     // P, at 2 to the dollar
        {50250, -26750},    // X&Y: the general case
        {-1750, 1250},      // AS below both bond floors: the stock leg and the carry only
    };
    EXPECT_EQ(v.Totals(), (std::vector<double>{351475, -165875}));
    for (int k = 1; k <= 7; ++k)
        for (int s = 1; s <= 2; ++s)
            EXPECT_DOUBLE_EQ(v.Val(k, s).Getvaluation(m_SubImpact), expected[k - 1][s - 1]) << k << "/" << s;
}

TEST(ScenarioImpact, ASecurityWithoutItsPriceOrBondFloorAddsNothingAndKeepsItsSubImpact) {
    std::vector<Holding> holdings = MixedPortfolio();
    Valued v(holdings);
    v.Totals();
    // The general case without an estimated price under the first scenario
    // (slot 30 refilled by the reply) and the DS without a bond floor under
    // the second; security types compare with letter case, so "e" is too.
    holdings[5].up = Piece({{m_UpdateEstPrice, 500}, {m_SubImpact, 1234}});
    holdings[3].down = Piece({{m_UpdateBondFlr, 900}});
    v.Apply(6, holdings[5]);
    v.Apply(4, holdings[3]);
    EXPECT_EQ(v.Totals(), (std::vector<double>{351475 - 50250, -165875 + 2000}));
    EXPECT_DOUBLE_EQ(v.Val(6, 1).Getvaluation(m_SubImpact), 1234);
    EXPECT_DOUBLE_EQ(v.Val(4, 2).Getvaluation(m_SubImpact), 0);
    EXPECT_DOUBLE_EQ(v.Val(6, 2).Getvaluation(m_SubImpact), -26750);

    Valued lower({{22, SecurityRecord(22, "Lower e", "e", 500, 40, 0, 1, 2, "1"), Piece({{m_CurDelta, 100}}),
                   Piece({{m_CurDelta, 100}})}});
    EXPECT_DOUBLE_EQ(lower.Val(1, 1).GetDolDelta(0), 40000);  // 100 x 500 / 100 x 2 x 40, not 500 x 40
    EXPECT_EQ(lower.Totals(), (std::vector<double>{0, 0}));
}

TEST(ScenarioImpact, AnFxToUsdOfZeroStopsTheCalculationNamingTheSecurity) {
    Valued v({MixedPortfolio()[0]});
    v.model.Securities().Item(1).SetFxToUsd("0");
    EXPECT_EQ(ErrorOf<std::runtime_error>([&] { v.Totals(); }),
              "The $Impact calculation stopped at security 'Bond CV': its Fx To USD is 0, and the sub-impacts are "
              "divided by it.");
}

TEST(StageValuations, EveryFaultOfTheRepliesOrTheRecordIsNamedAndNothingIsStaged) {
    const Holding stock = MixedPortfolio()[1];
    struct Case {
        std::string record, detail, carry, scenarios, message;
    };
    const std::string both = stock.up + "|" + stock.down, carry = kCarryPiece + "|" + kCarryPiece;
    const std::string s = stock.record;
    const std::string bust = "Up 50;50;0;0;0;0;100;0;1;N|Wipe-out;-100;0;0;0;0;100;0;1;N";
    // clang-format off
    const std::vector<Case> table = {
        {s, stock.up, carry, kUpAndDown, "the scenario-detail reply has 1 piece for 2 scenarios."},
        {s, "", carry, kUpAndDown, "the scenario-detail reply has 0 pieces for 2 scenarios."},
        {s, both, kCarryPiece, kUpAndDown, "the carry reply has 1 piece for 2 scenarios."},
        {s, both + ";7", carry, kUpAndDown, "piece 2 of the scenario-detail reply (scenario 'Down 25') holds more "
         "than 31 numbers (a number in field 32)."},
        {SecurityRecord(12, "Stock", "E", 500, 40, 300, 1, 1, "0"), both, carry, kUpAndDown,
         "its Fx To USD is 0, and the dollar figures are divided by it."},
        {SecurityRecord(12, "Stock", "E", 500, 0, 300, 1, 1, "1"), both, carry, kUpAndDown,
         "its stock price is 0, and the share figures are divided by it."},
        {s, both, carry, bust, "its stock price under scenario 'Wipe-out' (stock change -100%) is 0, and the share "
         "figures are divided by it."},
    };
    // clang-format on
    for (const Case& c : table) {
        Portfolio model = PortfolioOf({c.record}, c.scenarios);
        std::vector<CValuation> staged;
        EXPECT_EQ(ErrorOf<std::runtime_error>([&] {
                      StageValuations(model.Securities().Item(1), model.Scenarios(), model.Valuations().Item(1),
                                      c.detail, c.carry, staged);
                  }),
                  c.message);
    }
}

// A reply costs the pieces that are read: the first pieces are views into
// it, and what follows them is not split.
TEST(ReplyPieces, OnlyThePiecesAskedForAreTaken) {
    const std::string bars(1000000, '|');
    const std::vector<std::tuple<std::string, std::size_t, std::vector<std::string_view>>> table = {
        {"", 3, {}},          {"a", 3, {"a"}},     {"a|b|c", 2, {"a", "b"}},
        {"a|", 5, {"a", ""}}, {bars, 2, {"", ""}}, {"1;2|3;4|", 3, {"1;2", "3;4", ""}},
    };
    for (const auto& [reply, count, pieces] : table)
        EXPECT_EQ(pages::FirstReplyPieces(reply, count), pieces) << reply.substr(0, 20) << " " << count;
}
