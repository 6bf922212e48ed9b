// Carry through the panel: the Rates dialog's carry option, when it opens
// and how, and a confirmation that adds no carry. Its rates, fields,
// breakdown, confirming (to the scenario selected then), a failed or empty
// reply, Cancel and the window frame: golden/carry_session; a modal dialog:
// golden/carry_modal.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "Harness.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

// A stock whose stock price does not change under either scenario: its
// impact is exactly the carry its option chooses.
const std::string kStock =
    "21;Stock;E;100;105.25;350;0;0;0;0;10;32.5;USG;1;0;25;1;15;15;5.25;1.25;0.5;0;1;06/15/2031;1;0;1;R;40;1;0";
// Full carry 100, net carry 40 under both scenarios.
const std::string kStartCarry = "0;0;0;100;0;40";

struct CarrySession : Harness {
    explicit CarrySession(const std::string& record = kStock) {
        Replies({{kDetail, "0|0"}, {kCarry, kStartCarry + "|" + kStartCarry}, {kPages, "0"}});
        // clang-format off
        Start({{"RecordString", record}, {"ScenarioString", "Flat;0;0;0;0;0;100;0;1;N|Week;0;0;0;7;0;100;0;1;N"},
            {"ScenarioDetailPath", kDetail}, {"CarryCalcPath", kCarry}, {"CapitalCalcPath", kCapital}});
        // clang-format on
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
    for (const auto& [optCarry, full, net] : {std::tuple{0, true, false}, {1, false, true}, {2, false, false}}) {
        CarrySession h;
        h.Val(1, 1).SetoptCarry(optCarry);
        DlgCarry& dlg = *h.Open();
        EXPECT_EQ(dlg.OptFullCarry->Value(), full) << optCarry;
        EXPECT_EQ(dlg.OptNetCarry->Value(), net) << optCarry;
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
