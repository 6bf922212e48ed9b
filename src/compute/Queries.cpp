// The query strings of the scenario-detail and carry pages: keys in their
// fixed order, each followed by its value written for the address.
#include "compute/Queries.h"

#include "records/RecovDecay.h"
#include "compute/QueryEncoding.h"
#include "toolkit/TextSplit.h"

namespace zemra {

namespace {

// key=v1;v2;...;vN, one value per scenario in list order.
template <class ValueOf>
void AppendList(std::string& query, const char* key, int count, ValueOf valueOf) {
    query += key;
    for (int j = 1; j <= count; ++j) {
        if (j > 1) query += ';';
        query += valueOf(j);
    }
}

}  // namespace

std::string BuildSecurityQuery(const CSecurity& sec) {
    const bool recovery = IsRecoveryRate(sec.GetRecvDecay());
    const std::string recvDecay = QueryNumber(sec.m_RecvDecayVal);
    std::string q;
    q.reserve(512);
    q += "Secid=" + QueryInteger(sec.GetsecId());
    q += "&StockPrice=" + QueryNumber(sec.GetProperties(StkPriceIdx));
    q += "&ConvertPrice=" + QueryNumber(sec.GetProperties(ConvertPriceIdx));
    q += "&CallAdjustment=" + QueryInteger(sec.GetCallAdjustment());
    q += "&CreditSpread=" + QueryNumber(sec.GetProperties(CreditSprdIdx));
    q += "&CallAdjValue=" + QueryNumber(sec.GetProperties(CallAdjValIdx));
    q += "&BorrowCost=" + QueryNumber(sec.GetProperties(BorrowCostIdx));
    q += "&Volatility=" + QueryNumber(sec.GetProperties(VolatilityIdx));
    q += "&Curve=" + QueryText(sec.GetCurve());
    q += "&ConvertPosition=" + QueryNumber(sec.GetProperties(ConvertPosIdx));
    q += "&StockPosition=" + QueryNumber(sec.GetProperties(StkPosIdx));
    q += "&Factor=" + QueryNumber(sec.GetFactor());
    q += "&Maturity=" + QueryText(sec.GetMaturity());
    q += "&SecType=" + QueryText(sec.GetSectype());
    q += "&FxRate=" + QueryNumber(sec.GetFxRate());
    q += "&BankruptcyModel=" + QueryInteger(sec.Getbankruptcy());
    // One stored number serves as the recovery rate or the spread decay
    // factor, by the security's choice; the other key gets 0.
    q += "&BondRecoveryRate=" + (recovery ? recvDecay : std::string("0"));
    q += "&SpreadDecayFactor=" + (recovery ? std::string("0") : recvDecay);
    q += "&DiscountingScheme=" + QueryInteger(sec.GetDiscount());
    q += "&DividendType=" + QueryInteger(sec.GetDivType());
    q += "&DiscreteDivYrs=" + QueryNumber(sec.m_DiscrYrs);
    q += "&IAD=" + QueryNumber(sec.GetProperties(IAD));
    return q;
}

ScenarioLists BuildScenarioLists(const Collection<CScenario>& scenarios) {
    const int n = scenarios.Count();
    auto scenario = [&](int j, int index) { return QueryNumber(scenarios.Item(j).GetScenarioProperties(index)); };
    ScenarioLists lists;
    std::string& q = lists.beforeTuners;
    q.reserve(static_cast<std::size_t>(n) * 40 + 64);
    AppendList(q, "&StkChg=", n, [&](int j) { return scenario(j, m_StkChgIdx); });
    AppendList(q, "&RateChg=", n, [&](int j) { return scenario(j, m_RateChgIdx); });
    AppendList(q, "&VolChg=", n, [&](int j) { return scenario(j, m_VolChgIdx); });
    AppendList(q, "&Impact=", n, [&](int j) { return QueryNumber(scenarios.Item(j).GetImpact()); });
    AppendList(q, "&CreditSprdChg=", n, [&](int j) { return scenario(j, m_CreditSprdChgIdx); });
    lists.timeChanges = BuildTimeChangeList(scenarios);
    return lists;
}

std::string BuildScenarioQuery(const ScenarioLists& lists, const ValuationRow& vals) {
    const int n = vals.Count();
    std::string q;
    q.reserve(lists.beforeTuners.size() + lists.timeChanges.size() + static_cast<std::size_t>(n) * 12 + 32);
    q += lists.beforeTuners;
    // The tuner and tuner value come from this security's own valuations.
    AppendList(q, "&TunerVal=", n, [&](int j) { return QueryNumber(vals.Item(j).GetTunerValue()); });
    AppendList(q, "&Tuner=", n, [&](int j) { return QueryInteger(vals.Item(j).Gettuner()); });
    q += lists.timeChanges;
    return q;
}

std::string BuildScenarioQuery(const Collection<CScenario>& scenarios, const ValuationRow& vals) {
    return BuildScenarioQuery(BuildScenarioLists(scenarios), vals);
}

std::string SecurityAndScenarioQuery(const Portfolio& portfolio, int position) {
    return SecurityAndScenarioQuery(portfolio, position, BuildScenarioLists(portfolio.Scenarios()));
}

std::string SecurityAndScenarioQuery(const Portfolio& portfolio, int position, const ScenarioLists& lists) {
    return BuildSecurityQuery(portfolio.Securities().Item(position)) +
           BuildScenarioQuery(lists, portfolio.Valuations().Item(position));
}

namespace {

// The positions, capital settings, prices and exchange rate of a security:
// the part the carry and capital pages both take, in the order they take it.
void AppendPositionAndCapital(std::string& q, const CSecurity& sec) {
    q += "&ConvPosition=" + QueryNumber(sec.GetProperties(ConvertPosIdx));
    q += "&StkPosition=" + QueryNumber(sec.GetProperties(StkPosIdx));
    q += "&CapitalRule=" + QueryInteger(sec.GetCapitalRule());
    q += "&ConvCapital=" + QueryNumber(sec.GetConvCapital());
    q += "&StockCapital=" + QueryNumber(sec.GetStockCapital());
    q += "&ConvPrice=" + QueryNumber(sec.GetProperties(ConvertPriceIdx));
    q += "&StkPrice=" + QueryNumber(sec.GetProperties(StkPriceIdx));
    q += "&FxRate=" + QueryNumber(sec.GetFxRate());
}

}  // namespace

std::string BuildCarryQuery(const CSecurity& sec) {
    std::string q;
    q.reserve(256);
    q += "Secid=" + QueryInteger(sec.GetsecId());
    q += "&FinRate=" + QueryNumber(sec.GetFinance());
    q += "&RebRate=" + QueryNumber(sec.GetRebate());
    q += "&BrwCost=" + QueryNumber(sec.GetBorrow());
    q += "&TailRate=" + QueryNumber(sec.GetTail());
    AppendPositionAndCapital(q, sec);
    q += "&Maturity=" + QueryText(sec.GetMaturity());
    return q;
}

std::string BuildTimeChangeList(const Collection<CScenario>& scenarios) {
    std::string q;
    AppendList(q, "&TimeChg=", scenarios.Count(),
               [&](int j) { return QueryNumber(scenarios.Item(j).GetScenarioProperties(m_TimeIdx)); });
    return q;
}

std::string BuildCapitalQuery(const CSecurity& sec) {
    std::string q;
    q.reserve(192);
    q += "Secid=" + QueryInteger(sec.GetsecId());
    AppendPositionAndCapital(q, sec);
    return q;
}

std::string BuildTimeChange(const Collection<CScenario>& scenarios, int row) {
    return "&TimeChg=" + QueryNumber(scenarios.Item(row + 1).GetScenarioProperties(m_TimeIdx));
}

}  // namespace zemra
