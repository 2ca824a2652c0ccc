#include "ParseBack.h"

namespace {
const wchar_t* const kElements[] = {L"app",     L"title", L"location",    L"href",    L"text",
                                    L"content", L"meta",  L"description", L"keywords"};
}

#ifdef _WIN32
#include <windows.h>
#include <msxml2.h>

#include "fx/ComApartment.h"
#include "fx/ComPtr.h"
#include "fx/ComString.h"

namespace {
// MSXML 6 class id (not among mingw-w64's symbols).
const CLSID kDomDocument60 = {0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
}  // namespace

ParsedContext ParseContext(const std::wstring& xml) {
    fx::ComApartment com(COINIT_APARTMENTTHREADED);
    ParsedContext result;
    fx::ComPtr<IXMLDOMDocument> doc;
    if (FAILED(CoCreateInstance(kDomDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument, doc.put_void())))
        return result;
    fx::Bstr source(xml);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT hr = doc->loadXML(source.get(), &loaded);
    if (SUCCEEDED(hr) && loaded == VARIANT_TRUE) {
        result.ok = true;
        fx::ComPtr<IXMLDOMElement> root;
        if (SUCCEEDED(doc->get_documentElement(root.put())) && root) {
            fx::Bstr name;
            root->get_tagName(name.put());
            result.rootName = name.str();
        }
        auto each = [&](const wchar_t* tag, auto&& f) {
            fx::ComPtr<IXMLDOMNodeList> list;
            fx::Bstr t(tag);
            if (SUCCEEDED(doc->getElementsByTagName(t.get(), list.put())) && list) {
                long n = 0;
                list->get_length(&n);
                for (long i = 0; i < n; ++i) {
                    fx::ComPtr<IXMLDOMNode> node;
                    if (SUCCEEDED(list->get_item(i, node.put())) && node) {
                        fx::Bstr text;
                        node->get_text(text.put());
                        f(text.str());
                    }
                }
            }
        };
        for (const wchar_t* e : kElements) each(e, [&](const std::wstring& s) { result.text[e] = s; });
        each(L"id", [&](const std::wstring& s) { result.ids.push_back(s); });
    }
    return result;
}

#else
#include <pugixml.hpp>

namespace {
std::wstring TextOf(const pugi::xml_node& n) {
    std::wstring s;
    for (const pugi::xml_node& c : n.children()) {
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) s += pugi::as_wide(c.value());
        else if (c.type() == pugi::node_element) s += TextOf(c);
    }
    return s;
}
}  // namespace

ParsedContext ParseContext(const std::wstring& xml) {
    ParsedContext result;
    pugi::xml_document doc;
    const std::string utf8 = pugi::as_utf8(xml);
    if (!doc.load_buffer(utf8.data(), utf8.size(), pugi::parse_default, pugi::encoding_utf8)) return result;
    result.ok = true;
    result.rootName = pugi::as_wide(doc.document_element().name());
    for (const wchar_t* e : kElements) {
        const std::string name = pugi::as_utf8(e);
        pugi::xml_node n = doc.find_node([&](const pugi::xml_node& x) { return name == x.name(); });
        if (n) result.text[e] = TextOf(n);
    }
    for (const pugi::xpath_node& id : doc.select_nodes("//id")) result.ids.push_back(TextOf(id.node()));
    return result;
}
#endif
