// Quick search, the Add Security dialog's events and removing a security:
// the security list grows from the server's security master and shrinks by
// the current security, with the valuation grid kept in step.
#include <string>

#include "compute/PageContract.h"
#include "compute/QuickSearch.h"
#include "records/RecordError.h"
#include "securities/SecuritySearch.h"
#include "toolkit/TextSplit.h"
#include "toolkit/WholeText.h"

namespace zemra {

namespace {

// The Enter key in the search field runs the search.

}  // namespace

SecuritySearch::SecuritySearch(PanelContext& ctx, const SecurityWidgets& widgets)
    : SecurityWidgets(widgets), m_ctx(ctx) {
    LstSecurity->Click = [this] { LstSecurity_Click(); };
    AddBtn->Click = [this] { AddBtn_Click(); };
    RemoveBtn->Click = [this] { RemoveBtn_Click(); };
    QuickSearchFld->KeyDown = [this](int keyCode, int shift) { QuickSearchFld_KeyDown(keyCode, shift); };
    QuickSearchFld->GotFocus = [this] { SelectWholeText(*QuickSearchFld); };
}

void SecuritySearch::QuickSearchFld_KeyDown(int keyCode, int /*shift*/) {
    if (keyCode == kKeyEnter) AddBtn_Click();
}

void SecuritySearch::AddBtn_Click() {
    const std::string searchText = QuickSearchFld->Text();
    if (searchText.empty()) {
        m_ctx.MsgOk("Type the search string!");
        return;
    }
    // The offered records go, and with them the dialog that lists them, so
    // that no row is left without its record.
    CloseAddSecDialog();
    if (m_ctx.props.QuickSearchPath.empty()) {
        m_ctx.MsgOk("Please give the QuickSearch.asp file path!");
        return;
    }
    m_ctx.ShowProgress();
    const std::string reply = m_ctx.FetchReply(QuickSearchAddress(m_ctx.props.QuickSearchPath, searchText));
    ProcessSearchReply(reply);
    m_ctx.HideProgress();
    if (frmAddSec && !m_SearchResults.Empty()) frmAddSec->Window().Show(!m_ctx.host.ModelessAllowed());
}

void SecuritySearch::ProcessSearchReply(const std::string& reply) {
    if (NoRecordsFound(reply)) {
        m_ctx.MsgOk("No records found!");
        return;
    }
    const std::vector<std::string> records = pages::ReplyPieces(reply);
    if (records.size() == 1) {
        const std::string& record = records.front();
        if (SecurityExists(IdFieldOf(record))) return;
        // The record is filled before it is listed: one that cannot be
        // converted is reported and adds nothing.
        auto sec = std::make_shared<CSecurity>();
        try {
            sec->CreateRecord(record, Loc(), m_ctx.Today());
        } catch (const RecordError& e) {
            m_ctx.MsgOk(e.what());
            return;
        }
        m_ctx.portfolio.AddSecurity(sec);
        LstSecurity->SetSelected(LstSecurity->Count() - 1, true);
        return;
    }
    m_ctx.DestroyReleasedDialogs();
    frmAddSec = std::make_unique<DlgAddSec>(m_ctx.ui);
    frmAddSec->AddSecurity = [this](int16_t index) { frmAddSec_AddSecurity(index); };
    frmAddSec->UnLoadAddSec = [this] { frmAddSec_UnLoadAddSec(); };
    frmAddSec->SecSelList->Clear();
    std::string refused;
    for (const std::string& record : records) {
        // The empty piece after a trailing "|" holds no record.
        if (record.empty() || SecurityExists(IdFieldOf(record))) continue;
        try {
            AddSearchResults(record);
        } catch (const RecordError& e) {
            refused += (refused.empty() ? "" : "\n") + std::string(e.what());
        }
    }
    if (!refused.empty()) m_ctx.MsgOk(refused);
}

void SecuritySearch::AddSearchResults(const std::string& piece) {
    for (const std::string& record : SplitItems(piece, pages::kPieceSeparator)) {
        if (record.empty() || SecurityExists(IdFieldOf(record))) continue;
        auto sec = std::make_shared<CSecurity>();
        sec->CreateRecord(record, Loc(), m_ctx.Today());
        frmAddSec->SecSelList->AddItem(sec->Getdescription());
        m_SearchResults.Add(std::move(sec));
    }
}

bool SecuritySearch::SecurityExists(const std::string& idText) const {
    if (LstSecurity->Count() == 0) return false;
    // The identifier comes from a page's record text: the data format.
    const auto id = SecurityIdOf(idText, DataFormat());
    return id && m_ctx.portfolio.HoldsSecurity(*id);
}

void SecuritySearch::frmAddSec_AddSecurity(int16_t index) {
    const int position = index + 1;
    // The same record object that stood in the results joins the portfolio.
    std::shared_ptr<CSecurity> record = m_SearchResults.Shared(position);
    m_SearchResults.Remove(position);
    m_ctx.portfolio.AddSecurity(std::move(record));
    LstSecurity->SetSelected(LstSecurity->Count() - 1, true);
}

void SecuritySearch::frmAddSec_UnLoadAddSec() {
    if (frmAddSec) frmAddSec->SecSelList->Clear();
    m_SearchResults.Clear();
    // The dialog is still running its Close handler: it is released here
    // and destroyed when the next dialog takes its place.
    m_ctx.ReleaseDialog(frmAddSec);
}

void SecuritySearch::CloseAddSecDialog() {
    m_SearchResults.Clear();
    if (!frmAddSec) return;
    frmAddSec->Window().Unload();
    m_ctx.ReleaseDialog(frmAddSec);
}

void SecuritySearch::RemoveBtn_Click() {
    const int row = LstSecurity->ListIndex();
    if (row < 0) {
        m_ctx.MsgOk("Choose security you wish to remove!");
        return;
    }
    if (!m_ctx.AskYesNo("Are you sure you want to delete the selected security?")) return;
    m_ctx.portfolio.RemoveSecurity(row + 1);
    m_ctx.refresh.CalculateImpacts();
    if (!m_ctx.portfolio.Securities().Empty()) LstSecurity->SetSelected(0, true);
    m_ctx.refresh.ShowSecurity();
    m_ctx.refresh.ShowScenarioDetail();
    m_ctx.refresh.ShowValuation();
}

// A new current security: its assumptions, then its valuation and the
// totals.
void SecuritySearch::LstSecurity_Click() {
    m_ctx.refresh.ShowSecurity();
    m_ctx.refresh.ShowValuation();
}

}  // namespace zemra
