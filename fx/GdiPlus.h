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
#include <new>
#include <utility>

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

// The object built from args in memory from GDI+'s allocator (which its
// owner's delete gives back); null memory gives null and builds nothing.
template <class T, class... Args>
GdiplusPtr<T> ConstructGdiplus(void* memory, Args&&... args) {
    if (memory == nullptr) return nullptr;
    return GdiplusPtr<T>(::new (memory) T(std::forward<Args>(args)...));
}

// A new GDI+ object, or null when GDI+ has no memory for it.  Every GDI+
// object is made this way: a plain `new Gdiplus::Bitmap(...)` takes its
// memory from an allocator that answers null instead of throwing, and runs
// the constructor on that null before the caller could look at it.  A
// bitmap's status still tells whether its pixels could be made.
template <class T, class... Args>
GdiplusPtr<T> NewGdiplus(Args&&... args) {
    return ConstructGdiplus<T>(Gdiplus::DllExports::GdipAlloc(sizeof(T)), std::forward<Args>(args)...);
}

}  // namespace fx
