// The program's document as the main frame and its views see it: the main
// view it records, its controller and its settings view.  The application's
// document (CPondrelDoc, app/core/main/PondrelDoc.h) derives from it.
#pragma once

#include "fx/DocTemplate.h"

class ControllerOps;
class MainView;
class Settings;

class FrameDocument : public fx::Document {
public:
    // The controller; null before the document made it.
    virtual ControllerOps* GetController() const = 0;
    // The settings view: holder of the content-panel records and the
    // well-known bindings.  Null before the document made it.
    virtual Settings* GetSettingsView() const = 0;

    MainView* m_pMainView = nullptr;  // set by the main view's initial update; owned by the frame
};
