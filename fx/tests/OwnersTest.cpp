// The owners: each handle is closed exactly once however it is moved, reset
// or handed out; GDI and USER objects made and dropped a thousand times leave
// the process's counts where they started; ComPtr's typed query; the VARIANT
// and BSTR owners.
#include <gtest/gtest.h>

#include <ocidl.h>

#include <cstdint>
#include <map>
#include <vector>

#include "TwoFaced.h"
#include "fx/ComPtr.h"
#include "fx/ComString.h"
#include "fx/Gdi.h"
#include "fx/Handle.h"
#include "fx/Variant.h"

namespace {

// A handle kind whose closes are counted, one count per handle value.
std::map<int, int> g_closes;
struct CountedTraits {
    using pointer = int;
    static bool Valid(int h) { return h != 0; }
    static void Close(int h) { ++g_closes[h]; }
};
using Counted = fx::UniqueOwner<CountedTraits>;

TEST(UniqueOwner, ClosesEachHandleExactlyOnceThroughMovesResetsAndPut) {
    g_closes.clear();
    {
        Counted a(1);
        Counted b(std::move(a));       // 1 moves on
        EXPECT_FALSE(a);
        Counted c(2);
        c = std::move(b);              // closes 2, holds 1
        Counted& self = c;
        c = std::move(self);           // a self-move keeps 1 open
        EXPECT_EQ(1, c.get());
        c.reset(c.get());              // the same handle again is no close
        *c.put() = 3;                  // closes 1, takes 3
        Counted d(4);
        EXPECT_EQ(4, d.release());     // handed out: never closed here
        Counted e;                     // nothing held: nothing closed
        e.reset();
    }
    EXPECT_EQ((std::map<int, int>{{1, 1}, {2, 1}, {3, 1}}), g_closes);
}

TEST(UniqueOwner, KernelHandleTakesBothNoneValuesAsEmpty) {
    EXPECT_FALSE(fx::UniqueHandle());
    EXPECT_FALSE(fx::UniqueHandle(INVALID_HANDLE_VALUE));
    fx::UniqueHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    HANDLE raw = event.get();
    event.reset();
    DWORD flags = 0;
    EXPECT_FALSE(::GetHandleInformation(raw, &flags)) << "the event handle stayed open";
}

// The process's GDI or USER object count, or -1 where the system does not
// count them (Wine answers ERROR_CALL_NOT_IMPLEMENTED).
long GuiCount(DWORD which) {
    ::SetLastError(0);
    DWORD n = ::GetGuiResources(::GetCurrentProcess(), which);
    if (n == 0 && ::GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) return -1;
    return static_cast<long>(n);
}

// One round: every GDI and USER owner makes its object, passes it on by
// move, and lets it go.  Returns what it made, for the caller to check that
// each one is gone.
struct Made {
    std::vector<HGDIOBJ> gdi;
    std::vector<HDC> dcs;
    std::vector<HICON> icons;
    std::vector<HMENU> menus;
};
Made OneRound() {
    Made made;
    fx::MemoryDC dc(::CreateCompatibleDC(nullptr));
    made.dcs.push_back(dc.get());
    fx::UniqueBrush brush(::CreateSolidBrush(RGB(1, 2, 3)));
    made.gdi.push_back(brush.get());
    fx::UniquePen pen(::CreatePen(PS_SOLID, 1, RGB(4, 5, 6)));
    made.gdi.push_back(pen.get());
    fx::UniqueRegion region(::CreateRectRgn(0, 0, 4, 4));
    made.gdi.push_back(region.get());
    fx::UniqueFont font(::CreateFontW(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial"));
    made.gdi.push_back(font.get());
    fx::DibSection dib(8, 4);
    made.gdi.push_back(dib.get());
    {
        // Selected while the scope lasts, back out before the owners go.
        fx::SelectObjectScope selectBrush(dc.get(), brush.get());
        fx::SelectObjectScope selectBitmap(dc.get(), dib.get());
        fx::SelectObjectScope selectFont(dc.get(), font.get());
        ::PatBlt(dc.get(), 0, 0, 8, 4, PATCOPY);
    }
    fx::DibSection movedDib(std::move(dib));
    fx::UniqueBrush movedBrush;
    movedBrush = std::move(brush);
    {
        fx::WindowDC screen(nullptr);
        fx::WindowDC movedScreen(std::move(screen));
    }
    fx::UniqueIcon icon(::CopyIcon(::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION))));
    made.icons.push_back(icon.get());
    fx::UniqueIcon movedIcon(std::move(icon));
    fx::UniqueMenu menu(::CreatePopupMenu());
    made.menus.push_back(menu.get());
    return made;
}

TEST(Owners, GdiAndUserObjectCountsReturnToTheStartAfterAThousandRounds) {
    const long gdiBefore = GuiCount(GR_GDIOBJECTS);
    const long userBefore = GuiCount(GR_USEROBJECTS);
    for (int round = 0; round < 1000; ++round) {
        Made made = OneRound();
        // Checked at once, before a later round can be given a freed value.
        for (HGDIOBJ h : made.gdi) ASSERT_EQ(0u, ::GetObjectType(h)) << "round " << round << ": GDI object kept";
        for (HDC dc : made.dcs) ASSERT_EQ(0u, ::GetObjectType(dc)) << "round " << round << ": DC kept";
        for (HMENU m : made.menus) ASSERT_FALSE(::IsMenu(m)) << "round " << round << ": menu kept";
        for (HICON i : made.icons) {
            ICONINFO info{};
            ASSERT_FALSE(::GetIconInfo(i, &info)) << "round " << round << ": icon kept";
        }
    }
    if (gdiBefore >= 0) {
        EXPECT_EQ(gdiBefore, GuiCount(GR_GDIOBJECTS));
    }
    if (userBefore >= 0) {
        EXPECT_EQ(userBefore, GuiCount(GR_USEROBJECTS));
    }
}

TEST(Owners, SelectObjectScopePutsBackWhatItReplaced) {
    fx::MemoryDC dc(::CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    HGDIOBJ original = ::GetCurrentObject(dc.get(), OBJ_BRUSH);
    fx::UniqueBrush brush(::CreateSolidBrush(RGB(9, 9, 9)));
    {
        fx::SelectObjectScope guard(dc.get(), brush.get());
        EXPECT_TRUE(guard);
        EXPECT_EQ(brush.get(), ::GetCurrentObject(dc.get(), OBJ_BRUSH));
    }
    EXPECT_EQ(original, ::GetCurrentObject(dc.get(), OBJ_BRUSH));
}

TEST(Owners, DibSectionRefusesEmptySizesAndExposesItsPixels) {
    EXPECT_FALSE(fx::DibSection(0, 4));
    EXPECT_FALSE(fx::DibSection(4, -1));
    fx::DibSection dib(3, 2);
    ASSERT_TRUE(dib);
    ASSERT_NE(nullptr, dib.bits());
    dib.bits()[3 * 2 - 1] = 0xFF102030u;   // the last pixel is writable
    BITMAP info{};
    ASSERT_EQ(static_cast<int>(sizeof(info)), ::GetObjectW(dib.get(), sizeof(info), &info));
    EXPECT_EQ(3, info.bmWidth);
    EXPECT_EQ(2, info.bmHeight);
    EXPECT_EQ(32, info.bmBitsPixel);
}

// Counts its references; a refused query leaves a stale pointer behind.
struct Counting : fxtest::TwoFaced {
    Counting() { staleOnFailure = true; }
};

TEST(ComPtr, TypedQueryFindsTheInterfaceWithOneReference) {
    Counting object;
    {
        fx::ComPtr<IDispatch> dispatch(&object);
        EXPECT_EQ(2, object.refs);
        fx::ComPtr<IConnectionPointContainer> container = dispatch.As<IConnectionPointContainer>();
        ASSERT_TRUE(container);
        EXPECT_EQ(static_cast<IConnectionPointContainer*>(&object), container.get());
        EXPECT_EQ(3, object.refs);

        fx::ComPtr<IConnectionPointContainer> again;
        EXPECT_EQ(S_OK, dispatch.As(again));
        EXPECT_EQ(4, object.refs);
    }
    EXPECT_EQ(1, object.refs);
}

TEST(ComPtr, FailedQueryHandsOutNothingAndReleasesNothing) {
    Counting object;
    fx::ComPtr<IDispatch> dispatch(&object);
    EXPECT_FALSE(dispatch.As<IPersist>());
    fx::ComPtr<IPersist> persist;
    EXPECT_EQ(E_NOINTERFACE, dispatch.As(persist));
    EXPECT_FALSE(persist);   // the stale pointer was dropped, not released
    EXPECT_EQ(2, object.refs);
    fx::ComPtr<IDispatch> empty;
    EXPECT_EQ(E_POINTER, empty.As(persist));
    EXPECT_FALSE(empty.As<IDispatch>());
}

TEST(ComPtr, ReturnIfFailedStopsAtTheFirstFailure) {
    int calls = 0;
    auto step = [&](HRESULT hr) { ++calls; return hr; };
    auto run = [&]() -> HRESULT {
        FX_RETURN_IF_FAILED(step(S_OK));
        FX_RETURN_IF_FAILED(step(S_FALSE));   // a success code goes on
        FX_RETURN_IF_FAILED(step(E_ACCESSDENIED));
        FX_RETURN_IF_FAILED(step(S_OK));
        return S_OK;
    };
    EXPECT_EQ(E_ACCESSDENIED, run());
    EXPECT_EQ(3, calls);
}

TEST(Variant, ClearsWhatItHoldsOnceWhenItGoesIsMovedOrRefilled) {
    Counting object;
    {
        fx::Variant v;
        EXPECT_EQ(VT_EMPTY, v.vt());
        v.get()->vt = VT_DISPATCH;
        v.get()->pdispVal = &object;
        object.AddRef();
        fx::Variant moved(std::move(v));
        EXPECT_EQ(VT_EMPTY, v.vt());
        EXPECT_EQ(VT_DISPATCH, moved.vt());
        EXPECT_EQ(2, object.refs);

        fx::Variant target = fx::Variant::FromLong(7);
        target = std::move(moved);
        EXPECT_EQ(2, object.refs);
        VARIANT* out = target.put();   // an out-parameter slot: the old value goes
        EXPECT_EQ(1, object.refs);
        EXPECT_EQ(VT_EMPTY, out->vt);
    }
    EXPECT_EQ(1, object.refs);
}

TEST(Variant, HoldsCopiesOfStrings) {
    fx::Bstr source(std::wstring(L"a\0b", 3));
    fx::Variant copy = fx::Variant::FromBstr(source.get());
    EXPECT_NE(source.get(), copy.get()->bstrVal);
    EXPECT_EQ(std::wstring(L"a\0b", 3), copy.str());
    EXPECT_EQ(L"text", fx::Variant::FromString(L"text").str());
    fx::Variant none = fx::Variant::FromBstr(nullptr);
    EXPECT_EQ(VT_BSTR, none.vt());
    EXPECT_NE(nullptr, none.get()->bstrVal);
    EXPECT_EQ(L"", none.str());
    EXPECT_EQ(L"", fx::Variant::FromLong(3).str());

    VARIANT handed = fx::Variant::FromString(L"mine").release();
    EXPECT_EQ(VT_BSTR, handed.vt);
    ::VariantClear(&handed);
}

TEST(Bstr, AdoptsCopiesAndHandsOut) {
    fx::Bstr adopted = fx::Bstr::Attach(::SysAllocString(L"kept"));
    BSTR raw = adopted.get();
    adopted.reset(raw);   // the same string again stays held
    EXPECT_EQ(L"kept", adopted.str());
    fx::Bstr moved(std::move(adopted));
    EXPECT_EQ(nullptr, adopted.get());
    EXPECT_EQ(raw, moved.get());
    BSTR out = moved.release();
    EXPECT_EQ(nullptr, moved.get());
    ::SysFreeString(out);
    EXPECT_EQ(nullptr, fx::Bstr(static_cast<const wchar_t*>(nullptr)).get());
    EXPECT_EQ(L"", fx::Bstr(std::wstring()).str());
}

}  // namespace
