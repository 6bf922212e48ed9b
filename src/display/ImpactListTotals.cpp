// The impact list, the portfolio totals and the scenario summary.
#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "control/MainCtl.h"
#include "toolkit/DateText.h"
#include "toolkit/NumberText.h"

namespace zemra {

namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// a / b, or no value when b is 0 or has no value itself.
double Quotient(double a, double b) { return b == 0 || std::isnan(b) ? kNoValue : a / b; }

// Today plus a time change in days (rounded, halves to even) as
// "mm/dd/yyyy"; the empty text when that day lies outside the calendar.
std::string ValuationDateText(const Date& today, double days) {
    static const long kFirstDay = DaySerial(Date{1, 1, 1});
    static const long kLastDay = DaySerial(Date{9999, 12, 31});
    const double whole = RoundHalfEven(days);
    if (!std::isfinite(whole)) return "";
    const double serial = static_cast<double>(DaySerial(today)) + whole;
    if (serial < static_cast<double>(kFirstDay) || serial > static_cast<double>(kLastDay)) return "";
    return FormatMmDdYyyy(FromDaySerial(static_cast<long>(serial)));
}

}  // namespace

void MainCtl::WireImpactListEvents() {
    LstImpact->Click = [this] { LstImpact_Click(); };
}

// The totals frame: the dollar Greeks of every security under the current
// scenario, their share equivalents in the current security and its
// effective delta.
void MainCtl::ShowTotals() {
    if (portfolio_.Valuations().Empty()) return;
    const int c = ScenarioLst->ListIndex();
    if (c < 0) return;

    std::array<double, 2> delta{}, gamma{}, vega{}, rho{}, spread{};
    for (int p = 1; p <= portfolio_.Securities().Count(); ++p) {
        const CValuation& val = portfolio_.ValuationAt(p, c + 1);
        for (int k = 0; k < 2; ++k) {
            delta[k] += val.GetDolDelta(k);
            gamma[k] += val.GetDolGamma(k);
            vega[k] += val.GetDolVega(k);
            rho[k] += val.GetDolRho(k);
            spread[k] += val.GetDolCSprd(k);
        }
    }

    const int s = LstSecurity->ListIndex();
    if (s < 0) return;
    const CSecurity& security = portfolio_.Securities().Item(s + 1);
    const CValuation& valuation = portfolio_.ValuationAt(s + 1, c + 1);
    const double ratio = security.GetRatio();
    const double position = security.GetProperties(ConvertPosIdx);
    const std::string& type = security.GetSectype();
    const bool noDeltaShares = type == "P" || type == "B" || type == "DS";

    for (int k = 0; k < 2; ++k) {
        LbDolDeltaTol[k]->caption = FormatGrouped(delta[k], 0, Loc());

        // The portfolio's net delta and gamma in shares of the current
        // security: the totals divided by its stock price in dollars. A price
        // of 0 keeps the share captions; FX rates of 0 leave no figure.
        const double price = valuation.Getvaluation(k == 0 ? m_CurStkPrice : m_UpdateStkPrice);
        double deltaShares = 0;
        if (price != 0) {
            const double usd = Quotient(Quotient(price, security.GetFxRate()), security.FxToUsdValue());
            deltaShares = Quotient(delta[k], usd);
            LbDolDelShrsTot[k]->caption = FormatGrouped(deltaShares, 0, Loc());
            LbGamShrsTot[k]->caption = FormatGrouped(Quotient(gamma[k], usd), 0, Loc());
        }

        LbDolGamTol[k]->caption = FormatGrouped(gamma[k], 0, Loc());
        LbDolVegaTol[k]->caption = FormatGrouped(vega[k], 0, Loc());
        LbDolRhoTol[k]->caption = FormatGrouped(rho[k], 0, Loc());
        LbDolCSprd01Tot[k]->caption = FormatGrouped(spread[k], 0, Loc());

        // Effective delta: the net delta in shares as points of the current
        // security's delta (the factor that turns its delta into shares).
        if (ratio == 0 || position == 0 || noDeltaShares || price == 0) {
            LbEffDelta[k]->caption = "0";
            LbEffDelta[k]->foreColor = kBlue;
        } else {
            const double effective = Quotient(deltaShares, ratio * 0.01 * position);
            LbEffDelta[k]->caption = FormatGrouped(effective, 2, Loc());
            LbEffDelta[k]->foreColor = SignColor(effective);
        }

        LbDolDeltaTol[k]->foreColor = SignColor(delta[k]);
        LbDolDelShrsTot[k]->foreColor = SignColor(delta[k]);
        LbDolGamTol[k]->foreColor = SignColor(gamma[k]);
        LbGamShrsTot[k]->foreColor = SignColor(gamma[k]);
        LbDolVegaTol[k]->foreColor = SignColor(vega[k]);
        LbDolRhoTol[k]->foreColor = SignColor(rho[k]);
        LbDolCSprd01Tot[k]->foreColor = SignColor(spread[k]);
    }
}

// The summary of the current scenario, or empty fields and an empty impact
// list when there are no scenarios.
void MainCtl::ShowScenarioDetail() {
    const int r = ScenarioLst->ListIndex();
    if (portfolio_.Scenarios().Empty() || r < 0) {
        for (TextBox* field : TxtScenario) field->SetText("");
        LabelImpact->caption.clear();
        DescriptionFld->SetText("");
        // Rows without a current one still belong to their scenarios.
        if (portfolio_.Scenarios().Empty()) LstImpact->Clear();
        return;
    }
    const CScenario& scenario = portfolio_.Scenarios().Item(r + 1);
    for (int i = 0; i < kScenarioSlots; ++i)
        TxtScenario[i]->SetText(PlainNumber(scenario.GetScenarioProperties(i), Loc().decimalSeparator));
    DescriptionFld->SetText(scenario.Getdescription());
    LabelImpact->caption = FormatGrouped(scenario.GetImpact(), 0, Loc(), true);
    ShowTuner(scenario.Gettuner());
    ComboAutoLoad->SetText(scenario.GetAutoLoad());
    TxtDate->SetText(ValuationDateText(Today(), scenario.GetScenarioProperties(m_TimeIdx)));
}

// A click on an impact row leaves its scenario the only selected and the
// current row of the scenario list. The row becomes current first: every
// selection change runs the scenario list's click handling, which shows its
// current row (and selects that row here) once a single row is left.
void MainCtl::LstImpact_Click() {
    const int r = LstImpact->ListIndex();
    if (r < 0) return;
    if (r >= ScenarioLst->Count()) {
        throw std::runtime_error("The impact row " + std::to_string(r + 1) + " has no scenario: the scenario list holds " +
                                 std::to_string(ScenarioLst->Count()) + " rows.");
    }
    if (ScenarioLst->ListIndex() != r || !ScenarioLst->Selected(r)) ScenarioLst->SetSelected(r, true);
    for (int i = 0; i < ScenarioLst->Count(); ++i)
        if (i != r && ScenarioLst->Selected(i)) ScenarioLst->SetSelected(i, false);
}

}  // namespace zemra
