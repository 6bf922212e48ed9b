// Every page at the HTTP level: the reply shapes the control relies on,
// read back with the control's own record readers and reply contract.
#include "PageWire.h"
#include "ServiceHarness.h"
#include "compute/PageContract.h"
#include "records/CSecurity.h"
#include "records/CValuation.h"

namespace zemra::pages::testing {
namespace {

const Locale& Format() { return zemra::pages::ReplyNumberFormat(); }

using PageReplies = ServiceTest;

// The pieces of a reply that must be 200, each of `fields` numbers of the
// reply format (none when it is not 200).
std::vector<std::string> NumberPieces(const Reply& reply, std::size_t fields) {
    EXPECT_EQ(reply.status, 200) << reply.body;
    if (reply.status != 200) return {};
    for (const std::string& piece : ReplyPieces(reply.body)) {
        const std::vector<std::string> f = SplitFields(piece, ';');
        EXPECT_EQ(f.size(), fields) << piece;
        for (const std::string& x : f) EXPECT_TRUE(IsNumeric(x, Format())) << "'" << x << "' in " << piece;
    }
    return ReplyPieces(reply.body);
}

// The query as sent (percent-encoded, "+" a space, a "%" without hex digits
// itself, the first of a repeated key) against the identifiers of the
// records answered, each read with the control's reader.
TEST_F(PageReplies, QuickSearchAnswersRecordTextsTheControlReads) {
    const std::vector<std::pair<std::string, std::vector<int32_t>>> cases = {
        {"QuickSearch=orvane", {1001, 1002, 1003, 2001, 2002}},  // description, any case, anywhere (Jorvane too)
        {"QuickSearch=JVM", {1002, 2002}},
        {"QuickSearch=100", {1001, 1002, 1003}},  // ticker, identifier
        {"QuickSearch=Orvane+2.5%25", {1001}},
        {"QuickSearch=orvane%202.5%+2031", {1001}},
        {"%51uickSearch=Jorvane%2B", {}},
        {"QuickSearch=x'+OR+'1'%3D'1&QuickSearch=JVM", {}},  // an encoded "+" is a plus
    };
    for (const auto& [query, ids] : cases) {
        const Reply reply = service.Get("/pages/QuickSearch?" + query);
        ASSERT_EQ(reply.status, 200) << query << ": " << reply.body;
        const std::vector<std::string> pieces = ReplyPieces(reply.body);
        EXPECT_TRUE(!ids.empty() || reply.body == "|") << query << ": " << reply.body;
        ASSERT_EQ(ids.empty() ? 0 : pieces.size(), ids.size()) << query << ": " << reply.body;
        for (std::size_t i = 0; i < ids.size(); ++i) {
            EXPECT_EQ(SplitFields(pieces[i], ';').size(), 32u) << pieces[i];
            CSecurity security;
            ASSERT_NO_THROW(security.CreateRecord(pieces[i], Format(), TestToday())) << pieces[i];
            EXPECT_EQ(security.GetsecId(), ids[i]) << query;
        }
    }
    CSecurity s;  // the record's terms, defaults and market data
    s.CreateRecord(service.Get(Query().Add("QuickSearch", "ORV 2.5").Page("QuickSearch")).body, Format(), TestToday());
    EXPECT_EQ(s.Getdescription() + ";" + s.GetSectype() + ";" + s.GetMaturity(), "Orvane 2.5% 2031 CV;B;06/15/2031");
    // Convert position and price, credit spread, the stock's price, volatility and borrow, factor (face 1000 in
    // points), conversion ratio, finance rate.
    std::string figures;
    for (const double x : {s.GetProperties(ConvertPosIdx), s.GetProperties(ConvertPriceIdx),
                           s.GetProperties(CreditSprdIdx), s.GetProperties(StkPriceIdx), s.GetProperties(VolatilityIdx),
                           s.GetBorrow(), s.GetFactor(), s.GetRatio(), s.GetFinance()}) {
        figures += QueryNumber(x) + ";";
    }
    EXPECT_EQ(figures, "500;104.5;300;40;30;0.5;10;20;5;");
}

TEST_F(PageReplies, ScenarioDetailAnswersOnePiecePerScenarioInSlotOrder) {
    const std::vector<double> changes = {-20, 0, 20};
    const std::vector<std::string> pieces =
        NumberPieces(service.Get(DetailQuery(changes).Page("ScenarioDetail")), kValuationFields);
    ASSERT_EQ(pieces.size(), changes.size());
    std::vector<CValuation> v(pieces.size());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_FALSE(NumberBeyondSlots(pieces[i], Format()).has_value());
        v[i].CreateValuation(pieces[i], "", Format());
        EXPECT_NEAR(v[i].Getvaluation(m_CurStkPrice), 40, 1e-9);
        EXPECT_NEAR(v[i].Getvaluation(m_UpdateStkPrice), 40 * (1 + changes[i] / 100), 1e-9) << pieces[i];
    }
    // A higher stock gives a higher estimated price under the scenario.
    EXPECT_LT(v[0].Getvaluation(m_UpdateEstPrice), v[2].Getvaluation(m_UpdateEstPrice));
}

// A market price below parity (80) that no volatility or spread reaches:
// today's implied figures are the missing figure, never a number, and the
// tuners that carry them (1, -32768 valued as 1, and 3) carry today's
// cheapness instead.
TEST_F(PageReplies, ScenarioDetailWritesImpliedFiguresThatDoNotExistAsMissing) {
    Query query = DetailQuery({10, 10, 10});
    for (const auto& [key, raw] : {std::pair{"ConvertPrice", "30"},
                                   {"VolChg", "20;20;20"},
                                   {"CreditSprdChg", "20;20;20"},
                                   {"Tuner", "1;-32768;3"}})
        query = query.With(key, raw);
    const Reply reply = service.Get(query.Page("ScenarioDetail"));
    const std::vector<std::string> pieces = ReplyPieces(reply.body);
    ASSERT_EQ(pieces.size(), 3u) << reply.body;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const std::vector<std::string> f = SplitFields(pieces[i], ';');
        ASSERT_EQ(f.size(), static_cast<std::size_t>(kValuationFields)) << pieces[i];
        EXPECT_EQ(f[m_CurImpVol] + f[m_CurImpSprd],
                  std::string(contract::kMissingFigure) + std::string(contract::kMissingFigure))
            << pieces[i];
        const auto number = [&](int slot) { return ParseNumber(f[slot], Format()).value_or(-1e300); };
        EXPECT_NEAR(number(m_UpdatePctCheap), number(m_CurPctCheap), 1e-6) << "scenario " << i << ": " << pieces[i];
    }
}

// One carry piece per time change (none for no time), and the capital as
// one number: gross, 15% of 500 x 104.5 x 10 and 10% of 6000 x 40.
TEST_F(PageReplies, CarryAndCapitalAnswerNumbers) {
    const std::vector<std::string> pieces =
        NumberPieces(service.Get(CarryQuery({0, 30, 90, 400}).Page("CarryCalc")), kCarryFields);
    ASSERT_EQ(pieces.size(), 4u);
    CValuation none, month;
    none.CreateCarry(pieces[0], Format());
    month.CreateCarry(pieces[1], Format());
    for (int k = 0; k < kCarrySlots; ++k) EXPECT_TRUE(k == m_PremIdx || none.GetCarry(k) == 0) << "slot " << k;
    EXPECT_GT(month.GetCarry(m_IncomeIdx), 0);
    EXPECT_LT(month.GetCarry(m_FinanceIdx), 0);
    const std::vector<std::string> capital = NumberPieces(service.Get(CapitalQuery().Page("CapitalCalc")), 1);
    ASSERT_EQ(capital.size(), 1u);
    EXPECT_NEAR(*ParseNumber(capital[0], Format()), 0.15 * 522500 + 0.10 * 240000, 1e-6);
}

// The control writes the maturity with the page's date separator.
TEST_F(PageReplies, MaturityIsReadWithAnyDateSeparator) {
    for (const auto& [query, page] :
         {std::pair{CarryQuery({30, 400, 900}), "CarryCalc"}, std::pair{DetailQuery({0, 10}), "ScenarioDetail"}}) {
        const std::string master = service.Get(query.With("Maturity", "06%2F15%2F2031").Page(page)).body;
        const std::string slash = service.Get(query.With("Maturity", "06%2F15%2F2028").Page(page)).body;
        EXPECT_NE(slash, master) << page << ": an earlier maturity changes the figures";
        for (const std::string date : {"06.15.2028", "06-15-2028", "6.15.2028"}) {
            const Reply reply = service.Get(query.With("Maturity", date).Page(page));
            EXPECT_EQ(reply.status, 200) << page << " " << date << ": " << reply.body;
            EXPECT_EQ(reply.body, slash) << page << " " << date;
        }
    }
}

}  // namespace
}  // namespace zemra::pages::testing
