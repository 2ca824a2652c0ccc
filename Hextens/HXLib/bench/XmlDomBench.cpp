// ParseString under Wine on the settings-like document of the native
// comparison (bench-native/ holds the side-by-side run with pugixml).
#include "Bench.h"
#include "Hextens/HXLib/XmlDom.h"
#include "Hextens/HXLib/bench/SettingsDocument.h"

BENCH("HXLib ParseString, 1.9 MB settings-like document") {
    static const std::string utf8 = hxbench::SettingsDocument(200, 25);
    static const std::u16string utf16(utf8.begin(), utf8.end());
    for (auto _ : state) {
        (void)_;
        XmlDomNode init = XmlDomNode::ParseString(utf16.c_str(), u"init");
        if (init.IsEmpty()) std::printf("no init element\n");
    }
}
