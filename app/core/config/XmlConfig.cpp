#include "app/core/config/XmlConfig.h"

#include <msxml2.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
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

std::wstring NodeText(IXMLDOMNode* node) {
    fx::Bstr b;
    return node ? Text(node->get_text(b.put()), b) : std::wstring();
}

void LogRejected(const std::wstring& path, HRESULT hr) {
    wchar_t code[16];
    _snwprintf(code, 15, L"0x%08lx", static_cast<unsigned long>(hr));
    code[15] = L'\0';
    LogLine((L"XML query rejected (" + std::wstring(code) + L"): " + path).c_str());
}

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

// How many nodes path selects from context (the document when null); 0, and
// logged, when the engine rejects the path.
size_t CountRaw(IXMLDOMNode* context, const std::wstring& path) {
    if (!context) return 0;
    fx::Bstr query(path);
    fx::ComPtr<IXMLDOMNodeList> list;
    HRESULT hr = context->selectNodes(query.get(), list.put());
    if (FAILED(hr)) {
        LogRejected(path, hr);
        return 0;
    }
    long length = 0;
    if (!list || FAILED(list->get_length(&length)) || length < 0) return 0;
    return static_cast<size_t>(length);
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
    categoryNodes_.clear();
    flatCategories_.nodes.clear();
    flatEntries_.nodes.clear();
    levelNodes_.clear();
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

namespace {

// A name that a path step names as one element name (no prefix, no other
// XPath).
bool IsPlainName(const std::wstring& key) {
    if (key.empty()) return false;
    for (size_t i = 0; i < key.size(); ++i) {
        const wchar_t c = key[i];
        const bool letter = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_';
        const bool later = (c >= L'0' && c <= L'9') || c == L'-' || c == L'.';
        if (!letter && (i == 0 || !later)) return false;
    }
    return true;
}

// "//a//b//c" split before its last step ("//a//b" and "c"), when the path
// is nothing but descendant steps of plain names, two or more.
bool SplitDescendantPath(const std::wstring& path, std::wstring& levels, std::wstring& last) {
    if (path.compare(0, 2, L"//") != 0) return false;
    const size_t cut = path.rfind(L"//");
    if (cut == 0) return false;
    for (size_t from = 2; from < path.size();) {
        const size_t next = std::min(path.find(L"//", from), path.size());
        if (!IsPlainName(path.substr(from, next - from))) return false;
        from = next + 2;
        if (next == path.size()) break;
        if (from >= path.size()) return false;  // a trailing "//"
    }
    levels = path.substr(0, cut);
    last = path.substr(cut + 2);
    return true;
}

}  // namespace

std::wstring XmlConfig::GetText(const std::wstring& path) {
    // A path of descendant steps whose levels select one node is asked
    // below that node: the same first match, without scanning the whole
    // document for each of the values read below one level.
    std::wstring levels, last;
    if (document_ && SplitDescendantPath(path, levels, last)) {
        auto known = levelNodes_.find(levels);
        if (known == levelNodes_.end()) {
            Level level;
            fx::Bstr query(levels);
            fx::ComPtr<IXMLDOMNodeList> list;
            if (document_->selectNodes(query.get(), list.put()) != S_OK || !list ||
                FAILED(list->get_length(&level.count)) ||
                (level.count > 0 && (list->get_item(0, level.first.put()) != S_OK || !level.first)))
                level.count = -1;  // asked as a whole below
            known = levelNodes_.emplace(levels, std::move(level)).first;
        }
        const Level& level = known->second;
        if (level.count == 0) return std::wstring();
        if (level.count == 1) {
            fx::Bstr query(L".//" + last);
            fx::ComPtr<IXMLDOMNode> node;
            if (level.first->selectSingleNode(query.get(), node.put()) != S_OK || !node) return std::wstring();
            return NodeText(node.get());
        }
    }
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
    if (!IsPlainName(key)) {
        lastUserValue_ = GetText(L"//user//" + key);
        return lastUserValue_;
    }
    if (!userValuesRead_) {
        // "//user//" + key for every key at once: the elements below user
        // elements in document order, the first of each name; in no
        // namespace, as a name test without a prefix asks (so without a
        // prefix: the name is the key).
        userValuesRead_ = true;
        fx::Bstr query(L"//user//*[namespace-uri() = '']");
        fx::ComPtr<IXMLDOMNodeList> list;
        if (document_ && document_->selectNodes(query.get(), list.put()) == S_OK && list) {
            for (;;) {
                fx::ComPtr<IXMLDOMNode> node;
                if (list->nextNode(node.put()) != S_OK || !node) break;
                fx::Bstr name;
                if (FAILED(node->get_nodeName(name.put())) || !name.get()) continue;
                const std::wstring n = name.str();
                if (!userValues_.count(n)) userValues_[n] = NodeText(node.get());
            }
        }
    }
    const auto found = userValues_.find(key);
    lastUserValue_ = found == userValues_.end() ? std::wstring() : found->second;
    return lastUserValue_;
}

std::wstring XmlConfig::GetTemplateVersion(const std::wstring& name) {
    return TemplateVersions().Get(name);
}

int XmlConfig::LoadLists() {
    categoryIndex_ = targetIndex_ = ecpIndex_ = 1;
    categoryNodes_ = SelectRaw(document_.get(), L"//init//ecptree//category");
    categories_.clear();
    categoriesCopied_ = false;
    targetsCutLogged_ = entriesCutLogged_ = false;
    if (categoryNodes_.size() > static_cast<size_t>(settings_rules::kMaxCategories)) {
        LogCut(L"categories", categoryNodes_.size(), settings_rules::kMaxCategories);
        categoryNodes_.resize(settings_rules::kMaxCategories);
    }
    templates_ = SelectNodes(L"//init//templates//ecp");
    enhancers_ = SelectNodes(L"//init//enhancers//app//enhancer");
    if (enhancers_.size() > static_cast<size_t>(settings_rules::kMaxEnhancers)) {
        LogCut(L"enhancers", enhancers_.size(), settings_rules::kMaxEnhancers);
        enhancers_.resize(settings_rules::kMaxEnhancers);
    }
    if (categoryNodes_.empty()) return -1;
    CopyTemplateVersions();
    return 0;
}

const std::vector<XmlNode>& XmlConfig::Categories() const {
    if (!categoriesCopied_) {
        categoriesCopied_ = true;
        for (const fx::ComPtr<IXMLDOMNode>& node : categoryNodes_) categories_.push_back(CopyNode(node.get()));
    }
    return categories_;
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

// One ecptree whose categories are all its own children: category c is then
// the c-th of them, as "//init//ecptree//category[c]" selects.
const XmlConfig::OwnChildren& XmlConfig::FlatCategories() {
    OwnChildren& f = flatCategories_;
    if (!f.known) {
        f.known = true;
        const auto trees = SelectRaw(document_.get(), L"//init//ecptree");
        if (trees.size() == 1) {
            f.nodes = SelectRaw(trees[0].get(), L"category");
            f.below = CountRaw(document_.get(), L"//init//ecptree//category");
        }
        f.flat = trees.size() == 1 && f.below == f.nodes.size();
    }
    return f;
}

// A target whose entries are all its own children: entry e is then the e-th
// of them, as ".//ecp[e]" selects below it.
XmlConfig::OwnChildren& XmlConfig::FlatEntries(IXMLDOMNode* target) {
    OwnChildren& f = flatEntries_;
    if (!f.known || f.c != categoryIndex_ || f.t != targetIndex_) {
        f.known = true;
        f.textsRead = f.textsOk = false;
        f.texts.clear();
        f.c = categoryIndex_;
        f.t = targetIndex_;
        f.nodes = SelectRaw(target, L"ecp");
        f.below = CountRaw(target, L".//ecp");
        f.flat = f.below == f.nodes.size();
    }
    return f;
}

namespace {

// The one node of a flat list at 1-based position i (none beyond it).
std::vector<fx::ComPtr<IXMLDOMNode>> At(const std::vector<fx::ComPtr<IXMLDOMNode>>& nodes, int i) {
    std::vector<fx::ComPtr<IXMLDOMNode>> out;
    if (i >= 1 && static_cast<size_t>(i) <= nodes.size()) out.push_back(nodes[static_cast<size_t>(i) - 1]);
    return out;
}

}  // namespace

const XmlConfig::WalkLevel& XmlConfig::CategoryLevel() {
    WalkLevel& l = categoryLevel_;
    if (!l.valid || l.c != categoryIndex_) {
        const OwnChildren& flat = FlatCategories();
        if (flat.flat) {
            l.nodes = At(flat.nodes, categoryIndex_);
        } else {
            std::wstring path;
            CategoryPath(path);
            l.nodes = SelectRaw(document_.get(), path);
        }
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
            const OwnChildren& flat = FlatEntries(up.nodes[0].get());
            l.nodes = flat.flat ? At(flat.nodes, ecpIndex_) : SelectRaw(up.nodes[0].get(), step);
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

void XmlConfig::TextsBelow(const WalkLevel& level, const std::wstring& levelPath, const wchar_t* const* children,
                           size_t count, std::wstring* texts, Reading reading) {
    for (size_t i = 0; i < count; ++i) texts[i].clear();
    if (level.nodes.empty()) return;
    if (level.nodes.size() > 1) {
        for (size_t i = 0; i < count; ++i) texts[i] = GetText(levelPath + L"//" + children[i]);
        return;
    }
    fx::ComPtr<IXMLDOMNodeList> list;
    std::wstring path;
    if (reading == Reading::kWalk) {
        // The level's elements in no namespace (as a name test without a
        // prefix asks) in document order, each taken for the first of the
        // names it carries.
        path = L".//*[namespace-uri() = '']";
    } else {
        // The union of "(.//child)[1]" over the children: each first match
        // once, carrying its child's name (an element in no namespace has
        // no prefix).
        for (size_t i = 0; i < count; ++i) path += (i ? L" | (.//" : L"(.//") + std::wstring(children[i]) + L")[1]";
    }
    fx::Bstr query(path);
    const HRESULT hr = level.nodes[0]->selectNodes(query.get(), list.put());
    if (FAILED(hr)) LogRejected(path, hr);
    if (hr != S_OK || !list) return;
    std::vector<bool> found(count, false);
    size_t left = count;
    while (left > 0) {
        fx::ComPtr<IXMLDOMNode> node;
        if (list->nextNode(node.put()) != S_OK || !node) break;
        fx::Bstr name;
        if (FAILED(node->get_nodeName(name.put())) || !name.get()) continue;
        for (size_t i = 0; i < count; ++i) {
            if (found[i] || std::wcscmp(name.get(), children[i]) != 0) continue;
            found[i] = true;
            --left;
            texts[i] = NodeText(node.get());
            break;
        }
    }
}

int XmlConfig::CountBelow(const WalkLevel& level, const std::wstring& levelPath, const wchar_t* child) {
    if (level.nodes.empty()) return 0;
    if (level.nodes.size() > 1)
        return static_cast<int>(CountRaw(document_.get(), levelPath + L"//" + child));
    return static_cast<int>(CountRaw(level.nodes[0].get(), std::wstring(L".//") + child));
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
    const WalkLevel& target = TargetLevel();
    const int count = target.nodes.size() == 1 ? static_cast<int>(FlatEntries(target.nodes[0].get()).below)
                                               : CountBelow(target, path, L"ecp");
    ecpCount_ = Held(count, settings_rules::kMaxTargetEntries, L"panel entries of a target", entriesCutLogged_);
    return ecpCount_;
}

void XmlConfig::ReadCategory(int c) {
    categoryIndex_ = c;
    std::wstring base;
    CategoryPath(base);
    static const wchar_t* const kFields[] = {L"in_menu", L"divider", L"active", L"name", L"icon", L"version", L"id"};
    std::wstring texts[std::size(kFields)];
    TextsBelow(CategoryLevel(), base, kFields, std::size(kFields), texts, Reading::kFirstOfEach);
    catInMenu_ = std::move(texts[0]);
    catDivider_ = std::move(texts[1]);
    catActive_ = std::move(texts[2]);
    catName_ = std::move(texts[3]);
    catIcon_ = std::move(texts[4]);
    catVersion_ = std::move(texts[5]);
    catId_ = std::move(texts[6]);
}

void XmlConfig::ReadTarget(int t) {
    targetIndex_ = t;
    const WalkLevel& l = TargetLevel();
    targetText_ = l.nodes.empty() ? std::wstring() : NodeText(l.nodes[0].get());
}

namespace {

// The children an entry's texts are read from, in the order of the tree table.
const wchar_t* const kEntryChildren[] = {
    L"location",    L"active",     L"action_whitespace", L"show_ads",  L"in_menu",    L"resizable",
    L"show_search", L"media_mode", L"dockable",          L"shareable", L"detachable", L"id",
    L"guesstext",   L"name",       L"parent",            L"searchable", L"action",    L"width",
    L"height",      L"skin",       L"icon",              L"version"};
constexpr size_t kEntryFields = std::size(kEntryChildren);
constexpr size_t kWidthField = 17, kHeightField = 18;

}  // namespace

// The entries of a flat target (as many as a target's entries are read) in
// one pass over it: its entries and the elements of theirs that the entry
// children name ("ecp | ecp//location | ..."), in document order, each
// entry's running up to the next entry (no entry lies inside another in a
// flat target).
void XmlConfig::ReadFlatEntries(IXMLDOMNode* target, OwnChildren& f) {
    f.textsRead = true;
    f.textsOk = false;
    const size_t kept = std::min(f.nodes.size(), static_cast<size_t>(settings_rules::kMaxTargetEntries));
    f.texts.assign(kept * kEntryFields, std::wstring());
    std::wstring path = L"ecp";
    for (const wchar_t* child : kEntryChildren) path += std::wstring(L" | ecp//") + child;
    fx::Bstr query(path);
    fx::ComPtr<IXMLDOMNodeList> list;
    const HRESULT hr = target->selectNodes(query.get(), list.put());
    if (FAILED(hr)) LogRejected(path, hr);
    if (hr != S_OK || !list) return;
    std::vector<bool> found(kEntryFields, false);
    size_t entries = 0;
    for (;;) {
        fx::ComPtr<IXMLDOMNode> node;
        if (list->nextNode(node.put()) != S_OK || !node) break;
        fx::Bstr name;
        if (FAILED(node->get_nodeName(name.put())) || !name.get()) continue;
        if (std::wcscmp(name.get(), L"ecp") == 0) {
            if (entries == kept) {
                entries = f.nodes.size();  // the rest is not read here
                break;
            }
            ++entries;
            found.assign(kEntryFields, false);
            continue;
        }
        if (entries == 0) continue;
        for (size_t i = 0; i < kEntryFields; ++i) {
            if (found[i] || std::wcscmp(name.get(), kEntryChildren[i]) != 0) continue;
            found[i] = true;
            f.texts[(entries - 1) * kEntryFields + i] = NodeText(node.get());
            break;
        }
    }
    // Anything else than one run an entry: the entries are read one by one.
    f.textsOk = entries == f.nodes.size();
}

bool XmlConfig::FlatEntryTexts(int e, std::wstring* texts) {
    const WalkLevel& up = TargetLevel();
    if (up.nodes.size() != 1) return false;
    OwnChildren& f = FlatEntries(up.nodes[0].get());
    if (!f.flat) return false;
    if (!f.textsRead) ReadFlatEntries(up.nodes[0].get(), f);
    const size_t kept = f.texts.size() / kEntryFields;
    if (!f.textsOk || (e > 0 && static_cast<size_t>(e) > kept && static_cast<size_t>(e) <= f.nodes.size()))
        return false;
    for (size_t i = 0; i < kEntryFields; ++i) texts[i].clear();
    if (e >= 1 && static_cast<size_t>(e) <= kept)
        for (size_t i = 0; i < kEntryFields; ++i) texts[i] = f.texts[(static_cast<size_t>(e) - 1) * kEntryFields + i];
    return true;
}

void XmlConfig::ReadEcpEntry(int e) {
    ecpIndex_ = e;
    std::wstring texts[kEntryFields];
    if (!FlatEntryTexts(e, texts)) {
        std::wstring base;
        EcpPath(base);
        TextsBelow(EntryLevel(), base, kEntryChildren, kEntryFields, texts, Reading::kWalk);
    }
    auto number = [](const std::wstring& t) { return t.empty() ? 0 : settings_rules::LeadingInt(t); };
    std::wstring* const into[] = {&ecpLocation_,  &ecpActive_,    &ecpActionWhitespace_, &ecpShowAds_,
                                  &ecpInMenu_,    &ecpResizable_, &ecpShowSearch_,       &ecpMediaMode_,
                                  &ecpDockable_,  &ecpShareable_, &ecpDetachable_,       &ecpId_,
                                  &ecpGuessText_, &ecpName_,      &ecpParent_,           &ecpSearchable_,
                                  &ecpAction_,    nullptr,        nullptr,               &ecpSkin_,
                                  &ecpIcon_,      &ecpVersion_};
    static_assert(std::size(into) == kEntryFields, "one member a field");
    ecpWidth_ = number(texts[kWidthField]);
    ecpHeight_ = number(texts[kHeightField]);
    for (size_t i = 0; i < kEntryFields; ++i)
        if (into[i]) *into[i] = std::move(texts[i]);
}

void XmlConfig::ReadEnhancer(int i) {
    enhancerIndex_ = i;
    std::wstring base = L"//init//enhancers//app//enhancer[" + std::to_wstring(i) + L"]";
    enhancerId_ = GetText(base + L"/id");
    enhancerActive_ = settings_rules::FlagOrEmpty(GetText(base + L"/active")) ? 1 : 0;
}
