// The scenario database through its four pages: saved, modified, listed
// after a restart on the same file, deleted.
#include "ServiceHarness.h"
#include "records/CScenario.h"
#include "compute/PageContract.h"
#include "store/ScenarioStore.h"

namespace zemra::pages::testing {
namespace {

CScenario Listed(const RunningService& service, int32_t uid) {
    for (const std::string& piece : ReplyPieces(service.Get("/pages/GetScenario").body)) {
        CScenario s;
        s.CreateScenarioFromDataBase(piece, ReplyNumberFormat());
        if (s.GetUid() == uid) return s;
    }
    return CScenario();
}

TEST(StoredScenarios, SurviveARestartAndAreModifiedAndDeleted) {
    TestDatabase testDatabase;
    const std::string database = testDatabase.Address();
    int32_t uid = 0;
    {
        RunningService service(database);
        const Reply inserted = service.Get(InsertQuery("Up 10", "10;25;0;30;0;100;0;2", "N").Page("InsertScenario"));
        ASSERT_EQ(inserted.status, 200) << inserted.body;
        uid = std::stoi(inserted.body);
        EXPECT_EQ(inserted.body, std::to_string(uid));   // a whole number and nothing else
        const CScenario s = Listed(service, uid);
        EXPECT_EQ(s.Getdescription(), "Up 10");
        EXPECT_EQ(s.GetScenarioProperties(m_StkChgIdx), 10);
        EXPECT_EQ(s.GetScenarioProperties(m_RateChgIdx), 25);
        EXPECT_EQ(s.GetScenarioProperties(m_TimeIdx), 30);
        EXPECT_EQ(s.Gettuner(), 2);
        EXPECT_EQ(s.GetAutoLoad(), "No");
    }
    {
        RunningService service(database, false);   // the same file, reopened
        EXPECT_EQ(Listed(service, uid).Getdescription(), "Up 10");
        const Reply modified = service.Get(
            InsertQuery("Up 15 & more", "15;0;-5;0;10;120;0;3", "Y").Add("Uid", uid).Page("ModScenario"));
        ASSERT_EQ(modified.status, 200) << modified.body;
    }
    {
        RunningService service(database, false);
        const CScenario s = Listed(service, uid);
        EXPECT_EQ(s.Getdescription(), "Up 15 & more");
        EXPECT_EQ(s.GetScenarioProperties(m_VolChgIdx), -5);
        EXPECT_EQ(s.GetScenarioProperties(m_CreditSprdChgIdx), 10);
        EXPECT_EQ(s.GetScenarioProperties(m_TunerValIdx), 120);
        EXPECT_EQ(s.Gettuner(), 3);
        EXPECT_EQ(s.GetAutoLoad(), "Yes");
        EXPECT_EQ(service.Get("/pages/DelScenario?Uid=" + std::to_string(uid)).status, 200);
        EXPECT_EQ(service.Get("/pages/DelScenario?Uid=" + std::to_string(uid)).status, 404);
        EXPECT_EQ(Listed(service, uid).GetUid(), -1);
        EXPECT_EQ(ReplyPiecesCount(service.Get("/pages/GetScenario").body), 2u);   // the book's two
    }
}

TEST(StoredScenarios, AutoLoadFlagReadsOnlyYAsYes) {
    TestDatabase database;
    RunningService service(database.Address());
    const std::vector<std::pair<std::string, std::string>> table = {{"Y", "Yes"}, {"y", "Yes"}, {"N", "No"}, {"", "No"},
                                                                    {"YES", "No"}};
    for (const auto& [flag, expected] : table) {
        const Reply r = service.Get(InsertQuery("Flag " + flag, "0;0;0;0;0;100;0;1", flag).Page("InsertScenario"));
        ASSERT_EQ(r.status, 200) << r.body;
        EXPECT_EQ(Listed(service, std::stoi(r.body)).GetAutoLoad(), expected) << "flag '" << flag << "'";
    }
}

// From none to the most: however long the texts, the list (GetScenario,
// the host page) stays within the largest reply the control reads.
TEST(StoredScenarios, ListStaysWithinTheLargestReplyTheControlReads) {
    TestDatabase database;
    RunningService service(database.Address(), false);
    const Reply empty = service.Get("/pages/GetScenario");
    EXPECT_EQ(empty.status, 200);
    EXPECT_EQ(empty.body, "");   // none stored: the empty text
    const std::string longest(255, '&');   // five bytes each on the host page
    const Reply first = service.Get(InsertQuery(longest, "-1e300;-1e300;-1e300;-1e300;-1e300;-1e300;-1e300;1", "Y")
                                        .Page("InsertScenario"));
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
