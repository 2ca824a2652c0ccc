// The program's single document: the root through which the controller and
// the settings views are reached.
#pragma once

#include <memory>

#include "fx/DocTemplate.h"

class Settings;

class CPondrelDoc : public fx::Document {
public:
    CPondrelDoc();
    ~CPondrelDoc() override;

    // The document's start-up steps, in this order.
    void CreateMasterView();
    void CreateProvidersPane();
    void CreateController();

    // The settings view: holder of the content-panel records and the
    // well-known bindings.  Null before CreateProvidersPane.
    Settings* GetSettingsView() const { return m_pSettingsView.get(); }

private:
    std::unique_ptr<Settings> m_pSettingsView;
};
