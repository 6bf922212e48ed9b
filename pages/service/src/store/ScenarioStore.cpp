#include "store/ScenarioStore.h"

namespace zemra::pages {

namespace {

std::vector<SqlValue> Fields(const StoredScenario& s) {
    return {s.description,  s.stockChange, s.rateChange, s.volChange, s.timeChange,
            s.spreadChange, s.tunerValue,  s.impact,     s.tuner,     std::string(s.autoLoad ? "Y" : "N")};
}

}  // namespace

std::vector<StoredScenario> ListScenarios(SqlConnection& connection) {
    std::vector<StoredScenario> list;
    for (const SqlRow& r :
         connection.Query("SELECT id, description, stock_change, rate_change, vol_change, time_change, spread_change, "
                          "tuner_value, impact, tuner, auto_load FROM scenarios ORDER BY id")) {
        StoredScenario s;
        s.id = r[0].AsInteger();
        s.description = r[1].AsText();
        s.stockChange = r[2].AsDouble();
        s.rateChange = r[3].AsDouble();
        s.volChange = r[4].AsDouble();
        s.timeChange = r[5].AsDouble();
        s.spreadChange = r[6].AsDouble();
        s.tunerValue = r[7].AsDouble();
        s.impact = r[8].AsDouble();
        s.tuner = static_cast<int>(r[9].AsInteger());
        s.autoLoad = r[10].AsText() == "Y";
        list.push_back(std::move(s));
    }
    return list;
}

int64_t InsertScenario(SqlConnection& connection, const StoredScenario& scenario) {
    const SqlRows rows = connection.Query(
        "INSERT INTO scenarios (description, stock_change, rate_change, vol_change, time_change, spread_change, "
        "tuner_value, impact, tuner, auto_load) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id",
        Fields(scenario));
    return rows.at(0).at(0).AsInteger();
}

std::optional<int64_t> InsertScenarioWithin(SqlConnection& connection, const StoredScenario& scenario,
                                            std::size_t most) {
    Transaction transaction(connection);
    const SqlRows count = connection.Query("SELECT COUNT(*) FROM scenarios");
    if (static_cast<std::size_t>(count.at(0).at(0).AsInteger()) >= most) return std::nullopt;
    const int64_t id = InsertScenario(connection, scenario);
    transaction.Commit();
    return id;
}

bool ModifyScenario(SqlConnection& connection, const StoredScenario& scenario) {
    std::vector<SqlValue> params = Fields(scenario);
    params.emplace_back(scenario.id);
    const SqlRows rows = connection.Query(
        "UPDATE scenarios SET description = ?, stock_change = ?, rate_change = ?, vol_change = ?, "
        "time_change = ?, spread_change = ?, tuner_value = ?, impact = ?, tuner = ?, auto_load = ? "
        "WHERE id = ? RETURNING id",
        params);
    return !rows.empty();
}

bool DeleteScenario(SqlConnection& connection, int64_t id) {
    return !connection.Query("DELETE FROM scenarios WHERE id = ? RETURNING id", {id}).empty();
}

}  // namespace zemra::pages
