// The program's single document: the root through which the controller and
// the settings views are reached.
#pragma once

#include "fx/DocTemplate.h"

class CPondrelDoc : public fx::Document {
public:
    CPondrelDoc();
    ~CPondrelDoc() override;

    // The document's start-up steps, in this order.
    void CreateMasterView();
    void CreateProvidersPane();
    void CreateController();
};
