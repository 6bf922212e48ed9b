// The import: a good document is written whole; a bad one is refused whole,
// the field at fault named, and nothing of it is written.
#include <tuple>

#include "ServiceHarness.h"
#include "book/BookJson.h"
#include "store/BookStore.h"
#include "store/ScenarioStore.h"
#include "store/Schema.h"

namespace zemra::pages::testing {
namespace {

using nlohmann::json;

// A database at the current schema, no book yet.
class BookImport : public ::testing::Test {
protected:
    TestDatabase database;
    std::unique_ptr<SqlConnection> connection = OpenConnection(database.Address());
    void SetUp() override { MigrateSchema(*connection); }
    int64_t Count(const std::string& table) {
        return connection->Query("SELECT COUNT(*) FROM " + table).at(0).at(0).AsInteger();
    }
};

TEST_F(BookImport, RefusesBadDocumentsWholeNamingTheField) {
    const json erase(json::value_t::discarded);
    const std::vector<std::tuple<std::string, json, std::string>> table = {
        // where, what is written there, reason
        {"/securities/3/coupon", "abc", "securities[3].coupon: 'abc' is not a number"},
        {"/securities/2/maturity", erase, "securities[2].maturity: missing"},
        {"/securities/2/maturity", "2031-02-30", "securities[2].maturity: '2031-02-30' is not a date"},
        {"/securities/0/description", "A;B", "securities[0].description: 'A;B' holds ';' or '|'"},
        {"/securities/1/volatilty", 20, "securities[1].volatilty: unknown field"},
        {"/securities/1/id", 2001, "securities[1].id: the identifier is listed twice"},
        {"/securities/2/underlying", 5555, "securities[2].underlying: '5555' is not a known security"},
        {"/securities/3/underlying", 1001, "securities[3].underlying: '1001' is not a stock"},
        {"/securities/2/face", -5, "securities[2].face: '-5' must be above 0"},
        {"/securities/2/dayCount", "30/365", "securities[2].dayCount: '30/365' is not one of"},
        {"/securities/2/calls/0/price", "par", "securities[2].calls[0].price: 'par' is not a number"},
        {"/curves/0/points", json::array(), "curves[0].points: needs at least one point"},
        {"/tuners/0/id", 70000, "tuners[0].id: '70000' is outside"},
        {"/capitalRules/0/method", "half", "capitalRules[0].method: 'half' is not one of"},
        {"/hostPage/securities/1", 31337, "hostPage.securities[1]: '31337' is not a known security"},
        {"", "{", "the document is not JSON"},
    };
    for (const auto& [where, value, reason] : table) {
        json book = TestBook();
        const json::json_pointer at(where);
        value.is_discarded() ? void(book[at.parent_pointer()].erase(at.back())) : void(book[at] = value);
        const std::string text = book.is_string() ? book.get<std::string>() : book.dump();
        try {
            ImportBookText(*connection, text);
            ADD_FAILURE() << where << ": the document was accepted";
        } catch (const BookError& e) {
            EXPECT_NE(std::string(e.what()).find(reason), std::string::npos) << where << ": " << e.what();
        }
        EXPECT_EQ(Count("securities"), 0) << where << ": part of a refused document was written";
    }
    ImportBookText(*connection, TestBook().dump());
    EXPECT_EQ(Count("securities"), 5);
}

TEST_F(BookImport, ReplacesWhatItNamesAndKeepsTheRest) {
    ImportBookText(*connection, TestBook().dump());
    json update = json::parse(R"({"securities": [
        {"id": 2001, "description": "Orvane Systems", "ticker": "ORV", "type": "E", "price": 44, "volatility": 28}]})");
    ImportBookText(*connection, update.dump());
    EXPECT_EQ(Count("securities"), 5);
    const auto stock = LoadSecurity(*connection, 2001);
    EXPECT_TRUE(stock->price == 44 && stock->dividends.empty());  // replaced whole
    EXPECT_EQ(LoadSecurity(*connection, 1001)->calls.size(), 1u);
    ImportBookText(*connection, TestBook().dump());  // again: the scenarios are replaced, not doubled
    EXPECT_EQ(Count("scenarios"), 2);
}

TEST_F(BookImport, SchemaVersionIsKeptAndANewerOneRefused) {
    StoredScenario longer;  // stored before descriptions were limited: cut to 255 characters
    longer.description = std::string(300, 'x');
    InsertScenario(*connection, longer);
    connection->Execute("UPDATE schema_version SET version = ?", {CurrentSchemaVersion() - 1});
    MigrateSchema(*connection);
    EXPECT_EQ(ListScenarios(*connection).at(0).description, std::string(255, 'x'));
    MigrateSchema(*connection);  // a second start changes nothing
    EXPECT_EQ(connection->Query("SELECT version FROM schema_version").at(0).at(0).AsInteger(), CurrentSchemaVersion());
    connection->Execute("UPDATE schema_version SET version = ?", {CurrentSchemaVersion() + 1});
    EXPECT_THROW(MigrateSchema(*connection), SqlError);
}

}  // namespace
}  // namespace zemra::pages::testing
