// The document template's view inside the hidden main frame: a settings page
// with a two-tab control and OK, Cancel and Apply buttons.  The page is never
// seen on screen; its tab area hosts the master view and the controller.
#pragma once

#include "fx/DocTemplate.h"

class MainView : public fx::View {
public:
    static constexpr UINT kTabId = 4102;
    static constexpr UINT kOkId = 1111;
    static constexpr UINT kCancelId = 2222;
    static constexpr UINT kApplyId = 3333;

    // Builds the page and makes the view the document's main view.
    void OnInitialUpdate() override;

    fx::Window m_TabCtrl;
    fx::Window m_OkButton;
    fx::Window m_CancelButton;
    fx::Window m_ApplyButton;
    int m_Reserved = 0;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void BuildPage();
    void OnApply();
    void OnOk();
    void OnCancel();
};
