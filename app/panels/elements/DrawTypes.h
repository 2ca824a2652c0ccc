// The drawing types the element tree names: GDI+'s graphics and the Win32
// rectangle.  The native build of the element tree (its tests under the
// sanitizers) knows them by name only: a rectangle of four 32-bit edges and
// an incomplete graphics class; nothing there draws.
#pragma once

#ifdef _WIN32
#include <windows.h>

#include "fx/GdiPlus.h"
#else
#include <cstdint>

struct RECT {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};
namespace Gdiplus {
class Graphics;
class GraphicsPath;
}  // namespace Gdiplus
#endif
