// The dialog whose font the program's pages take (the settings pane, the main
// view's tab control): the application object's hidden dialog, named by that
// object when it is made.  User-interface thread.
#pragma once

#include <windows.h>

namespace fx {
class Dialog;
}

// Names the dialog (null: none); the caller keeps it alive while it is named.
void SetFontDialog(const fx::Dialog* dialog);
// The named dialog's window; null when none is named or its window is not made.
HWND FontDialogWindow();
