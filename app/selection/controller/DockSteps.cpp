// The controller's dock messages: 11145 opens the panel of an imported dock
// item, 11112 and 11113 are the contents files' commands.
#include "app/core/common/GlobalLocks.h"
#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/core/frame/ControllerOps.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/selection/controller/ControllerSteps.h"

void AppLoadEcpList(WPARAM, LPARAM) { theApp.OnLoadEcpList(); }
void AppSaveContents() { theApp.OnSaveContents(); }

// The request the dock left (its identifier and URL, copied under the lock);
// the record with that identifier opens at the primary work area's centre
// with the request's URL as its query and current URL.  An identifier no
// record has opens nothing.
void DockEcp() {
    const DockRequest request = theApp.m_DockImportState.Lock()->m_DockRequest;
    Settings* settings = theApp.m_pDoc ? theApp.m_pDoc->GetSettingsView() : nullptr;
    ControllerOps* controller = theApp.m_pDoc ? theApp.m_pDoc->GetController() : nullptr;
    UserSetting* record = settings && !request.ecpId.empty() ? settings->FindEcp(request.ecpId) : nullptr;
    if (!record || !controller) return;
    record->m_QueryText = request.url;
    record->m_CurrentUrl = request.url;
    controller->LaunchEcp(RECT{0, 0, 20, 20}, record, request.url, L"Dock ECP", 1);
}
