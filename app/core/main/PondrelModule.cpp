#include "app/core/main/PondrelModule.h"

HRESULT CPondrelModule::RegisterClassObjects(DWORD, DWORD) { return S_OK; }

void CPondrelModule::RevokeClassObjects() {}
