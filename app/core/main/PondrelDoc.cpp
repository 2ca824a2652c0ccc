#include "app/core/main/PondrelDoc.h"

#include <commctrl.h>

#include "app/core/frame/MainView.h"
#include "app/core/frame/MasterView.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/frame/ProvidersDlg.h"
#include "app/core/config/Settings.h"

CPondrelDoc::CPondrelDoc() = default;

CPondrelDoc::~CPondrelDoc() {
    m_pController.reset();
    m_pSettingsView.reset();
    m_pMasterView.reset();
    m_pProvidersDlg.reset();
    if (theApp.m_pDoc == this) theApp.m_pDoc = nullptr;
}

bool CPondrelDoc::OnNewDocument() {
    if (!fx::Document::OnNewDocument()) return false;
    theApp.m_pDoc = this;
    return true;
}

Settings* CPondrelDoc::GetSettingsView() const { return m_pSettingsView.get(); }

void CPondrelDoc::CreateMasterView() {
    if (m_pMasterView || !m_pMainView) return;
    // The tab control's rectangle, less its tab row and margins.
    HWND tab = m_pMainView->m_TabCtrl.hwnd();
    RECT rc{};
    ::GetWindowRect(tab, &rc);
    ::MapWindowPoints(nullptr, m_pMainView->hwnd(), reinterpret_cast<POINT*>(&rc), 2);
    RECT item{};
    ::SendMessageW(tab, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    rc.left += 4;
    rc.right -= 15;
    rc.bottom -= 8;
    rc.top += (item.bottom - item.top) + 4;
    auto view = std::make_unique<MasterView>();
    view->SetDocument(this);
    if (!view->CreateView(m_pMainView->hwnd(), rc, fx::kPaneFirst, WS_CHILD)) return;
    ::ShowWindow(view->hwnd(), SW_SHOW);
    m_pMasterView = std::move(view);
}

void CPondrelDoc::CreateProvidersPane() {
    if (m_pProvidersDlg) return;
    m_pProvidersDlg = std::make_unique<ProvidersDlg>();
    m_pSettingsView = m_pProvidersDlg->CreateSettingsView();
}

void CPondrelDoc::CreateController() {
    if (m_pController) return;
    CreateController(MakeController());
}

void CPondrelDoc::CreateController(std::unique_ptr<ControllerOps> controller) {
    if (m_pController || !controller) return;
    RECT rc{};
    if (m_pMasterView) ::GetClientRect(m_pMasterView->hwnd(), &rc);
    rc.top += 30;
    rc.bottom -= 8;
    rc.left += 3;
    rc.right -= 3;
    m_pController = std::move(controller);
    m_pController->CreateControllerWindow(m_pMasterView ? m_pMasterView->hwnd() : nullptr, rc, fx::kPaneFirst);
    m_pController->InitialUpdate();
}
