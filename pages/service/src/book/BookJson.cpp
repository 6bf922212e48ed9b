#include "book/BookJson.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>

#include "PageWire.h"
#include "book/TextFields.h"

namespace zemra::pages {

namespace {

using nlohmann::json;

// A value as the message quotes it: a text in quotes as it stands, any
// other JSON value as JSON.
std::string Quoted(const json& value) {
    if (value.is_string()) return "'" + value.get<std::string>() + "'";
    return "'" + value.dump() + "'";
}

// One object of the document, read field by field; every fault names the
// object's path and the field.
class ObjectReader {
public:
    ObjectReader(const json& object, std::string path) : m_object(object), m_path(std::move(path)) {
        if (!m_object.is_object()) throw BookError(m_path + ": " + Quoted(m_object) + " is not an object");
    }

    // Refuses the fields no reader asked for (a misspelt field would
    // otherwise be dropped without a word).
    void RefuseUnknown() const {
        for (const auto& [key, value] : m_object.items()) {
            if (!m_known.count(key)) throw BookError(Path(key) + ": unknown field");
        }
    }

    std::string Path(const std::string& key) const { return m_path.empty() ? key : m_path + "." + key; }

    const json* Find(const std::string& key) {
        m_known.insert(key);
        const auto it = m_object.find(key);
        return it == m_object.end() || it->is_null() ? nullptr : &*it;
    }

    const json& Require(const std::string& key) {
        const json* value = Find(key);
        if (!value) throw BookError(Path(key) + ": missing");
        return *value;
    }

    double Number(const std::string& key, std::optional<double> fallback = std::nullopt) {
        const json* value = Find(key);
        if (!value) {
            if (fallback) return *fallback;
            throw BookError(Path(key) + ": missing");
        }
        if (!value->is_number()) throw BookError(Path(key) + ": " + Quoted(*value) + " is not a number");
        const double number = value->get<double>();
        if (!std::isfinite(number)) throw BookError(Path(key) + ": " + Quoted(*value) + " is not a number");
        return number;
    }

    std::optional<double> OptionalNumber(const std::string& key) {
        if (!Find(key)) return std::nullopt;
        return Number(key);
    }

    double Positive(const std::string& key, std::optional<double> fallback = std::nullopt) {
        const double number = Number(key, fallback);
        if (!(number > 0)) {
            const json* value = Find(key);
            throw BookError(Path(key) + ": " + Quoted(value ? *value : json(number)) + " must be above 0");
        }
        return number;
    }

    int64_t Integer(const std::string& key, std::optional<int64_t> fallback = std::nullopt,
                    int64_t low = std::numeric_limits<int32_t>::min(),
                    int64_t high = std::numeric_limits<int32_t>::max()) {
        const json* value = Find(key);
        if (!value) {
            if (fallback) return *fallback;
            throw BookError(Path(key) + ": missing");
        }
        if (!value->is_number_integer()) throw BookError(Path(key) + ": " + Quoted(*value) + " is not a whole number");
        const int64_t number = value->get<int64_t>();
        if (number < low || number > high) {
            throw BookError(Path(key) + ": " + Quoted(*value) + " is outside " + std::to_string(low) + " to " +
                            std::to_string(high));
        }
        return number;
    }

    // A text that travels inside a record or list text: it may not hold the
    // separators ";" and "|".
    std::string Text(const std::string& key, std::optional<std::string> fallback = std::nullopt,
                     bool mayBeEmpty = false) {
        const json* value = Find(key);
        if (!value) {
            if (fallback) return *fallback;
            throw BookError(Path(key) + ": missing");
        }
        if (!value->is_string()) throw BookError(Path(key) + ": " + Quoted(*value) + " is not a text");
        const std::string text = value->get<std::string>();
        if (text.empty() && !mayBeEmpty) throw BookError(Path(key) + ": must not be empty");
        if (!FitsRecordField(text)) throw BookError(Path(key) + ": " + Quoted(*value) + " holds ';' or '|'");
        return text;
    }

    std::string OneOf(const std::string& key, const std::set<std::string>& allowed, const std::string& fallback) {
        const std::string text = Text(key, fallback);
        if (!allowed.count(text)) {
            std::string list;
            for (const auto& a : allowed) list += (list.empty() ? "" : ", ") + a;
            throw BookError(Path(key) + ": '" + text + "' is not one of " + list);
        }
        return text;
    }

    Date DateField(const std::string& key) {
        const json& value = Require(key);
        if (value.is_string()) {
            if (const auto date = ReadIsoDate(value.get<std::string>())) return *date;
        }
        throw BookError(Path(key) + ": " + Quoted(value) + " is not a date (YYYY-MM-DD)");
    }

    std::optional<Date> OptionalDate(const std::string& key) {
        if (!Find(key)) return std::nullopt;
        return DateField(key);
    }

    bool Flag(const std::string& key, bool fallback) {
        const json* value = Find(key);
        if (!value) return fallback;
        if (!value->is_boolean()) throw BookError(Path(key) + ": " + Quoted(*value) + " is not true or false");
        return value->get<bool>();
    }

    // Calls read(element, path) for every element of an array field.
    template <class Read>
    void Each(const std::string& key, Read read) {
        const json* value = Find(key);
        if (!value) return;
        if (!value->is_array()) throw BookError(Path(key) + ": " + Quoted(*value) + " is not a list");
        for (std::size_t i = 0; i < value->size(); ++i) read((*value)[i], Path(key) + "[" + std::to_string(i) + "]");
    }

private:
    const json& m_object;
    std::string m_path;
    std::set<std::string> m_known;
};

DefaultAssumptions ReadDefaults(ObjectReader& security) {
    DefaultAssumptions d;
    const json* value = security.Find("defaults");
    if (!value) return d;
    ObjectReader r(*value, security.Path("defaults"));
    d.convertPosition = r.Number("convertPosition", d.convertPosition);
    d.stockPosition = r.Number("stockPosition", d.stockPosition);
    d.callAdjustment = static_cast<int>(r.Integer("callAdjustment", d.callAdjustment));
    d.callAdjValue = r.Number("callAdjValue", d.callAdjValue);
    d.useBorrow = r.Number("useBorrow", d.useBorrow);
    d.curve = r.Text("curve", d.curve);
    d.factor = r.OptionalNumber("factor");
    d.deltaAdj = r.Number("deltaAdj", d.deltaAdj);
    d.ratio = r.OptionalNumber("ratio");
    d.capitalRule = static_cast<int>(r.Integer("capitalRule", d.capitalRule));
    d.convCapital = r.Number("convCapital", d.convCapital);
    d.stockCapital = r.Number("stockCapital", d.stockCapital);
    d.finance = r.Number("finance", d.finance);
    d.rebate = r.Number("rebate", d.rebate);
    d.tail = r.Number("tail", d.tail);
    d.fxRate = r.OptionalNumber("fxRate");
    d.discount = static_cast<int>(r.Integer("discount", d.discount, contract::kSmallIntMin, contract::kSmallIntMax));
    d.divType = static_cast<int>(r.Integer("divType", d.divType, contract::kSmallIntMin, contract::kSmallIntMax));
    d.recvDecay = r.OneOf("recvDecay", {"R", "D"}, d.recvDecay);
    d.recvDecayValue = r.Number("recvDecayValue", d.recvDecayValue);
    d.bankruptcy = static_cast<int>(r.Integer("bankruptcy", d.bankruptcy, 0, 1));
    d.iad = r.Number("iad", d.iad);
    r.RefuseUnknown();
    return d;
}

Security ReadSecurity(const json& value, const std::string& path) {
    ObjectReader r(value, path);
    Security s;
    s.id = r.Integer("id");
    s.description = r.Text("description");
    s.ticker = r.Text("ticker");
    s.type = r.Text("type");
    s.currency = r.Text("currency", s.currency);
    s.fxToUsd = r.Positive("fxToUsd", s.fxToUsd);
    s.price = r.Positive("price");
    s.defaults = ReadDefaults(r);
    if (s.IsStock()) {
        s.volatility = r.Number("volatility");
        s.dividendYield = r.Number("dividendYield", 0.0);
        s.borrowCost = r.Number("borrowCost", 0.0);
        r.Each("dividends", [&](const json& d, const std::string& p) {
            ObjectReader dr(d, p);
            s.dividends.push_back({dr.DateField("exDate"), dr.Number("amount")});
            dr.RefuseUnknown();
        });
    } else {
        s.underlying = r.Integer("underlying");
        s.creditSpread = r.Number("creditSpread");
        s.face = r.Positive("face", s.face);
        s.coupon = r.Number("coupon", s.coupon);
        s.frequency = static_cast<int>(r.Integer("frequency", s.frequency, 0, 12));
        s.dayCount = r.OneOf("dayCount", {"30/360", "ACT/360", "ACT/365", "ACT/ACT"}, s.dayCount);
        s.issueDate = r.OptionalDate("issueDate");
        s.maturity = r.DateField("maturity");
        s.redemption = r.Positive("redemption", s.redemption);
        s.conversionRatio = r.Number("conversionRatio");
        s.conversionStart = r.OptionalDate("conversionStart");
        s.conversionEnd = r.OptionalDate("conversionEnd");
        s.callPriceKind = r.OneOf("callPriceKind", {"clean", "dirty"}, s.callPriceKind);
        s.putPriceKind = r.OneOf("putPriceKind", {"clean", "dirty"}, s.putPriceKind);
        r.Each("calls", [&](const json& c, const std::string& p) {
            ObjectReader cr(c, p);
            CallPeriod call{cr.DateField("from"), cr.DateField("to"), cr.Positive("price"),
                            cr.OptionalNumber("trigger")};
            if (DaySerial(call.to) < DaySerial(call.from)) throw BookError(cr.Path("to") + ": ends before 'from'");
            s.calls.push_back(call);
            cr.RefuseUnknown();
        });
        r.Each("puts", [&](const json& c, const std::string& p) {
            ObjectReader pr(c, p);
            s.puts.push_back({pr.DateField("date"), pr.Positive("price")});
            pr.RefuseUnknown();
        });
        if (s.issueDate && DaySerial(*s.maturity) <= DaySerial(*s.issueDate)) {
            throw BookError(r.Path("maturity") + ": not after the issue date");
        }
    }
    r.RefuseUnknown();
    return s;
}

Curve ReadCurve(const json& value, const std::string& path) {
    ObjectReader r(value, path);
    Curve c;
    c.code = r.Text("code");
    c.name = r.Text("name");
    r.Each("points", [&](const json& p, const std::string& pointPath) {
        ObjectReader pr(p, pointPath);
        c.points.push_back({pr.Positive("tenor"), pr.Number("rate")});
        pr.RefuseUnknown();
    });
    if (c.points.empty()) throw BookError(r.Path("points") + ": needs at least one point");
    r.RefuseUnknown();
    return c;
}

OptionEntry ReadOption(const json& value, const std::string& path) {
    ObjectReader r(value, path);
    OptionEntry e{static_cast<int>(r.Integer("id", std::nullopt, contract::kSmallIntMin, contract::kSmallIntMax)),
                  r.Text("name")};
    r.RefuseUnknown();
    return e;
}

CapitalRule ReadCapitalRule(const json& value, const std::string& path) {
    ObjectReader r(value, path);
    CapitalRule rule;
    rule.id = static_cast<int>(r.Integer("id", std::nullopt, contract::kSmallIntMin, contract::kSmallIntMax));
    rule.name = r.Text("name");
    rule.method = r.OneOf("method", {kCapitalGross, kCapitalNet, kCapitalLarger}, kCapitalGross);
    r.RefuseUnknown();
    return rule;
}

StoredScenario ReadScenario(const json& value, const std::string& path) {
    ObjectReader r(value, path);
    StoredScenario s;
    s.description = r.Text("description");
    s.stockChange = r.Number("stockChange", 0.0);
    s.rateChange = r.Number("rateChange", 0.0);
    s.volChange = r.Number("volChange", 0.0);
    s.timeChange = r.Number("timeChange", 0.0);
    s.spreadChange = r.Number("spreadChange", 0.0);
    s.tunerValue = r.Number("tunerValue", 100.0);
    s.tuner = static_cast<int>(r.Integer("tuner", 1, contract::kSmallIntMin, contract::kSmallIntMax));
    s.autoLoad = r.Flag("autoLoad", false);
    r.RefuseUnknown();
    return s;
}

// Identifiers, codes and names that must be unique within their list.
template <class Key>
void RefuseRepeat(std::set<Key>& seen, const Key& key, const std::string& path, const std::string& what) {
    if (!seen.insert(key).second) throw BookError(path + ": the " + what + " is listed twice");
}

}  // namespace

Book ReadBook(const std::string& jsonText) {
    json document;
    try {
        document = json::parse(jsonText);
    } catch (const json::parse_error& e) {
        throw BookError(std::string("the document is not JSON: ") + e.what());
    }
    ObjectReader r(document, "");
    Book book;
    std::set<int64_t> ids;
    r.Each("securities", [&](const json& v, const std::string& p) {
        book.securities.push_back(ReadSecurity(v, p));
        RefuseRepeat(ids, book.securities.back().id, p + ".id", "identifier");
    });
    std::set<std::string> codes;
    r.Each("curves", [&](const json& v, const std::string& p) {
        book.curves.push_back(ReadCurve(v, p));
        RefuseRepeat(codes, ToLowerAscii(book.curves.back().code), p + ".code", "curve code");
    });
    std::set<int> tuners, adjustments, rules;
    r.Each("tuners", [&](const json& v, const std::string& p) {
        book.tuners.push_back(ReadOption(v, p));
        RefuseRepeat(tuners, book.tuners.back().id, p + ".id", "identifier");
    });
    r.Each("callAdjustments", [&](const json& v, const std::string& p) {
        book.callAdjustments.push_back(ReadOption(v, p));
        RefuseRepeat(adjustments, book.callAdjustments.back().id, p + ".id", "identifier");
    });
    r.Each("capitalRules", [&](const json& v, const std::string& p) {
        book.capitalRules.push_back(ReadCapitalRule(v, p));
        RefuseRepeat(rules, book.capitalRules.back().id, p + ".id", "identifier");
    });
    r.Each("scenarios", [&](const json& v, const std::string& p) { book.scenarios.push_back(ReadScenario(v, p)); });
    if (const json* host = r.Find("hostPage")) {
        ObjectReader h(*host, "hostPage");
        h.Each("securities", [&](const json& v, const std::string& p) {
            if (!v.is_number_integer()) throw BookError(p + ": " + Quoted(v) + " is not a whole number");
            book.hostSecurities.push_back(v.get<int64_t>());
        });
        h.Each("scenarios", [&](const json& v, const std::string& p) {
            book.hostScenarios.push_back(ScenarioText(ReadScenario(v, p)));
        });
        h.RefuseUnknown();
    }
    r.RefuseUnknown();
    return book;
}

}  // namespace zemra::pages
