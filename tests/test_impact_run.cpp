// The impact run: valuation records, dollar Greeks and share figures from
// known replies for every security type, sub-impacts and totals with each
// carry option, skipped securities, the messages of an Update that cannot
// start, every failure that stops a run, and a real fetch of a portfolio
// from a stand-in page server on loopback.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Harness.h"
#include "toolkit/NumberText.h"

using namespace zemra;
using zemra::headless::CannedReply;
using zemra::testing::Harness;

namespace {

const std::string kPages = "http://pages.test/";
const std::string kDetail = kPages + "ScenarioDetail.asp";
const std::string kCarry = kPages + "CarryCalc.asp";

// A security record: positions, prices, factor, ratio and exchange rate to
// US dollars; the other fields are fixed.
std::string Record(int id, const std::string& description, const std::string& type, double cp, double sp, double stp,
                   double factor, double ratio, const std::string& fxToUsd) {
    return std::to_string(id) + ";" + description + ";" + type + ";" + PlainNumber(cp) + ";100;300;0;0;0;" +
           PlainNumber(stp) + ";" + PlainNumber(sp) + ";30;USG;" + PlainNumber(factor) + ";0;" + PlainNumber(ratio) +
           ";1;15;15;5;1;0.5;0;1;06/15/2031;" + fxToUsd + ";0;1;R;40;0;0";
}

// One valuation piece: the given slots, every other of the 31 slots 0.
std::string Piece(std::initializer_list<std::pair<int, double>> slots) {
    std::vector<double> v(31, 0.0);
    for (const auto& [slot, value] : slots) v[static_cast<std::size_t>(slot)] = value;
    std::string text;
    for (std::size_t i = 0; i < v.size(); ++i) text += (i ? ";" : "") + PlainNumber(v[i]);
    return text;
}

// Full carry 250, net carry -75.
const std::string kCarryPiece = "10;20;2;250;5;-75;1;2;1;0.5;0.25;0.1";
const std::string kScenarios = "Up 50;50;0;0;0;0;100;0;1;N|Down 25;-25;50;-10;30;20;100;0;1;N";

struct Holding {
    int id;
    std::string record;
    std::string up, down;   // the pieces of the two scenarios
};

// A portfolio of every type the run tells apart, and one it does not know.
std::vector<Holding> MixedPortfolio() {
    return {
        {11, Record(11, "Bond CV", "B", 1000, 40, -2000, 10, 25, "1"),
         Piece({{m_CurStkPrice, 40}, {m_CurEstPrice, 100}, {m_CurBondFlr, 80}, {m_CurDelta, 60}, {m_CurGamma, 1.5},
                {m_CurRho, -0.2}, {m_CurVega, 0.4}, {m_CurCrdSprd01, -0.1}, {m_UpdateStkPrice, 60},
                {m_UpdateEstPrice, 130}, {m_UpdateBondFlr, 82}, {m_UpdateDelta, 80}, {m_UpdateGamma, 1.0},
                {m_UpdateRho, -0.3}, {m_UpdateVega, 0.3}, {m_UpdateCrdSprd01, -0.05}}),
         Piece({{m_CurStkPrice, 40}, {m_CurEstPrice, 100}, {m_CurBondFlr, 80}, {m_CurDelta, 60}, {m_CurGamma, 1.5},
                {m_CurRho, -0.2}, {m_CurVega, 0.4}, {m_CurCrdSprd01, -0.1}, {m_UpdateStkPrice, 30},
                {m_UpdateEstPrice, 85}, {m_UpdateBondFlr, 79}, {m_UpdateDelta, 45}, {m_UpdateGamma, 1.7},
                {m_UpdateRho, -0.15}, {m_UpdateVega, 0.45}, {m_UpdateCrdSprd01, -0.12}})},
        // A stock: no estimated price is needed, the stock position is not used.
        {12, Record(12, "Stock", "E", 500, 40, 300, 1, 1, "1"),
         Piece({{m_CurStkPrice, 40}, {m_CurDelta, 100}, {m_UpdateStkPrice, 60}, {m_UpdateDelta, 100}}),
         Piece({{m_CurStkPrice, 40}, {m_CurDelta, 100}, {m_UpdateStkPrice, 30}, {m_UpdateDelta, 100}})},
        {13, Record(13, "Option AS", "AS", 200, 20, -1000, 10, 5, "1.25"),
         Piece({{m_CurEstPrice, 95}, {m_CurBondFlr, 90}, {m_CurDelta, 40}, {m_CurGamma, 2}, {m_CurRho, -0.3},
                {m_CurVega, 0.5}, {m_CurCrdSprd01, -0.2}, {m_UpdateEstPrice, 110}, {m_UpdateBondFlr, 91},
                {m_UpdateDelta, 55}, {m_UpdateGamma, 1.8}, {m_UpdateRho, -0.35}, {m_UpdateVega, 0.45},
                {m_UpdateCrdSprd01, -0.15}}),
         Piece({{m_CurEstPrice, 95}, {m_CurBondFlr, 90}, {m_CurDelta, 40}, {m_CurGamma, 2}, {m_CurRho, -0.3},
                {m_CurVega, 0.5}, {m_CurCrdSprd01, -0.2}, {m_UpdateEstPrice, 92}, {m_UpdateBondFlr, 89},
                {m_UpdateDelta, 30}, {m_UpdateGamma, 2.1}, {m_UpdateRho, -0.25}, {m_UpdateVega, 0.5},
                {m_UpdateCrdSprd01, -0.22}})},
        // Valued on its bond floors; the estimated prices do not count.
        {14, Record(14, "Discount DS", "DS", 300, 30, -500, 10, 3, "1"),
         Piece({{m_CurBondFlr, 70}, {m_CurDelta, 30}, {m_UpdateEstPrice, 999}, {m_UpdateBondFlr, 75}, {m_UpdateDelta, 40}}),
         Piece({{m_CurBondFlr, 70}, {m_CurDelta, 30}, {m_UpdateBondFlr, 68}, {m_UpdateDelta, 20}})},
        {15, Record(15, "Pref P", "P", 100, 40, 0, 10, 2, "2"),
         Piece({{m_CurEstPrice, 100}, {m_CurBondFlr, 85}, {m_CurDelta, 50}, {m_CurGamma, 1.2}, {m_CurRho, -0.1},
                {m_CurVega, 0.2}, {m_CurCrdSprd01, -0.05}, {m_UpdateEstPrice, 120}, {m_UpdateBondFlr, 86},
                {m_UpdateDelta, 70}, {m_UpdateGamma, 1.1}, {m_UpdateRho, -0.12}, {m_UpdateVega, 0.18},
                {m_UpdateCrdSprd01, -0.06}}),
         Piece({{m_CurEstPrice, 100}, {m_CurBondFlr, 85}, {m_CurDelta, 50}, {m_CurGamma, 1.2}, {m_CurRho, -0.1},
                {m_CurVega, 0.2}, {m_CurCrdSprd01, -0.05}, {m_UpdateEstPrice, 90}, {m_UpdateBondFlr, 84},
                {m_UpdateDelta, 40}, {m_UpdateGamma, 1.3}, {m_UpdateRho, -0.08}, {m_UpdateVega, 0.22},
                {m_UpdateCrdSprd01, -0.04}})},
        {16, Record(16, "Other X&Y", "X&Y", 400, 25, -800, 10, 4, "1"),
         Piece({{m_CurEstPrice, 100}, {m_CurBondFlr, 90}, {m_CurDelta, 50}, {m_CurGamma, 1}, {m_CurRho, -0.1},
                {m_CurVega, 0.3}, {m_CurCrdSprd01, -0.08}, {m_UpdateEstPrice, 115}, {m_UpdateBondFlr, 92},
                {m_UpdateDelta, 65}}),
         Piece({{m_CurEstPrice, 100}, {m_CurBondFlr, 90}, {m_CurDelta, 50}, {m_CurGamma, 1}, {m_CurRho, -0.1},
                {m_CurVega, 0.3}, {m_CurCrdSprd01, -0.08}, {m_UpdateEstPrice, 92}, {m_UpdateBondFlr, 89},
                {m_UpdateDelta, 40}})},
        // Both prices below their bond floors under both scenarios.
        {17, Record(17, "Deep AS", "AS", 100, 10, -400, 10, 2, "1"),
         Piece({{m_CurEstPrice, 70}, {m_CurBondFlr, 90}, {m_UpdateEstPrice, 75}, {m_UpdateBondFlr, 88}}),
         Piece({{m_CurEstPrice, 70}, {m_CurBondFlr, 90}, {m_UpdateEstPrice, 60}, {m_UpdateBondFlr, 85}})},
    };
}

std::string DetailPrefix(int id) { return kDetail + "?Secid=" + std::to_string(id) + "&"; }
std::string CarryPrefix(int id) { return kCarry + "?Secid=" + std::to_string(id) + "&"; }

std::vector<CannedReply> Replies(const std::vector<Holding>& holdings) {
    std::vector<CannedReply> replies;
    for (const Holding& h : holdings) {
        replies.push_back({DetailPrefix(h.id), h.up + "|" + h.down});
        replies.push_back({CarryPrefix(h.id), kCarryPiece + "|" + kCarryPiece});
    }
    replies.push_back({kPages, "0"});   // the pages the display refresh asks
    return replies;
}

std::string Records(const std::vector<Holding>& holdings) {
    std::string text;
    for (const Holding& h : holdings) text += (text.empty() ? "" : "|") + h.record;
    return text;
}

void Start(Harness& h, const std::vector<Holding>& holdings, const std::string& scenarios = kScenarios,
           std::vector<CannedReply> replies = {}) {
    h.Replies(replies.empty() ? Replies(holdings) : std::move(replies));
    h.Start({{"RecordString", Records(holdings)},
             {"ScenarioString", scenarios},
             {"ScenarioDetailPath", kDetail},
             {"CarryCalcPath", kCarry},
             {"CapitalCalcPath", kPages + "CapitalCalc.asp"}});
}

const CValuation& Val(Harness& h, int security, int scenario) { return h.ctl.Model().Valuations().Item(security).Item(scenario); }

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

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

// ---- Figures of every security type from known replies.

TEST(ImpactFigures, TheRecordsHoldTheRepliesAndTheGeneralCaseGreeks) {
    Harness h;
    Start(h, MixedPortfolio());
    ASSERT_TRUE(h.host.messages.empty()) << h.host.messages[0].text;
    const CValuation& up = Val(h, 1, 1);
    EXPECT_EQ(up.Getvaluation(m_UpdateEstPrice), 130);
    EXPECT_EQ(up.GetCarry(m_CarryIdx), 250);
    EXPECT_EQ(up.GetCarry(m_NetPtsIdx), 0.1);
    // B: no delta shares.
    ExpectGreeks(up, {{520000, 1080000}, {15000, 15000}, {4000, 3000}, {-200, -300}, {-100, -50}, {0, 0},
                      {375, 250}, {13000, 18000}});
    ExpectGreeks(Val(h, 1, 2), {{520000, 277500}, {15000, 12750}, {4000, 4500}, {-200, -150}, {-100, -120}, {0, 0},
                                {375, 425}, {13000, 9250}});
    // A type the run does not know is the general case, with delta shares.
    ExpectGreeks(Val(h, 6, 1), {{0, 9000}, {400, 0}, {1200, 0}, {-40, 0}, {-32, 0}, {800, 1040}, {16, 0}, {0, 240}});
}

TEST(ImpactFigures, AStockTakesItsDollarDeltaFromThePositionAlone) {
    Harness h;
    Start(h, MixedPortfolio());
    // CP x price / FX; delta shares as in the general case.
    ExpectGreeks(Val(h, 2, 1), {{20000, 30000}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {500, 500}, {0, 0}, {500, 500}});
    EXPECT_DOUBLE_EQ(Val(h, 2, 2).GetDolDelta(1), 15000);
    // Its impact ignores the estimated prices (0 here) and its stock position.
    EXPECT_DOUBLE_EQ(Val(h, 2, 1).Getvaluation(m_SubImpact), 10250);
    EXPECT_DOUBLE_EQ(Val(h, 2, 2).Getvaluation(m_SubImpact), -4750);
}

TEST(ImpactFigures, DollarFiguresAreDividedByTheExchangeRateAndSomeTypesHaveNoDeltaShares) {
    Harness h;
    Start(h, MixedPortfolio());
    // AS at 1.25 to the dollar.
    ExpectGreeks(Val(h, 3, 1), {{-9600, -10800}, {320, 432}, {800, 720}, {-48, -56}, {-32, -24}, {400, 550},
                                {20, 18}, {-600, -450}});
    ExpectGreeks(Val(h, 3, 2), {{-9600, -8400}, {320, 252}, {800, 800}, {-48, -40}, {-32, -35.2}, {400, 300},
                                {20, 21}, {-600, -700}});
    // DS and P have no delta shares; P at 2 to the dollar.
    ExpectGreeks(Val(h, 4, 1), {{-6900, -6300}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}, {-230, -140}});
    ExpectGreeks(Val(h, 5, 1), {{2000, 4200}, {48, 66}, {100, 90}, {-5, -6}, {-2.5, -3}, {0, 0}, {2.4, 2.2},
                                {100, 140}});
    ExpectGreeks(Val(h, 5, 2), {{2000, 1200}, {48, 39}, {100, 110}, {-5, -4}, {-2.5, -2}, {0, 0}, {2.4, 2.6},
                                {100, 80}});
}

TEST(ImpactFigures, SubImpactsByTypeAndTheScenarioTotals) {
    Harness h;
    Start(h, MixedPortfolio());
    const double expected[7][2] = {
        {260250, -129750},   // B: estimated prices and the stock leg, plus the full carry
        {10250, -4750},      // E
        {14600, 1000},       // AS: option value over the bond floor, in dollars at 1.25
        {7750, -2000},       // DS: the bond floors
        {10125, -4875},      // P, at 2 to the dollar
        {50250, -26750},     // X&Y: the general case
        {-1750, 1250},       // AS below both bond floors: the stock leg and the carry only
    };
    for (int k = 1; k <= 7; ++k)
        for (int s = 1; s <= 2; ++s)
            EXPECT_DOUBLE_EQ(Val(h, k, s).Getvaluation(m_SubImpact), expected[k - 1][s - 1]) << k << "/" << s;
    EXPECT_EQ(h.ctl.Model().Scenarios().Item(1).GetImpact(), 351475);
    EXPECT_EQ(h.ctl.Model().Scenarios().Item(2).GetImpact(), -165875);
    EXPECT_EQ(h.Rows(*h.ctl.LstImpact), (std::vector<std::string>{"351,475", "(165,875)"}));
}

TEST(ImpactFigures, TotalsAreRoundedToWholeDollars) {
    Harness h;
    // One stock of 3 shares at 10.5, up 50%: 15.75 a share, plus 0.5 carry.
    Start(h, {{21, Record(21, "Odd", "E", 3, 10.5, 0, 1, 1, "1"), Piece({{m_CurDelta, 100}}), Piece({})}},
          "Up 50;50;0;0;0;0;100;0;1;N",
          {{DetailPrefix(21), Piece({{m_CurDelta, 100}})}, {CarryPrefix(21), "0;0;0;0.5"}, {kPages, "0"}});
    EXPECT_DOUBLE_EQ(Val(h, 1, 1).Getvaluation(m_SubImpact), 16.25);
    EXPECT_EQ(h.ctl.Model().Scenarios().Item(1).GetImpact(), 16);
    EXPECT_EQ(h.Rows(*h.ctl.LstImpact), (std::vector<std::string>{"16"}));
}

TEST(ImpactFigures, RepliesAreReadWithAPointWhateverTheHostsLocale) {
    // A host whose decimal sign is "," still reads the pages' "." numbers:
    // 105.25 stays 105.25, not 10525.
    Locale comma;
    comma.decimalSeparator = ',';
    comma.groupSeparator = '.';
    headless::HeadlessHost host(Date{2026, 12, 6}, comma);
    MainCtl ctl(host);
    host.SetCannedReplies({{DetailPrefix(11), "40;105.25;106.5"}, {CarryPrefix(11), "1;2;3;1,234.5"}, {kPages, "0"}});
    PropertyBag bag;
    bag.Write("RecordString", Record(11, "Bond CV", "B", 1000, 40, -2000, 10, 25, "1"));
    bag.Write("ScenarioString", "Up 50;50;0;0;0;0;100;0;1;N");
    bag.Write("ScenarioDetailPath", kDetail);
    bag.Write("CarryCalcPath", kCarry);
    ctl.ReadProperties(bag);
    ctl.ProcessInitData();
    const CValuation& v = ctl.Model().Valuations().Item(1).Item(1);
    EXPECT_DOUBLE_EQ(v.Getvaluation(m_CurEstPrice), 105.25);
    EXPECT_DOUBLE_EQ(v.Getvaluation(m_CurFairValue), 106.5);
    EXPECT_DOUBLE_EQ(v.GetCarry(m_CarryIdx), 1234.5);
    EXPECT_TRUE(host.messages.empty());
}

TEST(ImpactFigures, SecurityTypesCompareWithLetterCase) {
    Harness h;
    // "e" is the general case: with no estimated price it is skipped.
    Start(h, {{22, Record(22, "Lower e", "e", 500, 40, 0, 1, 2, "1"),
               Piece({{m_CurDelta, 100}, {m_UpdateDelta, 100}}), Piece({{m_CurDelta, 100}, {m_UpdateDelta, 100}})}});
    EXPECT_DOUBLE_EQ(Val(h, 1, 1).GetDolDelta(0), 40000);   // 100 x 500 / 100 x 2 x 40, not 500 x 40
    EXPECT_DOUBLE_EQ(Val(h, 1, 1).Getvaluation(m_SubImpact), 0);
    EXPECT_EQ(h.Rows(*h.ctl.LstImpact), (std::vector<std::string>{"0", "0"}));
}

// ---- Carry options and the carry label.

TEST(ImpactCarry, TheCarryOptionChoosesFullNetOrNoCarry) {
    Harness h;
    const std::vector<Holding> bond = {MixedPortfolio()[0]};
    Start(h, bond);
    EXPECT_DOUBLE_EQ(Val(h, 1, 1).Getvaluation(m_SubImpact), 260250);   // option 0: full carry 250
    EXPECT_EQ(h.ctl.LbCarry->caption, "250");
    EXPECT_EQ(h.ctl.LbCarry->foreColor, kBlue);

    h.ctl.Model().Valuations().Item(1).Item(1).SetoptCarry(1);
    h.ctl.Model().Valuations().Item(1).Item(2).SetoptCarry(2);
    ASSERT_TRUE(h.panel().UserClick(*h.ctl.UpdateBtn));
    EXPECT_DOUBLE_EQ(Val(h, 1, 1).Getvaluation(m_SubImpact), 259925);    // net carry -75
    EXPECT_DOUBLE_EQ(Val(h, 1, 2).Getvaluation(m_SubImpact), -130000);   // no carry
    EXPECT_EQ(h.Rows(*h.ctl.LstImpact), (std::vector<std::string>{"259,925", "(130,000)"}));
    EXPECT_EQ(h.ctl.LbCarry->caption, "(75)");
    EXPECT_EQ(h.ctl.LbCarry->foreColor, kRed);

    // No valuation with a carry option of 0 or 1: the label stays as it was.
    h.ctl.Model().Valuations().Item(1).Item(1).SetoptCarry(2);
    ASSERT_TRUE(h.panel().UserClick(*h.ctl.UpdateBtn));
    EXPECT_DOUBLE_EQ(Val(h, 1, 1).Getvaluation(m_SubImpact), 260000);
    EXPECT_EQ(h.ctl.LbCarry->caption, "(75)");
    EXPECT_TRUE(h.host.messages.empty());
}

// ---- Skipped securities.

TEST(ImpactSkips, ASecurityWithoutItsPriceOrBondFloorAddsNothingAndKeepsItsSubImpact) {
    Harness h;
    std::vector<Holding> holdings = MixedPortfolio();
    Start(h, holdings);
    ASSERT_DOUBLE_EQ(Val(h, 6, 1).Getvaluation(m_SubImpact), 50250);
    ASSERT_DOUBLE_EQ(Val(h, 4, 2).Getvaluation(m_SubImpact), -2000);
    // Now the general-case security has no estimated price under the first
    // scenario, and the DS no bond floor under the second. Their records are
    // refilled from the replies (slot 30 included, which a page may fill),
    // and the run leaves that slot as it stands.
    holdings[5].up = Piece({{m_UpdateEstPrice, 500}, {m_UpdateDelta, 65}, {m_SubImpact, 1234}});
    holdings[3].down = Piece({{m_UpdateBondFlr, 900}});
    h.Replies(Replies(holdings));
    ASSERT_TRUE(h.panel().UserClick(*h.ctl.UpdateBtn));
    EXPECT_EQ(Val(h, 6, 1).Getvaluation(m_UpdateEstPrice), 500);
    EXPECT_DOUBLE_EQ(Val(h, 6, 1).Getvaluation(m_SubImpact), 1234);
    EXPECT_DOUBLE_EQ(Val(h, 4, 2).Getvaluation(m_SubImpact), 0);
    // Their other scenario is valued as before.
    EXPECT_DOUBLE_EQ(Val(h, 6, 2).Getvaluation(m_SubImpact), -26750);
    EXPECT_DOUBLE_EQ(Val(h, 4, 1).Getvaluation(m_SubImpact), 7750);
    EXPECT_EQ(h.ctl.Model().Scenarios().Item(1).GetImpact(), 351475 - 50250);
    EXPECT_EQ(h.ctl.Model().Scenarios().Item(2).GetImpact(), -165875 + 2000);
    EXPECT_EQ(h.Rows(*h.ctl.LstImpact), (std::vector<std::string>{"301,225", "(163,875)"}));
}

// ---- What an Update asks of the pages.

TEST(ImpactRequests, TwoRequestsPerSecurityWhateverTheNumberOfScenarios) {
    auto afterTheRun = [](const std::string& scenarios, int count) {
        Harness h;
        std::vector<CannedReply> replies;
        std::string detail = "0;1", carry = "0";
        for (int j = 1; j < count; ++j) {
            detail += "|0;1";
            carry += "|0";
        }
        replies = {{kDetail, detail}, {kCarry, carry}, {kPages, "0"}};
        std::vector<Holding> holdings = MixedPortfolio();
        holdings.resize(3);
        Start(h, holdings, scenarios, replies);
        EXPECT_TRUE(h.host.messages.empty());
        const auto& r = h.host.requests;
        EXPECT_GE(r.size(), 6u);
        for (int k = 0; k < 3 && r.size() >= 6; ++k) {
            EXPECT_EQ(r[2 * k].rfind(DetailPrefix(holdings[k].id), 0), 0u) << r[2 * k];
            EXPECT_EQ(r[2 * k + 1].rfind(CarryPrefix(holdings[k].id), 0), 0u) << r[2 * k + 1];
        }
        // What follows is the display refresh: no further valuation request.
        const long later = static_cast<long>(r.size()) - 6;
        EXPECT_EQ(std::count_if(r.begin() + 6, r.end(), [](const std::string& a) { return a.rfind(kDetail, 0) == 0; }), 0);
        return later;
    };
    const long withOne = afterTheRun("A;1;0;0;0;0;100;0;1;N", 1);
    const long withFive = afterTheRun("A;1;0;0;0;0;100;0;1;N|B;2;0;0;0;0;100;0;1;N|C;3;0;0;0;0;100;0;1;N|"
                                      "D;4;0;0;0;0;100;0;1;N|E;5;0;0;0;0;100;0;1;N",
                                      5);
    EXPECT_EQ(withOne, withFive);
}

TEST(ImpactRequests, AnUpdateWithoutSecuritiesOrScenariosAsksForThemAndRequestsNothing) {
    struct Case {
        std::map<std::string, std::string> properties;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{{"ScenarioDetailPath", kDetail}}, "Choose the scenario you wish to update!"},
        {{{"ScenarioDetailPath", kDetail}, {"RecordString", MixedPortfolio()[0].record}},
         "Choose the scenario you wish to update!"},
        {{{"ScenarioDetailPath", kDetail}, {"ScenarioString", kScenarios}}, "Choose the security you wish to update!"},
    };
    for (const Case& c : cases) {
        Harness h;
        h.Start(c.properties);
        ASSERT_TRUE(h.panel().UserClick(*h.ctl.UpdateBtn));
        ASSERT_EQ(h.Messages(), (std::vector<std::string>{c.message, c.message}));
        EXPECT_TRUE(h.host.requests.empty());
        EXPECT_EQ(h.panel().Focused(), h.ctl.TxtScenario[0]);
    }
}

TEST(ImpactRequests, WithoutAScenarioDetailPageTheRunEndsAtOnce) {
    Harness h;
    h.Replies(Replies(MixedPortfolio()));
    h.Start({{"RecordString", Records(MixedPortfolio())}, {"ScenarioString", kScenarios}, {"CarryCalcPath", kCarry}});
    ASSERT_EQ(h.Messages(), (std::vector<std::string>{"Please give ScenarioDetail.asp file path!"}));
    ASSERT_TRUE(h.panel().UserClick(*h.ctl.UpdateBtn));
    EXPECT_EQ(h.Messages().size(), 2u);
    EXPECT_TRUE(h.host.requests.empty());
    EXPECT_EQ(h.host.MousePointer(), kPointerDefault);
    EXPECT_EQ(h.ctl.LabelProgress->caption, "");
    // The focus stays where it was.
    EXPECT_EQ(h.panel().Focused(), h.ctl.UpdateBtn);
}

TEST(ImpactRequests, AFinishedRunGivesTheFocusToTheFirstScenarioField) {
    Harness h;
    Start(h, MixedPortfolio());
    EXPECT_EQ(h.panel().Focused(), h.ctl.TxtScenario[0]);
    ASSERT_TRUE(h.panel().UserClick(*h.ctl.UpdateBtn));
    EXPECT_EQ(h.panel().Focused(), h.ctl.TxtScenario[0]);
}

// ---- Failures: one message naming the security and the cause, the busy
// state left, what was applied before kept, and a second Update that works.

TEST(ImpactFailures, EachFailureStopsTheRunAtItsSecurityAndASecondUpdateWorks) {
    struct Case {
        const char* name;
        std::function<void(std::vector<CannedReply>&)> breakReplies;
        std::string records;     // empty: the portfolio's
        std::string scenarios;   // empty: the two scenarios
        std::vector<std::string> causes;
        std::string failing = "'Stock'";   // the security the message names
    };
    const std::vector<Holding> holdings = {MixedPortfolio()[0], MixedPortfolio()[1], MixedPortfolio()[2]};
    // Security 2 ("Stock") is the one that fails.
    auto replace = [](std::vector<CannedReply>& r, const std::string& match, CannedReply with) {
        for (auto& c : r)
            if (c.match == match) c = with;
    };
    const std::string stockDetail = DetailPrefix(12), stockCarry = CarryPrefix(12);
    std::vector<Holding> zeroFx = holdings, zeroPrice = holdings;
    zeroFx[1].record = Record(12, "Stock", "E", 500, 40, 300, 1, 1, "0");
    zeroPrice[1].record = Record(12, "Stock", "E", 500, 0, 300, 1, 1, "1");
    std::string thirtyTwo = holdings[1].up + ";7";
    const std::vector<Case> cases = {
        {"the valuation page is down",
         [&](auto& r) { replace(r, stockDetail, {stockDetail, "", true}); },
         "",
         "",
         {"The server did not answer the request to " + stockDetail}},
        {"the carry page is down", [&](auto& r) { replace(r, stockCarry, {stockCarry, "", true}); }, "", "",
         {"The server did not answer the request to " + stockCarry}},
        {"a short valuation reply", [&](auto& r) { replace(r, stockDetail, {stockDetail, holdings[1].up}); }, "", "",
         {"the scenario-detail reply has 1 piece for 2 scenarios"}},
        {"an empty valuation reply", [&](auto& r) { replace(r, stockDetail, {stockDetail, ""}); }, "", "",
         {"the scenario-detail reply has 0 pieces for 2 scenarios"}},
        {"a short carry reply", [&](auto& r) { replace(r, stockCarry, {stockCarry, kCarryPiece}); }, "", "",
         {"the carry reply has 1 piece for 2 scenarios"}},
        {"a piece with 32 numbers",
         [&](auto& r) { replace(r, stockDetail, {stockDetail, holdings[1].up + "|" + thirtyTwo}); }, "", "",
         {"piece 2 of the scenario-detail reply (scenario 'Down 25') holds more than 31 numbers", "field 32"}},
        {"an exchange rate of 0", nullptr, Records(zeroFx), "", {"Fx To USD is 0"}},
        {"a stock price of 0", nullptr, Records(zeroPrice), "", {"stock price is 0"}},
        {"a stock price of 0 under a scenario", nullptr, "",
         "Up 50;50;0;0;0;0;100;0;1;N|Wipe-out;-100;0;0;0;0;100;0;1;N",
         {"stock price under scenario 'Wipe-out' (stock change -100%) is 0"},
         "'Bond CV'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        std::vector<CannedReply> replies = Replies(holdings);
        if (c.breakReplies) c.breakReplies(replies);
        h.Replies(replies);
        h.Start({{"RecordString", c.records.empty() ? Records(holdings) : c.records},
                 {"ScenarioString", c.scenarios.empty() ? kScenarios : c.scenarios},
                 {"ScenarioDetailPath", kDetail},
                 {"CarryCalcPath", kCarry},
                 {"CapitalCalcPath", kPages + "CapitalCalc.asp"}});
        ASSERT_EQ(h.host.messages.size(), 1u);
        const std::string& text = h.host.messages[0].text;
        EXPECT_EQ(h.host.messages[0].buttons, MsgButtons::Ok);
        EXPECT_TRUE(Contains(text, c.failing)) << text;
        for (const std::string& cause : c.causes) EXPECT_TRUE(Contains(text, cause)) << text;
        // The first security keeps its new figures; the failing one and the
        // ones after it keep their old (fresh) records.
        if (c.failing == "'Stock'") {
            EXPECT_DOUBLE_EQ(Val(h, 1, 1).GetDolDelta(0), 520000);
        }
        EXPECT_EQ(Val(h, 2, 1).Getvaluation(m_CurDelta), 0);
        EXPECT_EQ(Val(h, 2, 2).Getvaluation(m_CurDelta), 0);
        EXPECT_EQ(Val(h, 3, 1).Getvaluation(m_CurEstPrice), 0);
        EXPECT_EQ(h.Rows(*h.ctl.LstImpact), (std::vector<std::string>{"0", "0"}));
        // The busy state is left, and the notice says the impacts are stale.
        EXPECT_EQ(h.host.MousePointer(), kPointerDefault);
        EXPECT_EQ(h.ctl.LabelProgress->caption, "Click Update button to recalculate $Impact!");
        EXPECT_TRUE(h.ctl.Frame1->IsEnabled());
        EXPECT_TRUE(h.ctl.Frame3->IsEnabled());

        // The same failure again, then the pages answer and the run goes
        // through.
        ASSERT_TRUE(h.panel().UserClick(*h.ctl.UpdateBtn));
        EXPECT_EQ(h.host.messages.size(), 2u);
        if (c.records.empty() && c.scenarios.empty()) {
            h.Replies(Replies(holdings));
            ASSERT_TRUE(h.panel().UserClick(*h.ctl.UpdateBtn));
            EXPECT_EQ(h.host.messages.size(), 2u);
            EXPECT_DOUBLE_EQ(Val(h, 2, 1).Getvaluation(m_SubImpact), 10250);
            EXPECT_EQ(h.Rows(*h.ctl.LstImpact), (std::vector<std::string>{"285,100", "(133,500)"}));
            EXPECT_EQ(h.panel().Focused(), h.ctl.TxtScenario[0]);
        }
    }
}

// ---- Real fetching: zemra-headless against a stand-in page server.

namespace {

// A page server on loopback: answers each request with what the handler
// returns for its target (the path and query), one connection at a time.
class PageServer {
public:
    struct Answer {
        int status = 200;
        std::string body;
        std::string location;   // for a redirect
        bool hang = false;      // never answer
        bool drop = false;      // close the connection without an answer
    };
    using Handler = std::function<Answer(const std::string& target)>;

    explicit PageServer(Handler handler) : handler_(std::move(handler)) {
        listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        if (::bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listen_, 8) != 0)
            throw std::runtime_error("the page server cannot listen");
        socklen_t length = sizeof addr;
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &length);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~PageServer() {
        stop_ = true;
        thread_.join();
        ::close(listen_);
    }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    std::vector<std::string> targets;   // read after the run

private:
    void Serve() {
        while (!stop_) {
            pollfd p{listen_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            const int client = ::accept(listen_, nullptr, nullptr);
            if (client < 0) continue;
            std::string request;
            char buf[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t n = ::recv(client, buf, sizeof buf, 0);
                if (n <= 0) break;
                request.append(buf, static_cast<std::size_t>(n));
            }
            const auto start = request.find(' ') + 1;
            const std::string target = request.substr(start, request.find(' ', start) - start);
            targets.push_back(target);
            const Answer a = handler_(target);
            if (a.hang) {
                while (!stop_) std::this_thread::sleep_for(std::chrono::milliseconds(20));
            } else if (!a.drop) {
                std::string head = "HTTP/1.1 " + std::to_string(a.status) + " Status\r\nContent-Length: " +
                                   std::to_string(a.body.size()) + "\r\nConnection: close\r\n";
                if (!a.location.empty()) head += "Location: " + a.location + "\r\n";
                const std::string response = head + "\r\n" + a.body;
                ::send(client, response.data(), response.size(), MSG_NOSIGNAL);
            }
            ::close(client);
        }
    }

    Handler handler_;
    int listen_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The query of a target, decoded the standard way, key by key in order.
std::vector<std::pair<std::string, std::string>> DecodedQuery(const std::string& target) {
    std::vector<std::pair<std::string, std::string>> pairs;
    const auto q = target.find('?');
    if (q == std::string::npos) return pairs;
    std::string rest = target.substr(q + 1);
    while (!rest.empty()) {
        const auto amp = rest.find('&');
        const std::string pair = rest.substr(0, amp);
        rest = amp == std::string::npos ? "" : rest.substr(amp + 1);
        const auto eq = pair.find('=');
        std::string value;
        const std::string raw = eq == std::string::npos ? "" : pair.substr(eq + 1);
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '%' && i + 2 < raw.size()) {
                value += static_cast<char>(std::stoi(raw.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                value += raw[i] == '+' ? ' ' : raw[i];
            }
        }
        pairs.emplace_back(pair.substr(0, eq), value);
    }
    return pairs;
}

std::string QueryValue(const std::string& target, const std::string& key) {
    for (const auto& [k, v] : DecodedQuery(target))
        if (k == key) return v;
    return "<absent>";
}

// Runs zemra-headless (built beside this test) and returns its output.
std::string RunHeadless(const std::string& properties, const std::string& script, const std::string& options) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("zemra-impact-" + std::to_string(::getpid()) + "-" + std::to_string(std::rand()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "properties.json") << properties;
    std::ofstream(dir / "run.script") << script;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "zemra-headless";
    const std::string command = exe.string() + " --properties " + (dir / "properties.json").string() + " --script " +
                                (dir / "run.script").string() + " --today 2026-12-06 " + options + " 2>&1";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buf[4096];
        while (std::fgets(buf, sizeof buf, pipe)) out += buf;
        ::pclose(pipe);
    }
    std::filesystem::remove_all(dir);
    return out;
}

nlohmann::json Properties(const std::string& base, const std::string& records) {
    return {{"RecordString", records},
            {"ScenarioString", kScenarios},
            {"ScenarioDetailPath", base + "pages/ScenarioDetail.asp"},
            {"CarryCalcPath", base + "pages/CarryCalc.asp"},
            {"CapitalCalcPath", base + "pages/CapitalCalc.asp"}};
}

nlohmann::json LastDump(const std::string& out) {
    const auto start = out.rfind("{\"widgets\"");
    if (start == std::string::npos) return nlohmann::json::object();
    return nlohmann::json::parse(out.substr(start, out.find('\n', start) - start));
}

}  // namespace

TEST(HeadlessFetch, APortfolioIsValuedOverHttpAndThePagesReadWhatWasTyped) {
    std::vector<Holding> holdings = MixedPortfolio();
    // A curve with & = + # % and a space.
    holdings[0].record = "11;Bond CV;B;1000;105;300;0;0;0;-2000;40;30;US&G=1+2 #3%;10;0;25;1;15;15;5;1;0.5;0;1;"
                         "06/15/2031;1;0;1;R;40;0;0";
    std::map<std::string, std::string> detail, carry;
    for (const Holding& h : holdings) {
        detail[std::to_string(h.id)] = h.up + "|" + h.down;
        carry[std::to_string(h.id)] = kCarryPiece + "|" + kCarryPiece;
    }
    PageServer server([&](const std::string& target) -> PageServer::Answer {
        const std::string id = QueryValue(target, "Secid");
        if (target.rfind("/pages/ScenarioDetail.asp?", 0) == 0) return {200, detail[id], "", false};
        // The carry page has moved; the fetch follows the redirect.
        if (target.rfind("/pages/CarryCalc.asp?", 0) == 0) return {302, "", "/moved" + target, false};
        if (target.rfind("/moved/pages/CarryCalc.asp?", 0) == 0) return {200, carry[id], "", false};
        return {200, "0", "", false};
    });
    const std::string out =
        RunHeadless(Properties(server.Base(), Records(holdings)).dump(), "dump LstImpact\n", "--timeout 10");
    const nlohmann::json dump = LastDump(out);
    ASSERT_TRUE(dump.contains("widgets")) << out;
    EXPECT_EQ(dump["messages"].size(), 0u) << out;
    EXPECT_EQ(dump["widgets"]["LstImpact"]["rows"], (nlohmann::json{"351,475", "(165,875)"}));
    ASSERT_GE(server.targets.size(), 3u);
    EXPECT_EQ(QueryValue(server.targets[0], "Curve"), "US&G=1+2 #3%");
    EXPECT_EQ(QueryValue(server.targets[0], "Maturity"), "06/15/2031");
    EXPECT_EQ(QueryValue(server.targets[0], "StkChg"), "50;-25");
    EXPECT_EQ(QueryValue(server.targets[0], "IAD"), "0");
    EXPECT_EQ(server.targets[2].rfind("/moved/pages/CarryCalc.asp?Secid=11&", 0), 0u) << server.targets[2];
}

TEST(HeadlessFetch, AStatusOtherThan2xxATimeOutOrADroppedConnectionIsAFailedFetchNamingAddressAndCause) {
    {
        PageServer server([](const std::string& target) -> PageServer::Answer {
            if (target.rfind("/pages/ScenarioDetail.asp?Secid=12&", 0) == 0) return {500, "oops", "", false};
            return {200, "0;1|0;1", "", false};
        });
        const std::string out = RunHeadless(Properties(server.Base(), Records(MixedPortfolio())).dump(), "dump LstImpact\n", "");
        const nlohmann::json dump = LastDump(out);
        ASSERT_EQ(dump["messages"].size(), 1u) << out;
        const std::string text = dump["messages"][0]["text"];
        EXPECT_TRUE(Contains(text, "'Stock'")) << text;
        EXPECT_TRUE(Contains(text, server.Base() + "pages/ScenarioDetail.asp?Secid=12&")) << text;
        EXPECT_TRUE(Contains(text, "status 500")) << text;
        EXPECT_EQ(dump["pointer"], 0);
    }
    {
        PageServer server([](const std::string&) -> PageServer::Answer { return {200, "", "", true}; });
        const auto began = std::chrono::steady_clock::now();
        const std::string out =
            RunHeadless(Properties(server.Base(), Records(MixedPortfolio())).dump(), "dump LstImpact\n", "--timeout 1");
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(20));
        const nlohmann::json dump = LastDump(out);
        ASSERT_EQ(dump["messages"].size(), 1u) << out;
        const std::string text = dump["messages"][0]["text"];
        EXPECT_TRUE(Contains(text, "'Bond CV'")) << text;
        EXPECT_TRUE(Contains(text, server.Base() + "pages/ScenarioDetail.asp?Secid=11&")) << text;
        EXPECT_TRUE(Contains(text, "Timeout")) << text;
    }
    {
        // The carry page drops the connection.
        PageServer server([](const std::string& target) -> PageServer::Answer {
            if (target.rfind("/pages/CarryCalc.asp?", 0) == 0) return {200, "", "", false, true};
            return {200, "0;1|0;1", "", false, false};
        });
        const std::string out = RunHeadless(Properties(server.Base(), Records(MixedPortfolio())).dump(), "dump\n", "");
        const nlohmann::json dump = LastDump(out);
        ASSERT_EQ(dump["messages"].size(), 1u) << out;
        const std::string text = dump["messages"][0]["text"];
        EXPECT_TRUE(Contains(text, "'Bond CV'")) << text;
        EXPECT_TRUE(Contains(text, server.Base() + "pages/CarryCalc.asp?Secid=11&")) << text;
        EXPECT_TRUE(Contains(text, "Server returned nothing")) << text;
    }
}
