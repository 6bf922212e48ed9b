// Carry through the panel: the Rates dialog as it opens (rates, breakdown,
// carry option), its fields, and what confirming, cancelling and closing it
// do to the records, the carry label and the impacts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Harness.h"
#include "toolkit/UserAction.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

// A stock whose stock price does not change under either scenario: its
// impact is exactly the carry its option chooses.
std::string StockWithRates(const std::string& finance, const std::string& rebate, const std::string& borrow,
                           const std::string& tail) {
    SecurityFields f;
    f.id = "21";
    f.desc = "Stock";
    f.type = "E";
    f.cp = "100";
    f.stkPos = "0";
    f.stkPrice = "10";
    f.factor = "1";
    f.fin = finance;
    f.reb = rebate;
    f.brw = borrow;
    f.tail = tail;
    f.maturity = "06/15/2031";
    return f.Text();
}

const std::string kCarryAddress = kCarry + "?Secid=21&";
// Full carry 100, net carry 40 under both scenarios.
const std::string kStartCarry = "0;0;0;100;0;40";

struct CarrySession : Harness {
    explicit CarrySession(const std::string& record = StockWithRates("5.25", "1.25", "0.5", "0")) {
        Replies({{kDetail, "0|0"}, {kCarry, kStartCarry + "|" + kStartCarry}, {kPages, "0"}});
        Start({{"RecordString", record},
               {"ScenarioString", "Flat;0;0;0;0;0;100;0;1;N|Week;0;0;0;7;0;100;0;1;N"},
               {"ScenarioDetailPath", kDetail},
               {"CarryCalcPath", kCarry},
               {"CapitalCalcPath", kCapital}});
        host.messages.clear();
        host.requests.clear();
    }
    DlgCarry* Open() {
        panel().UserClick(*ctl.BtnCarry);
        return ctl.frmCarry.get();
    }
    // Opens the dialog, lets `edit` work in it and confirms it with the
    // page answering `carryReply`.
    template <class Edit>
    void Confirm(const std::string& carryReply, Edit edit) {
        DlgCarry& dlg = *Open();
        Replies({{kCarry, carryReply}, {kPages, "0"}});
        edit(dlg);
        dlg.UserClick(*dlg.OKButton);
    }
    const CSecurity& Sec() const { return ctl.Model().Securities().Item(1); }
};

}  // namespace

TEST(CarryDialog, OpensWithTheRatesGroupedToThreeDecimalsAndTheTailRateWrittenLast) {
    struct Case {
        std::string finance, rebate, borrow, tail;
        std::vector<std::string> shown;   // finance, rebate, borrow, tail
    };
    const Case cases[] = {
        {"5.25", "1.25", "0.5", "0", {"5.250", "1.250", "0.500", "0.000"}},
        {"1234.5", "-2", "0", "3.1", {"1,234.500", "-2.000", "0.000", "3.100"}},
    };
    for (const Case& c : cases) {
        CarrySession h(StockWithRates(c.finance, c.rebate, c.borrow, c.tail));
        DlgCarry* dlg = h.Open();
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->caption, "Rates");
        EXPECT_EQ((std::vector<std::string>{dlg->TxtFinRate->Text(), dlg->TxtRebRate->Text(),
                                            dlg->TxtBrwCost->Text(), dlg->TxtTailRate->Text()}),
                  c.shown)
            << c.finance;
        EXPECT_TRUE(h.host.requests.empty());
        EXPECT_EQ(h.ctl.Ui().OpenForms().back(), dlg);
    }
}

TEST(CarryDialog, TheTailRateFollowsEveryFinanceKeystrokeUntilEditedOnItsOwn) {
    CarrySession h;
    DlgCarry& dlg = *h.Open();
    for (const char* typed : {"6", "6.", "6.5"}) {
        dlg.UserType(*dlg.TxtFinRate, typed);
        EXPECT_EQ(dlg.TxtTailRate->Text(), typed);
    }
    dlg.UserType(*dlg.TxtTailRate, "2");
    dlg.UserFocus(*dlg.TxtRebRate);
    EXPECT_EQ(dlg.TxtTailRate->Text(), "2");
    EXPECT_EQ(dlg.TxtFinRate->Text(), "6.5");
}

TEST(CarryDialog, ARateFieldSelectsItsTextOnEntryAndKeepsTheFocusUntilItHoldsANumber) {
    CarrySession h;
    DlgCarry& dlg = *h.Open();
    dlg.UserFocus(*dlg.TxtRebRate);
    EXPECT_EQ(dlg.TxtRebRate->selStart, 0);
    EXPECT_EQ(dlg.TxtRebRate->selLength, 5);
    // The numeric test takes grouping and signs, as the dialog writes them.
    for (const char* number : {"1,234.500", "-2", " 3 "}) {
        dlg.UserType(*dlg.TxtBrwCost, number);
        EXPECT_TRUE(dlg.UserFocus(*dlg.TxtFinRate)) << number;
    }
    dlg.UserType(*dlg.TxtBrwCost, "abc");
    EXPECT_FALSE(dlg.UserFocus(*dlg.TxtFinRate));
    EXPECT_EQ(dlg.Focused(), dlg.TxtBrwCost);
    EXPECT_EQ(dlg.TxtBrwCost->selLength, 3);
    EXPECT_EQ(h.Messages(), (std::vector<std::string>{"Please enter only number in this field!"}));
    // OK cannot confirm it either.
    EXPECT_FALSE(dlg.UserClick(*dlg.OKButton));
    EXPECT_EQ(h.ctl.frmCarry.get(), &dlg);
}

TEST(CarryDialog, TheBreakdownShowsWholeNumbersAndTwoDecimalsForThePointsInTheirSignColours) {
    CarrySession h;
    h.Val(1, 1).CreateCarry("1234.5;-1234.4;2;100;0;-0.4;7;8;9;0.125;-1.005;1234.567", Locale::EnUs());
    DlgCarry& dlg = *h.Open();
    const std::vector<std::string> expected = {"1,235", "(1,234)", "2",    "100",  "0",        "0",
                                               "7",     "8",       "9",    "0.13", "(1.01)",   "1,234.57"};
    for (int k = 0; k < kCarrySlots; ++k) {
        const Label& label = *dlg.LbCarryVal[static_cast<std::size_t>(k)];
        EXPECT_EQ(label.caption, expected[static_cast<std::size_t>(k)]) << k;
        EXPECT_EQ(label.foreColor, h.Val(1, 1).GetCarry(k) < 0 ? kRed : kBlue) << k;
    }
}

TEST(CarryDialog, TheCarryOptionOfTheValuationSelectsItsOptionButton) {
    struct Case {
        int optCarry;
        bool full, net;
    };
    for (const Case& c : {Case{0, true, false}, Case{1, false, true}, Case{2, false, false}}) {
        CarrySession h;
        h.Val(1, 1).SetoptCarry(c.optCarry);
        DlgCarry& dlg = *h.Open();
        EXPECT_EQ(dlg.OptFullCarry->Value(), c.full) << c.optCarry;
        EXPECT_EQ(dlg.OptNetCarry->Value(), c.net) << c.optCarry;
    }
}

TEST(CarryDialog, TheCarryButtonNeedsASelectedSecurityAndScenario) {
    CarrySession h;
    h.ctl.ScenarioLst->SetListIndex(-1);
    EXPECT_EQ(h.Open(), nullptr);
    CarrySession noScenarios;
    noScenarios.ctl.LstSecurity->SetListIndex(-1);
    EXPECT_EQ(noScenarios.Open(), nullptr);
    EXPECT_EQ(h.ctl.Ui().OpenForms().size(), 1u);
}

TEST(CarryConfirm, RequestsTheSelectedScenariosCarryAndShowsItWithTheImpacts) {
    CarrySession h;
    EXPECT_EQ(h.ctl.LbCarry->caption, "100");
    h.Confirm("1;2;3;-500;5;-40", [](DlgCarry& dlg) {
        dlg.UserType(*dlg.TxtFinRate, "6");
        dlg.UserClick(*dlg.OptNetCarry);
    });
    EXPECT_EQ(h.host.requests.Addresses(),
              (std::vector<std::string>{kCarryAddress +
                                        "FinRate=6&RebRate=1.25&BrwCost=0.5&TailRate=6&ConvPosition=100&StkPosition=0"
                                        "&CapitalRule=1&ConvCapital=15&StockCapital=15&ConvPrice=105.25&StkPrice=10"
                                        "&FxRate=1&Maturity=06%2F15%2F2031&TimeChg=0"}));
    EXPECT_EQ(h.Sec().GetFinance(), 6);
    EXPECT_EQ(h.Sec().GetTail(), 6);
    EXPECT_EQ(h.Val(1, 1).GetoptCarry(), 1);
    EXPECT_EQ(h.Val(1, 1).GetCarry(m_CarryIdx), -500);
    // The net carry is now the impact of the first scenario alone.
    EXPECT_EQ(h.ctl.LbCarry->caption, "(40)");
    EXPECT_EQ(h.ctl.LbCarry->foreColor, kRed);
    EXPECT_EQ(h.Rows(*h.ctl.LstImpact), (std::vector<std::string>{"(40)", "100"}));
    EXPECT_EQ(h.ctl.LabelValuation[m_SubImpact]->caption, "(40)");
    EXPECT_EQ(h.ctl.LabelValuation[m_SubImpact]->foreColor, kRed);
    EXPECT_EQ(h.ctl.frmCarry, nullptr);
    EXPECT_EQ(h.host.MousePointer(), kPointerDefault);
    EXPECT_EQ(h.ctl.LabelProgress->caption, "");
    EXPECT_EQ(h.ctl.Ui().OpenForms().size(), 1u);
}

TEST(CarryConfirm, AnOptionOfNeitherAddsNoCarryAndConfirmingSendsFullCarry) {
    CarrySession h;
    h.Val(1, 1).SetoptCarry(2);
    h.Replies({{kDetail, "0|0"}, {kCarry, kStartCarry + "|" + kStartCarry}, {kPages, "0"}});
    h.panel().UserClick(*h.ctl.UpdateBtn);
    EXPECT_EQ(h.Rows(*h.ctl.LstImpact), (std::vector<std::string>{"0", "100"}));
    h.Confirm(kStartCarry, [](DlgCarry&) {});
    EXPECT_EQ(h.Val(1, 1).GetoptCarry(), 0);
    EXPECT_EQ(h.Rows(*h.ctl.LstImpact), (std::vector<std::string>{"100", "100"}));
}

TEST(CarryConfirm, AppliesToTheScenarioSelectedAtConfirmationNotAtOpening) {
    CarrySession h;
    DlgCarry& dlg = *h.Open();
    // The dialog is modeless: the panel stays usable.
    ASSERT_TRUE(h.SelectRow(*h.ctl.ScenarioLst, 1));
    h.Replies({{kCarry, "0;0;0;300;0;-60"}, {kPages, "0"}});
    dlg.UserClick(*dlg.OptNetCarry);
    dlg.UserClick(*dlg.OKButton);
    ASSERT_EQ(h.host.requests.size(), 1u);
    EXPECT_TRUE(Contains(h.host.requests[0], "&TimeChg=7")) << h.host.requests[0];
    EXPECT_EQ(h.Val(1, 1).GetoptCarry(), 0);
    EXPECT_EQ(h.Val(1, 2).GetoptCarry(), 1);
    EXPECT_EQ(h.Rows(*h.ctl.LstImpact), (std::vector<std::string>{"100", "(60)"}));
}

TEST(CarryConfirm, WithoutASelectedRowTheDialogIsOnlyReleased) {
    CarrySession h;
    DlgCarry& dlg = *h.Open();
    h.ctl.ScenarioLst->SetListIndex(-1);
    dlg.UserType(*dlg.TxtFinRate, "9");
    EXPECT_TRUE(dlg.UserClick(*dlg.OKButton));
    EXPECT_TRUE(h.host.requests.empty());
    EXPECT_EQ(h.Sec().GetFinance(), 5.25);
    EXPECT_EQ(h.ctl.frmCarry, nullptr);
}

TEST(CarryConfirm, AFailedRequestKeepsTheNewRatesAndLeavesTheBusyState) {
    CarrySession h;
    h.Confirm("", [](DlgCarry& dlg) { dlg.UserType(*dlg.TxtRebRate, "3"); });
    // An empty reply is no error: every carry slot becomes 0.
    EXPECT_EQ(h.Sec().GetRebate(), 3);
    EXPECT_EQ(h.Val(1, 1).GetCarry(m_CarryIdx), 0);
    EXPECT_TRUE(h.Messages().empty());

    CarrySession failing;
    DlgCarry& dlg = *failing.Open();
    failing.Replies({{kCarry, "", true}});
    dlg.UserType(*dlg.TxtRebRate, "3");
    dlg.UserClick(*dlg.OKButton);
    EXPECT_EQ(failing.Sec().GetRebate(), 3);
    EXPECT_EQ(failing.Messages().size(), 1u);
    EXPECT_EQ(failing.host.MousePointer(), kPointerDefault);
    EXPECT_TRUE(failing.ctl.Frame1->enabled);
    EXPECT_EQ(failing.ctl.frmCarry, nullptr);
}

TEST(CarryDialog, CancelAndTheWindowFrame) {
    CarrySession h;
    DlgCarry& dlg = *h.Open();
    dlg.UserType(*dlg.TxtFinRate, "9");
    dlg.UserClick(*dlg.CancelButton);
    EXPECT_EQ(h.ctl.frmCarry, nullptr);
    EXPECT_EQ(h.Sec().GetFinance(), 5.25);
    EXPECT_TRUE(h.host.requests.empty());
    // Closing by the window frame raises no event: the control keeps the
    // closed dialog until the next Carry click replaces it.
    DlgCarry* closed = h.Open();
    EXPECT_TRUE(ApplyUserAction(h.ctl.Ui(), ParseUserAction("close DlgCarry")));
    EXPECT_EQ(h.ctl.frmCarry.get(), closed);
    EXPECT_EQ(h.ctl.Ui().OpenForms().size(), 1u);
    DlgCarry* again = h.Open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(h.ctl.Ui().OpenForms().size(), 2u);
    EXPECT_GT(again->Instance(), 1);
}

TEST(CarryDialog, OpensModalWhenTheHostAllowsNoModelessForms) {
    CarrySession h;
    h.host.SetModelessAllowed(false);
    DlgCarry& dlg = *h.Open();
    EXPECT_TRUE(dlg.modal);
    EXPECT_FALSE(h.panel().UserClick(*h.ctl.UpdateBtn));
    dlg.UserClick(*dlg.CancelButton);
    EXPECT_EQ(h.ctl.Ui().modalOpen, 0);
}
