// A fuzzed window template built into a panel's element tree and laid out,
// as the panel thread does: the element types, build conditions, build order
// and style reading of the template rules, then the layout, the resize
// handles and a resize.  No sanitizer report, and
//   - a layout repeated gives the same rectangles (a layout keeps no state
//     of the one before);
//   - a rebuild (a resize) finds every element it built the first time, and
//     each one again at its own template path: it reads back the same id;
//   - the panel rectangle starts at the origin and has no negative size.
//
// The input, one item a line: header lines "zoom=", "size=W H", "flags="
// (letters a ads, s search, r resizable, d dockable, h shareable, p search
// panel), "action=" (the record's action URL); then an element is a line of
// one or more "<" (its depth under the window) and its type, followed by its
// "name=value" lines: id, type, guid, disabledImage, mouseoverImage and
// mouseoffImage are the element's own texts, any other name is a style
// value.  Lines before the first element belong to the window.
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/panels/elements/ElementPanel.h"
#include "app/panels/elements/tests/Fakes.h"
#include "app/panels/templates/ElementTypes.h"
#include "tests/support/FuzzInput.h"

namespace {

struct Node {
    std::wstring path;
    int depth = 0;
    int children = 0;
};

// The template as the panel's document answers it.
class FuzzDocument : public TemplateDocument {
public:
    std::map<std::wstring, std::wstring> texts;
    std::map<std::wstring, int> counts;
    std::wstring Text(const std::wstring& path) override {
        auto it = texts.find(path);
        return it == texts.end() ? std::wstring() : it->second;
    }
    int CountElements(const std::wstring& path) override {
        auto it = counts.find(path);
        return it == counts.end() ? 0 : it->second;
    }
};

struct Input {
    FuzzDocument document;
    PanelRecord record;
    templates::TemplateSize size{300, 200};
    double zoom = 1.0;
};

int LeadingInt(const std::wstring& s, size_t* at) {
    long long v = 0;
    bool negative = false;
    while (*at < s.size() && s[*at] == L' ') ++*at;
    if (*at < s.size() && s[*at] == L'-') negative = true, ++*at;
    for (; *at < s.size() && s[*at] >= L'0' && s[*at] <= L'9'; ++*at) v = std::min(v * 10 + (s[*at] - L'0'), 100000LL);
    return static_cast<int>(negative ? -v : v);
}

void Parse(const std::vector<std::wstring>& lines, Input& in) {
    static const std::vector<std::wstring> kOwn = {L"id", L"type", L"guid", L"disabledImage", L"mouseoverImage",
                                                   L"mouseoffImage"};
    std::vector<Node> open{Node{L"/window", 0, 0}};
    for (const std::wstring& line : lines) {
        if (!line.empty() && line[0] == L'<') {
            size_t depth = 0;
            while (depth < line.size() && line[depth] == L'<') ++depth;
            depth = std::min(depth, open.size());  // at most one level below the last element
            open.resize(depth);
            Node& parent = open.back();
            const std::wstring path = templates::ElementPath(parent.path, ++parent.children);
            in.document.counts[parent.path] = parent.children;
            in.document.texts[path + L"/type"] = line.substr(depth);
            open.push_back(Node{path, static_cast<int>(depth), 0});
            continue;
        }
        const size_t eq = line.find(L'=');
        if (eq == std::wstring::npos) continue;
        const std::wstring name = line.substr(0, eq), value = line.substr(eq + 1);
        if (open.size() == 1) {
            size_t at = 0;
            if (name == L"zoom") { in.zoom = templates::ReadZoom(value); continue; }
            if (name == L"size") {
                in.size.width = LeadingInt(value, &at);
                in.size.height = LeadingInt(value, &at);
                continue;
            }
            if (name == L"action") { in.record.flags.actionUrl = value; continue; }
            if (name == L"flags") {
                templates::RecordFlags& f = in.record.flags;
                f.showAds = value.find(L'a') != std::wstring::npos;
                f.showSearch = value.find(L's') != std::wstring::npos;
                f.resizable = value.find(L'r') != std::wstring::npos;
                f.dockable = value.find(L'd') != std::wstring::npos;
                f.shareable = value.find(L'h') != std::wstring::npos;
                in.record.searchPanel = value.find(L'p') != std::wstring::npos;
                continue;
            }
        }
        bool own = false;
        for (const std::wstring& o : kOwn) own = own || o == name;
        in.document.texts[open.back().path + (own ? L"/" : L"/style/") + name] = value;
    }
}

struct Rects {
    templates::LayoutRect layout, inner, window, innerWindow;
    bool operator==(const Rects& o) const {
        return layout == o.layout && inner == o.inner && window == o.window && innerWindow == o.innerWindow;
    }
};

std::vector<Rects> AllRects(const ElementPanel& panel) {
    std::vector<Rects> out;
    for (const WindowElement* e : panel.all) out.push_back({e->layoutRect, e->innerRect, e->windowRect, e->innerWindowRect});
    return out;
}

std::vector<std::wstring> Ids(const ElementPanel& panel) {
    std::vector<std::wstring> out;
    for (const WindowElement* e : panel.all) out.push_back(e->id);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in;
    Parse(FuzzFields(data, size, 4096), in);

    elements_test::FakeFactory factory;
    elements_test::RecordingLock lock;
    ElementPanel panel;
    panel.zoom = in.zoom;
    panel.lock = &lock;
    panel.log = [](const std::wstring&) {};
    panel.buildContentUrl = [](ContentElement&) {};
    panel.BuildElements(in.document, in.record, in.size, factory);
    const size_t built = panel.all.Count();

    const templates::LayoutRect first = panel.LayoutPanel();
    FUZZ_CHECK(first.left == 0 && first.top == 0 && first.right >= 0 && first.bottom >= 0);
    const std::vector<Rects> laidOut = AllRects(panel);
    FUZZ_CHECK(panel.LayoutPanel() == first && AllRects(panel) == laidOut);

    // A rebuild: the same elements, each read from its own path again.
    const std::vector<std::wstring> ids = Ids(panel);
    panel.BuildElements(in.document, in.record, in.size, factory);
    FUZZ_CHECK(panel.all.Count() == built && panel.creationCounter == static_cast<int>(built));
    FUZZ_CHECK(Ids(panel) == ids);

    panel.CreateResizeHandles(first);
    for (int x : {0, first.right / 2, first.right - 1})
        for (int y : {0, first.bottom / 2, first.bottom - 1}) (void)panel.HitTest(x, y);

    // A resize to another size, and the window's new place in every direction.
    const templates::LayoutRect screen{-100, -100, first.right - 100, first.bottom - 100};
    const int width = in.size.width - 20, height = in.size.height + 10;
    const templates::LayoutRect moved = panel.ResizePanel(5, width, height, screen, [&](int w, int h) {
        panel.BuildElements(in.document, in.record, templates::TemplateSize{w, h}, factory);
    });
    FUZZ_CHECK(panel.all.Count() == built && Ids(panel) == ids);
    FUZZ_CHECK(moved.left == screen.left && moved.top == screen.top);
    for (int direction = 0; direction <= 9; ++direction)
        (void)templates::ResizedScreenRect(direction, screen, in.size.width, in.size.height, width, height,
                                           panel.panelRect.right, panel.panelRect.bottom);
    FUZZ_CHECK(lock.depth == 0);
    return 0;
}
