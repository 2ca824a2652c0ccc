// The program's single document: the root through which the controller and
// the settings views are reached.  Its panes are made once at start-up, in the
// order master view, providers pane, controller, and live until the end.
#pragma once

#include <memory>

#include "app/core/frame/ControllerOps.h"
#include "app/core/frame/FrameDocument.h"
#include "fx/DocTemplate.h"

class ECPSettings;
class MasterView;
class ProvidersDlg;
class Settings;

class CPondrelDoc : public FrameDocument {
public:
    CPondrelDoc();
    // Deletes the controller, the settings view, the master view and the
    // providers dialog, in this order (the frame destroys the main view).
    ~CPondrelDoc() override;

    // The framework's step; on success the document becomes the application's.
    bool OnNewDocument() override;

    // The document's start-up steps, in this order; each does nothing when
    // its object already exists.
    void CreateMasterView();
    void CreateProvidersPane();
    void CreateController();
    // The controller step with the given controller object.
    void CreateController(std::unique_ptr<ControllerOps> controller);

    // The settings view: holder of the content-panel records and the
    // well-known bindings.  Null before CreateProvidersPane.
    Settings* GetSettingsView() const override;
    ControllerOps* GetController() const override { return m_pController.get(); }

    // m_pMainView (FrameDocument): set by the main view's initial update.
    std::unique_ptr<ECPSettings> m_pSettingsView;
    std::unique_ptr<MasterView> m_pMasterView;
    std::unique_ptr<ControllerOps> m_pController;
    std::unique_ptr<ProvidersDlg> m_pProvidersDlg;
};
