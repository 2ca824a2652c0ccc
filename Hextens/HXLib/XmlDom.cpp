#include "Hextens/HXLib/XmlDom.h"

#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

using hxcore::Char;

// The storage of one parsed tree: the text copy, the nodes and their arrays,
// in blocks that go all at once with the tree's last handle.
class XmlDomDocument {
public:
    XmlDomDocument() = default;
    XmlDomDocument(const XmlDomDocument&) = delete;
    XmlDomDocument& operator=(const XmlDomDocument&) = delete;
    ~XmlDomDocument() {
        for (Block* b = blocks_; b;) {
            Block* next = b->next;
            ::operator delete(b);
            b = next;
        }
    }

    // Room for count objects of T (trivially destructible: never destroyed).
    template <class T>
    T* Allocate(size_t count) {
        static_assert(std::is_trivially_destructible<T>::value && alignof(T) <= kAlign, "arena object");
        if (count == 0) return nullptr;
        if (count > (SIZE_MAX - kAlign) / sizeof(T)) throw std::bad_alloc();
        const size_t bytes = (count * sizeof(T) + kAlign - 1) & ~(kAlign - 1);
        if (bytes > left_) Grow(bytes);
        void* p = next_;
        next_ += bytes;
        left_ -= bytes;
        return static_cast<T*>(p);
    }

    // The size of the blocks to come, from the size of the text.
    void SizeBlocksFor(size_t textBytes) {
        blockSize_ = textBytes < kMinBlock ? kMinBlock : textBytes > kMaxBlock ? kMaxBlock : textBytes;
    }

    int32_t handles = 0;  // handles to any node of the tree

private:
    static constexpr size_t kAlign = 8;
    static constexpr size_t kMinBlock = 1024;
    static constexpr size_t kMaxBlock = 1 << 20;
    struct Block {
        Block* next;
    };
    static constexpr size_t kHeader = (sizeof(Block) + kAlign - 1) & ~(kAlign - 1);

    void Grow(size_t bytes) {
        const size_t size = bytes > blockSize_ ? bytes : blockSize_;
        if (blockSize_ < kMaxBlock) blockSize_ *= 2;
        Block* b = static_cast<Block*>(::operator new(kHeader + size));
        b->next = blocks_;
        blocks_ = b;
        next_ = reinterpret_cast<char*>(b) + kHeader;
        left_ = size;
    }

    Block* blocks_ = nullptr;
    char* next_ = nullptr;
    size_t left_ = 0;
    size_t blockSize_ = kMinBlock;
};

// A node's data; only the parser and the handle touch it.  It lives in its
// tree's storage.
struct XmlDomNodeData {
    XmlDomText name;
    XmlDomNodeData* parent = nullptr;
    XmlDomDocument* document = nullptr;
    XmlDomNodeData** children = nullptr;
    XmlDomText* texts = nullptr;
    XmlDomNode::Clear* clears = nullptr;
    XmlDomNode::Attribute* attributes = nullptr;
    int32_t* order = nullptr;
    int32_t childCount = 0;
    int32_t textCount = 0;
    int32_t clearCount = 0;
    int32_t attributeCount = 0;
    int32_t orderCount = 0;
    int32_t handles = 0;
    bool isDeclaration = false;
};

namespace {

struct ClearKind {
    XmlDomText opener;
    XmlDomText closer;
};
// Every opener starts with '<'.
const ClearKind kClearKinds[] = {
    {u"<![CDATA[", u"]]>"}, {u"<!DOCTYPE", u">"}, {u"<PRE>", u"</PRE>"}, {u"<Script>", u"</Script>"}, {u"<!--", u"-->"},
};
const ClearKind& kCdata = kClearKinds[0];
const ClearKind& kDoctype = kClearKinds[1];
const ClearKind& kPre = kClearKinds[2];
const ClearKind& kScript = kClearKinds[3];
const ClearKind& kComment = kClearKinds[4];
const XmlDomText kSubsetCloser = u"]>";

struct NamedEntity {
    const Char* name;  // with its ';'
    size_t length;
    Char character;
};
const NamedEntity kNamedEntities[] = {
    {u"amp;", 4, u'&'}, {u"lt;", 3, u'<'}, {u"gt;", 3, u'>'}, {u"quot;", 5, u'"'}, {u"apos;", 5, u'\''},
};

// Classes of the ASCII code units: what ends a text token (whitespace, '<',
// '=', '>', the terminating NUL; '/' only before '>'), and whitespace.
enum : unsigned char { kEndsToken = 1, kSlash = 2, kSpace = 4 };
struct ClassTable {
    unsigned char c[128] = {};
    constexpr ClassTable() {
        c[0] = kEndsToken;
        c[static_cast<unsigned>(u' ')] = c[static_cast<unsigned>(u'\t')] = c[static_cast<unsigned>(u'\n')] =
            c[static_cast<unsigned>(u'\r')] = kEndsToken | kSpace;
        c[static_cast<unsigned>(u'<')] = c[static_cast<unsigned>(u'=')] = c[static_cast<unsigned>(u'>')] = kEndsToken;
        c[static_cast<unsigned>(u'/')] = kSlash;
    }
};
constexpr ClassTable kClasses;

inline bool IsXmlSpace(Char c) { return c < 128 && (kClasses.c[c] & kSpace); }

int HexValue(Char c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Decodes the character entities of s[0..n) in place (the decoded text is
// never longer) and returns its length; -1 on an unknown or malformed
// entity.  Numeric values beyond 16 bits become surrogate pairs; 0 and
// values beyond U+10FFFF are malformed.
ptrdiff_t DecodeInPlace(Char* s, size_t n) {
    size_t w = 0;
    while (w < n && s[w] != u'&') ++w;
    for (size_t i = w; i < n; ++i) {
        if (s[i] != u'&') {
            s[w++] = s[i];
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
                if (value > 0x10FFFF) return -1;
            }
            if (j == digitsStart || j >= n || s[j] != u';' || value == 0) return -1;
            if (value >= 0x10000) {
                value -= 0x10000;
                s[w++] = static_cast<Char>(0xD800 + (value >> 10));
                s[w++] = static_cast<Char>(0xDC00 + (value & 0x3FF));
            } else {
                s[w++] = static_cast<Char>(value);
            }
            i = j;
            continue;
        }
        bool known = false;
        const Char first = j < n ? hxcore::ToLower(s[j]) : Char(0);
        for (const NamedEntity& e : kNamedEntities) {
            if (first == e.name[0] && n - j >= e.length && hxcore::EqualNoCase(s + j, e.length, e.name, e.length)) {
                s[w++] = e.character;
                i = j + e.length - 1;
                known = true;
                break;
            }
        }
        if (!known) return -1;
    }
    return static_cast<ptrdiff_t>(w);
}

// Names compare exactly first: end tags mostly repeat their start tag.
bool SameName(XmlDomText a, XmlDomText b) {
    const size_t n = a.size();
    if (n != b.size()) return false;
    size_t i = 0;
    while (i < n && a[i] == b[i]) ++i;
    return i == n || hxcore::EqualNoCase(a.data() + i, n - i, b.data() + i, n - i);
}

bool NameIs(const XmlDomNodeData* d, XmlDomText name) { return d && !d->name.empty() && SameName(d->name, name); }

// True when an element above d (its parent or further up) is held by a
// handle: then d's parent lives and d is attached to it.
bool Attached(const XmlDomNodeData* d) {
    for (const XmlDomNodeData* p = d->parent; p; p = p->parent)
        if (p->handles > 0) return true;
    return false;
}

class Parser {
public:
    // s[0..n) is the tree's own copy of the text, s[n] its terminating NUL.
    Parser(XmlDomDocument& document, Char* s, size_t n) : document_(document), s_(s), n_(n) {}

    // Parses the whole text into root; returns the result code.
    int Run(XmlDomNodeData* root) {
        XmlDomText unmatched;
        const Marks marks = Mark();
        ParseContent(root, 0, marks, unmatched);
        Commit(root, marks);
        if (error_ == kXmlOk && root->childCount == 0) return kXmlEmptyDocument;
        return error_;
    }

private:
    enum class Close { Done, Fatal, Unmatched };

    // Where an open element's entries start on the scratch stacks: the
    // entries above are its own until it is complete and they move into
    // arrays of its exact size in the tree's storage.
    struct Marks {
        size_t children, texts, clears, attributes, order;
    };
    Marks Mark() const {
        return Marks{children_.size(), texts_.size(), clears_.size(), attributes_.size(), order_.size()};
    }
    // Moves the entries of stack above from to out (room for them at *room).
    template <class T>
    static T* MoveOut(std::vector<T>& stack, size_t from, int32_t& count, char*& room) {
        const size_t n = stack.size() - from;
        count = static_cast<int32_t>(n);
        if (n == 0) return nullptr;
        T* out = reinterpret_cast<T*>(room);
        const T* in = stack.data() + from;
        for (size_t i = 0; i < n; ++i) out[i] = in[i];
        room += n * sizeof(T);
        stack.resize(from);
        return out;
    }
    // The element is complete: its five arrays in one piece of the tree's storage.
    void Commit(XmlDomNodeData* e, const Marks& m) {
        // Largest alignment first, so each array starts aligned.
        static_assert(alignof(XmlDomNode::Clear) <= alignof(XmlDomNodeData*) &&
                          alignof(XmlDomNode::Attribute) <= alignof(XmlDomNodeData*) &&
                          alignof(XmlDomText) <= alignof(XmlDomNodeData*) &&
                          sizeof(XmlDomNode::Clear) % alignof(XmlDomNodeData*) == 0 &&
                          sizeof(XmlDomNode::Attribute) % alignof(XmlDomNodeData*) == 0 &&
                          sizeof(XmlDomText) % alignof(XmlDomNodeData*) == 0,
                      "arrays packed in one piece");
        const size_t bytes = (children_.size() - m.children) * sizeof(XmlDomNodeData*) +
                             (texts_.size() - m.texts) * sizeof(XmlDomText) +
                             (clears_.size() - m.clears) * sizeof(XmlDomNode::Clear) +
                             (attributes_.size() - m.attributes) * sizeof(XmlDomNode::Attribute) +
                             (order_.size() - m.order) * sizeof(int32_t);
        char* room = document_.Allocate<char>(bytes);
        e->children = MoveOut(children_, m.children, e->childCount, room);
        e->texts = MoveOut(texts_, m.texts, e->textCount, room);
        e->clears = MoveOut(clears_, m.clears, e->clearCount, room);
        e->attributes = MoveOut(attributes_, m.attributes, e->attributeCount, room);
        e->order = MoveOut(order_, m.order, e->orderCount, room);
    }
    void AddOrder(size_t index, XmlDomNode::Kind kind) { order_.push_back(static_cast<int32_t>(index) * 4 + kind); }

    // Records a code; the first one stays.
    void Record(int code) {
        if (error_ == kXmlOk) error_ = code;
    }
    Close Fatal(int code) {
        Record(code);
        return Close::Fatal;
    }

    bool At(XmlDomText lit) const {
        if (n_ - p_ < lit.size()) return false;
        for (size_t i = 0; i < lit.size(); ++i)
            if (s_[p_ + i] != lit[i]) return false;
        return true;
    }
    void SkipSpace() {
        while (IsXmlSpace(s_[p_])) ++p_;
    }
    bool EndsTextToken(size_t i) const {
        const Char c = s_[i];
        if (c >= 128) return false;
        const unsigned char k = kClasses.c[c];
        return (k & kEndsToken) || ((k & kSlash) && s_[i + 1] == u'>');
    }
    // A text token at the current position (empty when none starts here).
    XmlDomText ReadTextToken() {
        const size_t start = p_;
        while (!EndsTextToken(p_)) ++p_;
        return XmlDomText(s_ + start, p_ - start);
    }
    // An element name right after '<', '<?' or '</'.
    XmlDomText ReadName() {
        if (p_ >= n_ || s_[p_] == u'"' || s_[p_] == u'\'') return XmlDomText();
        return ReadTextToken();
    }
    // The clear section that opens at the current '<', if one does.
    const ClearKind* ClearAtPosition() const {
        // The openers differ by their second and third code units.
        const ClearKind* k = nullptr;
        switch (s_[p_ + 1]) {
            case u'!': {
                const Char third = s_[p_ + 2];
                k = third == u'[' ? &kCdata : third == u'D' ? &kDoctype : third == u'-' ? &kComment : nullptr;
                break;
            }
            case u'P': k = &kPre; break;
            case u'S': k = &kScript; break;
            default: break;
        }
        return k && At(k->opener) ? k : nullptr;
    }
    // True when only whitespace lies between the current position and a '>'.
    bool BeforeTagEnd() const {
        size_t i = p_;
        while (IsXmlSpace(s_[i])) ++i;
        return s_[i] == u'>';
    }
    static void DropTrailingQuestionMark(XmlDomText& s) {
        if (!s.empty() && s.back() == u'?') s.remove_suffix(1);
    }
    // The text s_[from..from + length) decoded in place; false on a bad entity.
    bool Decode(size_t from, size_t length, bool mayHoldEntities, XmlDomText& out) {
        if (mayHoldEntities) {
            const ptrdiff_t decoded = DecodeInPlace(s_ + from, length);
            if (decoded < 0) return false;
            length = static_cast<size_t>(decoded);
        }
        out = XmlDomText(s_ + from, length);
        return true;
    }

    // Appends the text of s_[from..to), trimmed and decoded, as a text piece.
    bool StoreText(const Marks& m, size_t from, size_t to, bool mayHoldEntities) {
        while (from < to && IsXmlSpace(s_[from])) ++from;
        while (to > from && IsXmlSpace(s_[to - 1])) --to;
        if (from == to) return true;
        XmlDomText text;
        if (!Decode(from, to - from, mayHoldEntities, text)) return false;
        AddOrder(texts_.size() - m.texts, XmlDomNode::kText);
        texts_.push_back(text);
        return true;
    }

    // A clear section at the current position; false when its closer is missing.
    bool StoreClear(const Marks& m, const ClearKind& kind) {
        const size_t contentStart = p_ + kind.opener.size();
        XmlDomText closer = kind.closer;
        if (&kind == &kDoctype) {
            // An internal subset: a '<' before the first '>' means the section ends at "]>".
            size_t i = contentStart;
            while (i < n_ && s_[i] != u'>' && s_[i] != u'<') ++i;
            if (i < n_ && s_[i] == u'<') closer = kSubsetCloser;
        }
        const Char first = closer[0];
        const size_t rest = (closer.size() - 1) * sizeof(Char);
        for (size_t i = contentStart; i + closer.size() <= n_; ++i) {
            if (s_[i] == first && std::memcmp(s_ + i + 1, closer.data() + 1, rest) == 0) {
                AddOrder(clears_.size() - m.clears, XmlDomNode::kClear);
                const XmlDomText content(s_ + contentStart, i - contentStart);
                clears_.push_back(XmlDomNode::Clear{content, kind.opener, closer});
                p_ = i + closer.size();
                return true;
            }
        }
        return false;
    }

    // A quoted token (quotes removed; *quoted set) or a text token; false
    // when neither starts here.  *entities: the token may hold entities.
    bool ReadToken(size_t& from, size_t& length, bool* quoted, bool* entities) {
        const Char q = s_[p_];
        if (q == u'"' || q == u'\'') {
            size_t i = p_ + 1;
            bool amp = false;
            while (i < n_ && s_[i] != q && s_[i] != u'<') amp |= s_[i++] == u'&';
            if (i < n_ && s_[i] == q) {
                from = p_ + 1;
                length = i - p_ - 1;
                p_ = i + 1;
                if (quoted) *quoted = true;
                if (entities) *entities = amp;
                return true;
            }
            // No closing quote before '<' or the end: the quote starts a text token.
            from = p_++;
            while (!EndsTextToken(p_)) ++p_;
            length = p_ - from;
            if (entities) *entities = true;
            return true;
        }
        from = p_;
        length = ReadTextToken().size();
        if (entities) *entities = true;
        return length != 0;
    }

    // The start tag after the element's name, then its content.
    Close ParseElement(XmlDomNodeData* e, int depth, const Marks& m, XmlDomText& unmatched) {
        for (;;) {
            SkipSpace();
            // Every clear-section opener starts with '<'.
            if (p_ >= n_ || s_[p_] == u'<' || s_[p_] == u'=') return Fatal(kXmlBadStartTag);
            if (s_[p_] == u'/' && s_[p_ + 1] == u'>') {
                p_ += 2;
                return Close::Done;
            }
            if (s_[p_] == u'>') {
                ++p_;
                return ParseContent(e, depth, m, unmatched);
            }
            XmlDomNode::Attribute a;
            bool quoted = false;
            size_t from = 0, length = 0;
            if (!ReadToken(from, length, &quoted, nullptr) || quoted) return Fatal(kXmlBadStartTag);
            a.name = XmlDomText(s_ + from, length);
            if (e->isDeclaration && BeforeTagEnd()) DropTrailingQuestionMark(a.name);
            SkipSpace();
            if (p_ < n_ && s_[p_] == u'=') {
                ++p_;
                SkipSpace();
                bool entities = false;
                if (p_ >= n_ || s_[p_] == u'<' || s_[p_] == u'=' || s_[p_] == u'>' ||
                    (s_[p_] == u'/' && s_[p_ + 1] == u'>') || !ReadToken(from, length, nullptr, &entities))
                    return Fatal(kXmlBadStartTag);
                if (e->isDeclaration && BeforeTagEnd() && length && s_[from + length - 1] == u'?') --length;
                if (!Decode(from, length, entities, a.value)) return Fatal(kXmlBadEntity);
                a.hasValue = true;
            }
            if (!a.name.empty()) attributes_.push_back(a);
        }
    }

    // Text, children, clear sections and the end tag of e.
    Close ParseContent(XmlDomNodeData* e, int depth, const Marks& m, XmlDomText& unmatched) {
        const bool isRoot = depth == 0;
        size_t textStart = p_;
        for (;;) {
            size_t markup = textStart;
            bool amp = false;
            for (Char c; (c = s_[markup]) != u'<' && markup < n_; ++markup) amp |= c == u'&';
            if (!StoreText(m, textStart, markup, amp)) return Fatal(kXmlBadEntity);
            p_ = markup;
            if (p_ >= n_) {
                if (!isRoot && !e->isDeclaration) Record(kXmlMissingEndTag);
                return Close::Done;
            }
            if (const ClearKind* kind = ClearAtPosition()) {
                if (!StoreClear(m, *kind)) return Fatal(kXmlOpenClear);
            } else if (s_[p_ + 1] == u'/') {
                p_ += 2;
                XmlDomText name = ReadName();
                if (name.empty()) return Fatal(kXmlBadEndTag);
                SkipSpace();
                if (p_ >= n_ || s_[p_] != u'>') return Fatal(kXmlBadEndTag);
                ++p_;
                if (isRoot) return Fatal(kXmlStrayEndTag);
                if (SameName(name, e->name)) return Close::Done;
                Record(kXmlMissingEndTag);
                unmatched = name;
                return Close::Unmatched;
            } else {
                const bool declaration = s_[p_ + 1] == u'?';
                p_ += declaration ? 2 : 1;
                XmlDomText name = ReadName();
                if (name.empty()) return Fatal(kXmlNoName);
                if (declaration && BeforeTagEnd()) DropTrailingQuestionMark(name);
                if (depth + 1 > kXmlMaxDepth) return Fatal(kXmlBadStartTag);
                XmlDomNodeData* child = new (document_.Allocate<XmlDomNodeData>(1)) XmlDomNodeData;
                child->document = &document_;
                child->name = name;
                child->isDeclaration = declaration;
                child->parent = e;
                AddOrder(children_.size() - m.children, XmlDomNode::kChild);
                children_.push_back(child);
                const Marks childMarks = Mark();
                const Close r = ParseElement(child, depth + 1, childMarks, unmatched);
                Commit(child, childMarks);
                if (r == Close::Fatal) return r;
                if (r == Close::Unmatched) {
                    // The end tag names an enclosing element: close every
                    // element up to the one it names.
                    if (isRoot) return Fatal(kXmlStrayEndTag);
                    if (SameName(unmatched, e->name)) return Close::Done;
                    return Close::Unmatched;
                }
            }
            textStart = p_;
        }
    }

    XmlDomDocument& document_;
    Char* s_;
    size_t n_;
    size_t p_ = 0;
    int error_ = kXmlOk;
    std::vector<XmlDomNodeData*> children_;
    std::vector<XmlDomText> texts_;
    std::vector<XmlDomNode::Clear> clears_;
    std::vector<XmlDomNode::Attribute> attributes_;
    std::vector<int32_t> order_;
};

}  // namespace

XmlDomNode::XmlDomNode(XmlDomNodeData* data) : data_(data) {
    if (data_) {
        ++data_->handles;
        ++data_->document->handles;
    }
}

XmlDomNode::XmlDomNode(const XmlDomNode& other) : XmlDomNode(other.data_) {}

XmlDomNode::XmlDomNode(XmlDomNode&& other) noexcept : data_(other.data_) { other.data_ = nullptr; }

XmlDomNode& XmlDomNode::operator=(const XmlDomNode& other) {
    if (other.data_) {
        ++other.data_->handles;
        ++other.data_->document->handles;
    }
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
    if (!d) return;
    --d->handles;
    XmlDomDocument* document = d->document;
    if (--document->handles == 0) delete document;
}

XmlDomNode XmlDomNode::Parse(const Char* text, int* error) {
    auto document = std::make_unique<XmlDomDocument>();
    const size_t n = hxcore::Length(text);
    document->SizeBlocksFor(n * sizeof(Char));
    Char* copy = document->Allocate<Char>(n + 1);
    if (n) std::memcpy(copy, text, n * sizeof(Char));
    copy[n] = 0;
    XmlDomNodeData* root = new (document->Allocate<XmlDomNodeData>(1)) XmlDomNodeData;
    root->document = document.get();
    Parser parser(*document, copy, n);
    const int code = parser.Run(root);
    if (error) *error = code;
    XmlDomNode handle(root);
    document.release();  // the handles own it now
    return handle;
}

XmlDomNode XmlDomNode::ParseString(const Char* text, const Char* rootName, int* error) {
    if (error) *error = kXmlEmptyDocument;
    if (!text) return XmlDomNode();
    int code = kXmlOk;
    XmlDomNode root = Parse(text, &code);
    if (error) *error = code;
    const XmlDomNodeData* r = root.data_;
    if (r->childCount == 1 && r->textCount == 0 && r->clearCount == 0 && r->attributeCount == 0)
        root = XmlDomNode(r->children[0]);
    if (code != kXmlOk && code != kXmlMissingEndTag && code != kXmlEmptyDocument) return XmlDomNode();
    if (!rootName) return XmlDomNode();
    const XmlDomText wanted(rootName);
    if (NameIs(root.data_, wanted)) return root;
    const XmlDomNodeData* node = root.data_;
    int32_t i = 0;
    while (i < node->childCount) {
        XmlDomNodeData* child = node->children[i];
        if (NameIs(child, wanted)) return XmlDomNode(child);
        if (child->isDeclaration) {
            // The rest of a document after a declaration lies inside it.
            node = child;
            i = 0;
            continue;
        }
        ++i;
    }
    return XmlDomNode();
}

XmlDomNode XmlDomNode::GetChildNode(const Char* name, int* position) const {
    if (!data_ || !name || !position || *position < 0) return XmlDomNode();
    const XmlDomText wanted(name);
    for (int32_t i = *position; i < data_->childCount; ++i) {
        if (NameIs(data_->children[i], wanted)) {
            *position = i + 1;
            return XmlDomNode(data_->children[i]);
        }
    }
    return XmlDomNode();
}

XmlDomNode XmlDomNode::GetChildNode(const Char* name, int n) const {
    if (!data_ || !name || n < 0) return XmlDomNode();
    const XmlDomText wanted(name);
    for (int32_t i = 0; i < data_->childCount; ++i)
        if (NameIs(data_->children[i], wanted) && n-- == 0) return XmlDomNode(data_->children[i]);
    return XmlDomNode();
}

XmlDomNode XmlDomNode::GetChild(int index) const {
    if (!data_ || index < 0 || index >= data_->childCount) return XmlDomNode();
    return XmlDomNode(data_->children[index]);
}

XmlDomText XmlDomNode::Name() const { return data_ ? data_->name : XmlDomText(); }
bool XmlDomNode::IsDeclaration() const { return data_ && data_->isDeclaration; }
XmlDomNode XmlDomNode::Parent() const {
    if (!data_ || !Attached(data_)) return XmlDomNode();
    return XmlDomNode(data_->parent);
}
int XmlDomNode::ChildCount() const { return data_ ? data_->childCount : 0; }
int XmlDomNode::TextCount() const { return data_ ? data_->textCount : 0; }
int XmlDomNode::ClearCount() const { return data_ ? data_->clearCount : 0; }
int XmlDomNode::AttributeCount() const { return data_ ? data_->attributeCount : 0; }
const XmlDomText* XmlDomNode::Text(int i) const {
    if (!data_ || i < 0 || i >= data_->textCount) return nullptr;
    return &data_->texts[i];
}
const XmlDomNode::Clear* XmlDomNode::ClearAt(int i) const {
    if (!data_ || i < 0 || i >= data_->clearCount) return nullptr;
    return &data_->clears[i];
}
const XmlDomNode::Attribute* XmlDomNode::AttributeAt(int i) const {
    if (!data_ || i < 0 || i >= data_->attributeCount) return nullptr;
    return &data_->attributes[i];
}
XmlDomNode::OrderList XmlDomNode::Order() const {
    if (!data_) return OrderList();
    return OrderList{data_->order, static_cast<size_t>(data_->orderCount)};
}
int XmlDomNode::RefCount() const { return data_ ? data_->handles + (Attached(data_) ? 1 : 0) : 0; }
