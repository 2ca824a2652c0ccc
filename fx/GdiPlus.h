// GDI+ for the program: the start-up/shut-down pair and owners of GDI+
// objects.  Every owner must be emptied before the session shuts down.
#pragma once

#include <windows.h>

#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include <memory>

namespace fx {

class GdiplusSession {
public:
    GdiplusSession() = default;
    ~GdiplusSession() { Shutdown(); }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    // Starts GDI+ with the default input; true when it runs.
    bool Startup();
    void Shutdown();
    bool running() const { return token_ != 0; }

private:
    ULONG_PTR token_ = 0;
};

// Owner of one GDI+ object (image, brush, pen, font, ...).
template <class T>
using GdiplusPtr = std::unique_ptr<T>;

}  // namespace fx
