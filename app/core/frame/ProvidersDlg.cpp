#include "app/core/frame/ProvidersDlg.h"

#include "app/core/config/Settings.h"

std::unique_ptr<ECPSettings> ProvidersDlg::CreateSettingsView() { return std::make_unique<ECPSettings>(); }
