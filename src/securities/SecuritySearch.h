#pragma once
// Quick search, the Add Security dialog's events and removing a security:
// the security list grows from the server's security master and shrinks by
// the current security, with the valuation grid kept in step.
#include <cstdint>
#include <memory>
#include <string>

#include "context/PanelContext.h"
#include "securities/DlgAddSec.h"

namespace zemra {

// The security frame's elements, made by the panel's layout.
struct SecurityWidgets {
    Frame* FrameSecurity = nullptr;
    TextBox* QuickSearchFld = nullptr;
    Button* AddBtn = nullptr;
    Button* RemoveBtn = nullptr;
    ListBox* LstSecurity = nullptr;
};

class SecuritySearch : private SecurityWidgets {
public:
    SecuritySearch(PanelContext& ctx, const SecurityWidgets& widgets);

    // The records the open Add Security dialog offers, parallel to its list.
    const Collection<CSecurity>& SearchResults() const { return m_SearchResults; }
    // The Add Security dialog of the last search that offered several
    // records, until its Close button releases it.
    DlgAddSec* AddSecDialog() const { return frmAddSec.get(); }

private:
    const Locale& Loc() const { return m_ctx.Loc(); }
    void LstSecurity_Click();
    void AddBtn_Click();
    void QuickSearchFld_KeyDown(int keyCode, int shift);
    void ProcessSearchReply(const std::string& reply);
    void AddSearchResults(const std::string& piece);
    bool SecurityExists(const std::string& idText) const;
    void frmAddSec_AddSecurity(int16_t index);
    void frmAddSec_UnLoadAddSec();
    void CloseAddSecDialog();
    void RemoveBtn_Click();

    PanelContext& m_ctx;
    Collection<CSecurity> m_SearchResults{"the search results"};
    std::unique_ptr<DlgAddSec> frmAddSec;
};

}  // namespace zemra
