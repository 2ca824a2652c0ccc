// A modeless dialog made from a dialog template resource.  The object names its
// template when it is constructed; its window exists only once Create ran, and
// some dialog objects never get one.
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
