#include "app/core/PondrelModule.h"

HRESULT CPondrelModule::RegisterClassObjects(DWORD, DWORD) { return S_OK; }

void CPondrelModule::RevokeClassObjects() {}
