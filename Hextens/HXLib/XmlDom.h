// HXLib's small, forgiving XML DOM parser.  Portable: no Win32 call.
//
// A parse turns UTF-16 text into a tree of reference-counted element nodes.
// An XmlDomNode is a handle: copies share the node and add a reference; a
// node whose last handle goes is freed with its subtree.  A handle without a
// node is the empty node, which every lookup that finds nothing returns.
#pragma once

#include <cstdint>
#include <vector>

#include "Hextens/HXLib/CharClass.h"

struct XmlDomNodeData;

// Result codes of a parse; the parse keeps the first one it meets.
enum XmlDomError : int {
    kXmlOk = 0,
    kXmlMissingEndTag = 1,     // missing or mismatched end tag (tolerated)
    kXmlEmptyDocument = 2,     // no element at all
    kXmlNoName = 4,            // '<' not followed by a name
    kXmlBadEndTag = 5,         // end tag without a name or without '>'
    kXmlStrayEndTag = 6,       // end tag that matches no open element
    kXmlOpenClear = 7,         // clear section without its closer
    kXmlBadStartTag = 8,       // unexpected token inside a start tag; nesting too deep
    kXmlBadEntity = 12,        // unknown or malformed character entity
};

// Elements nested deeper than this end the parse with kXmlBadStartTag:
// settings text is server data and must not exhaust the stack.
constexpr int kXmlMaxDepth = 256;

class XmlDomNode {
public:
    // Kinds in the order array: entry = index * 4 + kind.
    enum Kind { kChild = 0, kText = 2, kClear = 3 };

    struct Clear {
        hxcore::String content;
        hxcore::String opener;
        hxcore::String closer;
    };
    struct Attribute {
        hxcore::String name;
        hxcore::String value;
        bool hasValue = false;
    };

    XmlDomNode() = default;  // the empty node
    XmlDomNode(const XmlDomNode& other);
    XmlDomNode(XmlDomNode&& other) noexcept;
    XmlDomNode& operator=(const XmlDomNode& other);
    XmlDomNode& operator=(XmlDomNode&& other) noexcept;
    ~XmlDomNode();

    // Parses text and returns the first element named rootName (ignoring
    // case), looked for as described in FindRoot; the empty node when the
    // text is null, the parse failed or no such element exists.  error, when
    // given, receives the parse's result code.
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
    const hxcore::String& Name() const;
    bool IsDeclaration() const;
    XmlDomNode Parent() const;
    int ChildCount() const;
    int TextCount() const;
    int ClearCount() const;
    int AttributeCount() const;
    // The i-th text piece; null when there is none.
    const hxcore::String* Text(int i) const;
    const Clear* ClearAt(int i) const;
    const Attribute* AttributeAt(int i) const;
    const std::vector<int32_t>& Order() const;
    int RefCount() const;

    // For the parser: a handle that takes over a reference already counted.
    static XmlDomNode Adopt(XmlDomNodeData* data);
    XmlDomNodeData* data() const { return data_; }

private:
    void Release();
    XmlDomNodeData* data_ = nullptr;
};

// A node's data; only the parser and the handle touch it.
struct XmlDomNodeData {
    hxcore::String name;
    bool isDeclaration = false;
    XmlDomNodeData* parent = nullptr;
    std::vector<XmlDomNode> children;
    std::vector<hxcore::String> texts;
    std::vector<XmlDomNode::Clear> clears;
    std::vector<XmlDomNode::Attribute> attributes;
    std::vector<int32_t> order;
    int32_t refs = 0;
};
