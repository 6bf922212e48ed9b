// Quick search, the Add Security dialog and removing a security, through
// the panel and the dialog as the user drives them: what is asked of the
// page, what is listed, offered and shown, and the records and valuation
// grid kept in step with the list rows.
#include <gtest/gtest.h>

#include "Harness.h"
#include "securities/DlgAddSec.h"
#include "toolkit/UserAction.h"

using namespace zemra;
using zemra::headless::CannedReply;
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
void StartSearching(Harness& h, const std::string& reply, const std::string& securities = std::string(kSecurityA) +
                                                                                              "|" + kSecurityB) {
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

// ---- Searches that add nothing.

TEST(QuickSearch, SearchesThatFindNothingSayWhyAndChangeNothing) {
    struct Case {
        const char* name;
        std::string text, page, reply, message;
        size_t requests;
    };
    const Case cases[] = {
        {"empty text", "", kSearch, Record(3001, "New"), "Type the search string!", 0},
        {"no page", "ACME", "", Record(3001, "New"), "Please give the QuickSearch.asp file path!", 0},
        {"bar alone", "ACME", kSearch, "|", "No records found!", 1},
        {"one character", "ACME", kSearch, "x", "No records found!", 1},
        {"empty reply", "ACME", kSearch, "", "No records found!", 1},
        {"already held", "ACME", kSearch, kSecurityA, "", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        StartSearching(h, c.reply);
        if (c.page.empty()) h.ctl.ReadProperties(PropertyBag{});
        Search(h, c.text);
        EXPECT_EQ(h.Messages(), c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
        EXPECT_EQ(h.host.requests.size(), c.requests);
        EXPECT_EQ(Ids(h.Model().Securities()), (std::vector<int>{1001, 1002}));
        EXPECT_EQ(h.Label("LabelProgress").caption, "");
        EXPECT_EQ(OpenDialog(h), nullptr);
    }
}

TEST(QuickSearch, TheSearchTextReachesThePageAsTypedAndEnterSearchesAsTheButtonDoes) {
    struct Case {
        std::string text, query;
        bool enter;
    };
    const Case cases[] = {
        {"AT&T", "AT%26T", false},
        {"  ", "%20%20", false},
        {"Up 10 & vol;|#", "Up%2010%20%26%20vol%3B%7C%23", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Harness h;
        StartSearching(h, "|");
        h.panel().UserType(h.Text("QuickSearchFld"), c.text);
        if (c.enter)
            h.panel().UserKey(h.Text("QuickSearchFld"), 13);
        else
            h.panel().UserClick(h.Button("AddBtn"));
        ASSERT_EQ(h.host.requests.size(), 1u);
        EXPECT_EQ(h.host.requests[0], kSearch + "?QuickSearch=" + c.query);
    }
    Harness h;
    StartSearching(h, "|");
    h.panel().UserType(h.Text("QuickSearchFld"), "a");
    h.panel().UserKey(h.Text("QuickSearchFld"), 65);
    EXPECT_TRUE(h.host.requests.empty());
}

// ---- One record: added at once (made current and shown: golden/search_session).

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
    EXPECT_EQ(&h.Model().Securities().Item(3), offered);   // the same record, not a copy
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
    EXPECT_NE(OpenDialog(h), nullptr);   // open for further additions

    dialog->UserClick(*dlg.CloseButton);
    EXPECT_EQ(OpenDialog(h), nullptr);
    EXPECT_EQ(h.AddSecDialog(), nullptr);
}

TEST(AddSecurityDialog, ClosingEmptiesTheOffersAndANewSearchReplacesAnOpenDialog) {
    Harness h;
    StartSearching(h, Record(3001, "Maple CV") + "|" + Record(3002, "Oak CV"));
    Search(h, "CV");
    h.AddSecDialog()->Window().UserClick(*h.AddSecDialog()->CloseButton);
    EXPECT_TRUE(h.SearchResults().Empty());
    EXPECT_EQ(OpenDialog(h), nullptr);

    // A dialog closed by its window frame keeps its offers until the next search.
    h.panel().UserClick(h.Button("AddBtn"));
    ApplyUserAction(h.Ui(), ParseUserAction("close DlgAddSec"));
    EXPECT_EQ(h.SearchResults().Count(), 2);
    h.panel().UserClick(h.Button("AddBtn"));
    h.panel().UserClick(h.Button("AddBtn"));   // replaces the open dialog
    EXPECT_EQ(h.Ui().OpenForms().size(), 2u);
    EXPECT_EQ(h.SearchResults().Count(), 2);
    EXPECT_EQ(h.AddSecDialog()->SecSelList->Count(), 2);

    // A search that finds nothing takes the offers and their dialog away.
    h.Replies({{kSearch, "|"}});
    h.panel().UserClick(h.Button("AddBtn"));
    EXPECT_TRUE(h.SearchResults().Empty());
    EXPECT_EQ(OpenDialog(h), nullptr);
}

TEST(AddSecurityDialog, AllRecordsHeldShowsNoDialogAndAHostWithoutModelessWindowsShowsItModal) {
    Harness h;
    StartSearching(h, std::string(kSecurityA) + "|" + kSecurityB);
    Search(h, "held");
    EXPECT_EQ(OpenDialog(h), nullptr);
    EXPECT_TRUE(h.Messages().empty());

    h.host.SetModelessAllowed(false);
    h.Replies({{kSearch, Record(3001, "Maple CV") + "|" + Record(3002, "Oak CV")}});
    h.panel().UserClick(h.Button("AddBtn"));
    ASSERT_NE(OpenDialog(h), nullptr);
    EXPECT_TRUE(OpenDialog(h)->modal);
    // While it is open the panel takes no user action.
    EXPECT_FALSE(h.panel().UserClick(h.Button("AddBtn")));
    OpenDialog(h)->UserClick(*h.AddSecDialog()->CloseButton);
    EXPECT_EQ(h.Ui().modalOpen, 0);
}

// ---- Removing the current security.

TEST(RemoveSecurity, WithoutACurrentSecurityOrWithoutYesNothingChanges) {
    Harness h;
    StartSearching(h, "|");
    h.host.QueueAnswer(MsgAnswer::No);
    h.panel().UserClick(h.Button("RemoveBtn"));
    EXPECT_EQ(h.Messages(), (std::vector<std::string>{"Are you sure you want to delete the selected security?"}));
    EXPECT_EQ(h.List("LstSecurity").Count(), 2);

    Harness empty;
    empty.StartWithZeros("", kUpAndDown);
    empty.panel().UserClick(empty.Button("RemoveBtn"));
    EXPECT_EQ(empty.Messages(), (std::vector<std::string>{"Choose security you wish to remove!"}));
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
    h.Start({{"RecordString", kSecurityA}, {"ScenarioString", ScenarioText("Up", 10, 1, 1500) + "|" +
                                                                  ScenarioText("Down", -10, 1, -2500)}});
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
