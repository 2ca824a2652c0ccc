#include "app/panels/children/SearchText.h"

namespace panels {

std::wstring PasteText(const std::wstring& clipboard) {
    std::wstring text = clipboard.substr(0, kPasteMaxChars);
    for (wchar_t& c : text)
        if (c == L'\n' || c == L'\r' || c == L'\t') c = L' ';
    return text;
}

std::wstring BoundSearchText(const std::wstring& text) { return text.substr(0, kSearchTextMaxChars); }

}  // namespace panels
