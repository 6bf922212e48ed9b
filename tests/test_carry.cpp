// Carry through the panel: the Rates dialog's carry option, when it opens
// and how, and a confirmation that adds no carry. Its rates, fields,
// breakdown, confirming (to the scenario selected then), a failed or empty
// reply, Cancel and the window frame: golden/carry_session.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Harness.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

// A stock whose stock price does not change under either scenario: its
// impact is exactly the carry its option chooses.
const std::string kStock = SecurityFields{.id = "21",
                                          .desc = "Stock",
                                          .type = "E",
                                          .cp = "100",
                                          .stkPos = "0",
                                          .stkPrice = "10",
                                          .factor = "1",
                                          .fin = "5.25",
                                          .reb = "1.25",
                                          .brw = "0.5",
                                          .maturity = "06/15/2031"}
                               .Text();
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

TEST(CarryDialog, OpensModalWhenTheHostAllowsNoModelessForms) {
    CarrySession h;
    h.host.SetModelessAllowed(false);
    DlgCarry& dlg = *h.Open();
    EXPECT_TRUE(dlg.modal);
    EXPECT_FALSE(h.panel().UserClick(h.Button("UpdateBtn")));
    dlg.UserClick(*dlg.CancelButton);
    EXPECT_EQ(h.Ui().modalOpen, 0);
}
