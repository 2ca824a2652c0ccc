// ParseString on arbitrary text: any input must end in a tree or the empty
// node, without a sanitizer report, and every handle must free its tree; the
// server-init reader over the same text.
#include "Hextens/HXLib/ServerInit.h"
#include "Hextens/HXLib/XmlDom.h"
#include "tests/support/FuzzInput.h"

static void Walk(const XmlDomNode& n, int depth) {
    if (n.IsEmpty() || depth > kXmlMaxDepth + 1) return;
    for (int32_t entry : n.Order()) {
        if (entry % 4 == XmlDomNode::kChild) Walk(n.GetChild(entry / 4), depth + 1);
        else if (entry % 4 == XmlDomNode::kText) (void)n.Text(entry / 4)->size();
        else (void)n.ClearAt(entry / 4)->content.size();
    }
    for (int i = 0; i < n.AttributeCount(); ++i) (void)n.AttributeAt(i)->value.size();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string text = FuzzText(data, size);
    int code = 0;
    XmlDomNode root = XmlDomNode::Parse(text.c_str(), &code);
    Walk(root, 0);
    XmlDomNode init = XmlDomNode::ParseString(text.c_str(), u"init", &code);
    XmlDomNode keep = init.GetChild(0);
    init = XmlDomNode();
    Walk(keep, 0);
    (void)hxcore::ReadSendContext(text.c_str(), u"{6A5F3D10-2B4C-4E8F-9A1B-3C5D7E9F0A2B}");
    return 0;
}
