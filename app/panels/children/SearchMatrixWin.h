// SearchMatrixWin ("SearchMatrix777"): a layered tool window hosting the
// search-matrix view.  Nothing in the program creates it; its behaviour: it
// starts transparent, places itself when shown (at the kept rectangle when
// its text is empty, marking the view for its fade-in, else at its own
// rectangle), and while shown its
// timer 880 hides it on Escape or when another program's window comes to
// the front, and counts the view's countdown down to bringing it forward.
#pragma once

#include <windows.h>

#include <string>

#include "app/core/common/WindowClasses.h"
#include "app/panels/children/SearchMatrixView.h"
#include "app/selection/skin/FloatingWin.h"

namespace panels {

class SearchMatrixWin : public FloatingWin {
public:
    static constexpr const wchar_t* kClass = window_class::kSearchMatrix;
    static constexpr int kViewId = 0xE900;
    static constexpr UINT kTimerMs = 100;

    ~SearchMatrixWin() override;

    // Creates the hidden window at rect.
    bool CreateAt(const RECT& rect);
    SearchMatrixView& View() { return m_View; }

    // What the owner gives it (the owner's thread only): the text it shows
    // (cleared when it hides) and the rectangle for a show without text.
    std::wstring m_Text;
    RECT m_KeptRect{0, 0, 0, 0};

protected:
    void PreCreateWindow(CREATESTRUCTW& cs) override;
    bool OnCreateClient() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void OnShowWindow(bool shown);
    void OnTimer();
    void MoveTo(const RECT& rect);

    SearchMatrixView m_View;
};

}  // namespace panels
