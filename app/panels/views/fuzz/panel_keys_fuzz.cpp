// The query keys of the panels' pages over fuzzed navigations: a view's state
// carried through a run of URLs, each through the content view's, the
// advertisement view's and the hidden browser's filter.  No sanitizer
// report, and
//   - a page's panel size is positive and within the panel's bound;
//   - without the children thread's handler window no step reaches that
//     thread or the controller;
//   - a top-level page from outside the server's domain is refused, with a
//     log line and nothing else;
//   - the hidden browser hands over only web URLs, and always disarms and
//     cancels;
//   - a server's own host lies in the server's domain.
//
// The input, one item a line: the view's flags (t top level, c the handler
// window, digits the program's navigation count), the server's URL, then
// the URLs the view navigates to.
#include <string>

#include "app/core/common/AppMessages.h"
#include "app/core/net/UrlParam.h"
#include "app/panels/views/PanelKeyRules.h"
#include "tests/support/FuzzInput.h"

using namespace views;

namespace {

bool Has(const std::wstring& s, wchar_t c) { return s.find(c) != std::wstring::npos; }

void CheckDecision(const Decision& d, const ViewState& state) {
    for (const Action& a : d.actions) {
        if (a.kind == ActionKind::PostPanel && a.msg == panel_msg::kResize) {
            FUZZ_CHECK(a.wp > 0 && a.wp <= static_cast<uintptr_t>(kMaxPagePanelSize));
            FUZZ_CHECK(a.lp > 0 && a.lp <= static_cast<uintptr_t>(kMaxPagePanelSize));
        }
        if (!state.hasChildHandler)
            FUZZ_CHECK(a.kind != ActionKind::PostChildren && a.kind != ActionKind::StoreSearchText &&
                       a.kind != ActionKind::LeavePanelOpen && a.kind != ActionKind::PostController);
    }
    FUZZ_CHECK(state.rememberedWidth > 0 && state.rememberedWidth <= kMaxPagePanelSize);
    FUZZ_CHECK(state.rememberedHeight > 0 && state.rememberedHeight <= kMaxPagePanelSize);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::wstring> fields = FuzzFields(data, size, 18);
    const std::wstring& flags = FieldAt(fields, 0);
    const std::wstring& server = FieldAt(fields, 1);
    const UrlSplitter split = PlainUrlSplitter();

    const std::wstring domain = ServerDomain(server);
    std::wstring host;
    if (split.host(server, &host) && !host.empty()) FUZZ_CHECK(HostInDomain(host, domain));

    ViewState content, banner;
    content.hasChildHandler = banner.hasChildHandler = Has(flags, L'c');
    const bool topLevel = Has(flags, L't');
    for (wchar_t c : flags)
        if (c >= L'0' && c <= L'9') content.navigationCount = content.navigationCount * 10 % 1000 + (c - L'0');

    for (size_t i = 2; i < fields.size(); ++i) {
        const std::wstring& url = fields[i];
        const Decision d = ContentFilter(content, url, topLevel, domain, split);
        CheckDecision(d, content);
        std::wstring urlHost;
        if (topLevel && split.host(url, &urlHost) && !HostInDomain(urlHost, domain)) {
            FUZZ_CHECK(d.cancel && d.actions.size() == 1 && d.actions[0].kind == ActionKind::Log);
        }
        CheckDecision(AdFilter(banner, url, split), banner);

        bool armed = true;
        const Decision hidden = HiddenBrowserFilter(armed, url);
        FUZZ_CHECK(hidden.cancel && !armed);
        for (const Action& a : hidden.actions)
            if (a.kind == ActionKind::StoreNavigateUrl) FUZZ_CHECK(IsWebUrl(a.text) && a.text == url);
        (void)split.objectPart(url);
    }
    return 0;
}
