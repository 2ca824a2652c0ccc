// The settings frame's providers dialog (template 143): it makes the settings
// view object that the document keeps.  Nothing creates its window.
#pragma once

#include <memory>

#include "fx/Dialog.h"

class ECPSettings;

class ProvidersDlg : public fx::Dialog {
public:
    static constexpr UINT kTemplateId = 143;
    ProvidersDlg() : fx::Dialog(kTemplateId) {}

    // A new settings view object (no window); the caller keeps it.
    std::unique_ptr<ECPSettings> CreateSettingsView();

    bool m_ViewCreated = false;  // the dialog's window hosts the view
};
