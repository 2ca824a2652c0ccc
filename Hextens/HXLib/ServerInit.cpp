#include "Hextens/HXLib/ServerInit.h"

#include "Hextens/HXLib/XmlDom.h"

namespace hxcore {

namespace {

// True when the element's first text piece is "true", ignoring case.
bool FirstTextIsTrue(const XmlDomNode& element) {
    const XmlDomText* text = element.Text(0);
    return text && EqualNoCase(text->data(), text->size(), u"true", 4);
}

}  // namespace

String EnhancerKey(const Char* configuredId) {
    const size_t length = Length(configuredId);
    if (length <= 1) return String();
    return String(configuredId + 1, length - 1 < 36 ? length - 1 : 36);
}

bool ReadSendContext(const Char* xml, const Char* configuredId) {
    XmlDomNode init = XmlDomNode::ParseString(xml, u"init");
    if (init.IsEmpty()) return false;
    if (!FirstTextIsTrue(init.GetChildNode(u"user", 0).GetChildNode(u"send_context", 0))) return false;

    XmlDomNode app = init.GetChildNode(u"enhancers", 0).GetChildNode(u"app", 0);
    if (app.IsEmpty()) return false;
    const String key = EnhancerKey(configuredId);
    for (int i = 0;; ++i) {
        XmlDomNode enhancer = app.GetChildNode(u"enhancer", i);
        if (enhancer.IsEmpty()) return false;
        XmlDomNode id = enhancer.GetChildNode(u"id", 0);
        const XmlDomText* idText = id.Text(0);
        if (idText && EqualNoCase(idText->data(), idText->size(), key.data(), key.size()))
            return FirstTextIsTrue(enhancer.GetChildNode(u"send_context", 0));
    }
}

}  // namespace hxcore
