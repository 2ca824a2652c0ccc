// Text rules of the shared utilities, apart from any system call: the decimal
// text of a number, the executable part of a browser command and the
// string-table ids of the program's texts.
#pragma once

#include <string>

// The integer part of a number (truncated toward zero, held within the 32-bit
// range; NaN gives 0) in base 10.
std::wstring NumberToString(double number);

// A browser's command line cut to its executable: when the text holds a "\"
// at index 1 or more, everything from the first space after its last "\" is
// dropped (a leading quote stays).
std::wstring CutBrowserArguments(const std::wstring& command);

// The string-table ids of CPondrelApp::m_Texts, in member order.
constexpr int kTextCount = 20;
extern const unsigned kTextIds[kTextCount];
// The m_Texts index of a string id, or -1.
int TextIndexOf(unsigned id);
