// Quick search, the Add Security dialog and removing a security, through
// the panel and the dialog: the records and valuation grid kept in step
// with the list rows. Searches that add nothing, the text sent, closing and
// replacing the dialog, a modal dialog, a No and a missing page or
// security: golden/search_edges, search_modal, search_no_page and
// search_session.
#include <gtest/gtest.h>

#include "Harness.h"
#include "securities/DlgAddSec.h"

using namespace zemra;
using namespace zemra::testing;

namespace {

const std::string kSearch = kPages + "QuickSearch.asp";

std::string Record(int id, const std::string& description) {
    SecurityFields f;
    f.id = std::to_string(id);
    f.desc = description;
    return f.Text();
}

// A control holding securities 1001 and 1002 under two scenarios, whose
// quick-search page answers `reply`.
void StartSearching(Harness& h, const std::string& reply,
                    const std::string& securities = std::string(kSecurityA) + "|" + kSecurityB) {
    h.StartWithZeros(securities, kUpAndDown);
    h.ctl.ReadProperties([&] {
        PropertyBag bag;
        bag.Write("QuickSearchPath", kSearch);
        bag.Write("ScenarioDetailPath", kDetail);
        bag.Write("CarryCalcPath", kCarry);
        bag.Write("CapitalCalcPath", kCapital);
        return bag;
    }());
    h.Replies({{kSearch, reply}, {kDetail, "0|0"}, {kCarry, "0|0"}, {kPages, "0"}});
    h.host.requests.clear();
}

void Search(Harness& h, const std::string& text) {
    h.panel().UserType(h.Text("QuickSearchFld"), text);
    h.panel().UserClick(h.Button("AddBtn"));
}

std::vector<int> Ids(const Collection<CSecurity>& securities) {
    std::vector<int> ids;
    for (int p = 1; p <= securities.Count(); ++p) ids.push_back(securities.Item(p).GetsecId());
    return ids;
}

Form* OpenDialog(Harness& h) { return h.Ui().FindOpenForm("DlgAddSec"); }

}  // namespace

TEST(QuickSearch, ARecordThatCannotBeConvertedIsReportedOnceAndAddsNothing) {
    const std::string bad = "3001;Broken;C;many";
    for (const std::string& reply : {bad, bad + "|" + bad + "|"}) {
        SCOPED_TRACE(reply);
        Harness h;
        StartSearching(h, reply);
        Search(h, "Broken");
        EXPECT_EQ(h.Messages().size(), 1u);
        EXPECT_EQ(h.List("LstSecurity").Count(), 2);
        EXPECT_TRUE(h.SearchResults().Empty());
        EXPECT_EQ(OpenDialog(h), nullptr);
        EXPECT_EQ(h.Label("LabelProgress").caption, "");
    }
}

// ---- Several records: the Add Security dialog.

TEST(AddSecurityDialog, ThreeRecordsOfWhichOneIsHeldOfferTwoAndTheChosenOneJoinsTheList) {
    Harness h;
    StartSearching(h, Record(3001, "Maple CV") + "|" + kSecurityB + "|" + Record(3002, "Oak CV") + "|");
    Search(h, "CV");
    Form* dialog = OpenDialog(h);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->caption, "Add Security");
    EXPECT_FALSE(dialog->modal);
    DlgAddSec& dlg = *h.AddSecDialog();
    EXPECT_EQ(h.Rows(*dlg.SecSelList), (std::vector<std::string>{"Maple CV", "Oak CV"}));
    EXPECT_EQ(Ids(h.SearchResults()), (std::vector<int>{3001, 3002}));
    const CSecurity* offered = &h.SearchResults().Item(2);

    dialog->UserSelectRow(*dlg.SecSelList, 1);
    dialog->UserClick(*dlg.AddButton);
    EXPECT_EQ(Ids(h.Model().Securities()), (std::vector<int>{1001, 1002, 3002}));
    EXPECT_EQ(&h.Model().Securities().Item(3), offered);  // the same record, not a copy
    EXPECT_EQ(h.List("LstSecurity").ListIndex(), 2);
    EXPECT_EQ(h.Rows(*dlg.SecSelList), (std::vector<std::string>{"Maple CV"}));
    EXPECT_EQ(Ids(h.SearchResults()), (std::vector<int>{3001}));
    EXPECT_EQ(h.Model().Valuations().Count(), 3);

    // Add with no row chosen, then a double-click adds the last offer.
    dialog->UserClick(*dlg.AddButton);
    EXPECT_EQ(h.Messages(), (std::vector<std::string>{"Choose Security you wish to add!"}));
    dialog->UserDblClickRow(*dlg.SecSelList, 0);
    EXPECT_EQ(Ids(h.Model().Securities()), (std::vector<int>{1001, 1002, 3002, 3001}));
    EXPECT_TRUE(h.SearchResults().Empty());
    EXPECT_EQ(dlg.SecSelList->Count(), 0);
    EXPECT_NE(OpenDialog(h), nullptr);  // open for further additions

    dialog->UserClick(*dlg.CloseButton);
    EXPECT_EQ(OpenDialog(h), nullptr);
    EXPECT_EQ(h.AddSecDialog(), nullptr);
}

TEST(RemoveSecurity, RemovingRow2Of4MakesRow0CurrentAndMovesRow3WithItsRecordAndValuations) {
    Harness h;
    StartSearching(h, "|", Joined({Record(1, "One"), Record(2, "Two"), Record(3, "Three"), Record(4, "Four")}));
    const ValuationRow* row3 = &h.Model().Valuations().Item(4);
    h.SelectRow(h.List("LstSecurity"), 2);
    h.host.QueueAnswer(MsgAnswer::Yes);
    h.panel().UserClick(h.Button("RemoveBtn"));
    EXPECT_EQ(h.Rows(h.List("LstSecurity")), (std::vector<std::string>{"One", "Two", "Four"}));
    EXPECT_EQ(Ids(h.Model().Securities()), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(&h.Model().Valuations().Item(3), row3);
    EXPECT_EQ(h.Model().Valuations().Count(), 3);
    EXPECT_EQ(h.List("LstSecurity").ListIndex(), 0);
}

TEST(RemoveSecurity, RemovingTheOnlySecurityBlanksThePanelAndRewritesEveryImpactRow) {
    // Without a scenario-detail page the start-up run ends at once, so the
    // impacts of the scenario texts stand until the removal recomputes them.
    Harness h;
    h.Start({{"RecordString", kSecurityA},
             {"ScenarioString", ScenarioText("Up", 10, 1, 1500) + "|" + ScenarioText("Down", -10, 1, -2500)}});
    ASSERT_EQ(h.Rows(h.List("LstImpact")), (std::vector<std::string>{"1,500", "(2,500)"}));
    h.host.messages.clear();
    h.host.QueueAnswer(MsgAnswer::Yes);
    h.panel().UserClick(h.Button("RemoveBtn"));
    EXPECT_EQ(h.List("LstSecurity").Count(), 0);
    EXPECT_TRUE(h.Model().Securities().Empty());
    EXPECT_TRUE(h.Model().Valuations().Empty());
    EXPECT_EQ(h.Rows(h.List("LstImpact")), (std::vector<std::string>{"0", "0"}));
    EXPECT_EQ(h.Label("LabelValuation", 0).caption, "");
    EXPECT_EQ(h.Label("LbDolDeltaTol", 0).caption, "");
    EXPECT_EQ(h.Text("TxtAssumptions", 0).Text(), "");
}
