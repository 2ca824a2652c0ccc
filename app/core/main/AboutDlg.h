// CAboutDlg: the modal about box (dialog template 100, "About Pondrel"): the
// program's icon, its version line, one line more and OK.
#pragma once

#include "fx/Dialog.h"

class CAboutDlg : public fx::Dialog {
public:
    static constexpr unsigned kTemplate = 100;  // IDD_ABOUTBOX
    CAboutDlg() : fx::Dialog(kTemplate) {}

protected:
    INT_PTR OnDialogMessage(UINT msg, WPARAM wp, LPARAM lp) override;
};
