// The large settings-like document the parser benchmarks parse.
#pragma once

#include <cstdio>
#include <string>

namespace hxbench {

// A settings document: URLs, user settings, enhancer records and a content
// panel tree with attributes, entities, comments and character data.
inline std::string SettingsDocument(int categories, int panelsPerCategory) {
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
            s += "      <ecp id=\"ecp" + n +
                 "\" active=\"true\" parent=\"false\">\n"
                 "        <!-- panel " +
                 n +
                 " -->\n"
                 "        <name>Panel &amp; friends &#35;" +
                 n +
                 "</name>\n"
                 "        <skin>skin_" +
                 n +
                 "</skin><width>400</width><height>300</height>\n"
                 "        <url><![CDATA[http://ecp.example.test/panel?id=" +
                 n +
                 "&q={pq_token}]]></url>\n"
                 "        <desc>A content panel with a longer description text &lt;" +
                 n +
                 "&gt;.</desc>\n"
                 "      </ecp>\n";
        }
        s += "    </category>\n";
    }
    s += "  </ecps>\n</init>\n";
    return s;
}

}  // namespace hxbench
