#include "app/core/graphics/SharedGraphics.h"

#include "app/core/common/SharedUtilities.h"

namespace {

Gdiplus::Color SystemHighlight(BYTE alpha) {
    COLORREF c = ::GetSysColor(COLOR_HIGHLIGHT);
    return Gdiplus::Color(alpha, GetRValue(c), GetGValue(c), GetBValue(c));
}

}  // namespace

void EnsureImageFolders(const std::wstring& installDir) {
    EnsureDirectory(installDir + L"Images");
    EnsureDirectory(installDir + L"Images\\EcpIcons");
}

void SharedGraphics::Load(const std::wstring& installDir) {
    const std::wstring images = installDir + L"Images\\";
    splash = LoadImageFile(images + L"PondRel_Splash.png", 0, 0);
    menuShadow = LoadImageFile(images + L"menu_back_shadow.png", 0, 0);
    subMenuArrow = LoadImageFile(images + L"pop_arrow.png", 0, 0);
    menuDivider = LoadImageFile(images + L"Settings Divider.png", 0, 0);
    hotspot[0] = LoadImageFile(images + L"Target1.png", 0, 0);
    hotspot[1] = LoadImageFile(images + L"Target2.png", 0, 0);
    hotspot[2] = LoadImageFile(images + L"Target3.png", 0, 0);
    hotspotNormal = LoadImageFile(images + L"pq_normal.png", 0, 0);
    hotspotOver = LoadImageFile(images + L"pq_over.png", 0, 0);
    productIcon = LoadImageFile(images + L"pondrel.png", 0, 0);

    highlightBrush = fx::NewGdiplus<Gdiplus::SolidBrush>(SystemHighlight(0x70));
    whiteBrush = fx::NewGdiplus<Gdiplus::SolidBrush>(Gdiplus::Color(0xFFFFFFFF));
    blackBrush = fx::NewGdiplus<Gdiplus::SolidBrush>(Gdiplus::Color(0xFF000000));
    greyBrush = fx::NewGdiplus<Gdiplus::SolidBrush>(Gdiplus::Color(0xFF969696));
    highlightPen = fx::NewGdiplus<Gdiplus::Pen>(SystemHighlight(0xFF), 1.0f);

    menuFont = CreateGdiFont(L"Tahoma", 8, Gdiplus::FontStyleRegular);
    titleFont = CreateGdiFont(L"Tahoma", 12, Gdiplus::FontStyleBold);
    gdiFont = CreatePointFont(L"Tahoma", 80);

    arrowCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    moveCursor = ::LoadCursorW(nullptr, IDC_SIZEALL);
    sizeNWSECursor = ::LoadCursorW(nullptr, IDC_SIZENWSE);
    sizeNESWCursor = ::LoadCursorW(nullptr, IDC_SIZENESW);
    sizeWECursor = ::LoadCursorW(nullptr, IDC_SIZEWE);
    sizeNSCursor = ::LoadCursorW(nullptr, IDC_SIZENS);
    handCursor = ::LoadCursorW(nullptr, IDC_HAND);
}

void SharedGraphics::Free() {
    gdiFont.reset();
    for (ArgbBitmap* b : {&splash, &menuShadow, &subMenuArrow, &menuDivider, &hotspot[0], &hotspot[1], &hotspot[2],
                          &hotspotNormal, &hotspotOver, &productIcon, &actionsIcon})
        b->reset();
    highlightBrush.reset();
    whiteBrush.reset();
    blackBrush.reset();
    greyBrush.reset();
    highlightPen.reset();
    menuFont.reset();
    titleFont.reset();
}
