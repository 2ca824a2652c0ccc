// The plain child view inside the settings page's tab area: the parent window
// of the controller.  It paints only its button-face background.
#pragma once

#include "fx/DocTemplate.h"

class MasterView : public fx::View {
protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};
