#include "app/core/config/XmlConfig.h"

#include <msxml2.h>

#include <map>

#include "app/core/config/SettingsRules.h"
#include "app/core/config/TemplateVersions.h"
#include "fx/ComString.h"
#include "fx/Variant.h"
#include "log/PondrelLog.h"

namespace {

// MSXML 6.0 identifiers (mingw-w64 declares the interfaces, not these GUIDs).
const CLSID kClsidDomDocument60 = {0x88D96A05, 0xF192, 0x11D4, {0xA6, 0x5F, 0x00, 0x40, 0x96, 0x32, 0x51, 0xE5}};
const IID kIidXmlDomDocument2 = {0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

std::wstring Text(HRESULT hr, const fx::Bstr& b) { return SUCCEEDED(hr) ? b.str() : std::wstring(); }

XmlNode CopyNode(IXMLDOMNode* node) {
    XmlNode out;
    fx::Bstr b;
    out.name = Text(node->get_nodeName(b.put()), b);
    out.text = Text(node->get_text(b.put()), b);
    out.xml = Text(node->get_xml(b.put()), b);
    fx::ComPtr<IXMLDOMNamedNodeMap> attrs;
    if (node->get_attributes(attrs.put()) == S_OK && attrs) {
        long count = 0;
        if (FAILED(attrs->get_length(&count))) count = 0;
        for (long i = 0; i < count; ++i) {
            fx::ComPtr<IXMLDOMNode> attr;
            if (attrs->get_item(i, attr.put()) != S_OK || !attr) continue;
            XmlAttribute a;
            a.value = Text(attr->get_text(b.put()), b);
            a.name = Text(attr->get_nodeName(b.put()), b);
            out.attributes.push_back(std::move(a));
        }
    }
    return out;
}

void LogRejected(const std::wstring& path, HRESULT hr) {
    wchar_t code[16];
    _snwprintf(code, 15, L"0x%08lx", static_cast<unsigned long>(hr));
    code[15] = L'\0';
    LogLine((L"XML query rejected (" + std::wstring(code) + L"): " + path).c_str());
}

}  // namespace

XmlConfig::XmlConfig(const wchar_t* filePath) {
    HRESULT hr = ::CoCreateInstance(kClsidDomDocument60, nullptr, CLSCTX_SERVER, kIidXmlDomDocument2,
                                    document_.put_void());
    if (FAILED(hr) || !document_) {
        document_.reset();
        wchar_t code[16];
        _snwprintf(code, 15, L"0x%08lx", static_cast<unsigned long>(hr));
        code[15] = L'\0';
        diagnostic_ = L"Did not load the xml file because: no XML document object (" + std::wstring(code) + L")";
        LogLine(diagnostic_.c_str());
        return;
    }
    document_->put_async(VARIANT_FALSE);
    fx::Variant source = fx::Variant::FromString(filePath ? filePath : L"");
    VARIANT_BOOL ok = VARIANT_FALSE;
    hr = document_->load(*source.get(), &ok);
    loaded_ = SUCCEEDED(hr) && ok == VARIANT_TRUE;
    if (!loaded_) {
        std::wstring reason;
        fx::ComPtr<IXMLDOMParseError> error;
        if (SUCCEEDED(document_->get_parseError(error.put())) && error) {
            fx::Bstr b;
            reason = Text(error->get_reason(b.put()), b);
        }
        diagnostic_ = L"Did not load the xml file because: " + reason;
        LogLine(diagnostic_.c_str());
    }
}

XmlConfig::~XmlConfig() {
    categoryLevel_.nodes.clear();
    targetLevel_.nodes.clear();
    entryLevel_.nodes.clear();
    document_.reset();
    // com_ goes last: only a start of our own is ended.
}

bool XmlConfig::QuerySingle(const std::wstring& path, fx::ComPtr<IXMLDOMNode>& node) {
    node.reset();
    if (!document_) return false;
    fx::Bstr query(path);
    HRESULT hr = document_->selectSingleNode(query.get(), node.put());
    if (FAILED(hr)) {
        node.reset();
        LogRejected(path, hr);
        return false;
    }
    return hr == S_OK && node;
}

XmlNode XmlConfig::SelectNode(const std::wstring& path) {
    fx::ComPtr<IXMLDOMNode> node;
    if (!QuerySingle(path, node)) return XmlNode();
    return CopyNode(node.get());
}

std::vector<XmlNode> XmlConfig::SelectNodes(const std::wstring& path) {
    lastNodes_.clear();
    if (document_) {
        fx::Bstr query(path);
        fx::ComPtr<IXMLDOMNodeList> list;
        HRESULT hr = document_->selectNodes(query.get(), list.put());
        if (FAILED(hr)) {
            LogRejected(path, hr);
        } else if (list) {
            for (long i = 0;; ++i) {
                long length = 0;
                if (FAILED(list->get_length(&length)) || i >= length) break;
                fx::ComPtr<IXMLDOMNode> node;
                if (list->get_item(i, node.put()) != S_OK || !node) continue;
                lastNodes_.push_back(CopyNode(node.get()));
            }
        }
    }
    return lastNodes_;
}

std::wstring XmlConfig::GetText(const std::wstring& path) {
    fx::ComPtr<IXMLDOMNode> node;
    if (!QuerySingle(path, node)) return std::wstring();
    fx::Bstr b;
    return Text(node->get_text(b.put()), b);
}

bool XmlConfig::GetInt(const std::wstring& path, int& value) {
    std::wstring text = GetText(path);
    if (text.empty()) return false;
    value = settings_rules::LeadingInt(text);
    return true;
}

std::wstring XmlConfig::GetUserValue(const std::wstring& key) {
    lastUserValue_ = GetText(L"//user//" + key);
    return lastUserValue_;
}

std::wstring XmlConfig::GetTemplateVersion(const std::wstring& name) {
    return TemplateVersions().Get(name);
}

int XmlConfig::LoadLists() {
    categoryIndex_ = targetIndex_ = ecpIndex_ = 1;
    categories_ = SelectNodes(L"//init//ecptree//category");
    targetsCutLogged_ = entriesCutLogged_ = false;
    if (categories_.size() > static_cast<size_t>(settings_rules::kMaxCategories)) {
        LogCut(L"categories", categories_.size(), settings_rules::kMaxCategories);
        categories_.resize(settings_rules::kMaxCategories);
    }
    templates_ = SelectNodes(L"//init//templates//ecp");
    enhancers_ = SelectNodes(L"//init//enhancers//app//enhancer");
    if (enhancers_.size() > static_cast<size_t>(settings_rules::kMaxEnhancers)) {
        LogCut(L"enhancers", enhancers_.size(), settings_rules::kMaxEnhancers);
        enhancers_.resize(settings_rules::kMaxEnhancers);
    }
    if (categories_.empty()) return -1;
    CopyTemplateVersions();
    return 0;
}

// Each element below a template entry that has a version gives one table row:
// its name, and the text the reader's own template query answers for it.
void XmlConfig::CopyTemplateVersions() {
    std::map<std::wstring, std::wstring> versions;
    if (document_) {
        fx::Bstr query(L"init//templates//ecp//*[.//version]");
        fx::ComPtr<IXMLDOMNodeList> list;
        HRESULT hr = document_->selectNodes(query.get(), list.put());
        long length = 0;
        if (SUCCEEDED(hr) && list && SUCCEEDED(list->get_length(&length))) {
            for (long i = 0; i < length; ++i) {
                fx::ComPtr<IXMLDOMNode> node;
                if (list->get_item(i, node.put()) != S_OK || !node) continue;
                fx::Bstr b;
                std::wstring name = Text(node->get_nodeName(b.put()), b);
                if (name.empty() || versions.count(name)) continue;
                versions[name] = GetText(L"init//templates//ecp//" + name + L"//version");
            }
        }
    }
    TemplateVersions().Replace(std::move(versions));
}

void XmlConfig::CategoryPath(std::wstring& path) const {
    path += L"//init//ecptree//category[" + std::to_wstring(categoryIndex_) + L"]";
}

void XmlConfig::TargetPath(std::wstring& path) const {
    CategoryPath(path);
    path += L"//target[" + std::to_wstring(targetIndex_) + L"]";
}

void XmlConfig::EcpPath(std::wstring& path) const {
    TargetPath(path);
    path += L"//ecp[" + std::to_wstring(ecpIndex_) + L"]";
}

namespace {

// Every node path selects from context (the document when null), in document
// order; empty, and logged, when the engine rejects the path.
std::vector<fx::ComPtr<IXMLDOMNode>> SelectRaw(IXMLDOMNode* context, const std::wstring& path) {
    std::vector<fx::ComPtr<IXMLDOMNode>> out;
    if (!context) return out;
    fx::Bstr query(path);
    fx::ComPtr<IXMLDOMNodeList> list;
    HRESULT hr = context->selectNodes(query.get(), list.put());
    if (FAILED(hr)) {
        LogRejected(path, hr);
        return out;
    }
    long length = 0;
    if (!list || FAILED(list->get_length(&length))) return out;
    for (long i = 0; i < length; ++i) {
        fx::ComPtr<IXMLDOMNode> node;
        if (list->get_item(i, node.put()) == S_OK && node) out.push_back(std::move(node));
    }
    return out;
}

std::wstring NodeText(IXMLDOMNode* node) {
    fx::Bstr b;
    return node ? Text(node->get_text(b.put()), b) : std::wstring();
}

}  // namespace

const XmlConfig::WalkLevel& XmlConfig::CategoryLevel() {
    WalkLevel& l = categoryLevel_;
    if (!l.valid || l.c != categoryIndex_) {
        std::wstring path;
        CategoryPath(path);
        l.nodes = SelectRaw(document_.get(), path);
        l.c = categoryIndex_;
        l.valid = true;
    }
    return l;
}

const XmlConfig::WalkLevel& XmlConfig::TargetLevel() {
    WalkLevel& l = targetLevel_;
    if (!l.valid || l.c != categoryIndex_ || l.t != targetIndex_) {
        const WalkLevel& up = CategoryLevel();
        std::wstring step = L".//target[" + std::to_wstring(targetIndex_) + L"]";
        if (up.nodes.size() == 1) {
            l.nodes = SelectRaw(up.nodes[0].get(), step);
        } else {
            std::wstring path;
            TargetPath(path);
            l.nodes = up.nodes.empty() ? decltype(l.nodes)() : SelectRaw(document_.get(), path);
        }
        l.c = categoryIndex_;
        l.t = targetIndex_;
        l.valid = true;
    }
    return l;
}

const XmlConfig::WalkLevel& XmlConfig::EntryLevel() {
    WalkLevel& l = entryLevel_;
    if (!l.valid || l.c != categoryIndex_ || l.t != targetIndex_ || l.e != ecpIndex_) {
        const WalkLevel& up = TargetLevel();
        std::wstring step = L".//ecp[" + std::to_wstring(ecpIndex_) + L"]";
        if (up.nodes.size() == 1) {
            l.nodes = SelectRaw(up.nodes[0].get(), step);
        } else {
            std::wstring path;
            EcpPath(path);
            l.nodes = up.nodes.empty() ? decltype(l.nodes)() : SelectRaw(document_.get(), path);
        }
        l.c = categoryIndex_;
        l.t = targetIndex_;
        l.e = ecpIndex_;
        l.valid = true;
    }
    return l;
}

std::wstring XmlConfig::TextBelow(const WalkLevel& level, const std::wstring& levelPath, const wchar_t* child) {
    if (level.nodes.empty()) return std::wstring();
    if (level.nodes.size() > 1) return GetText(levelPath + L"//" + child);
    fx::Bstr query(std::wstring(L".//") + child);
    fx::ComPtr<IXMLDOMNode> node;
    if (level.nodes[0]->selectSingleNode(query.get(), node.put()) != S_OK) return std::wstring();
    return NodeText(node.get());
}

int XmlConfig::CountBelow(const WalkLevel& level, const std::wstring& levelPath, const wchar_t* child) {
    if (level.nodes.empty()) return 0;
    if (level.nodes.size() > 1)
        return static_cast<int>(SelectRaw(document_.get(), levelPath + L"//" + child).size());
    return static_cast<int>(SelectRaw(level.nodes[0].get(), std::wstring(L".//") + child).size());
}

void XmlConfig::LogCut(const wchar_t* what, size_t count, int kept) {
    LogLine((L"Settings hold " + std::to_wstring(count) + L" " + what + L": the first " + std::to_wstring(kept) +
             L" are read")
                .c_str());
}

int XmlConfig::Held(int count, int limit, const wchar_t* what, bool& logged) {
    if (count <= limit) return count;
    if (!logged) LogCut(what, static_cast<size_t>(count), limit);
    logged = true;
    return limit;
}

int XmlConfig::CountTargets() {
    std::wstring path;
    CategoryPath(path);
    targetCount_ = Held(CountBelow(CategoryLevel(), path, L"target"), settings_rules::kMaxTargets, L"targets of a category",
                        targetsCutLogged_);
    return targetCount_;
}

int XmlConfig::CountEcps() {
    std::wstring path;
    TargetPath(path);
    ecpCount_ = Held(CountBelow(TargetLevel(), path, L"ecp"), settings_rules::kMaxTargetEntries,
                     L"panel entries of a target", entriesCutLogged_);
    return ecpCount_;
}

void XmlConfig::ReadCategory(int c) {
    categoryIndex_ = c;
    std::wstring base;
    CategoryPath(base);
    const WalkLevel& l = CategoryLevel();
    catInMenu_ = TextBelow(l, base, L"in_menu");
    catDivider_ = TextBelow(l, base, L"divider");
    catActive_ = TextBelow(l, base, L"active");
    catName_ = TextBelow(l, base, L"name");
    catIcon_ = TextBelow(l, base, L"icon");
    catVersion_ = TextBelow(l, base, L"version");
    catId_ = TextBelow(l, base, L"id");
}

void XmlConfig::ReadTarget(int t) {
    targetIndex_ = t;
    const WalkLevel& l = TargetLevel();
    targetText_ = l.nodes.empty() ? std::wstring() : NodeText(l.nodes[0].get());
}

void XmlConfig::ReadEcpEntry(int e) {
    ecpIndex_ = e;
    std::wstring base;
    EcpPath(base);
    const WalkLevel& l = EntryLevel();
    auto text = [&](const wchar_t* child) { return TextBelow(l, base, child); };
    auto number = [&](const wchar_t* child) {
        std::wstring t = text(child);
        return t.empty() ? 0 : settings_rules::LeadingInt(t);
    };
    ecpLocation_ = text(L"location");
    ecpActive_ = text(L"active");
    ecpActionWhitespace_ = text(L"action_whitespace");
    ecpShowAds_ = text(L"show_ads");
    ecpInMenu_ = text(L"in_menu");
    ecpResizable_ = text(L"resizable");
    ecpShowSearch_ = text(L"show_search");
    ecpMediaMode_ = text(L"media_mode");
    ecpDockable_ = text(L"dockable");
    ecpShareable_ = text(L"shareable");
    ecpDetachable_ = text(L"detachable");
    ecpId_ = text(L"id");
    ecpGuessText_ = text(L"guesstext");
    ecpName_ = text(L"name");
    ecpParent_ = text(L"parent");
    ecpSearchable_ = text(L"searchable");
    ecpAction_ = text(L"action");
    ecpWidth_ = number(L"width");
    ecpHeight_ = number(L"height");
    ecpSkin_ = text(L"skin");
    ecpIcon_ = text(L"icon");
    ecpVersion_ = text(L"version");
}

void XmlConfig::ReadEnhancer(int i) {
    enhancerIndex_ = i;
    std::wstring base = L"//init//enhancers//app//enhancer[" + std::to_wstring(i) + L"]";
    enhancerId_ = GetText(base + L"/id");
    enhancerActive_ = settings_rules::FlagOrEmpty(GetText(base + L"/active")) ? 1 : 0;
}
