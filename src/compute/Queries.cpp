// The query strings of the scenario-detail and carry pages: keys in their
// fixed order, each followed by its value written for the address.
#include "compute/Queries.h"

#include "compute/PageContract.h"
#include "compute/QueryEncoding.h"
#include "records/RecovDecay.h"
#include "toolkit/TextSplit.h"

namespace zemra {

namespace {

namespace key = contract::key;
using pages::AppendPair;

// &key=v1;v2;...;vN, one value per scenario in list order.
template <class ValueOf>
void AppendList(std::string& query, std::string_view key, int count, ValueOf valueOf) {
    query += pages::kPairSeparator;
    query += key;
    query += pages::kKeyValueSeparator;
    for (int j = 1; j <= count; ++j) {
        if (j > 1) query += pages::kListSeparator;
        query += valueOf(j);
    }
}

}  // namespace

std::string BuildSecurityQuery(const CSecurity& sec) {
    const bool recovery = IsRecoveryRate(sec.GetRecvDecay());
    const std::string recvDecay = QueryNumber(sec.m_RecvDecayVal);
    std::string q;
    q.reserve(512);
    AppendPair(q, key::kSecurityId, QueryInteger(sec.GetsecId()), true);
    AppendPair(q, key::kStockPrice, QueryNumber(sec.GetProperties(StkPriceIdx)));
    AppendPair(q, key::kConvertPrice, QueryNumber(sec.GetProperties(ConvertPriceIdx)));
    AppendPair(q, key::kCallAdjustment, QueryInteger(sec.GetCallAdjustment()));
    AppendPair(q, key::kCreditSpread, QueryNumber(sec.GetProperties(CreditSprdIdx)));
    AppendPair(q, key::kCallAdjValue, QueryNumber(sec.GetProperties(CallAdjValIdx)));
    AppendPair(q, key::kBorrowCost, QueryNumber(sec.GetProperties(BorrowCostIdx)));
    AppendPair(q, key::kVolatility, QueryNumber(sec.GetProperties(VolatilityIdx)));
    AppendPair(q, key::kCurve, QueryText(sec.GetCurve()));
    AppendPair(q, key::kConvertPosition, QueryNumber(sec.GetProperties(ConvertPosIdx)));
    AppendPair(q, key::kStockPosition, QueryNumber(sec.GetProperties(StkPosIdx)));
    AppendPair(q, key::kFactor, QueryNumber(sec.GetFactor()));
    AppendPair(q, key::kMaturity, QueryText(sec.GetMaturity()));
    AppendPair(q, key::kSecurityType, QueryText(sec.GetSectype()));
    AppendPair(q, key::kFxRate, QueryNumber(sec.GetFxRate()));
    AppendPair(q, key::kBankruptcyModel, QueryInteger(sec.Getbankruptcy()));
    // One stored number serves as the recovery rate or the spread decay
    // factor, by the security's choice; the other key gets 0.
    AppendPair(q, key::kBondRecoveryRate, (recovery ? recvDecay : std::string("0")));
    AppendPair(q, key::kSpreadDecayFactor, (recovery ? std::string("0") : recvDecay));
    AppendPair(q, key::kDiscountingScheme, QueryInteger(sec.GetDiscount()));
    AppendPair(q, key::kDividendType, QueryInteger(sec.GetDivType()));
    AppendPair(q, key::kDiscreteDividendYears, QueryNumber(sec.m_DiscrYrs));
    AppendPair(q, key::kIssueAmountDate, QueryNumber(sec.GetProperties(IAD)));
    return q;
}

ScenarioLists BuildScenarioLists(const Collection<CScenario>& scenarios) {
    const int n = scenarios.Count();
    auto scenario = [&](int j, int index) { return QueryNumber(scenarios.Item(j).GetScenarioProperties(index)); };
    ScenarioLists lists;
    std::string& q = lists.beforeTuners;
    q.reserve(static_cast<std::size_t>(n) * 40 + 64);
    AppendList(q, key::kStockChange, n, [&](int j) { return scenario(j, m_StkChgIdx); });
    AppendList(q, key::kRateChange, n, [&](int j) { return scenario(j, m_RateChgIdx); });
    AppendList(q, key::kVolChange, n, [&](int j) { return scenario(j, m_VolChgIdx); });
    AppendList(q, key::kImpact, n, [&](int j) { return QueryNumber(scenarios.Item(j).GetImpact()); });
    AppendList(q, key::kCreditSpreadChange, n, [&](int j) { return scenario(j, m_CreditSprdChgIdx); });
    lists.timeChanges = BuildTimeChangeList(scenarios);
    return lists;
}

std::string BuildScenarioQuery(const ScenarioLists& lists, const ValuationRow& vals) {
    const int n = vals.Count();
    std::string q;
    q.reserve(lists.beforeTuners.size() + lists.timeChanges.size() + static_cast<std::size_t>(n) * 12 + 32);
    q += lists.beforeTuners;
    // The tuner and tuner value come from this security's own valuations.
    AppendList(q, key::kTunerValue, n, [&](int j) { return QueryNumber(vals.Item(j).GetTunerValue()); });
    AppendList(q, key::kTuner, n, [&](int j) { return QueryInteger(vals.Item(j).Gettuner()); });
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
    AppendPair(q, key::kConvPosition, QueryNumber(sec.GetProperties(ConvertPosIdx)));
    AppendPair(q, key::kStkPosition, QueryNumber(sec.GetProperties(StkPosIdx)));
    AppendPair(q, key::kCapitalRule, QueryInteger(sec.GetCapitalRule()));
    AppendPair(q, key::kConvCapital, QueryNumber(sec.GetConvCapital()));
    AppendPair(q, key::kStockCapital, QueryNumber(sec.GetStockCapital()));
    AppendPair(q, key::kConvPrice, QueryNumber(sec.GetProperties(ConvertPriceIdx)));
    AppendPair(q, key::kStkPrice, QueryNumber(sec.GetProperties(StkPriceIdx)));
    AppendPair(q, key::kFxRate, QueryNumber(sec.GetFxRate()));
}

}  // namespace

std::string BuildCarryQuery(const CSecurity& sec) {
    std::string q;
    q.reserve(256);
    AppendPair(q, key::kSecurityId, QueryInteger(sec.GetsecId()), true);
    AppendPair(q, key::kFinanceRate, QueryNumber(sec.GetFinance()));
    AppendPair(q, key::kRebateRate, QueryNumber(sec.GetRebate()));
    AppendPair(q, key::kBorrowRate, QueryNumber(sec.GetBorrow()));
    AppendPair(q, key::kTailRate, QueryNumber(sec.GetTail()));
    AppendPositionAndCapital(q, sec);
    AppendPair(q, key::kMaturity, QueryText(sec.GetMaturity()));
    return q;
}

std::string BuildTimeChangeList(const Collection<CScenario>& scenarios) {
    std::string q;
    AppendList(q, key::kTimeChange, scenarios.Count(),
               [&](int j) { return QueryNumber(scenarios.Item(j).GetScenarioProperties(m_TimeIdx)); });
    return q;
}

std::string BuildCapitalQuery(const CSecurity& sec) {
    std::string q;
    q.reserve(192);
    AppendPair(q, key::kSecurityId, QueryInteger(sec.GetsecId()), true);
    AppendPositionAndCapital(q, sec);
    return q;
}

std::string BuildTimeChange(const Collection<CScenario>& scenarios, int row) {
    std::string q;
    AppendPair(q, key::kTimeChange, QueryNumber(scenarios.Item(row + 1).GetScenarioProperties(m_TimeIdx)));
    return q;
}

}  // namespace zemra
