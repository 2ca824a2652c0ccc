// Both enhancers as the main program and late-bound clients reach them: by
// CLSID from this separate process, registered in the prefix.
#include <gtest/gtest.h>

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>

#include "Hextens/HXFirefox/HXFirefox.h"
#include "Hextens/HXIE/HXIE.h"
#include "TestSupport.h"
#include "fx/Handle.h"

namespace {

using fx::ComPtr;

struct Enhancer {
    const char* label;
    const CLSID* clsid;
    const wchar_t* progId;
    const wchar_t* type;
};

const Enhancer kEnhancers[] = {
    {"HXIE", &CLSID_Action, L"HXIE.Action", L"Internet Explorer Enhancer"},
    {"HXFirefox", &CLSID_FirefoxEnhancer, L"HXFirefox.FirefoxEnhancer", L"Firefox Enhancer"},
};

using testsupport::Take;

class EnhancerClient : public ::testing::TestWithParam<Enhancer> {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
    void TearDown() override { ::CoUninitialize(); }

    ComPtr<IDispatch> Create() {
        ComPtr<IDispatch> d;
        EXPECT_EQ(S_OK,
                  ::CoCreateInstance(*GetParam().clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, d.put_void()));
        return d;
    }
};

TEST_P(EnhancerClient, CreatedAsTheMainProgramDoes) {
    ComPtr<IDispatch> dispatch = Create();
    ASSERT_TRUE(dispatch);
    ComPtr<IAction> action;
    ASSERT_EQ(S_OK, dispatch.As(action, IID_IAction));
    // Through the vtable.
    BSTR type = nullptr;
    ASSERT_EQ(S_OK, action->get_enhancertype(&type));
    EXPECT_EQ(GetParam().type, Take(type));
    LONG flags = 0;
    EXPECT_EQ(S_OK, action->GetSelTextPlacementFlags(&flags));
    EXPECT_EQ(255, flags);
    // The IDispatch the object was created for is IAction's.
    ComPtr<IUnknown> a, b;
    ASSERT_EQ(S_OK, dispatch->QueryInterface(IID_IUnknown, a.put_void()));
    ASSERT_EQ(S_OK, action->QueryInterface(IID_IUnknown, b.put_void()));
    EXPECT_EQ(a.get(), b.get());
}

TEST_P(EnhancerClient, LateBoundByDispid) {
    ComPtr<IDispatch> dispatch = Create();
    ASSERT_TRUE(dispatch);
    UINT count = 0;
    EXPECT_EQ(S_OK, dispatch->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);

    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT result;
    ::VariantInit(&result);
    ASSERT_EQ(S_OK, dispatch->Invoke(4, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr,
                                     nullptr));
    ASSERT_EQ(VT_BSTR, result.vt);
    EXPECT_EQ(GetParam().type, std::wstring(result.bstrVal));
    ::VariantClear(&result);

    ASSERT_EQ(S_OK,
              dispatch->Invoke(36, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, &result, nullptr, nullptr));
    EXPECT_EQ(VT_I4, result.vt);
    EXPECT_EQ(255, result.lVal);

    // Names resolve to the DISPIDs of the type library.
    struct {
        const wchar_t* name;
        DISPID id;
    } names[] = {{L"enhancertype", 4}, {L"Update", 12}, {L"SetSiteEnhancer", 34}, {L"UpdateForECP", 40}};
    for (const auto& n : names) {
        LPOLESTR name = const_cast<LPOLESTR>(n.name);
        DISPID id = 0;
        EXPECT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id)) << n.id;
        EXPECT_EQ(n.id, id);
    }
    // A DISPID the interface leaves out.
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              dispatch->Invoke(2, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, &result, nullptr, nullptr));
}

TEST_P(EnhancerClient, ProgIdsNameTheClass) {
    for (std::wstring progId : {std::wstring(GetParam().progId), std::wstring(GetParam().progId) + L".1"}) {
        CLSID clsid{};
        ASSERT_EQ(S_OK, ::CLSIDFromProgID(progId.c_str(), &clsid)) << std::string(progId.begin(), progId.end());
        EXPECT_TRUE(IsEqualCLSID(*GetParam().clsid, clsid));
    }
}

INSTANTIATE_TEST_SUITE_P(Both, EnhancerClient, ::testing::ValuesIn(kEnhancers),
                         [](const ::testing::TestParamInfo<Enhancer>& info) { return info.param.label; });

// An event sink that answers only _IActionEvents.
class EventSink : public IDispatch {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, DIID__IActionEvents)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return S_OK; }
    ULONG refs = 1;
};

class ActionEvents : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
    void TearDown() override { ::CoUninitialize(); }
};

TEST_F(ActionEvents, ConnectionPointTakesAndReleasesASink) {
    EventSink sink;
    {
        ComPtr<IConnectionPointContainer> container;
        ASSERT_EQ(S_OK, ::CoCreateInstance(CLSID_Action, nullptr, CLSCTX_INPROC_SERVER, IID_IConnectionPointContainer,
                                           container.put_void()));
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(S_OK, container->FindConnectionPoint(DIID__IActionEvents, point.put()));
        IID iid{};
        ASSERT_EQ(S_OK, point->GetConnectionInterface(&iid));
        EXPECT_TRUE(IsEqualIID(DIID__IActionEvents, iid));
        ComPtr<IConnectionPoint> other;
        EXPECT_EQ(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(IID_IPropertyNotifySink, other.put()));

        ComPtr<IEnumConnectionPoints> points;
        ASSERT_EQ(S_OK, container->EnumConnectionPoints(points.put()));
        IConnectionPoint* listed[2] = {};
        ULONG fetched = 0;
        EXPECT_EQ(S_FALSE, points->Next(2, listed, &fetched));
        ASSERT_EQ(1u, fetched);
        EXPECT_EQ(point.get(), listed[0]);
        listed[0]->Release();

        DWORD cookie = 0;
        ASSERT_EQ(S_OK, point->Advise(&sink, &cookie));
        EXPECT_GT(sink.refs, 1u);
        EXPECT_EQ(S_OK, point->Unadvise(cookie));
        EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(cookie));
        EXPECT_EQ(1u, sink.refs);

        // A sink still advised when the object goes is released with it.
        ASSERT_EQ(S_OK, point->Advise(&sink, &cookie));
    }
    EXPECT_EQ(1u, sink.refs);
}

TEST_F(ActionEvents, ModuleUnloadsWhenNothingIsLeft) {
    {
        ComPtr<IAction> action;
        ASSERT_EQ(S_OK,
                  ::CoCreateInstance(CLSID_Action, nullptr, CLSCTX_INPROC_SERVER, IID_IAction, action.put_void()));
        ::CoFreeUnusedLibrariesEx(0, 0);
        EXPECT_NE(nullptr, ::GetModuleHandleW(L"HXIE.dll"));
    }
    // Wine frees a library whose DllCanUnloadNow answers S_OK.
    ::CoFreeUnusedLibrariesEx(0, 0);
    ::CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_EQ(nullptr, ::GetModuleHandleW(L"HXIE.dll"));
}

}  // namespace
