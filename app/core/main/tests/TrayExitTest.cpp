// The tray menu's "Exit" ends the real program: a right click on the tray
// icon (its notification, as the shell sends it to the main frame) opens the
// tray menu, the pointer moves onto its last item, Exit, and the button
// release there ends the program with exit code 0.
#include "app/tests/support/ShellHarness.h"

namespace shell {
namespace {

class TrayExit : public ShellTest {};

TEST_F(TrayExit, ExitInTheTrayMenuEndsTheProgramWithCodeZero) {
    Program& p = Start({});
    ASSERT_TRUE(WaitUntilInstance(p));
    HWND menu = programharness::OpenTrayMenu(p.child.pid(), 20000);
    ASSERT_TRUE(menu) << "no tray menu shown";
    RECT r{};
    ::GetWindowRect(menu, &r);
    // The last item sits above the menu's 5-pixel bottom margin.
    const LPARAM onExit = MAKELPARAM(20, (r.bottom - r.top) - 5 - 10);
    DWORD_PTR answer = 0;
    for (int i = 0; i < 3; ++i)
        ::SendMessageTimeoutW(menu, WM_MOUSEMOVE, 0, onExit, SMTO_ABORTIFHUNG, 5000, &answer);
    ::SendMessageTimeoutW(menu, WM_LBUTTONUP, 0, onExit, SMTO_ABORTIFHUNG, 5000, &answer);
    DWORD code = 99;
    ASSERT_TRUE(p.child.Wait(15000, &code)) << "the program did not end";
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(MutexExists());
}

}  // namespace
}  // namespace shell
