// Every page at the HTTP level: the reply shapes the control relies on,
// read back with the control's own record readers and reply contract.
#include <tuple>

#include "PageWire.h"
#include "ServiceHarness.h"
#include "compute/PageContract.h"
#include "records/CScenario.h"
#include "records/CSecurity.h"
#include "records/CValuation.h"

namespace zemra::pages::testing {
namespace {

const Locale& Format() { return zemra::pages::ReplyNumberFormat(); }

using PageReplies = ServiceTest;

// The pieces of a reply that must be 200 (none when it is not).
std::vector<std::string> PiecesOf(const Reply& reply) {
    EXPECT_EQ(reply.status, 200) << reply.body;
    return reply.status == 200 ? ReplyPieces(reply.body) : std::vector<std::string>{};
}

// Every field of a piece is a number of the reply format.
void ExpectNumbers(const std::string& piece, std::size_t count) {
    const std::vector<std::string> fields = SplitFields(piece, ';');
    ASSERT_EQ(fields.size(), count) << piece;
    for (const std::string& f : fields) EXPECT_TRUE(IsNumeric(f, Format())) << "'" << f << "' in " << piece;
}

// The search text as sent (percent-encoded, "+" a space) against the
// identifiers of the records answered, each read with the control's reader.
TEST_F(PageReplies, QuickSearchAnswersRecordTextsTheControlReads) {
    const std::vector<std::pair<std::string, std::vector<int32_t>>> cases = {
        {"orvane", {1001, 1002, 1003, 2001, 2002}},  // description, any case, anywhere (Jorvane too)
        {"JVM", {1002, 2002}},
        {"100", {1001, 1002, 1003}},  // ticker, identifier
        {"2.5%25", {1001}},
        {"Orvane+2.5%25", {1001}},
        {"orvane%202.5%25+2031", {1001}},  // "%" matches itself
        {"Jorvane%2B", {}},
        {"no+such+name", {}},
        {"x'+OR+'1'%3D'1", {}},  // an encoded "+" is a plus
    };
    for (const auto& [text, ids] : cases) {
        const Reply reply = service.Get("/pages/QuickSearch?QuickSearch=" + text);
        ASSERT_EQ(reply.status, 200) << text << ": " << reply.body;
        const std::vector<std::string> pieces = ReplyPieces(reply.body);
        EXPECT_TRUE(!ids.empty() || reply.body == "|") << text << ": " << reply.body;
        ASSERT_EQ(ids.empty() ? 0 : pieces.size(), ids.size()) << text << ": " << reply.body;
        for (std::size_t i = 0; i < ids.size(); ++i) {
            EXPECT_EQ(SplitFields(pieces[i], ';').size(), 32u) << pieces[i];
            CSecurity security;
            ASSERT_NO_THROW(security.CreateRecord(pieces[i], Format(), TestToday())) << pieces[i];
            EXPECT_EQ(security.GetsecId(), ids[i]) << text;
        }
    }
}

TEST_F(PageReplies, QuickSearchRecordCarriesTermsDefaultsAndMarketData) {
    const Reply reply = service.Get(Query().Add("QuickSearch", "ORV 2.5").Page("QuickSearch"));
    CSecurity s;
    s.CreateRecord(reply.body, Format(), TestToday());
    EXPECT_EQ(s.Getdescription(), "Orvane 2.5% 2031 CV");
    EXPECT_EQ(s.GetSectype(), "B");
    EXPECT_EQ(s.GetMaturity(), "06/15/2031");
    const std::vector<std::tuple<const char*, double, double>> figures = {
        // field, read, expected
        {"convert position", s.GetProperties(ConvertPosIdx), 500},
        {"convert price", s.GetProperties(ConvertPriceIdx), 104.5},
        {"credit spread", s.GetProperties(CreditSprdIdx), 300},
        {"the underlying's price", s.GetProperties(StkPriceIdx), 40},
        {"the underlying's volatility", s.GetProperties(VolatilityIdx), 30},
        {"the underlying's borrow", s.GetBorrow(), 0.5},
        {"factor (face 1000 priced in points)", s.GetFactor(), 10},
        {"conversion ratio", s.GetRatio(), 20},
        {"finance rate", s.GetFinance(), 5}};
    for (const auto& [field, read, expected] : figures) EXPECT_EQ(read, expected) << field;
}

TEST_F(PageReplies, ScenarioDetailAnswersOnePiecePerScenarioInSlotOrder) {
    const std::vector<double> changes = {-20, 0, 20};
    const Reply reply = service.Get(DetailQuery(changes).Page("ScenarioDetail"));
    const std::vector<std::string> pieces = PiecesOf(reply);
    ASSERT_EQ(pieces.size(), changes.size()) << reply.body;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        ExpectNumbers(pieces[i], kValuationFields);
        EXPECT_FALSE(NumberBeyondSlots(pieces[i], Format()).has_value());
        CValuation v;
        v.CreateValuation(pieces[i], "", Format());
        EXPECT_NEAR(v.Getvaluation(m_CurStkPrice), 40, 1e-9);
        EXPECT_NEAR(v.Getvaluation(m_UpdateStkPrice), 40 * (1 + changes[i] / 100), 1e-9) << pieces[i];
    }
    // A higher stock gives a higher estimated price under the scenario.
    CValuation down, up;
    down.CreateValuation(pieces[0], "", Format());
    up.CreateValuation(pieces[2], "", Format());
    EXPECT_LT(down.Getvaluation(m_UpdateEstPrice), up.Getvaluation(m_UpdateEstPrice));
}

// A market price below parity (80) that no volatility or spread reaches:
// today's implied figures are the missing figure, never a number, and the
// tuners that carry them (1, -32768 valued as 1, and 3) carry the given
// volatility or spread, up 20% under the scenario, instead: the scenario's
// estimated price is its fair value.
TEST_F(PageReplies, ScenarioDetailWritesImpliedFiguresThatDoNotExistAsMissing) {
    const Reply reply = service.Get(DetailQuery({10, 10, 10})
                                        .With("ConvertPrice", "30")
                                        .With("VolChg", "20;20;20")
                                        .With("CreditSprdChg", "20;20;20")
                                        .With("Tuner", "1;-32768;3")
                                        .Page("ScenarioDetail"));
    const std::vector<std::string> pieces = PiecesOf(reply);
    ASSERT_EQ(pieces.size(), 3u) << reply.body;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const std::vector<std::string> f = SplitFields(pieces[i], ';');
        ASSERT_EQ(f.size(), static_cast<std::size_t>(kValuationFields)) << pieces[i];
        EXPECT_EQ(f[m_CurImpVol], contract::kMissingFigure) << pieces[i];
        EXPECT_EQ(f[m_CurImpSprd], contract::kMissingFigure) << pieces[i];
        const auto number = [&](int slot) { return ParseNumber(f[slot], Format()).value_or(-1e300); };
        // The tuners carry today's cheapness where there is no implied value.
        EXPECT_NEAR(number(m_UpdatePctCheap), number(m_CurPctCheap), 1e-6) << "scenario " << i << ": " << pieces[i];
    }
}

TEST_F(PageReplies, CarryAnswersOnePiecePerTimeChange) {
    const std::vector<double> times = {0, 30, 90, 400};
    const Reply reply = service.Get(CarryQuery(times).Page("CarryCalc"));
    const std::vector<std::string> pieces = PiecesOf(reply);
    ASSERT_EQ(pieces.size(), times.size());
    for (const std::string& piece : pieces) ExpectNumbers(piece, kCarryFields);
    CValuation none, month;
    none.CreateCarry(pieces[0], Format());
    month.CreateCarry(pieces[1], Format());
    for (int k = 0; k < kCarrySlots; ++k) {
        if (k != m_PremIdx) {
            EXPECT_EQ(none.GetCarry(k), 0) << "slot " << k;
        }
    }
    EXPECT_GT(month.GetCarry(m_IncomeIdx), 0);
    EXPECT_LT(month.GetCarry(m_FinanceIdx), 0);
}

TEST_F(PageReplies, CapitalAnswersOneNumber) {
    const Reply reply = service.Get(CapitalQuery().Page("CapitalCalc"));
    ASSERT_EQ(reply.status, 200) << reply.body;
    ASSERT_TRUE(IsNumeric(reply.body, Format())) << reply.body;
    // Gross: 15% of 500 x 104.5 x 10 and 10% of 6000 x 40.
    EXPECT_NEAR(*ParseNumber(reply.body, Format()), 0.15 * 522500 + 0.10 * 240000, 1e-6);
}

TEST_F(PageReplies, StoredScenariosListAsTheControlReadsThem) {
    const Reply reply = service.Get("/pages/GetScenario");
    const std::vector<std::string> pieces = PiecesOf(reply);
    ASSERT_EQ(pieces.size(), 2u) << reply.body;
    CScenario crash, rates;
    crash.CreateScenarioFromDataBase(pieces[0], Format());
    rates.CreateScenarioFromDataBase(pieces[1], Format());
    EXPECT_GT(crash.GetUid(), 0);
    EXPECT_EQ(crash.Getdescription(), "Crash -30%");
    EXPECT_EQ(crash.GetScenarioProperties(m_StkChgIdx), -30);
    EXPECT_EQ(crash.GetAutoLoad(), "Yes");
    EXPECT_EQ(rates.GetScenarioProperties(m_RateChgIdx), 50);
    EXPECT_EQ(rates.Gettuner(), 2);
    EXPECT_EQ(rates.GetAutoLoad(), "No");
}

// The control writes the maturity with the page's date separator.
TEST_F(PageReplies, MaturityIsReadWithAnyDateSeparator) {
    const std::vector<Query> queries = {CarryQuery({30, 400, 900}), DetailQuery({0, 10})};
    const std::vector<std::string> pages = {"CarryCalc", "ScenarioDetail"};
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const std::string master = service.Get(queries[i].With("Maturity", "06%2F15%2F2031").Page(pages[i])).body;
        const std::string slash = service.Get(queries[i].With("Maturity", "06%2F15%2F2028").Page(pages[i])).body;
        EXPECT_NE(slash, master) << pages[i] << ": an earlier maturity changes the figures";
        for (const std::string date : {"06.15.2028", "06-15-2028", "6.15.2028"}) {
            const Reply reply = service.Get(queries[i].With("Maturity", date).Page(pages[i]));
            EXPECT_EQ(reply.status, 200) << pages[i] << " " << date << ": " << reply.body;
            EXPECT_EQ(reply.body, slash) << pages[i] << " " << date;
        }
    }
}

}  // namespace
}  // namespace zemra::pages::testing
