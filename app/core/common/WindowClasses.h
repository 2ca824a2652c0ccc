// The window classes of the main program, each name written here once.  The
// start-up registers the six with one class record
// (RegisterPondrelWindowClasses); every window made of one of them, every
// search for one and every comparison with one take its name from here.  The classes of the host
// programs the program looks for are in hosts/HostWindowClasses.h.
//
// The header needs no Windows header, so portable rules can compare with the
// names too.
#pragma once

namespace window_class {

// The menus and the hotspot, a panel's menu children.
constexpr const wchar_t* kPondMenu = L"PondMenu";
// The search matrix.
constexpr const wchar_t* kSearchMatrix = L"SearchMatrix777";
// The dock bar.
constexpr const wchar_t* kHoverWin = L"HoverWin";
// A panel window, its plain children, and the worker threads' hidden message
// windows.
constexpr const wchar_t* kBackWin = L"BackWin777";
constexpr const wchar_t* kPondrelKid = L"PondrelKid777";
// A panel's tail child.
constexpr const wchar_t* kTailWin = L"TailWin777";

}  // namespace window_class
