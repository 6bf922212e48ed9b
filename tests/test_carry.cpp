// Carry through the panel: the Rates dialog as it opens (breakdown, carry
// option), its fields, and what confirming, cancelling and closing it do to
// the records, the carry label and the impacts. A session that opens it,
// edits the rates and confirms them: golden/carry_session.
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
const std::string kStock = SecurityFields{.id = "21", .desc = "Stock", .type = "E", .cp = "100", .stkPos = "0",
                                          .stkPrice = "10", .factor = "1", .fin = "5.25", .reb = "1.25", .brw = "0.5",
                                          .maturity = "06/15/2031"}.Text();
// Full carry 100, net carry 40 under both scenarios.
const std::string kStartCarry = "0;0;0;100;0;40";

struct CarrySession : Harness {
    explicit CarrySession(const std::string& record = kStock) {
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
        panel().UserClick(Button("BtnCarry"));
        return CarryDialog();
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
    const CSecurity& Sec() const { return Model().Securities().Item(1); }
};

}  // namespace

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
    EXPECT_EQ(h.CarryDialog(), &dlg);
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
    h.List("ScenarioLst").SetListIndex(-1);
    EXPECT_EQ(h.Open(), nullptr);
    CarrySession noScenarios;
    noScenarios.List("LstSecurity").SetListIndex(-1);
    EXPECT_EQ(noScenarios.Open(), nullptr);
    EXPECT_EQ(h.Ui().OpenForms().size(), 1u);
}

TEST(CarryConfirm, AnOptionOfNeitherAddsNoCarryAndConfirmingSendsFullCarry) {
    CarrySession h;
    h.Val(1, 1).SetoptCarry(2);
    h.Replies({{kDetail, "0|0"}, {kCarry, kStartCarry + "|" + kStartCarry}, {kPages, "0"}});
    h.panel().UserClick(h.Button("UpdateBtn"));
    EXPECT_EQ(h.Rows(h.List("LstImpact")), (std::vector<std::string>{"0", "100"}));
    h.Confirm(kStartCarry, [](DlgCarry&) {});
    EXPECT_EQ(h.Val(1, 1).GetoptCarry(), 0);
    EXPECT_EQ(h.Rows(h.List("LstImpact")), (std::vector<std::string>{"100", "100"}));
}

TEST(CarryConfirm, AppliesToTheScenarioSelectedAtConfirmationNotAtOpening) {
    CarrySession h;
    DlgCarry& dlg = *h.Open();
    // The dialog is modeless: the panel stays usable.
    ASSERT_TRUE(h.SelectRow(h.List("ScenarioLst"), 1));
    h.Replies({{kCarry, "0;0;0;300;0;-60"}, {kPages, "0"}});
    dlg.UserClick(*dlg.OptNetCarry);
    dlg.UserClick(*dlg.OKButton);
    ASSERT_EQ(h.host.requests.size(), 1u);
    EXPECT_TRUE(Contains(h.host.requests[0], "&TimeChg=7")) << h.host.requests[0];
    EXPECT_EQ(h.Val(1, 1).GetoptCarry(), 0);
    EXPECT_EQ(h.Val(1, 2).GetoptCarry(), 1);
    EXPECT_EQ(h.Rows(h.List("LstImpact")), (std::vector<std::string>{"100", "(60)"}));
}

TEST(CarryConfirm, WithoutASelectedRowTheDialogIsOnlyReleased) {
    CarrySession h;
    DlgCarry& dlg = *h.Open();
    h.List("ScenarioLst").SetListIndex(-1);
    dlg.UserType(*dlg.TxtFinRate, "9");
    EXPECT_TRUE(dlg.UserClick(*dlg.OKButton));
    EXPECT_TRUE(h.host.requests.empty());
    EXPECT_EQ(h.Sec().GetFinance(), 5.25);
    EXPECT_EQ(h.CarryDialog(), nullptr);
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
    EXPECT_TRUE(failing.Frame("Frame1").enabled);
    EXPECT_EQ(failing.CarryDialog(), nullptr);
}

TEST(CarryDialog, CancelAndTheWindowFrame) {
    CarrySession h;
    DlgCarry& dlg = *h.Open();
    dlg.UserType(*dlg.TxtFinRate, "9");
    dlg.UserClick(*dlg.CancelButton);
    EXPECT_EQ(h.CarryDialog(), nullptr);
    EXPECT_EQ(h.Sec().GetFinance(), 5.25);
    EXPECT_TRUE(h.host.requests.empty());
    // Closing by the window frame raises no event: the control keeps the
    // closed dialog until the next Carry click replaces it.
    DlgCarry* closed = h.Open();
    EXPECT_TRUE(ApplyUserAction(h.Ui(), ParseUserAction("close DlgCarry")));
    EXPECT_EQ(h.CarryDialog(), closed);
    EXPECT_EQ(h.Ui().OpenForms().size(), 1u);
    DlgCarry* again = h.Open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(h.Ui().OpenForms().size(), 2u);
    EXPECT_GT(again->Instance(), 1);
}

TEST(CarryDialog, OpensModalWhenTheHostAllowsNoModelessForms) {
    CarrySession h;
    h.host.SetModelessAllowed(false);
    DlgCarry& dlg = *h.Open();
    EXPECT_TRUE(dlg.modal);
    EXPECT_FALSE(h.panel().UserClick(h.Button("UpdateBtn")));
    dlg.UserClick(*dlg.CancelButton);
    EXPECT_EQ(h.Ui().modalOpen, 0);
}
