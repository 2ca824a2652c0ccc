// The hidden main frame: the program's main window (its handle is the one in
// the shared data section).  It hides instead of closing, forwards the tray
// icon's callbacks, takes the tray's open command and watches the session's
// raw input to dismiss the hotspot, the menus and the menu panel.
#pragma once

#include "app/core/common/AppMessages.h"
#include "app/core/frame/RawInputDecision.h"
#include "fx/DocTemplate.h"

class CMainFrame : public fx::FrameWindow {
public:
    static constexpr UINT kTrayCallbackMessage = frame_msg::kTrayCallback;
    static constexpr UINT kOpenSearchCommand = frame_msg::kOpenSearchCommand;
    static constexpr UINT kTrayDoubleClickCommand = frame_msg::kTrayDoubleClickCommand;
    static constexpr UINT kPanelWheelMessage = panel_msg::kHideTail;  // to the menu panel
    static_assert(kTrayCallbackMessage == WM_APP + 10, "the tray icon's callback message");

    bool PreCreateWindow(fx::CreateParams& cp) override;

    // GetRawInputData's signature, so tests can play the platform's reads.
    using RawInputReader = UINT(WINAPI*)(HRAWINPUT, UINT, LPVOID, PUINT, UINT);
    // Reads the record of a WM_INPUT: asks the size, then reads it.  False on
    // any error, a read that differs from the announced size (reported as a
    // debug string) or a record too short for its type.
    static bool ReadRawInputRecord(HRAWINPUT handle, RAWINPUT& out, RawInputReader read = &::GetRawInputData);

    // Examines one raw input record and carries out the dismissal actions on
    // the document's controller.
    void HandleRawInput(const RAWINPUT& input);
    // The tray's open command: the search panel, when the program is ready.
    void OnOpenSearchPanel();

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void OnRawInput(HRAWINPUT handle);

    rawinput::AbsoluteTrack m_AbsoluteTrack;
};
