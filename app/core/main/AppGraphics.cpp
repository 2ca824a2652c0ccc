// The application object's texts and shared graphics: loaded once at
// start-up, the graphics freed at exit before GDI+ shuts down.
#include "app/core/main/PondrelApp.h"
#include "app/core/common/CommonRules.h"
#include "app/core/common/SharedUtilities.h"
#include "app/core/graphics/AppImages.h"

void CPondrelApp::LoadStringResources() {
    HINSTANCE module = ::GetModuleHandleW(nullptr);
    for (int i = 0; i < kTextCount; ++i) {
        const wchar_t* text = nullptr;
        int length = ::LoadStringW(module, kTextIds[i], reinterpret_cast<wchar_t*>(&text), 0);
        if (length > 0 && text) m_Texts[i].assign(text, static_cast<size_t>(length));
    }
    m_Texts[TextIndexOf(109)] += m_InitUrl;
}

const std::wstring& CPondrelApp::Text(unsigned id) const {
    static const std::wstring kNone;
    int i = TextIndexOf(id);
    return i < 0 ? kNone : m_Texts[i];
}

bool CPondrelApp::LoadGraphics() {
    EnsureImageFolders(m_InstallDir);
    m_Graphics.Load(m_InstallDir);
    m_Splash.SetImage(m_Graphics.splash.get());
    PublishSnapshot();  // the cursors, for the dock and panel threads
    return true;
}

void CPondrelApp::FreeGraphics() {
    m_Splash.SetImage(nullptr);
    m_Graphics.Free();
}

// The action marker the menus draw beside hot action items: the item-icon
// load of the menus (image cache, product icon as fallback).
void CPondrelApp::LoadActionMarkerImage(const std::wstring& url) {
    m_Graphics.actionsIcon = LoadCachedIcon(m_InstallDir, m_CacheDir, url);
}

HFONT CPondrelApp::GetSharedGdiFont() const {
    if (m_Graphics.gdiFont) return m_Graphics.gdiFont.get();
    return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}
