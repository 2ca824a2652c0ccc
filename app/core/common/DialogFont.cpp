#include "app/core/common/DialogFont.h"

#include "fx/Dialog.h"

namespace {
const fx::Dialog* g_fontDialog = nullptr;
}

void SetFontDialog(const fx::Dialog* dialog) { g_fontDialog = dialog; }

HWND FontDialogWindow() { return g_fontDialog ? g_fontDialog->hwnd() : nullptr; }
