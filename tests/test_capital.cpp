// Capital: the rules list, the Capital Settings dialog through the panel
// and what LbCapital shows of a reply. A session (start-up, confirming,
// a reply that is not a number, a failed request, a refused rate, Cancel,
// the requests of every display and of an Update): golden/capital_session.
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
    explicit CapitalSession(const std::string& rules = "1;A|2;B", const std::string& capital = "0") {
        Replies({{kDetail, "0|0"}, {kCarry, "0|0"}, {kCapital, capital}});
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
    // The pages each request went to, in order.
    std::vector<std::string> Pages() const {
        std::vector<std::string> pages;
        for (const std::string& r : host.requests) pages.push_back(r.substr(0, r.find('?')));
        return pages;
    }
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

TEST(CapitalDialog, OpensOnTheSecuritysRuleWithItsRatesAsPlainNumbers) {
    struct Case {
        std::string rules;
        int security;      // row of LstSecurity
        int shownEntry;    // -1: none
    };
    const Case cases[] = {
        {"1;A|2;B", 0, 1},      // rule 2 is B
        {"1;A|2;B", 1, 0},      // rule 7 is not listed: the first rule
        {"", 0, -1},            // no rules: no selection
    };
    for (const Case& c : cases) {
        CapitalSession h(c.rules);
        h.SelectRow(h.List("LstSecurity"), c.security);
        DlgCapital* dlg = h.Open();
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(dlg->caption, "Capital Settings");
        EXPECT_EQ(dlg->ComboCpRule->ListIndex(), c.shownEntry) << c.rules << " " << c.security;
        if (!c.rules.empty()) {
            EXPECT_EQ(h.Rows(*dlg->ComboCpRule), (std::vector<std::string>{"A", "B"}));
            EXPECT_EQ(dlg->ComboCpRule->ItemData(0), 1);
            EXPECT_EQ(dlg->ComboCpRule->ItemData(1), 2);
        }
        EXPECT_TRUE(dlg->ComboCpRule->locked);
        EXPECT_EQ(dlg->TxtConvRate->Text(), "12.5");
        EXPECT_EQ(dlg->TxtStkRate->Text(), "15");
    }
}

TEST(CapitalDialog, MalformedRulesAreReportedAndNoDialogShows) {
    CapitalSession h("1;A|x;B");
    h.Open();
    EXPECT_EQ(h.Ui().OpenForms().size(), 1u);
    ASSERT_EQ(h.Messages().size(), 1u);
    EXPECT_TRUE(Contains(h.Messages()[0], "x;B")) << h.Messages()[0];
}

TEST(CapitalConfirm, StoresTheValuesRequestsTheCapitalThenTheCarryAndShowsTheCapital) {
    struct Case {
        std::string reply, shown;
        Rgb color;
    };
    for (const Case& c : {Case{"-1234.4", "(1,234)", kRed}, Case{"0", "0", kBlue}, Case{"1,234,567.5", "1,234,568", kBlue}}) {
        CapitalSession h("1;A|2;B", c.reply);
        DlgCapital& dlg = *h.Open();
        ASSERT_TRUE(dlg.UserPick(*dlg.ComboCpRule, 0));
        dlg.UserType(*dlg.TxtConvRate, "20");
        dlg.UserClick(*dlg.OKButton);
        EXPECT_EQ(h.Sec(1).GetCapitalRule(), 1);
        EXPECT_EQ(h.Sec(1).GetConvCapital(), 20);
        EXPECT_EQ(h.Sec(1).GetStockCapital(), 15);
        EXPECT_EQ(h.Pages(), (std::vector<std::string>{kCapital, kCarry}));
        EXPECT_EQ(h.host.requests[0],
                  kCapital + "?Secid=31&ConvPosition=1000&StkPosition=-12500&CapitalRule=1&ConvCapital=20"
                             "&StockCapital=15&ConvPrice=105.25&StkPrice=42.5&FxRate=1");
        EXPECT_TRUE(Contains(h.host.requests[1], "&CapitalRule=1&ConvCapital=20&")) << h.host.requests[1];
        EXPECT_TRUE(Contains(h.host.requests[1], "&TimeChg=0")) << h.host.requests[1];
        EXPECT_EQ(h.Label("LbCapital").caption, c.shown) << c.reply;
        EXPECT_EQ(h.Label("LbCapital").foreColor, c.color) << c.reply;
        EXPECT_EQ(h.CapitalDialog(), nullptr);
        EXPECT_EQ(h.host.MousePointer(), kPointerDefault);
        EXPECT_TRUE(h.Messages().empty());
    }
}

TEST(CapitalConfirm, WithoutRulesTheSecurityKeepsItsRule) {
    CapitalSession h("");
    DlgCapital& dlg = *h.Open();
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
