#include "app/core/ProvidersDlg.h"

#include "app/core/Settings.h"

std::unique_ptr<ECPSettings> ProvidersDlg::CreateSettingsView() { return std::make_unique<ECPSettings>(); }
