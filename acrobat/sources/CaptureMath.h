// The capture's pure steps: which page view is followed, collecting the
// selected text, placing the selection on the screen, clearing an empty one,
// and decoding the document title.
#pragma once

#include <cstdint>
#include <string>

#include "RecordLayout.h"
#include "hosts/acrobat/PluginHost.h"

constexpr int kSelectionBufferChars = 256;  // collected at most
constexpr int kSelectionMaxChars = 255;     // reported at most
constexpr int kTitleBytes = 255;            // read at most

// Appends an 8-bit chunk widened byte by byte (no code page), cut so the
// buffer never holds more than 256 characters.
void AppendWidened(std::wstring& buffer, const char* chunk, int32_t length);

// The collected text as reported: a text longer than 255 characters counts as none.
std::wstring ReportedSelection(const std::wstring& buffer);

bool IsEmpty(const AcroRect& r);

// The device rectangle moved onto the screen: each edge + the view's
// left/top - the page's device origin, held within the int32 range.
AcroRect DeviceToScreen(const acrohost::DeviceRect& device, const AcroRect& view, const acrohost::DevicePoint& origin);

// The part of `r` inside `clip`; all zero when they do not overlap.
AcroRect Clip(const AcroRect& r, const AcroRect& clip);

// The title from the information entry's bytes: UTF-16BE after the mark
// FE FF, otherwise widened byte by byte; stops at the first 0.
std::wstring DecodeTitle(const unsigned char* bytes, int32_t length);

// The page view the capture follows: the one holding the focus (focusedNow,
// -1 for none), else the previous one while it still exists (below count),
// else none (-1).
int FocusedPageView(int focusedNow, int previous, int count);

// An empty visible selection is reported as nothing: no selection rectangle,
// no view rectangle and no text.
void ClearEmptySelection(AcroRect& visible, AcroRect& view, std::wstring& text);
