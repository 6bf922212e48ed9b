// Capital: the rules list and the Capital Settings dialog without rules,
// with malformed rules or without a security. A session (start-up, the
// dialog on the security's rule, confirming, a reply that is not a number,
// a failed request, a refused rate, Cancel, the requests of every display
// and of an Update): golden/capital_session; a rule not in the list and
// what LbCapital shows of 0, a loss and a large figure: golden/capital_rules.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "Harness.h"
#include "compute/CapitalRules.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

std::string Security(const std::string& id, const std::string& rule) {
    SecurityFields f;
    f.id = id;
    f.desc = "Sec " + id;
    f.capRule = rule;
    f.convCap = "12.5";
    f.stkCap = "15";
    f.maturity = "06/15/2031";
    return f.Text();
}

struct CapitalSession : Harness {
    explicit CapitalSession(const std::string& rules = "1;A|2;B") {
        Replies({{kDetail, "0|0"}, {kCarry, "0|0"}, {kCapital, "0"}});
        Start({{"RecordString", Security("31", "2") + "|" + Security("32", "7")},
               {"ScenarioString", "Flat;0;0;0;0;0;100;0;1;N|Week;0;0;0;7;0;100;0;1;N"},
               {"CapitalRules", rules},
               {"ScenarioDetailPath", kDetail},
               {"CarryCalcPath", kCarry},
               {"CapitalCalcPath", kCapital}});
        host.messages.clear();
        host.requests.clear();
    }
    DlgCapital* Open() {
        panel().UserClick(Button("BtnCapital"));
        return CapitalDialog();
    }
    const CSecurity& Sec(int position) const { return Model().Securities().Item(position); }
};

}  // namespace

TEST(CapitalRules, EntriesAreIdentifierAndNameWithSixteenBitIdentifiers) {
    struct Case {
        std::string text;
        std::vector<std::pair<int, std::string>> rules;
    };
    const Case cases[] = {
        {"1;A|2;B", {{1, "A"}, {2, "B"}}},
        {"", {}},
        {"2.5;Half|-3;Minus|4;", {{2, "Half"}, {-3, "Minus"}, {4, ""}}},
        {"32767;Top;extra", {{32767, "Top"}}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<int, std::string>> got;
        for (const CapitalRuleEntry& r : ParseCapitalRules(c.text, Locale::EnUs())) got.emplace_back(r.id, r.name);
        EXPECT_EQ(got, c.rules) << c.text;
    }
    for (const char* bad : {"x;A", "40000;Big", "1;A|3", "1;A|"}) {
        try {
            ParseCapitalRules(bad, Locale::EnUs());
            ADD_FAILURE() << bad;
        } catch (const std::runtime_error& e) {
            EXPECT_TRUE(Contains(e.what(), "capital rule")) << e.what();
        }
    }
}

TEST(CapitalDialog, MalformedRulesAreReportedAndNoDialogShows) {
    CapitalSession h("1;A|x;B");
    h.Open();
    EXPECT_EQ(h.Ui().OpenForms().size(), 1u);
    ASSERT_EQ(h.Messages().size(), 1u);
    EXPECT_TRUE(Contains(h.Messages()[0], "x;B")) << h.Messages()[0];
}

TEST(CapitalConfirm, WithoutRulesTheSecurityKeepsItsRule) {
    CapitalSession h("");
    DlgCapital& dlg = *h.Open();
    EXPECT_EQ(dlg.ComboCpRule->ListIndex(), -1);
    dlg.UserType(*dlg.TxtStkRate, "9");
    dlg.UserClick(*dlg.OKButton);
    EXPECT_EQ(h.Sec(1).GetCapitalRule(), 2);
    EXPECT_EQ(h.Sec(1).GetStockCapital(), 9);
}

TEST(CapitalDialog, TheCapitalButtonNeedsASelectedSecurity) {
    CapitalSession h;
    h.List("LstSecurity").SetListIndex(-1);
    EXPECT_EQ(h.Open(), nullptr);
    Harness empty;
    empty.Start({});
    empty.panel().UserClick(empty.Button("BtnCapital"));
    EXPECT_EQ(empty.CapitalDialog(), nullptr);
}
