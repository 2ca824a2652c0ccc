#include "app/panels/dockitems/DockRules.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

namespace dock {

std::vector<IntRect> LayoutCells(const std::vector<ItemScale>& items, float cellWidth, float cellHeight) {
    std::vector<IntRect> cells;
    cells.reserve(items.size());
    float x = static_cast<float>(kFirstItemX);
    for (const ItemScale& item : items) {
        const float gx = (item.scaleX - 1.0f) * cellWidth / 2.0f;
        const float gy = (item.scaleY - 1.0f) * cellHeight / 2.0f;
        IntRect r;
        r.left = static_cast<int>(x - gx);
        r.top = kItemTop;
        r.right = static_cast<int>(cellWidth + static_cast<float>(r.left) + 2.0f * gx);
        r.bottom = static_cast<int>(cellHeight + static_cast<float>(kItemTop) + 2.0f * gy);
        cells.push_back(r);
        x += static_cast<float>(r.Width() + kItemGap);
    }
    return cells;
}

int ItemsWidth(const std::vector<IntRect>& cells) {
    int width = 0;
    for (size_t i = 0; i < cells.size(); ++i) width += cells[i].Width() + (i ? kItemGap : 0);
    return width;
}

IntRect BarRect(const IntRect& workArea, int itemsWidth, const Margins& m) {
    const int width = m.left + m.right + itemsWidth + kCapsWidth;
    const int height = m.top + m.bottom + kStripHeight;
    IntRect r;
    r.left = workArea.left + (workArea.Width() - width) / 2;
    r.top = workArea.top;
    r.right = r.left + width;
    r.bottom = r.top + height;
    return r;
}

Point DockPoint(const IntRect& bar) { return Point{bar.left + bar.Width() / 2 - 30, bar.top + 8}; }

namespace {

long long OverlapArea(const IntRect& a, const IntRect& b) {
    const long long w = static_cast<long long>(std::min(a.right, b.right)) - std::max(a.left, b.left);
    const long long h = static_cast<long long>(std::min(a.bottom, b.bottom)) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

// The gap between two rectangles along x and y (0 where they overlap), squared.
long long GapSquared(const IntRect& a, const IntRect& b) {
    const long long dx = std::max({0LL, static_cast<long long>(b.left) - a.right, static_cast<long long>(a.left) - b.right});
    const long long dy = std::max({0LL, static_cast<long long>(b.top) - a.bottom, static_cast<long long>(a.top) - b.bottom});
    return dx * dx + dy * dy;
}

}  // namespace

IntRect WorkAreaUnder(const std::vector<MonitorArea>& monitors, const IntRect& window, const IntRect& fallback) {
    const MonitorArea* best = nullptr;
    long long bestArea = 0;
    for (const MonitorArea& m : monitors) {
        const long long area = OverlapArea(m.monitor, window);
        if (area > bestArea) {
            best = &m;
            bestArea = area;
        }
    }
    if (best) return best->work;
    long long bestGap = 0;
    for (const MonitorArea& m : monitors) {
        const long long gap = GapSquared(m.monitor, window);
        if (!best || gap < bestGap) {
            best = &m;
            bestGap = gap;
        }
    }
    return best ? best->work : fallback;
}

size_t InsertionIndex(size_t count, bool append, int position) {
    if (append || position == -1) return count;
    if (position == -2) return 0;
    if (position <= 0 || static_cast<size_t>(position) >= count) return count;
    return static_cast<size_t>(position);
}

bool HidesAfterRemoval(size_t remaining) { return remaining == 0; }

bool KeepsDockMenu(bool foregroundIsMenu, std::uintptr_t foregroundAtOpen, std::uintptr_t foregroundNow) {
    return foregroundIsMenu || foregroundNow == foregroundAtOpen;
}

int HitTest(const std::vector<IntRect>& cells, const std::vector<ItemScale>& items, float cellWidth, int widenX,
            int widenY, int x, int y, float* hitOffset) {
    for (size_t i = 0; i < cells.size() && i < items.size(); ++i) {
        const float gx = (items[i].scaleX - 1.0f) * cellWidth / 2.0f;
        const int shift = static_cast<int>(std::lround(gx));
        const IntRect& c = cells[i];
        const int left = c.left + shift, right = c.right + shift;
        if (x >= left - widenX && x < right + widenX && y >= c.top - widenY && y < c.bottom + widenY) {
            if (hitOffset) *hitOffset = static_cast<float>(x - left);
            return static_cast<int>(i);
        }
    }
    return -1;
}

namespace {
void Grow(ItemScale& item, float c) {
    item.targetScale = std::min(kMaxScale, std::max(1.0f, kMaxScale - c));
    item.growing = true;
    item.shrinking = false;
}
}  // namespace

void MagnifyTargets(std::vector<ItemScale>& items, int hit, float hitOffset) {
    for (ItemScale& item : items) item.targetScale = 1.0f;
    if (hit < 0 || static_cast<size_t>(hit) >= items.size()) return;
    const size_t h = static_cast<size_t>(hit);
    ItemScale& hitItem = items[h];
    const float b = hitItem.scaleX > 0.0f ? hitOffset / hitItem.scaleX : 0.0f;
    Grow(hitItem, 0.0f);
    const float next = ((kCellSize - b) / kCellSize) * 0.5f;
    if (h + 1 < items.size()) Grow(items[h + 1], next);
    if (h + 2 < items.size()) Grow(items[h + 2], next + 0.47f);
    const float prev = (b / kCellSize) * 0.5f;
    if (h >= 1) Grow(items[h - 1], prev);
    if (h >= 2) Grow(items[h - 2], prev + 0.53f);
}

bool AnimateScale(ItemScale& item) {
    constexpr float kNear = 1e-4f;
    const float before = item.scaleX;
    if (item.growing) {
        const float target = item.targetScale;
        if (item.scaleX < target - kNear) {
            item.scaleX = std::min(target, item.scaleX + kScaleStep);
        } else if (item.scaleX > target + kNear) {
            item.scaleX = std::max(target, item.scaleX - kScaleStep);
        }
        if (std::fabs(item.scaleX - target) <= kNear) {
            item.scaleX = target;
            item.growing = false;
            item.shrinking = true;
        }
    } else if (item.shrinking) {
        if (item.scaleX > 1.0f + kNear) item.scaleX = std::max(1.0f, item.scaleX - kScaleStep);
        if (item.scaleX <= 1.0f + kNear) {
            item.scaleX = 1.0f;
            item.shrinking = false;
        }
    }
    item.scaleY = item.scaleX;
    return item.scaleX != before;
}

bool AnimateItems(std::vector<ItemScale>& items, bool cursorOverBar, bool magnified, bool sliding,
                  bool leftButtonUp) {
    if (cursorOverBar && !magnified) return false;
    bool changed = false;
    for (ItemScale& item : items) {
        if (sliding) {
            item.growing = false;
            item.shrinking = true;
        }
        if (leftButtonUp && AnimateScale(item)) changed = true;
    }
    return changed;
}

IntRect HotStrip(const IntRect& window) {
    IntRect r = window;
    r.bottom -= 20;
    return r;
}

bool StepSlide(Slide& s, const SlideInput& in) {
    if (in.dragging) {
        s.offsetX = s.offsetY = 0.0f;
        s.slideX = s.slideY = 0.0f;
        s.slidingIn = s.slidingOut = false;
        return false;
    }
    if (!s.autoHide && s.slideX >= 0.0f && s.slideY >= 0.0f) {
        s.offsetX = kBaseX + s.slideX;
        s.offsetY = kBaseY + s.slideY;
        return false;
    }
    if (!s.slidingIn && in.cursorInStrip && !s.slidingOut && !in.buttonDown &&
        (in.cursorFromTop < 10 || s.slideY > -76.0f)) {
        s.slidingIn = true;
    }
    if (s.autoHide && !s.slidingIn) {
        if (s.slideY > kHiddenSlide) {
            s.slidingOut = true;
            s.slideY -= kSlideStep;
            if (s.slideY <= kHiddenSlide) {
                s.slideY = kHiddenSlide;
                s.slidingOut = false;
            }
        }
        s.offsetX = kBaseX + s.slideX;
        s.offsetY = kBaseY + s.slideY;
        return true;
    }
    if (s.slideY >= 0.0f) {
        s.slideY = 0.0f;
        s.slidingIn = false;
        return false;
    }
    s.slideY += kSlideStep;
    s.offsetX = kBaseX + s.slideX;
    s.offsetY = kBaseY + s.slideY;
    if (s.slideY >= 0.0f) {
        s.slideY = 0.0f;
        s.slidingIn = false;
    }
    return true;
}

FloatRect FitPicture(int width, int height, const IntRect& cell) {
    FloatRect r;
    if (width <= 0 || height <= 0 || cell.Width() <= 0 || cell.Height() <= 0) return r;
    const float scale = std::min(static_cast<float>(cell.Width()) / static_cast<float>(width),
                                 static_cast<float>(cell.Height()) / static_cast<float>(height));
    r.width = static_cast<float>(width) * scale;
    r.height = static_cast<float>(height) * scale;
    r.x = static_cast<float>(cell.left) + (static_cast<float>(cell.Width()) - r.width) / 2.0f;
    r.y = static_cast<float>(cell.top) + (static_cast<float>(cell.Height()) - r.height) / 2.0f;
    return r;
}

bool StepCountdown(int& countdown) {
    if (countdown <= 0) return false;
    countdown -= kRedrawCountdownStep;
    if (countdown <= 0) countdown = 0;
    return true;
}

std::vector<Slice> PlanBackground(int imageWidth, int windowWidth, int marginRight) {
    constexpr int kCap = 32, kMiddleX = 40, kMiddle = 20, kColumnX = 40;
    std::vector<Slice> slices;
    if (imageWidth < kMiddleX + kMiddle || imageWidth < kCap) return slices;
    slices.push_back(Slice{0, kCap, 0, kCap});
    const int rightCapX = windowWidth - marginRight - kCap;
    const int limit = rightCapX - kMiddle;
    int x = kCap;
    while (x <= limit) {
        slices.push_back(Slice{kMiddleX, kMiddle, x, kMiddle});
        x += kMiddle;
    }
    if (x < rightCapX) {
        slices.push_back(Slice{kColumnX, 1, x, rightCapX - x});
        x = rightCapX;
    }
    slices.push_back(Slice{imageWidth - kCap, kCap, std::max(x, kCap), kCap});
    return slices;
}

std::vector<uint8_t> ArchiveStringBytes(const std::u16string& text) {
    std::vector<uint8_t> out{0xFF, 0xFE, 0xFF};
    const size_t n = text.size();
    auto word = [&](uint32_t v) {
        out.push_back(static_cast<uint8_t>(v & 0xFF));
        out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    };
    if (n < 0xFF) {
        out.push_back(static_cast<uint8_t>(n));
    } else if (n < 0xFFFE) {
        out.push_back(0xFF);
        word(static_cast<uint32_t>(n));
    } else {
        out.push_back(0xFF);
        word(0xFFFF);
        word(static_cast<uint32_t>(n) & 0xFFFF);
        word(static_cast<uint32_t>(n) >> 16);
    }
    for (char16_t c : text) word(c);
    return out;
}

bool ReadArchiveString(const std::vector<uint8_t>& b, std::u16string* text) {
    size_t at = 0;
    auto byte = [&](uint32_t* v) {
        if (at >= b.size()) return false;
        *v = b[at++];
        return true;
    };
    auto word = [&](uint32_t* v) {
        uint32_t lo, hi;
        if (!byte(&lo) || !byte(&hi)) return false;
        *v = lo | (hi << 8);
        return true;
    };
    uint32_t v = 0, marker = 0, n = 0;
    if (!byte(&v) || v != 0xFF || !word(&marker) || marker != 0xFFFE || !byte(&n)) return false;
    if (n == 0xFF) {
        if (!word(&n)) return false;
        if (n == 0xFFFF) {
            uint32_t lo, hi;
            if (!word(&lo) || !word(&hi)) return false;
            n = lo | (hi << 16);
        }
    }
    if ((b.size() - at) / 2 < n) return false;
    std::u16string s;
    s.reserve(n);
    for (uint32_t i = 0; i < n; ++i) {
        word(&v);
        s.push_back(static_cast<char16_t>(v));
    }
    if (text) *text = std::move(s);
    return true;
}

namespace {

// Whether Windows opens a file of this name as a device: the part before
// the first dot (blanks at its end ignored) is CON, PRN, AUX, NUL, CONIN$,
// CONOUT$, or COM or LPT with one digit or superscript digit, in any case.
bool IsDeviceName(const std::wstring& name) {
    std::wstring base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    for (wchar_t& c : base)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (base == device) return true;
    if (base.size() != 4 || (base.compare(0, 3, L"COM") != 0 && base.compare(0, 3, L"LPT") != 0)) return false;
    const wchar_t n = base[3];
    return (n >= L'0' && n <= L'9') || n == L'\u00B9' || n == L'\u00B2' || n == L'\u00B3';
}

}  // namespace

std::wstring IconFileName(const std::wstring& serverName) {
    const size_t cut = serverName.find_last_of(L"/\\");
    std::wstring name = cut == std::wstring::npos ? serverName : serverName.substr(cut + 1);
    if (name.empty() || name.find(L"..") != std::wstring::npos || name.find(L':') != std::wstring::npos ||
        IsDeviceName(name))
        return L"";
    return name;
}

bool FlagText(const std::wstring& text) {
    if (text.size() != 4) return false;
    static const wchar_t kTrue[] = L"true";
    for (size_t i = 0; i < 4; ++i)
        if (static_cast<wchar_t>(std::towlower(text[i])) != kTrue[i]) return false;
    return true;
}

}  // namespace dock
