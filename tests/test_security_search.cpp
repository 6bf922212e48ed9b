// Removing a security moves the rows after it with their records and
// valuations. Quick search, the Add Security dialog and the panel after a
// removal: golden/search_offers, search_edges, search_modal, search_no_page
// and search_session (the grid's shape after every action:
// PortfolioJourneys).
#include <gtest/gtest.h>

#include "Harness.h"

using namespace zemra;
using namespace zemra::testing;

TEST(RemoveSecurity, TheRowsAfterTheRemovedOneKeepTheirRecordsAndValuations) {
    std::vector<SecurityFields> four(4);
    for (int i = 0; i < 4; ++i) four[static_cast<std::size_t>(i)].id = std::to_string(i + 1);
    Harness h;
    h.StartWithZeros(Records(four), kUpAndDown);
    const ValuationRow* row3 = &h.Model().Valuations().Item(4);
    const CSecurity* security3 = &h.Model().Securities().Item(4);
    h.SelectRow(h.List("LstSecurity"), 2);
    h.host.QueueAnswer(MsgAnswer::Yes);
    h.panel().UserClick(h.Button("RemoveBtn"));
    ASSERT_EQ(h.Model().Securities().Count(), 3);
    EXPECT_EQ(&h.Model().Securities().Item(3), security3);
    EXPECT_EQ(&h.Model().Valuations().Item(3), row3);
}
