// Fuzz bytes as UTF-16 text: two bytes a code unit, terminated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

inline std::u16string FuzzText(const uint8_t* data, size_t size) {
    std::u16string text;
    text.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2) {
        char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        text += c ? c : u' ';
    }
    return text;
}
