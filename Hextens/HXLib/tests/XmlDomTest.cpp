// The XML DOM parser in one table of documents, plus its handle rules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "Hextens/HXLib/XmlDom.h"
#include "Hextens/HXLib/tests/CoreTestUtil.h"

using coretest::Utf8;
using hxcore::Char;
using hxcore::String;

// The test program counts what goes through operator new while a
// NewCounter is alive (one thread at a time).  The pair stays out of line:
// inlined, the compiler sees malloc meet free and warns of a mismatch.
namespace {
long g_newCalls = 0;
bool g_countingNews = false;
}  // namespace

__attribute__((noinline)) void* operator new(size_t size) {
    if (g_countingNews) ++g_newCalls;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
__attribute__((noinline)) void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, size_t) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete(p); }

namespace {

struct NewCounter {
    NewCounter() {
        g_newCalls = 0;
        g_countingNews = true;
    }
    ~NewCounter() { g_countingNews = false; }
    long Calls() const { return g_newCalls; }
};

// A node as compact text: '?' for a declaration, the name, the attributes in
// braces, then its content in document order: texts quoted, children
// recursively, clear sections as opener + content + closer.
std::string Dump(const XmlDomNode& n) {
    if (n.IsEmpty()) return "(empty)";
    std::string out = (n.IsDeclaration() ? "?" : "") + Utf8(n.Name());
    if (n.AttributeCount()) {
        out += "{";
        for (int i = 0; i < n.AttributeCount(); ++i) {
            const XmlDomNode::Attribute* a = n.AttributeAt(i);
            out += (i ? "," : "") + Utf8(a->name) + (a->hasValue ? "=" + Utf8(a->value) : "");
        }
        out += "}";
    }
    out += "(";
    bool first = true;
    for (int32_t entry : n.Order()) {
        if (!first) out += " ";
        first = false;
        const int index = entry / 4;
        switch (entry % 4) {
            case XmlDomNode::kChild: out += Dump(n.GetChild(index)); break;
            case XmlDomNode::kText: out += "\"" + Utf8(*n.Text(index)) + "\""; break;
            case XmlDomNode::kClear: {
                const XmlDomNode::Clear* c = n.ClearAt(index);
                out += Utf8(c->opener) + Utf8(c->content) + Utf8(c->closer);
                break;
            }
            default: out += "?kind"; break;
        }
    }
    return out + ")";
}

String U(const char* s) {
    String out;
    for (; *s; ++s) out += static_cast<Char>(static_cast<unsigned char>(*s));
    return out;
}

struct ParseCase {
    const char* what;
    String text;
    const char* root;
    int code;
    std::string expected;
};

TEST(XmlDom, ParseStringCases) {
    const ParseCase cases[] = {
        {"declaration before the root", U("<?xml version=\"1.0\" encoding='UTF-8'?>\n<init><a>1</a></init>"), "init",
         kXmlOk, "init(a(\"1\"))"},
        {"the declaration itself", U("<?xml version=\"1.0\" standalone=yes?><init/>"), "xml", kXmlOk,
         "?xml{version=1.0,standalone=yes}(init())"},
        {"missing end tag tolerated", U("<init><a>x</a>"), "init", kXmlMissingEndTag, "init(a(\"x\"))"},
        {"numeric and named entities", U("<t>&#65;&#x41;&#x4a;&AMP;&lt;&gt;&quot;&apos;</t>"), "t", kXmlOk,
         "t(\"AAJ&<>\"'\")"},
        {"entity beyond 16 bits is a surrogate pair", U("<t>&#x1F600;&#128512;</t>"), "t", kXmlOk,
         "t(\"\xF0\x9F\x98\x80\xF0\x9F\x98\x80\")"},
        {"&nbsp; fails", U("<init>a&nbsp;b</init>"), "init", kXmlBadEntity, "(empty)"},
        {"&#0; fails", U("<t>&#0;</t>"), "t", kXmlBadEntity, "(empty)"},
        {"beyond U+10FFFF fails", U("<t>&#x110000;</t>"), "t", kXmlBadEntity, "(empty)"},
        {"a huge decimal fails", U("<t>&#99999999999999999999999;</t>"), "t", kXmlBadEntity, "(empty)"},
        {"entity without ';'", U("<t>&#65 x</t>"), "t", kXmlBadEntity, "(empty)"},
        {"entity without digits", U("<t>&#x;</t>"), "t", kXmlBadEntity, "(empty)"},
        {"a bare ampersand", U("<t>R&D</t>"), "t", kXmlBadEntity, "(empty)"},
        {"entity in an attribute", U("<a v=\"&amp;x&#x3c;\"/>"), "a", kXmlOk, "a{v=&x<}()"},
        {"whitespace trimmed", U("<send_context>\r\n   true \t\n</send_context>"), "send_context", kXmlOk,
         "send_context(\"true\")"},
        {"inner whitespace kept", U("<a>  two  words </a>"), "a", kXmlOk, "a(\"two  words\")"},
        {"implicit closes", U("<a><b><c>x</a>"), "a", kXmlMissingEndTag, "a(b(c(\"x\")))"},
        {"an outer end tag closes the inner element", U("<a><b>x</a>"), "a", kXmlMissingEndTag, "a(b(\"x\"))"},
        {"end tags ignore case", U("<Init></INIT>"), "init", kXmlOk, "Init()"},
        {"'<' followed by a blank", U("<a>< b</a>"), "a", kXmlNoName, "(empty)"},
        {"empty input", U(""), "init", kXmlEmptyDocument, "(empty)"},
        {"only text", U("hello"), "init", kXmlEmptyDocument, "(empty)"},
        {"root one level down is found", U("<doc><x/><init>1</init></doc>"), "init", kXmlOk, "init(\"1\")"},
        {"root two levels down is not found", U("<doc><x><init/></x></doc>"), "init", kXmlOk, "(empty)"},
        {"the first of two roots", U("<r><init>1</init><init>2</init></r>"), "init", kXmlOk, "init(\"1\")"},
        {"text beside the root", U("lead <init/> tail"), "init", kXmlOk, "init()"},
        {"attributes with and without values", U("<a b c=\"1\" d=2 e='x>y'/>"), "a", kXmlOk, "a{b,c=1,d=2,e=x>y}()"},
        {"a quote without its partner", U("<a b='x/>"), "a", kXmlOk, "a{b='x}()"},
        {"a quoted attribute name", U("<a \"b\"=1/>"), "a", kXmlBadStartTag, "(empty)"},
        {"'=' without a value", U("<a b=>"), "a", kXmlBadStartTag, "(empty)"},
        {"start tag cut off", U("<a b"), "a", kXmlBadStartTag, "(empty)"},
        {"end tag without '>'", U("<a></a"), "a", kXmlBadEndTag, "(empty)"},
        {"end tag without a name", U("<a></>"), "a", kXmlBadEndTag, "(empty)"},
        {"stray end tag at the top", U("<a/></b>"), "a", kXmlStrayEndTag, "(empty)"},
        {"stray end tag after a tolerated error keeps the first code", U("<a><b></c></a>"), "a", kXmlMissingEndTag,
         "a(b())"},
        {"stray end tag after a mismatch", U("<a><b></a></x>"), "a", kXmlMissingEndTag, "a(b())"},
        {"clear sections",
         U("<a>x<!-- c -->y<![CDATA[<b>&]]><!DOCTYPE a [<!ENTITY e \"v\">]><!DOCTYPE b><PRE><i></PRE>"
           "<Script>if (a<b) {}</Script></a>"),
         "a", kXmlOk,
         "a(\"x\" <!-- c --> \"y\" <![CDATA[<b>&]]> <!DOCTYPE a [<!ENTITY e \"v\">]> <!DOCTYPE b> <PRE><i></PRE> "
         "<Script>if (a<b) {}</Script>)"},
        {"lower-case pre is an element", U("<a><pre>t</pre></a>"), "a", kXmlOk, "a(pre(\"t\"))"},
        {"clear section without its closer", U("<a><!-- open</a>"), "a", kXmlOpenClear, "(empty)"},
        {"declaration swallows the rest", U("<!-- c --><?xml?><x/><init/>"), "init", kXmlOk, "init()"},
    };
    for (const ParseCase& c : cases) {
        int code = -1;
        XmlDomNode n = XmlDomNode::ParseString(c.text.c_str(), U(c.root).c_str(), &code);
        EXPECT_EQ(code, c.code) << c.what;
        EXPECT_EQ(Dump(n), c.expected) << c.what;
    }
}

TEST(XmlDom, NullTextGivesTheEmptyNode) {
    EXPECT_TRUE(XmlDomNode::ParseString(nullptr, u"init").IsEmpty());
    EXPECT_TRUE(XmlDomNode::ParseString(u"<init/>", nullptr).IsEmpty());
}

TEST(XmlDom, OrderArrayInterleavesTextsAndChildren) {
    XmlDomNode a = XmlDomNode::ParseString(u"<a>x<b/>y</a>", u"a");
    ASSERT_FALSE(a.IsEmpty());
    const auto order = a.Order();
    EXPECT_EQ(std::vector<int32_t>(order.begin(), order.end()),
              (std::vector<int32_t>{0 * 4 + 2, 0 * 4 + 0, 1 * 4 + 2}));
    EXPECT_EQ(a.TextCount(), 2);
    EXPECT_EQ(a.ChildCount(), 1);
}

TEST(XmlDom, NestingIsCapped) {
    auto nested = [](int depth) {
        String s;
        for (int i = 0; i < depth; ++i) s += u"<a>";
        s += u"x";
        for (int i = 0; i < depth; ++i) s += u"</a>";
        return s;
    };
    int code = -1;
    EXPECT_FALSE(XmlDomNode::ParseString(nested(kXmlMaxDepth).c_str(), u"a", &code).IsEmpty());
    EXPECT_EQ(code, kXmlOk);
    EXPECT_TRUE(XmlDomNode::ParseString(nested(kXmlMaxDepth + 1).c_str(), u"a", &code).IsEmpty());
    EXPECT_EQ(code, kXmlBadStartTag);
    // Far deeper server text: a clean failure, not a stack overflow.
    String deep;
    for (int i = 0; i < 200000; ++i) deep += u"<a>";
    EXPECT_TRUE(XmlDomNode::ParseString(deep.c_str(), u"a", &code).IsEmpty());
    EXPECT_EQ(code, kXmlBadStartTag);
}

TEST(XmlDom, ChildLookups) {
    XmlDomNode r = XmlDomNode::ParseString(u"<r><x>0</x><item>1</item><X>2</X><item>3</item></r>", u"r");
    EXPECT_EQ(Utf8(*r.GetChildNode(u"item", 1).Text(0)), "3");
    EXPECT_TRUE(r.GetChildNode(u"item", 2).IsEmpty());
    int position = 0;
    EXPECT_EQ(Utf8(*r.GetChildNode(u"x", &position).Text(0)), "0");
    EXPECT_EQ(position, 1);
    EXPECT_EQ(Utf8(*r.GetChildNode(u"x", &position).Text(0)), "2");
    EXPECT_EQ(position, 3);
    EXPECT_TRUE(r.GetChildNode(u"x", &position).IsEmpty());
    EXPECT_TRUE(r.GetChild(4).IsEmpty());
    EXPECT_TRUE(r.GetChild(-1).IsEmpty());
    EXPECT_EQ(r.GetChild(1).Text(1), nullptr);
    // Lookups on the empty node find nothing.
    XmlDomNode none;
    EXPECT_TRUE(none.GetChildNode(u"x", 0).GetChild(0).IsEmpty());
}

// A tree takes its storage in a few blocks for the whole document, however
// many nodes, attributes and texts it holds.
TEST(XmlDom, AParseAllocatesPerDocumentNotPerNode) {
    auto callsFor = [](int elements) {
        String text = u"<r>";
        for (int i = 0; i < elements; ++i)
            text += u"<e a=\"v&amp;w\" b='x'>t &lt;" + String(1, static_cast<Char>(u'a' + i % 26)) +
                    u"<!-- c --><f>y</f></e>";
        text += u"</r>";
        NewCounter counter;
        XmlDomNode r = XmlDomNode::ParseString(text.c_str(), u"r");
        EXPECT_EQ(r.ChildCount(), elements);
        const char last = static_cast<char>('a' + (elements - 1) % 26);
        EXPECT_EQ(Utf8(*r.GetChild(elements - 1).Text(0)), std::string("t <") + last);
        return counter.Calls();
    };
    const long few = callsFor(10), many = callsFor(5000);
    EXPECT_LT(many, 100) << "10 elements: " << few << " allocations, 5000 elements: " << many;
}

TEST(XmlDom, HandlesShareAndOutliveTheirTree) {
    XmlDomNode child;
    {
        XmlDomNode root = XmlDomNode::ParseString(u"<r><c><g>t</g></c></r>", u"r");
        child = root.GetChild(0);
        EXPECT_EQ(child.RefCount(), 2);  // the parent's array and this handle
        EXPECT_EQ(Dump(child.Parent()), Dump(root));
        XmlDomNode copy = root;
        EXPECT_EQ(root.RefCount(), 2);
    }
    // The tree went with its last handle; the held child was detached first.
    EXPECT_EQ(child.RefCount(), 1);
    EXPECT_TRUE(child.Parent().IsEmpty());
    EXPECT_EQ(Dump(child), "c(g(\"t\"))");
}

}  // namespace
