// The scenario database through its four pages: saved, modified, listed
// after a restart on the same file, deleted; the most it keeps.
#include <tuple>

#include "ServiceHarness.h"
#include "compute/PageContract.h"
#include "records/CScenario.h"
#include "store/ScenarioStore.h"

namespace zemra::pages::testing {
namespace {

using ScenarioTexts = ServiceTest;

// The listed scenario `uid` as "description;stock;rate;vol;time;spread;tuner value;impact;tuner;flag" read by the
// control's reader (empty when it is not listed).
std::string Listed(const RunningService& service, const std::string& uid) {
    for (const std::string& piece : ReplyPieces(service.Get("/pages/GetScenario").body)) {
        CScenario s;
        s.CreateScenarioFromDataBase(piece, ReplyNumberFormat());
        std::string text = s.Getdescription();
        for (int slot = 0; slot < kScenarioSlots; ++slot) text += ";" + QueryNumber(s.GetScenarioProperties(slot));
        text += ";" + QueryNumber(s.GetImpact()) + ";" + std::to_string(s.Gettuner()) + ";" + s.GetAutoLoad();
        if (std::to_string(s.GetUid()) == uid) return text;
    }
    return "";
}

TEST(StoredScenarios, SurviveARestartAndAreModifiedAndDeleted) {
    TestDatabase database;
    std::string uid;
    {
        RunningService service(database.Address());
        const Reply inserted = service.Get(InsertQuery("Up 10", "10;25;0;30;0;100;0;2", "N").Page("InsertScenario"));
        ASSERT_EQ(inserted.status, 200) << inserted.body;
        uid = inserted.body;
        EXPECT_EQ(uid, std::to_string(std::stoi(uid)));  // a whole number and nothing else
    }
    {
        RunningService service(database.Address(), false);  // the same file, reopened
        EXPECT_EQ(Listed(service, uid), "Up 10;10;25;0;30;0;100;0;2;No");
        const Query modified = InsertQuery("Up 15 & more", "15;0;-5;0;10;120;7;3", "Y").Raw("Uid", uid);
        ASSERT_EQ(service.Get(modified.Page("ModScenario")).status, 200);
    }
    RunningService service(database.Address(), false);
    EXPECT_EQ(Listed(service, uid), "Up 15 & more;15;0;-5;0;10;120;7;3;Yes");
    EXPECT_EQ(service.Get("/pages/DelScenario?Uid=" + uid).status, 200);
    EXPECT_EQ(service.Get("/pages/DelScenario?Uid=" + uid).status, 404);
    EXPECT_EQ(Listed(service, uid), "");
    EXPECT_EQ(ReplyPieces(service.Get("/pages/GetScenario").body).size(), 2u);  // the book's two
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
        EXPECT_EQ(Listed(service, r.body), description + ";0;0;0;0;0;100;0;1;" + expected) << r.body;
    }
    EXPECT_EQ(ReplyPieces(service.Get("/pages/GetScenario").body).size(), 2u + table.size());
}

// From none to the most: however long the texts, the list (GetScenario,
// the host page) stays within the largest reply the control reads.
TEST(StoredScenarios, ListStaysWithinTheLargestReplyTheControlReads) {
    TestDatabase database;
    RunningService service(database.Address(), false);
    const Reply empty = service.Get("/pages/GetScenario");
    EXPECT_EQ(std::to_string(empty.status) + empty.body, "200");  // none stored: the empty text
    const std::string longest(255, '&');                          // five bytes each on the host page
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
    EXPECT_EQ(service.Get(InsertQuery("One more", "0;0;0;0;0;100;0;1", "N").Page("InsertScenario")).status, 409);
    const std::string list = service.Get("/pages/GetScenario").body;
    EXPECT_EQ(ReplyPieces(list).size(), 4000u);
    EXPECT_LT(list.size(), kMaxReplyBytes);
    EXPECT_LT(service.Get("/").body.size(), kMaxReplyBytes);
}

}  // namespace
}  // namespace zemra::pages::testing
