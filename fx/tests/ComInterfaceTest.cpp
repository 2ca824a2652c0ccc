// QueryInterfaceFor on an object with two interfaces from separate bases,
// and the plain IDispatch half.
#include <gtest/gtest.h>

#include <ocidl.h>

#include "TwoFaced.h"
#include "fx/ComInterface.h"

namespace {

using fxtest::TwoFaced;

TEST(ComInterface, AnswersEachListedInterfaceWithItsOwnPointerAndAReference) {
    TwoFaced object;
    struct Case {
        const IID* iid;
        void* expected;
    } cases[] = {
        {&IID_IUnknown, static_cast<IDispatch*>(&object)},
        {&IID_IDispatch, static_cast<IDispatch*>(&object)},
        {&IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(&object)},
    };
    ASSERT_NE(cases[0].expected, cases[2].expected);
    for (const Case& c : cases) {
        void* out = nullptr;
        LONG before = object.refs;
        EXPECT_EQ(S_OK, object.QueryInterface(*c.iid, &out));
        EXPECT_EQ(c.expected, out);
        EXPECT_EQ(before + 1, object.refs);
        object.refs = before;
    }
}

TEST(ComInterface, RefusesOtherInterfacesAndANullOut) {
    TwoFaced object;
    void* out = &object;
    EXPECT_EQ(E_NOINTERFACE, object.QueryInterface(IID_IConnectionPoint, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, object.QueryInterface(IID_IUnknown, nullptr));
    EXPECT_EQ(1, object.refs);
}

TEST(ComInterface, PlainDispatchOffersNoTypeInfoAndNoNames) {
    TwoFaced object;
    UINT count = 7;
    EXPECT_EQ(S_OK, object.GetTypeInfoCount(&count));
    EXPECT_EQ(0u, count);
    ITypeInfo* info = reinterpret_cast<ITypeInfo*>(&object);
    EXPECT_EQ(DISP_E_BADINDEX, object.GetTypeInfo(0, 0, &info));
    EXPECT_EQ(nullptr, info);
    wchar_t name[] = L"Anything";
    LPOLESTR names[] = {name};
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, object.GetIDsOfNames(IID_NULL, names, 1, 0, &id));
    DISPPARAMS none = {};
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, object.Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr));
}

// IDispatch along two bases: Via names the base that answers it.
class DispatchTwice : public fx::NoTypeInfoDispatch<IFontDisp>, public fx::NoTypeInfoDispatch<IPictureDisp> {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        return fx::QueryInterfaceFor<IFontDisp, fx::Via<IDispatch, IPictureDisp>, IPictureDisp>(this, iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }

    LONG refs = 1;
};

TEST(ComInterface, ViaAnswersAnInterfaceInheritedTwiceThroughTheNamedBase) {
    DispatchTwice object;
    struct Case {
        const IID* iid;
        void* expected;
    } cases[] = {
        {&IID_IUnknown, static_cast<IFontDisp*>(&object)},
        {&IID_IFontDisp, static_cast<IFontDisp*>(&object)},
        {&IID_IDispatch, static_cast<IDispatch*>(static_cast<IPictureDisp*>(&object))},
        {&IID_IPictureDisp, static_cast<IPictureDisp*>(&object)},
    };
    ASSERT_NE(cases[0].expected, cases[2].expected);
    for (const Case& c : cases) {
        void* out = nullptr;
        EXPECT_EQ(S_OK, object.QueryInterface(*c.iid, &out));
        EXPECT_EQ(c.expected, out);
    }
    EXPECT_EQ(5, object.refs);
}

}  // namespace
