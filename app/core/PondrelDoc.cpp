#include "app/core/PondrelDoc.h"

#include "app/core/PondrelApp.h"

CPondrelDoc::CPondrelDoc() { theApp.m_pDoc = this; }

CPondrelDoc::~CPondrelDoc() {
    if (theApp.m_pDoc == this) theApp.m_pDoc = nullptr;
}

// The settings views are created here (document, main frame and raw input).
void CPondrelDoc::CreateMasterView() {}

// The settings frame's providers pane is created here.
void CPondrelDoc::CreateProvidersPane() {}

// The controller window and its heartbeat timer are created here.
void CPondrelDoc::CreateController() {}
