// The drawing objects the program's windows share, loaded once at start-up:
// the images of the install directory's "Images" folder, brushes, pen, fonts
// and the system cursors.  An image that cannot be loaded leaves its slot
// null; every drawing call tests it.
#pragma once

#include <windows.h>

#include <string>

#include "app/core/graphics/ImageRoutines.h"
#include "fx/GdiPlus.h"
#include "fx/Handle.h"

struct SharedGraphics {
    // Loads everything in order: images, brushes, pen, GDI+ fonts, GDI font,
    // cursors.  installDir ends in "\".
    void Load(const std::wstring& installDir);
    // Deletes the GDI font and every GDI+ object (before GDI+ shuts down).
    void Free();

    ArgbBitmap splash;         // "Images\PondRel_Splash.png"
    ArgbBitmap menuShadow;     // "Images\menu_back_shadow.png"
    ArgbBitmap subMenuArrow;   // "Images\pop_arrow.png"
    ArgbBitmap menuDivider;    // "Images\Settings Divider.png"
    ArgbBitmap hotspot[3];     // "Images\Target1.png" .. "Target3.png"
    ArgbBitmap hotspotNormal;  // "Images\pq_normal.png"
    ArgbBitmap hotspotOver;    // "Images\pq_over.png"
    ArgbBitmap productIcon;    // "Images\pondrel.png"
    ArgbBitmap actionsIcon;    // the settings' actions icon, filled by the settings load

    fx::GdiplusPtr<Gdiplus::SolidBrush> highlightBrush;  // system highlight at alpha 0x70
    fx::GdiplusPtr<Gdiplus::SolidBrush> whiteBrush;
    fx::GdiplusPtr<Gdiplus::SolidBrush> blackBrush;
    fx::GdiplusPtr<Gdiplus::SolidBrush> greyBrush;       // 0xFF969696
    fx::GdiplusPtr<Gdiplus::Pen> highlightPen;           // system highlight, opaque, 1.0
    fx::GdiplusPtr<Gdiplus::Font> menuFont;              // Tahoma 8, regular
    fx::GdiplusPtr<Gdiplus::Font> titleFont;             // Tahoma 12, bold
    fx::GdiObject<HFONT> gdiFont;                        // Tahoma, 8 points

    // System cursors (shared, never destroyed).
    HCURSOR arrowCursor = nullptr;
    HCURSOR moveCursor = nullptr;
    HCURSOR sizeNWSECursor = nullptr;
    HCURSOR sizeNESWCursor = nullptr;
    HCURSOR sizeWECursor = nullptr;
    HCURSOR sizeNSCursor = nullptr;
    HCURSOR handCursor = nullptr;  // the dock bar's items
};

// The image folders of the install directory (its cache of server icons too).
void EnsureImageFolders(const std::wstring& installDir);
