// ParseString throughput on a large settings-like document, side by side with
// pugixml in the same run, reported as a ratio of parse times.
#include <pugixml.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "Hextens/HXLib/XmlDom.h"

namespace {

// A settings document: URLs, user settings, enhancer records and a content
// panel tree with attributes, entities, comments and character data.
std::string SettingsDocument(int categories, int panelsPerCategory) {
    std::string s = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<init>\n";
    s += "  <urls>\n    <init_url>http://settings.example.test/init?v=1&amp;u=42</init_url>\n"
         "    <log_url>http://log.example.test/log</log_url>\n  </urls>\n";
    s += "  <user>\n    <send_context> true </send_context>\n    <enabled>true</enabled>\n  </user>\n";
    s += "  <enhancers>\n    <app>\n";
    for (int i = 0; i < 40; ++i) {
        char id[64];
        std::snprintf(id, sizeof id, "6A5F3D10-2B4C-4E8F-9A1B-%012d", i);
        s += std::string("      <enhancer><id>") + id +
             "</id><send_context>true</send_context><active>true</active></enhancer>\n";
    }
    s += "    </app>\n  </enhancers>\n  <ecps>\n";
    for (int c = 0; c < categories; ++c) {
        s += "    <category name=\"Category " + std::to_string(c) + "\" id='" + std::to_string(c) + "'>\n";
        for (int p = 0; p < panelsPerCategory; ++p) {
            const std::string n = std::to_string(c * panelsPerCategory + p);
            s += "      <ecp id=\"ecp" + n + "\" active=\"true\" parent=\"false\">\n"
                 "        <!-- panel " + n + " -->\n"
                 "        <name>Panel &amp; friends &#35;" + n + "</name>\n"
                 "        <skin>skin_" + n + "</skin><width>400</width><height>300</height>\n"
                 "        <url><![CDATA[http://ecp.example.test/panel?id=" + n + "&q={pq_token}]]></url>\n"
                 "        <desc>A content panel with a longer description text &lt;" + n + "&gt;.</desc>\n"
                 "      </ecp>\n";
        }
        s += "    </category>\n";
    }
    s += "  </ecps>\n</init>\n";
    return s;
}

template <class Fn>
double BestSeconds(Fn fn, int rounds) {
    double best = 1e30;
    for (int r = 0; r < rounds; ++r) {
        auto t0 = std::chrono::steady_clock::now();
        fn();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

}  // namespace

int main() {
    const std::string utf8 = SettingsDocument(200, 25);
    const std::u16string utf16(utf8.begin(), utf8.end());  // the document is ASCII

    size_t sink = 0;
    auto ours = [&] {
        XmlDomNode init = XmlDomNode::ParseString(utf16.c_str(), u"init");
        sink += static_cast<size_t>(init.ChildCount());
    };
    auto pugiUtf8 = [&] {
        pugi::xml_document doc;
        doc.load_buffer(utf8.data(), utf8.size());
        sink += static_cast<size_t>(doc.child("init").first_child().empty() ? 0 : 1);
    };
    auto pugiUtf16 = [&] {
        pugi::xml_document doc;
        doc.load_buffer(utf16.data(), utf16.size() * 2, pugi::parse_default, pugi::encoding_utf16_le);
        sink += static_cast<size_t>(doc.child("init").first_child().empty() ? 0 : 1);
    };
    ours();
    pugiUtf8();  // warm up
    double tOurs = 1e30, tPugi8 = 1e30, tPugi16 = 1e30;
    for (int round = 0; round < 5; ++round) {  // interleaved, best of each
        tOurs = std::min(tOurs, BestSeconds(ours, 3));
        tPugi8 = std::min(tPugi8, BestSeconds(pugiUtf8, 3));
        tPugi16 = std::min(tPugi16, BestSeconds(pugiUtf16, 3));
    }
    const double mb = static_cast<double>(utf8.size()) / 1e6;
    std::printf("document: %.2f MB (%zu characters), settings-like\n", mb, utf8.size());
    std::printf("XmlDomNode::ParseString (UTF-16)   %8.2f ms  %7.1f MB/s\n", tOurs * 1e3, mb / tOurs);
    std::printf("pugixml load_buffer (UTF-8)        %8.2f ms  %7.1f MB/s\n", tPugi8 * 1e3, mb / tPugi8);
    std::printf("pugixml load_buffer (UTF-16 input) %8.2f ms  %7.1f MB/s\n", tPugi16 * 1e3, mb / tPugi16);
    std::printf("ratio ParseString / pugixml: %.2f (UTF-8 input), %.2f (same UTF-16 input)\n", tOurs / tPugi8,
                tOurs / tPugi16);
    return sink == 0;
}
