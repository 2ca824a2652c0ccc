// The dock bar's arithmetic, apart from any window: where items are laid out
// in the strip, the strip's size and place, where a new item goes, which item
// a point hits, the fish-eye magnification under the pointer and each item's
// scale step, the auto-hide slide over the 25 ms ticks, the background's
// slices, the contents file's string and the local name of a server icon.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/selection/skin/FloatingWinLayout.h"

namespace dock {

constexpr float kCellSize = 60.0f;      // an unmagnified item's cell
constexpr int kStripHeight = 86;        // the background image's height
constexpr int kCapsWidth = 68;          // both caps with their insets
constexpr int kFirstItemX = 34;         // the first item's left edge
constexpr int kItemTop = 14;            // every item's top edge
constexpr int kItemGap = 6;             // between neighbours
constexpr float kHiddenSlide = -86.0f;  // slideY of a bar fully above the edge
constexpr float kSlideStep = 4.0f;      // per tick
constexpr float kScaleStep = 0.2f;      // per tick
constexpr float kMaxScale = 2.0f;
constexpr unsigned kTickMs = 25;
constexpr int kRedrawCountdownStart = 50;
constexpr int kRedrawCountdownStep = 6;
constexpr unsigned kLiveRefreshMs = 4000;  // a live item asks for a frame this often
constexpr int kMaxImportedItems = 32;      // the settings' dock items read (each icon is downloaded)

struct Margins {
    int left = 0, top = 0, right = 0, bottom = 100;
};

// One item's magnification state.
struct ItemScale {
    float scaleX = 1.0f, scaleY = 1.0f;
    float targetScale = kMaxScale;
    bool growing = false;
    bool shrinking = false;
};

// The cells of the items in list order (top edge): x starts at 34, each cell
// grows by its magnification around its unmagnified place, x advances by the
// cell's width and a gap of 6.
std::vector<IntRect> LayoutCells(const std::vector<ItemScale>& items, float cellWidth, float cellHeight);
// The items' total width: their widths with 6 pixels between neighbours.
int ItemsWidth(const std::vector<IntRect>& cells);
// The bar window's rectangle: 68 + items + margins wide, 86 + margins high,
// centred in the work area's width, its top at the work area's top.
IntRect BarRect(const IntRect& workArea, int itemsWidth, const Margins& margins = Margins());
// The point a docking panel flies to: the middle of the bar's top edge,
// moved by (-30, +8).
struct Point {
    int x = 0, y = 0;
    bool operator==(const Point& o) const { return x == o.x && y == o.y; }
};
Point DockPoint(const IntRect& bar);

// A display monitor: its rectangle and its work area, in screen coordinates.
struct MonitorArea {
    IntRect monitor;
    IntRect work;
};
// The work area of the monitor under a window (what a drag of the bar takes
// at each tick): the monitor holding the largest part of the window (the
// first of equals), else the one nearest to it; `fallback` without monitors.
IntRect WorkAreaUnder(const std::vector<MonitorArea>& monitors, const IntRect& window, const IntRect& fallback);

// Where AddItem inserts into a list of `count` items: the tail when append
// is set or position is -1, the head for -2, else before the item at
// `position`; 0 and positions past the end append at the tail.
size_t InsertionIndex(size_t count, bool append, int position);
// Whether the bar hides after a click took an item out: only when none is
// left (one live item left in a hidden bar could not be reached again).
bool HidesAfterRemoval(size_t remaining);

// The first cell, moved right by its growth (rounded) and widened by
// (widenX, widenY), holding (x, y); -1 when none.  *hitOffset receives x less
// the moved cell's left.
int HitTest(const std::vector<IntRect>& cells, const std::vector<ItemScale>& items, float cellWidth,
            int widenX, int widenY, int x, int y, float* hitOffset);

// The magnification targets for the item `hit` hit `hitOffset` pixels inside
// its cell: it goes to 2.0, its two neighbours on either side less the
// further the pointer is from them, every other item back to 1.0.
void MagnifyTargets(std::vector<ItemScale>& items, int hit, float hitOffset);
// One animation step of an item; true when its scale changed.
bool AnimateScale(ItemScale& item);
// The animation step of every item (the pointer over the bar or its menu):
// nothing while the pointer is over the bar and no item is magnified; an
// item of a sliding bar stops growing and shrinks; items step only while the
// left button is up.  True when any scale changed.
bool AnimateItems(std::vector<ItemScale>& items, bool cursorOverBar, bool magnified, bool sliding,
                  bool leftButtonUp);

// Whether the dock menu stays open at a tick: while the window in front is
// still the one that was in front when the menu opened, or is a menu
// ("PondMenu") window.  Menus never activate, so the window in front stays
// the same while the user works in the menu; another window coming to the
// front closes it.
bool KeepsDockMenu(bool foregroundIsMenu, std::uintptr_t foregroundAtOpen, std::uintptr_t foregroundNow);

// The auto-hide slide.
struct Slide {
    float slideX = 0.0f, slideY = kHiddenSlide;
    bool slidingIn = false, slidingOut = false;
    bool autoHide = true;
    // The drawing offset after the last step.
    float offsetX = 0.0f, offsetY = 0.0f;
};
struct SlideInput {
    bool dragging = false;
    bool cursorInStrip = false;  // inside the window less its bottom 20 pixels
    bool buttonDown = false;     // left or right
    int cursorFromTop = 0;       // cursor y less the window's top
};
constexpr float kBaseX = 0.0f, kBaseY = -10.0f;  // top edge
// One tick's slide; true when it counts as a change (draw a frame).
bool StepSlide(Slide& slide, const SlideInput& in);
// The strip the pointer brings the bar back from: the window less its
// bottom 20 pixels.
IntRect HotStrip(const IntRect& window);

// A picture of width by height fitted into a cell, its aspect ratio kept,
// centred.
struct FloatRect {
    float x = 0, y = 0, width = 0, height = 0;
};
FloatRect FitPicture(int width, int height, const IntRect& cell);

// The redraw countdown: true (a change) while it runs; it falls by 6 and
// stops at 0.
bool StepCountdown(int& countdown);

// The background image cut into the strip: left cap (0, 32), one-pixel
// column (40), middle piece (40, 20), right cap (the last 32 columns).
struct Slice {
    int srcX = 0, srcWidth = 0;  // in the image
    int dstX = 0, dstWidth = 0;  // in the window (dstWidth > srcWidth: the column repeated)
    bool operator==(const Slice& o) const {
        return srcX == o.srcX && srcWidth == o.srcWidth && dstX == o.dstX && dstWidth == o.dstWidth;
    }
};
std::vector<Slice> PlanBackground(int imageWidth, int windowWidth, int marginRight);

// The bytes of a string in the contents archive's Unicode form: 0xFF, the
// marker 0xFFFE, the length (one byte below 0xFF, else 0xFF and a word below
// 0xFFFE, else 0xFFFF and a double word), then the UTF-16 characters.
std::vector<uint8_t> ArchiveStringBytes(const std::u16string& text);
// The string at the start of `bytes` in that form; false when it is not one.
bool ReadArchiveString(const std::vector<uint8_t>& bytes, std::u16string* text);

// The local file name of a dock icon the server names: its last path
// segment; empty (refused) when that is empty, holds ".." or ":", or is a
// name Windows opens as a device (CON, NUL.png, COM1.png and the like).
std::wstring IconFileName(const std::wstring& serverName);

// Whether a settings flag's text is true: "true" ignoring case.
bool FlagText(const std::wstring& text);

}  // namespace dock
