// The window classes of the host programs that the main program, the
// enhancers and the Acrobat plug-in look for, and that the stand-in hosts
// of the tests make: each name written here once.  No Windows header needed.
#pragma once

namespace host_class {

// Internet Explorer: its frame, and the window of the page inside it.
constexpr const wchar_t* kIEFrame = L"IEFrame";
constexpr const wchar_t* kIEServer = L"Internet Explorer_Server";
// Firefox's frame.
constexpr const wchar_t* kFirefoxFrame = L"MozillaUIWindowClass";
// Acrobat: its document frame, and its views (the page views among them).
constexpr const wchar_t* kAcrobatFrame = L"AcrobatSDIWindow";
constexpr const wchar_t* kAcrobatView = L"AVL_AVView";

}  // namespace host_class
