// ParseString under Wine on the settings-like document of the native
// comparison (bench-native/ holds the side-by-side run with pugixml).
#include "Bench.h"
#include "Hextens/HXLib/XmlDom.h"
#include "Hextens/HXLib/bench/SettingsDocument.h"

namespace {

// The categories the document's text holds.
int CategoriesIn(const std::string& xml) {
    int n = 0;
    for (size_t at = xml.find("<category "); at != std::string::npos; at = xml.find("<category ", at + 1)) ++n;
    return n;
}

}  // namespace

BENCH("HXLib ParseString, 1.9 MB settings-like document") {
    static const std::string utf8 = hxbench::SettingsDocument(200, 25);
    static const std::u16string utf16(utf8.begin(), utf8.end());
    static const int categories = CategoriesIn(utf8);
    for (auto _ : state) {
        (void)_;
        XmlDomNode init = XmlDomNode::ParseString(utf16.c_str(), u"init");
        const int read = init.GetChildNode(u"ecps", 0).ChildCount();
        if (categories == 0 || read != categories) {
            bench::Fail("%d categories read below init/ecps, the text holds %d", read, categories);
            return;
        }
    }
}
