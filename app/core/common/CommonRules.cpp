#include "app/core/common/CommonRules.h"

#include <cmath>

const unsigned kTextIds[kTextCount] = {1,   2,   3,   102, 103, 104, 105, 106, 107, 108,
                                       109, 110, 111, 112, 113, 114, 131, 133, 134, 135};

int TextIndexOf(unsigned id) {
    for (int i = 0; i < kTextCount; ++i)
        if (kTextIds[i] == id) return i;
    return -1;
}

std::wstring NumberToString(double number) {
    long long n = 0;
    if (std::isnan(number))
        n = 0;
    else if (number >= 2147483647.0)
        n = 2147483647;
    else if (number <= -2147483648.0)
        n = -2147483647LL - 1;
    else
        n = static_cast<long long>(number);  // toward zero
    return std::to_wstring(n);
}

std::wstring CutBrowserArguments(const std::wstring& command) {
    if (command.empty() || command.find(L'\\', 1) == std::wstring::npos) return command;
    std::size_t space = command.find(L' ', command.rfind(L'\\'));
    return space == std::wstring::npos ? command : command.substr(0, space);
}
