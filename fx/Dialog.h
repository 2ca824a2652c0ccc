// A modeless dialog made from a dialog template resource.
#pragma once

#include <windows.h>

namespace fx {

class Dialog {
public:
    Dialog() = default;
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Creates the dialog from template `templateId` of the program's resources;
    // it is shown only when the template says WS_VISIBLE.
    bool Create(UINT templateId, HWND parent = nullptr);
    void Destroy();
    HWND hwnd() const { return hwnd_; }

protected:
    // Dialog messages; return TRUE when handled (as a dialog procedure does).
    virtual INT_PTR OnDialogMessage(UINT msg, WPARAM wp, LPARAM lp);

private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    HWND hwnd_ = nullptr;
};

}  // namespace fx
