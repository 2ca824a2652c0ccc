// BestGuessStandIn.dll: the stand-in for the outside best-guess component, an
// in-process automation object registered as "PondrelBestGuess.BestGuess"
// (class {8F4B2C61-5A3E-4D7B-9C18-2E6F0A4D3B57}) in every test prefix and for
// tools/run.  It answers the component's dispatch ids late-bound (no type
// information) and records every call.
//
// Script (file named by PONDREL_BESTGUESS_SCRIPT, read at every call; with
// none: 0 rows):
//   count <n>              what DISPID 6 reports (default: the number of rows)
//   title <text>           DISPID 13's answer (default "Guesses")
//   extra <text>           DISPID 17's answer (default "extra")
//   row <id>|<label>|<token>|<inserted>|<type>|<icon>|<target>|<sub-menu>
//                          the next row (0, 1, ...): DISPIDs 11, 9, 12, 10, 7,
//                          8, 15, 19; a row without a line answers
//                          "<dispid>:<row>"
//   fail <dispid> <hex>    that call returns the HRESULT (after recording it)
//   slow <dispid> <ms>     that call, after recording itself, waits ms or until
//                          the event kGoEvent is set
//   nocreate               the class makes no object (CLASS_E_CLASSNOTAVAILABLE)
//   slowcreate <ms>        making the object waits ms or until kGoEvent is set
//
// Record (file named by PONDREL_BESTGUESS_LOG, UTF-8, one line a call):
// "<object> <dispid> <arguments>", the arguments separated by " | " (escaped
// as StandIns.h says); a BSTR by reference that is null reads "(null)".
// "<object>" is "G1", "G2", ... per process; its first line is "Created",
// its last "Destroyed".  A call with the wrong argument count or types
// answers DISP_E_BADPARAMCOUNT or DISP_E_TYPEMISMATCH (recorded too).
#pragma once

#include <windows.h>

namespace standin {

// {8F4B2C61-5A3E-4D7B-9C18-2E6F0A4D3B57}
constexpr CLSID kBestGuessClsid = {0x8f4b2c61, 0x5a3e, 0x4d7b, {0x9c, 0x18, 0x2e, 0x6f, 0x0a, 0x4d, 0x3b, 0x57}};
constexpr const wchar_t* kBestGuessProgId = L"PondrelBestGuess.BestGuess";
constexpr const wchar_t* kBestGuessScriptVar = L"PONDREL_BESTGUESS_SCRIPT";
constexpr const wchar_t* kBestGuessLogVar = L"PONDREL_BESTGUESS_LOG";
// A manual-reset event: set, it ends every "slow" wait at once.
constexpr const wchar_t* kGoEvent = L"PondrelBestGuessGo";

}  // namespace standin
