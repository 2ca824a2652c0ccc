// Records the C runtime's wide-character classes and lower-case mapping for
// every UTF-16 code unit as CharTable.inc, the table the native build of the
// HXLib cores reads.  Build the target CharTableGen, then run it under Wine:
//   PONDREL_WINEPREFIX=$PWD/build/win32/wineprefix \
//     tools/wine-run build/win32/Hextens/HXLib/CharTableGen.exe > Hextens/HXLib/CharTable.inc
#include <cstdio>
#include <cwctype>
#include <fcntl.h>
#include <io.h>

int main() {
    _setmode(_fileno(stdout), _O_BINARY);
    std::printf("// Recorded from the Windows C runtime by CharTableGen; do not edit.\n");
    std::printf("const ClassRun kClassRuns[] = {\n");
    int last = -1, column = 0;
    for (unsigned c = 0; c <= 0xFFFF; ++c) {
        wint_t w = static_cast<wint_t>(c);
        int bits = (std::iswalnum(w) ? 1 : 0) | (std::iswalpha(w) ? 2 : 0) | (std::iswdigit(w) ? 4 : 0) |
                   (std::iswspace(w) ? 8 : 0);
        if (bits == last) continue;
        last = bits;
        std::printf("%s{0x%04X,%d},", column == 0 ? "    " : "", c, bits);
        if (++column == 8) {
            std::printf("\n");
            column = 0;
        }
    }
    std::printf("%s};\n", column ? "\n" : "");
    std::printf("const LowerPair kLowerPairs[] = {\n");
    column = 0;
    for (unsigned c = 0; c <= 0xFFFF; ++c) {
        unsigned l = std::towlower(static_cast<wint_t>(c)) & 0xFFFF;
        if (l == c) continue;
        std::printf("%s{0x%04X,0x%04X},", column == 0 ? "    " : "", c, l);
        if (++column == 8) {
            std::printf("\n");
            column = 0;
        }
    }
    std::printf("%s};\n", column ? "\n" : "");
    return 0;
}
