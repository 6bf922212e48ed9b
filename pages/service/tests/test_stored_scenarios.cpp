// The scenario database through its four pages: saved, modified, listed
// after a restart on the same file, deleted.
#include <tuple>

#include "ServiceHarness.h"
#include "compute/PageContract.h"
#include "records/CScenario.h"
#include "store/ScenarioStore.h"

namespace zemra::pages::testing {
namespace {

using ScenarioTexts = ServiceTest;

CScenario Listed(const RunningService& service, int32_t uid) {
    for (const std::string& piece : ReplyPieces(service.Get("/pages/GetScenario").body)) {
        CScenario s;
        s.CreateScenarioFromDataBase(piece, ReplyNumberFormat());
        if (s.GetUid() == uid) return s;
    }
    return CScenario();
}

// Every field of the listed scenario `uid` against the detail it was saved with.
void ExpectListed(const RunningService& service, int32_t uid, const std::string& description,
                  const std::vector<double>& detail, const std::string& autoLoad) {
    const CScenario s = Listed(service, uid);
    EXPECT_EQ(s.Getdescription(), description);
    for (int slot = 0; slot < kScenarioSlots; ++slot) EXPECT_EQ(s.GetScenarioProperties(slot), detail[slot]) << slot;
    EXPECT_EQ(s.GetImpact(), detail[6]);
    EXPECT_EQ(s.Gettuner(), detail[7]);
    EXPECT_EQ(s.GetAutoLoad(), autoLoad);
}

TEST(StoredScenarios, SurviveARestartAndAreModifiedAndDeleted) {
    TestDatabase database;
    int32_t uid = 0;
    {
        RunningService service(database.Address());
        const Reply inserted = service.Get(InsertQuery("Up 10", "10;25;0;30;0;100;0;2", "N").Page("InsertScenario"));
        ASSERT_EQ(inserted.status, 200) << inserted.body;
        uid = std::stoi(inserted.body);
        EXPECT_EQ(inserted.body, std::to_string(uid));  // a whole number and nothing else
    }
    {
        RunningService service(database.Address(), false);  // the same file, reopened
        ExpectListed(service, uid, "Up 10", {10, 25, 0, 30, 0, 100, 0, 2}, "No");
        const Reply modified =
            service.Get(InsertQuery("Up 15 & more", "15;0;-5;0;10;120;7;3", "Y").Add("Uid", uid).Page("ModScenario"));
        ASSERT_EQ(modified.status, 200) << modified.body;
    }
    RunningService service(database.Address(), false);
    ExpectListed(service, uid, "Up 15 & more", {15, 0, -5, 0, 10, 120, 7, 3}, "Yes");
    EXPECT_EQ(service.Get("/pages/DelScenario?Uid=" + std::to_string(uid)).status, 200);
    EXPECT_EQ(service.Get("/pages/DelScenario?Uid=" + std::to_string(uid)).status, 404);
    EXPECT_EQ(Listed(service, uid).GetUid(), -1);
    EXPECT_EQ(ReplyPiecesCount(service.Get("/pages/GetScenario").body), 2u);  // the book's two
}

// Only "Y" or "y" stores the flag as yes; the description comes back as
// sent, quotes and markup included (bound values, never statement text).
TEST_F(ScenarioTexts, AutoLoadFlagReadsOnlyYAsYesAndTextsStayAsSent) {
    const std::vector<std::tuple<std::string, std::string, std::string>> table = {
        // flag, read, description
        {"Y", "Yes", "Up"},
        {"y", "Yes", "It's \"quoted\" & <b>"},
        {"N", "No", "x' OR '1'='1"},
        {"", "No", "Flag"},
        {"YES", "No", "Robert') DROP TABLE scenarios--"}};
    for (const auto& [flag, expected, description] : table) {
        const Reply r = service.Get(InsertQuery(description, "0;0;0;0;0;100;0;1", flag).Page("InsertScenario"));
        ASSERT_EQ(r.status, 200) << r.body;
        ExpectListed(service, std::stoi(r.body), description, {0, 0, 0, 0, 0, 100, 0, 1}, expected);
    }
    EXPECT_EQ(ReplyPiecesCount(service.Get("/pages/GetScenario").body), 2u + table.size());
}

// From none to the most: however long the texts, the list (GetScenario,
// the host page) stays within the largest reply the control reads.
TEST(StoredScenarios, ListStaysWithinTheLargestReplyTheControlReads) {
    TestDatabase database;
    RunningService service(database.Address(), false);
    const Reply empty = service.Get("/pages/GetScenario");
    EXPECT_EQ(empty.status, 200);
    EXPECT_EQ(empty.body, "");            // none stored: the empty text
    const std::string longest(255, '&');  // five bytes each on the host page
    const Reply first = service.Get(
        InsertQuery(longest, "-1e300;-1e300;-1e300;-1e300;-1e300;-1e300;-1e300;1", "Y").Page("InsertScenario"));
    ASSERT_EQ(first.status, 200) << first.body;
    service.Service().Database().Run([&](SqlConnection& c) {
        StoredScenario s;
        s.description = longest;
        s.stockChange = s.rateChange = s.volChange = s.timeChange = s.spreadChange = s.tunerValue = s.impact =
            -1.23456789012345e300;
        Transaction transaction(c);
        for (int i = 1; i < 4000; ++i) InsertScenario(c, s);
        transaction.Commit();
    });
    const Reply full = service.Get(InsertQuery("One more", "0;0;0;0;0;100;0;1", "N").Page("InsertScenario"));
    EXPECT_EQ(full.status, 409) << full.body;
    const std::string list = service.Get("/pages/GetScenario").body;
    EXPECT_EQ(ReplyPiecesCount(list), 4000u);
    EXPECT_LT(list.size(), kMaxReplyBytes);
    EXPECT_LT(service.Get("/").body.size(), kMaxReplyBytes);
}

}  // namespace
}  // namespace zemra::pages::testing
