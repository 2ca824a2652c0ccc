#include "ParseBack.h"

namespace {
const wchar_t* const kElements[] = {L"app",  L"title",   L"location",    L"href",    L"text",
                                    L"content", L"meta", L"description", L"keywords"};
}

#ifdef _WIN32
#include <windows.h>
#include <msxml2.h>

namespace {
// MSXML 6 class id (not among mingw-w64's symbols).
const CLSID kDomDocument60 = {0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};

// Undoes only an initialisation that succeeded (S_FALSE included).
struct ComInit {
    ComInit() : ok(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComInit() { if (ok) CoUninitialize(); }
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;
    const bool ok;
};

std::wstring TakeBstr(BSTR b) {
    std::wstring s = b ? std::wstring(b, SysStringLen(b)) : std::wstring();
    SysFreeString(b);
    return s;
}
}  // namespace

ParsedContext ParseContext(const std::wstring& xml) {
    ComInit com;
    ParsedContext result;
    IXMLDOMDocument* doc = nullptr;
    if (FAILED(CoCreateInstance(kDomDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                reinterpret_cast<void**>(&doc))))
        return result;
    BSTR source = SysAllocStringLen(xml.data(), static_cast<UINT>(xml.size()));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT hr = doc->loadXML(source, &loaded);
    SysFreeString(source);
    if (SUCCEEDED(hr) && loaded == VARIANT_TRUE) {
        result.ok = true;
        IXMLDOMElement* root = nullptr;
        if (SUCCEEDED(doc->get_documentElement(&root)) && root) {
            BSTR name = nullptr;
            root->get_tagName(&name);
            result.rootName = TakeBstr(name);
            root->Release();
        }
        auto each = [&](const wchar_t* tag, auto&& f) {
            IXMLDOMNodeList* list = nullptr;
            BSTR t = SysAllocString(tag);
            if (SUCCEEDED(doc->getElementsByTagName(t, &list)) && list) {
                long n = 0;
                list->get_length(&n);
                for (long i = 0; i < n; ++i) {
                    IXMLDOMNode* node = nullptr;
                    if (SUCCEEDED(list->get_item(i, &node)) && node) {
                        BSTR text = nullptr;
                        node->get_text(&text);
                        f(TakeBstr(text));
                        node->Release();
                    }
                }
                list->Release();
            }
            SysFreeString(t);
        };
        for (const wchar_t* e : kElements) each(e, [&](const std::wstring& s) { result.text[e] = s; });
        each(L"id", [&](const std::wstring& s) { result.ids.push_back(s); });
    }
    doc->Release();
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
