// The import: a good document is written whole; a bad one is refused whole,
// the field at fault named, and nothing of it is written.
#include "ServiceHarness.h"
#include "book/BookJson.h"
#include "store/BookStore.h"
#include "store/ScenarioStore.h"
#include "store/Schema.h"

namespace zemra::pages::testing {
namespace {

using nlohmann::json;

struct BadBook {
    std::string name;
    std::function<void(json&)> spoil;
    std::string reason;
};

int SecurityCount(SqlConnection& c) {
    return static_cast<int>(c.Query("SELECT COUNT(*) FROM securities").at(0).at(0).AsInteger());
}

TEST(BookImport, RefusesBadDocumentsWholeNamingTheField) {
    const std::vector<BadBook> table = {
        {"coupon as text", [](json& b) { b["securities"][3]["coupon"] = "abc"; },
         "securities[3].coupon: 'abc' is not a number"},
        {"missing maturity", [](json& b) { b["securities"][2].erase("maturity"); }, "securities[2].maturity: missing"},
        {"bad date", [](json& b) { b["securities"][2]["maturity"] = "2031-02-30"; },
         "securities[2].maturity: '2031-02-30' is not a date"},
        {"separator in a description", [](json& b) { b["securities"][0]["description"] = "A;B"; },
         "securities[0].description: 'A;B' holds ';' or '|'"},
        {"misspelt field", [](json& b) { b["securities"][1]["volatilty"] = 20; }, "securities[1].volatilty: unknown field"},
        {"repeated identifier", [](json& b) { b["securities"][1]["id"] = 2001; },
         "securities[1].id: the identifier is listed twice"},
        {"unknown underlying", [](json& b) { b["securities"][2]["underlying"] = 5555; },
         "securities[2].underlying: '5555' is not a known security"},
        {"underlying not a stock", [](json& b) { b["securities"][3]["underlying"] = 1001; },
         "securities[3].underlying: '1001' is not a stock"},
        {"negative face", [](json& b) { b["securities"][2]["face"] = -5; }, "securities[2].face: '-5' must be above 0"},
        {"bad day count", [](json& b) { b["securities"][2]["dayCount"] = "30/365"; },
         "securities[2].dayCount: '30/365' is not one of"},
        {"bad call", [](json& b) { b["securities"][2]["calls"][0]["price"] = "par"; },
         "securities[2].calls[0].price: 'par' is not a number"},
        {"curve without points", [](json& b) { b["curves"][0]["points"] = json::array(); },
         "curves[0].points: needs at least one point"},
        {"tuner beyond 16 bits", [](json& b) { b["tuners"][0]["id"] = 70000; }, "tuners[0].id: '70000' is outside"},
        {"unknown capital method", [](json& b) { b["capitalRules"][0]["method"] = "half"; },
         "capitalRules[0].method: 'half' is not one of"},
        {"host page names an unknown security", [](json& b) { b["hostPage"]["securities"][1] = 31337; },
         "hostPage.securities[1]: '31337' is not a known security"},
        {"not JSON", [](json& b) { b = "{"; }, "the document is not JSON"},
    };
    TestDatabase database;
    auto connection = OpenConnection(database.Address());
    MigrateSchema(*connection);
    for (const BadBook& bad : table) {
        json book = TestBook();
        bad.spoil(book);
        const std::string text = book.is_string() ? book.get<std::string>() : book.dump();
        try {
            ImportBookText(*connection, text);
            ADD_FAILURE() << bad.name << ": the document was accepted";
        } catch (const BookError& e) {
            EXPECT_NE(std::string(e.what()).find(bad.reason), std::string::npos) << bad.name << ": " << e.what();
        }
        EXPECT_EQ(SecurityCount(*connection), 0) << bad.name << ": part of a refused document was written";
    }
    ImportBookText(*connection, TestBook().dump());
    EXPECT_EQ(SecurityCount(*connection), 5);
}

TEST(BookImport, ReplacesWhatItNamesAndKeepsTheRest) {
    TestDatabase database;
    auto connection = OpenConnection(database.Address());
    MigrateSchema(*connection);
    ImportBookText(*connection, TestBook().dump());
    json update = json::parse(R"({"securities": [
        {"id": 2001, "description": "Orvane Systems", "ticker": "ORV", "type": "E", "price": 44, "volatility": 28}]})");
    ImportBookText(*connection, update.dump());
    EXPECT_EQ(SecurityCount(*connection), 5);
    EXPECT_EQ(LoadSecurity(*connection, 2001)->price, 44);
    EXPECT_TRUE(LoadSecurity(*connection, 2001)->dividends.empty());   // replaced whole
    EXPECT_EQ(LoadSecurity(*connection, 1001)->calls.size(), 1u);
    ImportBookText(*connection, TestBook().dump());   // again: the scenarios are replaced, not doubled
    EXPECT_EQ(connection->Query("SELECT COUNT(*) FROM scenarios").at(0).at(0).AsInteger(), 2);
}

TEST(BookImport, DemoBookImportsAndFillsTheHostPage) {
    TestDatabase database;
    auto connection = OpenConnection(database.Address());
    MigrateSchema(*connection);
    ImportBookFile(*connection, ZEMRA_PAGES_DEMO_BOOK);
    EXPECT_GE(SecurityCount(*connection), 60);
    EXPECT_EQ(HostRecordTexts(*connection).size(), 8u);
    EXPECT_EQ(HostScenarioTexts(*connection).size(), 4u);
    EXPECT_EQ(TunerListText(*connection),
              "1;Constant implied volatility|2;Constant cheapness|3;Constant implied spread");
}

TEST(BookImport, SchemaVersionIsKeptAndANewerOneRefused) {
    TestDatabase database;
    auto connection = OpenConnection(database.Address());
    MigrateSchema(*connection);
    StoredScenario longer;   // stored before descriptions were limited: cut to 255 characters
    longer.description = std::string(300, 'x');
    InsertScenario(*connection, longer);
    connection->Execute("UPDATE schema_version SET version = ?", {CurrentSchemaVersion() - 1});
    MigrateSchema(*connection);
    EXPECT_EQ(ListScenarios(*connection).at(0).description, std::string(255, 'x'));
    MigrateSchema(*connection);   // a second start changes nothing
    EXPECT_EQ(connection->Query("SELECT version FROM schema_version").at(0).at(0).AsInteger(), CurrentSchemaVersion());
    connection->Execute("UPDATE schema_version SET version = ?", {CurrentSchemaVersion() + 1});
    EXPECT_THROW(MigrateSchema(*connection), SqlError);
}

}  // namespace
}  // namespace zemra::pages::testing
