#include "app/core/net/UrlEncodeUtf8.h"

#include "Hextens/HXLib/UrlEncode.h"

std::wstring UrlEncodeUtf8(const std::wstring& text) {
    return urlenc::PercentEncodeUtf8(text.c_str());
}
