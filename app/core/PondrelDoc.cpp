#include "app/core/PondrelDoc.h"

#include "app/core/PondrelApp.h"
#include "app/core/Settings.h"

CPondrelDoc::CPondrelDoc() { theApp.m_pDoc = this; }

CPondrelDoc::~CPondrelDoc() {
    if (theApp.m_pDoc == this) theApp.m_pDoc = nullptr;
}

// The settings views are created here (document, main frame and raw input).
void CPondrelDoc::CreateMasterView() {}

// The settings frame's providers pane: the settings view that holds the panel
// records (its window comes with the settings frame).
void CPondrelDoc::CreateProvidersPane() {
    if (!m_pSettingsView) m_pSettingsView = std::make_unique<Settings>();
}

// The controller window and its heartbeat timer are created here.
void CPondrelDoc::CreateController() {}
