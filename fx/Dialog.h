// A modeless dialog made from a dialog template resource.  The object names its
// template when it is constructed; its window exists only once Create ran, and
// some dialog objects never get one.
//
// Lifetime follows fx::Window: only the dialog's own thread destroys it
// (Destroy from another thread posts the request); WM_NCDESTROY unbinds the
// object, which outlives its window.  A class whose handlers must see the
// end destroys its dialog before its object goes; the base destructor,
// finding the dialog still there, unbinds it first (no message reaches the
// half-destroyed object) and destroys it on its own thread, or has its
// thread destroy it (from any other thread, logged as a fault).
#pragma once

#include <windows.h>

namespace fx {

class Dialog {
public:
    Dialog() = default;
    explicit Dialog(UINT templateId) : templateId_(templateId) {}
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Creates the dialog from template `templateId` of the program's resources;
    // it is shown only when the template says WS_VISIBLE.
    bool Create(UINT templateId, HWND parent = nullptr);
    // Creates it from the template named at construction.
    bool Create(HWND parent = nullptr) { return Create(templateId_, parent); }
    // Runs the dialog from the template named at construction as a modal
    // dialog on this thread (its handler ends it with EndDialog); the value
    // given to EndDialog, -1 when the template does not load.
    INT_PTR DoModal(HWND parent = nullptr);
    // Destroys the dialog: at once on its own thread, else by a request posted
    // to its thread (the object must live until the dialog is gone).
    void Destroy();
    HWND hwnd() const { return hwnd_; }
    UINT templateId() const { return templateId_; }

protected:
    // Dialog messages; return TRUE when handled (as a dialog procedure does).
    virtual INT_PTR OnDialogMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND hwnd_ = nullptr;
    UINT templateId_ = 0;
};

}  // namespace fx
