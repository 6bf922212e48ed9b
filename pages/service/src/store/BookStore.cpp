#include "store/BookStore.h"

#include <map>
#include <set>

#include "book/BookJson.h"
#include "book/RecordText.h"
#include "book/TextFields.h"
#include "store/ScenarioStore.h"

namespace zemra::pages {

namespace {

constexpr int64_t kImportLock = 0x5A454D5242;

SqlValue OptionalDate(const std::optional<Date>& date) {
    if (!date) return SqlValue();
    return SqlValue(IsoDate(*date));
}

std::optional<Date> DateColumn(const SqlValue& value) {
    if (value.IsNull()) return std::nullopt;
    return ReadIsoDate(value.AsText());
}

// The type letter of a security already in the database, or nothing.
std::optional<std::string> StoredType(SqlConnection& c, int64_t id) {
    const SqlRows rows = c.Query("SELECT sec_type FROM securities WHERE id = ?", {id});
    if (rows.empty()) return std::nullopt;
    return rows[0][0].AsText();
}

// Every reference of the book points at something that will exist.
void CheckReferences(SqlConnection& c, const Book& book) {
    std::map<int64_t, std::string> types;
    for (const Security& s : book.securities) types[s.id] = s.type;
    auto typeOf = [&](int64_t id) -> std::optional<std::string> {
        if (const auto it = types.find(id); it != types.end()) return it->second;
        return StoredType(c, id);
    };
    for (std::size_t i = 0; i < book.securities.size(); ++i) {
        const Security& s = book.securities[i];
        if (s.IsStock()) continue;
        const auto type = typeOf(*s.underlying);
        const std::string path = "securities[" + std::to_string(i) + "].underlying";
        if (!type) throw BookError(path + ": '" + std::to_string(*s.underlying) + "' is not a known security");
        if (*type != kStockType) {
            throw BookError(path + ": '" + std::to_string(*s.underlying) + "' is not a stock (type E)");
        }
    }
    for (std::size_t i = 0; i < book.hostSecurities.size(); ++i) {
        if (!typeOf(book.hostSecurities[i])) {
            throw BookError("hostPage.securities[" + std::to_string(i) + "]: '" +
                            std::to_string(book.hostSecurities[i]) + "' is not a known security");
        }
    }
}

void WriteSecurity(SqlConnection& c, const Security& s) {
    c.Execute("DELETE FROM securities WHERE id = ?", {s.id});
    const bool stock = s.IsStock();
    c.Execute(
        "INSERT INTO securities (id, description, ticker, sec_type, currency, fx_to_usd, underlying_id, face, coupon, "
        "frequency, day_count, issue_date, maturity_date, redemption, conversion_ratio, conversion_start, "
        "conversion_end, call_price_kind, put_price_kind) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
        "?, ?)",
        {s.id, s.description, s.ticker, s.type, s.currency, s.fxToUsd, s.underlying, stock ? SqlValue() : s.face,
         stock ? SqlValue() : s.coupon, stock ? SqlValue() : s.frequency, stock ? SqlValue() : s.dayCount,
         OptionalDate(s.issueDate), OptionalDate(s.maturity), stock ? SqlValue() : s.redemption,
         stock ? SqlValue() : s.conversionRatio, OptionalDate(s.conversionStart), OptionalDate(s.conversionEnd),
         stock ? SqlValue() : s.callPriceKind, stock ? SqlValue() : s.putPriceKind});
    const DefaultAssumptions& d = s.defaults;
    const double factor = d.factor.value_or(stock ? 1.0 : s.face / 100);
    const double ratio = d.ratio.value_or(stock ? 1.0 : s.conversionRatio);
    c.Execute(
        "INSERT INTO security_defaults (security_id, convert_position, stock_position, call_adjustment, "
        "call_adj_value, use_borrow, curve, factor, delta_adj, ratio, capital_rule, conv_capital, stock_capital, "
        "finance, rebate, tail, fx_rate, discount, div_type, recv_decay, recv_decay_value, bankruptcy, iad) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {s.id,
         d.convertPosition,
         d.stockPosition,
         d.callAdjustment,
         d.callAdjValue,
         d.useBorrow,
         d.curve,
         factor,
         d.deltaAdj,
         ratio,
         d.capitalRule,
         d.convCapital,
         d.stockCapital,
         d.finance,
         d.rebate,
         d.tail,
         d.fxRate.value_or(s.fxToUsd),
         d.discount,
         d.divType,
         d.recvDecay,
         d.recvDecayValue,
         d.bankruptcy,
         d.iad});
    c.Execute("INSERT INTO prices (security_id, price) VALUES (?, ?)", {s.id, s.price});
    if (stock) {
        c.Execute("INSERT INTO stock_data (security_id, volatility, dividend_yield, borrow_cost) VALUES (?, ?, ?, ?)",
                  {s.id, s.volatility, s.dividendYield, s.borrowCost});
        for (const Dividend& dv : s.dividends) {
            c.Execute("INSERT INTO dividends (security_id, ex_date, amount) VALUES (?, ?, ?)",
                      {s.id, IsoDate(dv.exDate), dv.amount});
        }
        return;
    }
    c.Execute("INSERT INTO credit_spreads (security_id, spread_bp) VALUES (?, ?)", {s.id, s.creditSpread});
    for (const CallPeriod& call : s.calls) {
        c.Execute(
            "INSERT INTO call_schedule (security_id, start_date, end_date, price, trigger_pct) VALUES (?, ?, ?, ?, ?)",
            {s.id, IsoDate(call.from), IsoDate(call.to), call.price, call.trigger});
    }
    for (const PutDate& put : s.puts) {
        c.Execute("INSERT INTO put_schedule (security_id, put_date, price) VALUES (?, ?, ?)",
                  {s.id, IsoDate(put.date), put.price});
    }
}

void WriteCurve(SqlConnection& c, const Curve& curve, int position) {
    c.Execute("DELETE FROM curves WHERE lower(code) = ?", {ToLowerAscii(curve.code)});
    c.Execute("INSERT INTO curves (code, name, position) VALUES (?, ?, ?)", {curve.code, curve.name, position});
    for (const CurvePoint& p : curve.points) {
        c.Execute("INSERT INTO curve_points (code, tenor_years, zero_rate) VALUES (?, ?, ?)",
                  {curve.code, p.tenorYears, p.zeroRate});
    }
}

void WriteOption(SqlConnection& c, const std::string& table, const OptionEntry& e) {
    // The table name is one of this file's literals, never a client's text.
    c.Execute("DELETE FROM " + table + " WHERE id = ?", {e.id});
    c.Execute("INSERT INTO " + table + " (id, name) VALUES (?, ?)", {e.id, e.name});
}

std::string ListText(SqlConnection& c, const std::string& sql) {
    std::string text;
    for (const SqlRow& r : c.Query(sql)) {
        if (!text.empty()) text += kPieceSeparator;
        text += r[0].AsText() + kFieldSeparator + r[1].AsText();
    }
    return text;
}

// The columns of one security record text, in field order (see RecordText).
const char* const kRecordSelect =
    "SELECT s.id, s.description, s.sec_type, d.convert_position, p.price, cs.spread_bp, d.call_adjustment, "
    "d.call_adj_value, d.use_borrow, d.stock_position, COALESCE(up.price, p.price), "
    "COALESCE(ud.volatility, sd.volatility), d.curve, d.factor, d.delta_adj, d.ratio, d.capital_rule, "
    "d.conv_capital, d.stock_capital, d.finance, d.rebate, COALESCE(ud.borrow_cost, sd.borrow_cost), d.tail, "
    "d.fx_rate, s.maturity_date, s.fx_to_usd, d.discount, d.div_type, d.recv_decay, d.recv_decay_value, "
    "d.bankruptcy, d.iad "
    "FROM securities s JOIN security_defaults d ON d.security_id = s.id "
    "LEFT JOIN prices p ON p.security_id = s.id "
    "LEFT JOIN credit_spreads cs ON cs.security_id = s.id "
    "LEFT JOIN stock_data sd ON sd.security_id = s.id "
    "LEFT JOIN prices up ON up.security_id = s.underlying_id "
    "LEFT JOIN stock_data ud ON ud.security_id = s.underlying_id ";

RecordFields RecordFieldsOf(const SqlRow& r) {
    RecordFields f;
    f.id = r[0].AsInteger();
    f.description = r[1].AsText();
    f.type = r[2].AsText();
    f.convertPosition = r[3].AsDouble();
    f.convertPrice = r[4].AsDouble();
    f.creditSpread = r[5].AsDouble();
    f.callAdjustment = static_cast<int>(r[6].AsInteger());
    f.callAdjValue = r[7].AsDouble();
    f.useBorrow = r[8].AsDouble();
    f.stockPosition = r[9].AsDouble();
    f.stockPrice = r[10].AsDouble();
    f.volatility = r[11].AsDouble();
    f.curve = r[12].AsText();
    f.factor = r[13].AsDouble();
    f.deltaAdj = r[14].AsDouble();
    f.ratio = r[15].AsDouble();
    f.capitalRule = static_cast<int>(r[16].AsInteger());
    f.convCapital = r[17].AsDouble();
    f.stockCapital = r[18].AsDouble();
    f.finance = r[19].AsDouble();
    f.rebate = r[20].AsDouble();
    f.borrow = r[21].AsDouble();
    f.tail = r[22].AsDouble();
    f.fxRate = r[23].AsDouble();
    f.maturity = DateColumn(r[24]);
    f.fxToUsd = r[25].AsDouble();
    f.discount = static_cast<int>(r[26].AsInteger());
    f.divType = static_cast<int>(r[27].AsInteger());
    f.recvDecay = r[28].AsText();
    f.recvDecayValue = r[29].AsDouble();
    f.bankruptcy = static_cast<int>(r[30].AsInteger());
    f.iad = r[31].AsDouble();
    return f;
}

// "%" and "_" of a search text match themselves.
std::string LikePattern(const std::string& text) {
    std::string pattern = "%";
    for (const char c : ToLowerAscii(text)) {
        if (c == '%' || c == '_' || c == '\\') pattern += '\\';
        pattern += c;
    }
    return pattern + "%";
}

}  // namespace

void WriteBook(SqlConnection& c, const Book& book) {
    Transaction transaction(c);
    if (c.Dialect() == SqlDialect::Postgres) {
        // Two services importing into one database at once take turns.
        c.Execute("SELECT pg_advisory_xact_lock(?)", {kImportLock});
    }
    CheckReferences(c, book);
    for (const Security& s : book.securities) WriteSecurity(c, s);
    int position = static_cast<int>(c.Query("SELECT COUNT(*) FROM curves").at(0).at(0).AsInteger());
    for (const Curve& curve : book.curves) WriteCurve(c, curve, ++position);
    for (const OptionEntry& e : book.tuners) WriteOption(c, "tuners", e);
    for (const OptionEntry& e : book.callAdjustments) WriteOption(c, "call_adjustments", e);
    for (const CapitalRule& rule : book.capitalRules) {
        c.Execute("DELETE FROM capital_rules WHERE id = ?", {rule.id});
        c.Execute("INSERT INTO capital_rules (id, name, method) VALUES (?, ?, ?)", {rule.id, rule.name, rule.method});
    }
    for (const StoredScenario& s : book.scenarios) {
        c.Execute("DELETE FROM scenarios WHERE description = ?", {s.description});
        InsertScenario(c, s);
    }
    if (!book.hostSecurities.empty()) {
        c.Execute("DELETE FROM host_securities");
        int at = 0;
        for (const int64_t id : book.hostSecurities) {
            c.Execute("INSERT INTO host_securities (position, security_id) VALUES (?, ?)", {++at, id});
        }
    }
    if (!book.hostScenarios.empty()) {
        c.Execute("DELETE FROM host_scenarios");
        int at = 0;
        for (const std::string& text : book.hostScenarios) {
            c.Execute("INSERT INTO host_scenarios (position, scenario_text) VALUES (?, ?)", {++at, text});
        }
    }
    transaction.Commit();
}

bool HasSecurities(SqlConnection& c) { return !c.Query("SELECT id FROM securities LIMIT 1").empty(); }

std::optional<Security> LoadSecurity(SqlConnection& c, int64_t id) {
    const SqlRows rows = c.Query(
        "SELECT s.description, s.ticker, s.sec_type, s.currency, s.fx_to_usd, s.underlying_id, s.face, s.coupon, "
        "s.frequency, s.day_count, s.issue_date, s.maturity_date, s.redemption, s.conversion_ratio, "
        "s.conversion_start, s.conversion_end, s.call_price_kind, s.put_price_kind, p.price, cs.spread_bp, "
        "sd.volatility, sd.dividend_yield, sd.borrow_cost, d.convert_position, d.stock_position, d.curve, "
        "d.factor, d.ratio, d.fx_rate "
        "FROM securities s JOIN security_defaults d ON d.security_id = s.id "
        "LEFT JOIN prices p ON p.security_id = s.id LEFT JOIN credit_spreads cs ON cs.security_id = s.id "
        "LEFT JOIN stock_data sd ON sd.security_id = s.id WHERE s.id = ?",
        {id});
    if (rows.empty()) return std::nullopt;
    const SqlRow& r = rows[0];
    Security s;
    s.id = id;
    s.description = r[0].AsText();
    s.ticker = r[1].AsText();
    s.type = r[2].AsText();
    s.currency = r[3].AsText();
    s.fxToUsd = r[4].AsDouble();
    if (!r[5].IsNull()) s.underlying = r[5].AsInteger();
    s.face = r[6].IsNull() ? 0 : r[6].AsDouble();
    s.coupon = r[7].AsDouble();
    s.frequency = static_cast<int>(r[8].AsInteger());
    s.dayCount = r[9].AsText();
    s.issueDate = DateColumn(r[10]);
    s.maturity = DateColumn(r[11]);
    s.redemption = r[12].AsDouble();
    s.conversionRatio = r[13].AsDouble();
    s.conversionStart = DateColumn(r[14]);
    s.conversionEnd = DateColumn(r[15]);
    s.callPriceKind = r[16].AsText();
    s.putPriceKind = r[17].AsText();
    s.price = r[18].AsDouble();
    s.creditSpread = r[19].AsDouble();
    s.volatility = r[20].AsDouble();
    s.dividendYield = r[21].AsDouble();
    s.borrowCost = r[22].AsDouble();
    s.defaults.convertPosition = r[23].AsDouble();
    s.defaults.stockPosition = r[24].AsDouble();
    s.defaults.curve = r[25].AsText();
    s.defaults.factor = r[26].AsDouble();
    s.defaults.ratio = r[27].AsDouble();
    s.defaults.fxRate = r[28].AsDouble();
    for (const SqlRow& call : c.Query("SELECT start_date, end_date, price, trigger_pct FROM call_schedule WHERE "
                                      "security_id = ? ORDER BY start_date",
                                      {id})) {
        CallPeriod period{*DateColumn(call[0]), *DateColumn(call[1]), call[2].AsDouble(), std::nullopt};
        if (!call[3].IsNull()) period.trigger = call[3].AsDouble();
        s.calls.push_back(period);
    }
    for (const SqlRow& put :
         c.Query("SELECT put_date, price FROM put_schedule WHERE security_id = ? ORDER BY put_date", {id})) {
        s.puts.push_back({*DateColumn(put[0]), put[1].AsDouble()});
    }
    for (const SqlRow& dv :
         c.Query("SELECT ex_date, amount FROM dividends WHERE security_id = ? ORDER BY ex_date", {id})) {
        s.dividends.push_back({*DateColumn(dv[0]), dv[1].AsDouble()});
    }
    return s;
}

std::vector<std::string> SearchRecordTexts(SqlConnection& c, const std::string& text, int limit) {
    const std::string pattern = LikePattern(text);
    std::vector<std::string> records;
    for (const SqlRow& r :
         c.Query(std::string(kRecordSelect) +
                     "WHERE CAST(s.id AS TEXT) LIKE ? ESCAPE '\\' OR lower(s.ticker) LIKE ? ESCAPE '\\' "
                     "OR lower(s.description) LIKE ? ESCAPE '\\' ORDER BY s.id LIMIT ?",
                 {pattern, pattern, pattern, limit})) {
        records.push_back(SecurityRecordText(RecordFieldsOf(r)));
    }
    return records;
}

std::vector<std::string> HostRecordTexts(SqlConnection& c) {
    std::vector<std::string> records;
    for (const SqlRow& r :
         c.Query(std::string(kRecordSelect) + "JOIN host_securities h ON h.security_id = s.id ORDER BY h.position")) {
        records.push_back(SecurityRecordText(RecordFieldsOf(r)));
    }
    return records;
}

std::vector<std::string> HostScenarioTexts(SqlConnection& c) {
    std::vector<std::string> texts;
    for (const SqlRow& r : c.Query("SELECT scenario_text FROM host_scenarios ORDER BY position")) {
        texts.push_back(r[0].AsText());
    }
    return texts;
}

std::optional<Curve> LoadCurve(SqlConnection& c, const std::string& code) {
    const SqlRows rows = c.Query("SELECT code, name FROM curves WHERE lower(code) = ?", {ToLowerAscii(code)});
    if (rows.empty()) return std::nullopt;
    Curve curve{rows[0][0].AsText(), rows[0][1].AsText(), {}};
    for (const SqlRow& p :
         c.Query("SELECT tenor_years, zero_rate FROM curve_points WHERE code = ? ORDER BY tenor_years", {curve.code})) {
        curve.points.push_back({p[0].AsDouble(), p[1].AsDouble()});
    }
    return curve;
}

std::optional<CapitalRule> LoadCapitalRule(SqlConnection& c, int id) {
    const SqlRows rows = c.Query("SELECT name, method FROM capital_rules WHERE id = ?", {id});
    if (rows.empty()) return std::nullopt;
    return CapitalRule{id, rows[0][0].AsText(), rows[0][1].AsText()};
}

std::string TunerListText(SqlConnection& c) { return ListText(c, "SELECT id, name FROM tuners ORDER BY id"); }
std::string CurveListText(SqlConnection& c) { return ListText(c, "SELECT code, name FROM curves ORDER BY position"); }
std::string CallAdjustmentListText(SqlConnection& c) {
    return ListText(c, "SELECT id, name FROM call_adjustments ORDER BY id");
}
std::string CapitalRuleListText(SqlConnection& c) {
    return ListText(c, "SELECT id, name FROM capital_rules ORDER BY id");
}

}  // namespace zemra::pages
