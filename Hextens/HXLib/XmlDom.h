// HXLib's small, forgiving XML DOM parser.  Portable: no Win32 call.
//
// A parse turns UTF-16 text into a tree of element nodes.  The tree keeps
// one copy of the text and builds its nodes and their arrays in blocks of
// its own (no allocation per node); names, texts, values and clear sections
// are views into that copy, decoded in place where they held entities.
//
// An XmlDomNode is a handle: copies share the node and add a reference.  A
// node counts its handles, plus one while its parent lives (while a handle
// holds the parent or an element above it); a node whose parent has gone is
// detached from it (Parent() is the empty node).  The tree's storage goes
// with the last handle to any of its nodes, so the views a node hands out
// stay valid while a handle to a node of the same tree lives.  A handle
// without a node is the empty node, which every lookup that finds nothing
// returns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Hextens/HXLib/CharClass.h"

struct XmlDomNodeData;

// Result codes of a parse; the parse keeps the first one it meets.
enum XmlDomError : int {
    kXmlOk = 0,
    kXmlMissingEndTag = 1,  // missing or mismatched end tag (tolerated)
    kXmlEmptyDocument = 2,  // no element at all
    kXmlNoName = 4,         // '<' not followed by a name
    kXmlBadEndTag = 5,      // end tag without a name or without '>'
    kXmlStrayEndTag = 6,    // end tag that matches no open element
    kXmlOpenClear = 7,      // clear section without its closer
    kXmlBadStartTag = 8,    // unexpected token inside a start tag; nesting too deep
    kXmlBadEntity = 12,     // unknown or malformed character entity
};

// Elements nested deeper than this end the parse with kXmlBadStartTag:
// settings text is server data and must not exhaust the stack.
constexpr int kXmlMaxDepth = 256;

// A piece of a parsed tree's text (see above for how long it stays valid).
using XmlDomText = std::u16string_view;

class XmlDomNode {
public:
    // Kinds in the order array: entry = index * 4 + kind.
    enum Kind { kChild = 0, kText = 2, kClear = 3 };

    struct Clear {
        XmlDomText content;
        XmlDomText opener;
        XmlDomText closer;
    };
    struct Attribute {
        XmlDomText name;
        XmlDomText value;
        bool hasValue = false;
    };
    // A node's order array.
    struct OrderList {
        const int32_t* first = nullptr;
        size_t count = 0;
        const int32_t* begin() const { return first; }
        const int32_t* end() const { return first + count; }
        size_t size() const { return count; }
        int32_t operator[](size_t i) const { return first[i]; }
    };

    XmlDomNode() = default;  // the empty node
    XmlDomNode(const XmlDomNode& other);
    XmlDomNode(XmlDomNode&& other) noexcept;
    XmlDomNode& operator=(const XmlDomNode& other);
    XmlDomNode& operator=(XmlDomNode&& other) noexcept;
    ~XmlDomNode();

    // Parses text and returns the first element named rootName (ignoring
    // case): the top element itself, else one of its children, where a
    // declaration child stands for the rest of the document; the empty node
    // when the text is null, the parse failed or no such element exists.
    // error, when given, receives the parse's result code.
    static XmlDomNode ParseString(const hxcore::Char* text, const hxcore::Char* rootName, int* error = nullptr);

    // Parses text into a fresh nameless root and returns it with its code.
    static XmlDomNode Parse(const hxcore::Char* text, int* error);

    // The first child at or after *position whose name equals name ignoring
    // case; *position is advanced past it.  The empty node when none.
    XmlDomNode GetChildNode(const hxcore::Char* name, int* position) const;
    // The n-th (from 0) child with that name.
    XmlDomNode GetChildNode(const hxcore::Char* name, int n) const;
    // The child at index, or the empty node.
    XmlDomNode GetChild(int index) const;

    bool IsEmpty() const { return data_ == nullptr; }
    XmlDomText Name() const;
    bool IsDeclaration() const;
    XmlDomNode Parent() const;
    int ChildCount() const;
    int TextCount() const;
    int ClearCount() const;
    int AttributeCount() const;
    // The i-th text piece; null when there is none.
    const XmlDomText* Text(int i) const;
    const Clear* ClearAt(int i) const;
    const Attribute* AttributeAt(int i) const;
    OrderList Order() const;
    int RefCount() const;

private:
    explicit XmlDomNode(XmlDomNodeData* data);  // a new handle to data
    void Release();
    XmlDomNodeData* data_ = nullptr;
};
