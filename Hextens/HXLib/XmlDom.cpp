#include "Hextens/HXLib/XmlDom.h"

#include <utility>

using hxcore::Char;
using hxcore::String;

namespace {

// The shared empty node: what every lookup that finds nothing returns.
const XmlDomNode g_emptyNode;

struct ClearKind {
    const Char* opener;
    size_t openerLength;
    const Char* closer;
};
const ClearKind kClearKinds[] = {
    {u"<![CDATA[", 9, u"]]>"}, {u"<!DOCTYPE", 9, u">"}, {u"<PRE>", 5, u"</PRE>"},
    {u"<Script>", 8, u"</Script>"}, {u"<!--", 4, u"-->"},
};

struct NamedEntity {
    const Char* name;  // with its ';'
    size_t length;
    Char character;
};
const NamedEntity kNamedEntities[] = {
    {u"amp;", 4, u'&'}, {u"lt;", 3, u'<'}, {u"gt;", 3, u'>'}, {u"quot;", 5, u'"'}, {u"apos;", 5, u'\''},
};

bool IsXmlSpace(Char c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

int HexValue(Char c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Decodes the character entities of s[0..n) into out; false on an unknown or
// malformed entity.  Numeric values beyond 16 bits become surrogate pairs; 0
// and values beyond U+10FFFF are malformed.
bool DecodeEntities(const Char* s, size_t n, String& out) {
    out.clear();
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        if (s[i] != u'&') {
            size_t run = i + 1;
            while (run < n && s[run] != u'&') ++run;
            out.append(s + i, run - i);
            i = run - 1;
            continue;
        }
        size_t j = i + 1;
        if (j < n && s[j] == u'#') {
            ++j;
            const bool hex = j < n && s[j] == u'x';
            if (hex) ++j;
            const size_t digitsStart = j;
            unsigned long value = 0;
            for (; j < n; ++j) {
                const int d = hex ? HexValue(s[j]) : (s[j] >= u'0' && s[j] <= u'9' ? s[j] - u'0' : -1);
                if (d < 0) break;
                value = value * (hex ? 16 : 10) + static_cast<unsigned long>(d);
                if (value > 0x10FFFF) return false;
            }
            if (j == digitsStart || j >= n || s[j] != u';' || value == 0) return false;
            if (value >= 0x10000) {
                value -= 0x10000;
                out += static_cast<Char>(0xD800 + (value >> 10));
                out += static_cast<Char>(0xDC00 + (value & 0x3FF));
            } else {
                out += static_cast<Char>(value);
            }
            i = j;
            continue;
        }
        bool known = false;
        for (const NamedEntity& e : kNamedEntities) {
            if (n - j >= e.length && hxcore::EqualNoCase(s + j, e.length, e.name, e.length)) {
                out += e.character;
                i = j + e.length - 1;
                known = true;
                break;
            }
        }
        if (!known) return false;
    }
    return true;
}

class Parser {
public:
    Parser(const Char* text, size_t length) : s_(text), n_(length) {}

    // Parses the whole text into root; returns the result code.
    int Run(XmlDomNodeData* root) {
        String unmatched;
        ParseContent(root, 0, unmatched);
        if (error_ == kXmlOk && root->children.empty()) return kXmlEmptyDocument;
        return error_;
    }

private:
    enum class Close { Done, Fatal, Unmatched };

    // Records a code; the first one stays.
    void Record(int code) {
        if (error_ == kXmlOk) error_ = code;
    }
    Close Fatal(int code) {
        Record(code);
        return Close::Fatal;
    }

    bool At(const Char* lit, size_t len) const {
        if (n_ - p_ < len) return false;
        for (size_t i = 0; i < len; ++i)
            if (s_[p_ + i] != lit[i]) return false;
        return true;
    }
    void SkipSpace() {
        while (p_ < n_ && IsXmlSpace(s_[p_])) ++p_;
    }
    bool EndsTextToken(size_t i) const {
        const Char c = s_[i];
        return IsXmlSpace(c) || c == u'<' || c == u'=' || c == u'>' || (c == u'/' && i + 1 < n_ && s_[i + 1] == u'>');
    }
    // A text token at the current position (empty when none starts here).
    String ReadTextToken() {
        const size_t start = p_;
        while (p_ < n_ && !EndsTextToken(p_)) ++p_;
        return String(s_ + start, p_ - start);
    }
    // An element name right after '<', '<?' or '</'.
    String ReadName() {
        if (p_ >= n_ || s_[p_] == u'"' || s_[p_] == u'\'') return String();
        return ReadTextToken();
    }
    const ClearKind* ClearAtPosition() const {
        for (const ClearKind& k : kClearKinds)
            if (At(k.opener, k.openerLength)) return &k;
        return nullptr;
    }
    // True when only whitespace lies between the current position and a '>'.
    bool BeforeTagEnd() const {
        size_t i = p_;
        while (i < n_ && IsXmlSpace(s_[i])) ++i;
        return i < n_ && s_[i] == u'>';
    }
    static void DropTrailingQuestionMark(String& s) {
        if (!s.empty() && s.back() == u'?') s.pop_back();
    }

    // Appends the text of s_[from..to), trimmed and decoded, as a text piece.
    bool StoreText(XmlDomNodeData* e, size_t from, size_t to) {
        while (from < to && IsXmlSpace(s_[from])) ++from;
        while (to > from && IsXmlSpace(s_[to - 1])) --to;
        if (from == to) return true;
        String decoded;
        if (!DecodeEntities(s_ + from, to - from, decoded)) return false;
        e->order.push_back(static_cast<int32_t>(e->texts.size()) * 4 + XmlDomNode::kText);
        e->texts.push_back(std::move(decoded));
        return true;
    }

    // A clear section at the current position; false when its closer is missing.
    bool StoreClear(XmlDomNodeData* e, const ClearKind& kind) {
        const size_t contentStart = p_ + kind.openerLength;
        String closer = kind.closer;
        if (&kind == &kClearKinds[1]) {
            // An internal subset: a '<' before the first '>' means the section ends at "]>".
            size_t i = contentStart;
            while (i < n_ && s_[i] != u'>' && s_[i] != u'<') ++i;
            if (i < n_ && s_[i] == u'<') closer = u"]>";
        }
        for (size_t i = contentStart; i + closer.size() <= n_; ++i) {
            if (s_[i] == closer[0] && closer.compare(0, closer.size(), s_ + i, closer.size()) == 0) {
                e->order.push_back(static_cast<int32_t>(e->clears.size()) * 4 + XmlDomNode::kClear);
                e->clears.push_back(XmlDomNode::Clear{String(s_ + contentStart, i - contentStart),
                                                      String(kind.opener, kind.openerLength), closer});
                p_ = i + closer.size();
                return true;
            }
        }
        return false;
    }

    // The start tag after the element's name, then its content.
    Close ParseElement(XmlDomNodeData* e, int depth, String& unmatched) {
        for (;;) {
            SkipSpace();
            if (p_ >= n_ || ClearAtPosition() || s_[p_] == u'<' || s_[p_] == u'=') return Fatal(kXmlBadStartTag);
            if (At(u"/>", 2)) {
                p_ += 2;
                return Close::Done;
            }
            if (s_[p_] == u'>') {
                ++p_;
                return ParseContent(e, depth, unmatched);
            }
            XmlDomNode::Attribute a;
            bool quoted = false;
            if (!ReadToken(a.name, &quoted) || quoted) return Fatal(kXmlBadStartTag);
            if (e->isDeclaration && BeforeTagEnd()) DropTrailingQuestionMark(a.name);
            SkipSpace();
            if (p_ < n_ && s_[p_] == u'=') {
                ++p_;
                SkipSpace();
                String raw;
                if (p_ >= n_ || ClearAtPosition() || s_[p_] == u'<' || s_[p_] == u'=' || s_[p_] == u'>' ||
                    At(u"/>", 2) || !ReadToken(raw, nullptr))
                    return Fatal(kXmlBadStartTag);
                if (e->isDeclaration && BeforeTagEnd()) DropTrailingQuestionMark(raw);
                if (!DecodeEntities(raw.data(), raw.size(), a.value)) return Fatal(kXmlBadEntity);
                a.hasValue = true;
            }
            if (!a.name.empty()) e->attributes.push_back(std::move(a));
        }
    }

    // A quoted token (quotes removed; *quoted set) or a text token; false
    // when neither starts here.
    bool ReadToken(String& out, bool* quoted) {
        const Char q = s_[p_];
        if (q == u'"' || q == u'\'') {
            size_t i = p_ + 1;
            while (i < n_ && s_[i] != q && s_[i] != u'<') ++i;
            if (i < n_ && s_[i] == q) {
                out.assign(s_ + p_ + 1, i - p_ - 1);
                p_ = i + 1;
                if (quoted) *quoted = true;
                return true;
            }
            // No closing quote before '<' or the end: the quote starts a text token.
            const size_t start = p_++;
            while (p_ < n_ && !EndsTextToken(p_)) ++p_;
            out.assign(s_ + start, p_ - start);
            return true;
        }
        out = ReadTextToken();
        return !out.empty();
    }

    // Text, children, clear sections and the end tag of e.
    Close ParseContent(XmlDomNodeData* e, int depth, String& unmatched) {
        const bool isRoot = depth == 0;
        size_t textStart = p_;
        for (;;) {
            size_t markup = textStart;
            while (markup < n_ && s_[markup] != u'<') ++markup;
            if (!StoreText(e, textStart, markup)) return Fatal(kXmlBadEntity);
            p_ = markup;
            if (p_ >= n_) {
                if (!isRoot && !e->isDeclaration) Record(kXmlMissingEndTag);
                return Close::Done;
            }
            if (const ClearKind* kind = ClearAtPosition()) {
                if (!StoreClear(e, *kind)) return Fatal(kXmlOpenClear);
            } else if (At(u"</", 2)) {
                p_ += 2;
                String name = ReadName();
                if (name.empty()) return Fatal(kXmlBadEndTag);
                SkipSpace();
                if (p_ >= n_ || s_[p_] != u'>') return Fatal(kXmlBadEndTag);
                ++p_;
                if (isRoot) return Fatal(kXmlStrayEndTag);
                if (hxcore::EqualNoCase(name, e->name)) return Close::Done;
                Record(kXmlMissingEndTag);
                unmatched = std::move(name);
                return Close::Unmatched;
            } else {
                const bool declaration = At(u"<?", 2);
                p_ += declaration ? 2 : 1;
                String name = ReadName();
                if (name.empty()) return Fatal(kXmlNoName);
                if (declaration && BeforeTagEnd()) DropTrailingQuestionMark(name);
                if (depth + 1 > kXmlMaxDepth) return Fatal(kXmlBadStartTag);
                XmlDomNodeData* child = new XmlDomNodeData;
                child->refs = 1;
                XmlDomNode handle = XmlDomNode::Adopt(child);
                child->name = std::move(name);
                child->isDeclaration = declaration;
                child->parent = e;
                e->order.push_back(static_cast<int32_t>(e->children.size()) * 4 + XmlDomNode::kChild);
                e->children.push_back(std::move(handle));
                Close r = ParseElement(child, depth + 1, unmatched);
                if (r == Close::Fatal) return r;
                if (r == Close::Unmatched) {
                    // The end tag names an enclosing element: close every
                    // element up to the one it names.
                    if (isRoot) return Fatal(kXmlStrayEndTag);
                    if (hxcore::EqualNoCase(unmatched, e->name)) return Close::Done;
                    return Close::Unmatched;
                }
            }
            textStart = p_;
        }
    }

    const Char* s_;
    size_t n_;
    size_t p_ = 0;
    int error_ = kXmlOk;
};

bool NameIs(const XmlDomNodeData* d, const Char* name) {
    return d && !d->name.empty() && hxcore::EqualNoCase(d->name.data(), d->name.size(), name, hxcore::Length(name));
}

}  // namespace

XmlDomNode::XmlDomNode(const XmlDomNode& other) : data_(other.data_) {
    if (data_) ++data_->refs;
}

XmlDomNode::XmlDomNode(XmlDomNode&& other) noexcept : data_(other.data_) { other.data_ = nullptr; }

XmlDomNode& XmlDomNode::operator=(const XmlDomNode& other) {
    if (other.data_) ++other.data_->refs;
    Release();
    data_ = other.data_;
    return *this;
}

XmlDomNode& XmlDomNode::operator=(XmlDomNode&& other) noexcept {
    if (this != &other) {
        Release();
        data_ = other.data_;
        other.data_ = nullptr;
    }
    return *this;
}

XmlDomNode::~XmlDomNode() { Release(); }

void XmlDomNode::Release() {
    XmlDomNodeData* d = data_;
    data_ = nullptr;
    if (!d || --d->refs > 0) return;
    // Children outlive their parent only through handles of their own.
    for (XmlDomNode& child : d->children)
        if (child.data_) child.data_->parent = nullptr;
    d->children.clear();
    delete d;
}

XmlDomNode XmlDomNode::Adopt(XmlDomNodeData* data) {
    XmlDomNode n;
    n.data_ = data;
    return n;
}

XmlDomNode XmlDomNode::Parse(const Char* text, int* error) {
    XmlDomNodeData* root = new XmlDomNodeData;
    root->refs = 1;
    XmlDomNode handle = Adopt(root);
    Parser parser(text, hxcore::Length(text));
    const int code = parser.Run(root);
    if (error) *error = code;
    return handle;
}

XmlDomNode XmlDomNode::ParseString(const Char* text, const Char* rootName, int* error) {
    if (error) *error = kXmlEmptyDocument;
    if (!text) return g_emptyNode;
    int code = kXmlOk;
    XmlDomNode root = Parse(text, &code);
    if (error) *error = code;
    XmlDomNodeData* r = root.data_;
    if (r->children.size() == 1 && r->texts.empty() && r->clears.empty() && r->attributes.empty()) {
        XmlDomNode only = r->children[0];
        root = std::move(only);
    }
    if (code != kXmlOk && code != kXmlMissingEndTag && code != kXmlEmptyDocument) return g_emptyNode;
    if (!rootName) return g_emptyNode;
    if (NameIs(root.data_, rootName)) return root;
    XmlDomNode node = root;
    size_t i = 0;
    while (i < node.data_->children.size()) {
        const XmlDomNode& child = node.data_->children[i];
        if (NameIs(child.data_, rootName)) return child;
        if (child.data_->isDeclaration) {
            // The rest of a document after a declaration lies inside it.
            XmlDomNode next = child;
            node = std::move(next);
            i = 0;
            continue;
        }
        ++i;
    }
    return g_emptyNode;
}

XmlDomNode XmlDomNode::GetChildNode(const Char* name, int* position) const {
    if (!data_ || !name || !position || *position < 0) return g_emptyNode;
    for (size_t i = static_cast<size_t>(*position); i < data_->children.size(); ++i) {
        if (NameIs(data_->children[i].data_, name)) {
            *position = static_cast<int>(i) + 1;
            return data_->children[i];
        }
    }
    return g_emptyNode;
}

XmlDomNode XmlDomNode::GetChildNode(const Char* name, int n) const {
    if (!data_ || !name || n < 0) return g_emptyNode;
    for (const XmlDomNode& child : data_->children)
        if (NameIs(child.data_, name) && n-- == 0) return child;
    return g_emptyNode;
}

XmlDomNode XmlDomNode::GetChild(int index) const {
    if (!data_ || index < 0 || static_cast<size_t>(index) >= data_->children.size()) return g_emptyNode;
    return data_->children[static_cast<size_t>(index)];
}

const String& XmlDomNode::Name() const {
    static const String kNone;
    return data_ ? data_->name : kNone;
}
bool XmlDomNode::IsDeclaration() const { return data_ && data_->isDeclaration; }
XmlDomNode XmlDomNode::Parent() const {
    if (!data_ || !data_->parent) return g_emptyNode;
    ++data_->parent->refs;
    return Adopt(data_->parent);
}
int XmlDomNode::ChildCount() const { return data_ ? static_cast<int>(data_->children.size()) : 0; }
int XmlDomNode::TextCount() const { return data_ ? static_cast<int>(data_->texts.size()) : 0; }
int XmlDomNode::ClearCount() const { return data_ ? static_cast<int>(data_->clears.size()) : 0; }
int XmlDomNode::AttributeCount() const { return data_ ? static_cast<int>(data_->attributes.size()) : 0; }
const String* XmlDomNode::Text(int i) const {
    if (!data_ || i < 0 || static_cast<size_t>(i) >= data_->texts.size()) return nullptr;
    return &data_->texts[static_cast<size_t>(i)];
}
const XmlDomNode::Clear* XmlDomNode::ClearAt(int i) const {
    if (!data_ || i < 0 || static_cast<size_t>(i) >= data_->clears.size()) return nullptr;
    return &data_->clears[static_cast<size_t>(i)];
}
const XmlDomNode::Attribute* XmlDomNode::AttributeAt(int i) const {
    if (!data_ || i < 0 || static_cast<size_t>(i) >= data_->attributes.size()) return nullptr;
    return &data_->attributes[static_cast<size_t>(i)];
}
const std::vector<int32_t>& XmlDomNode::Order() const {
    static const std::vector<int32_t> kNone;
    return data_ ? data_->order : kNone;
}
int XmlDomNode::RefCount() const { return data_ ? data_->refs : 0; }
