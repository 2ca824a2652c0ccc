// The type libraries embedded in HXIE and HXFirefox: IAction's members in
// vtable order with their DISPIDs, kinds, parameters and help strings, and the
// libraries' own attributes.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "Hextens/HXFirefox/HXFirefox.h"
#include "Hextens/HXIE/HXIE.h"
#include "TestSupport.h"
#include "fx/ComRegistry.h"
#include "fx/Handle.h"

namespace {

using fx::ComPtr;
using testsupport::Take;

struct Member {
    const wchar_t* name;  // the C++ name of the vtable slot
    MEMBERID dispid;
    INVOKEKIND kind;
    std::vector<const wchar_t*> params;  // names in type-library order ("" unnamed)
    const wchar_t* help;
};

const INVOKEKIND M = INVOKE_FUNC, G = INVOKE_PROPERTYGET, P = INVOKE_PROPERTYPUT;

const std::vector<Member> kIAction = {
    {L"SendMsg", 1, M, {L"msg_id"}, L"method SendMsg"},
    {L"IdleLoop", 3, M, {}, L"method IdleLoop"},
    {L"enhancertype", 4, G, {L"pVal"}, L"property enhancertype"},
    {L"enhancertype", 4, P, {L""}, L"property enhancertype"},
    {L"Init", 5, M, {}, L"method Init"},
    {L"NumEnhancerAreas", 6, G, {L"pVal"}, L"property NumEnhancerAreas"},
    {L"ActiveAreaTitle", 7, G, {L"pVal"}, L"property ActiveAreaTitle"},
    {L"HotSpotTransferBegin", 8, M, {L"id"}, L"method HotSpotTransferBegin"},
    {L"HotSpotTransferEnd", 9, M, {}, L"method HotSpotTransferEnd"},
    {L"HotSpotTransferNext", 10, M, {L"nextId"}, L"method HotSpotTransferNext"},
    {L"HaveActiveEnhancerAreas", 11, M, {L"haveActive"}, L"method HaveActiveEnhancerAreas"},
    {L"Update", 12, M, {L"haveChanges"}, L"method Update"},
    {L"GetDomain", 13, M, {L"name"}, L"method GetDomain"},
    {L"GetHRef", 14, M, {L"ref"}, L"method GetHRef"},
    {L"GetHotSpotText", 18, M, {L"text"}, L"method GetHotSpotText"},
    {L"GetSelectedText", 19, M, {L"text"}, L"method GetSelectedText"},
    {L"GetHotSpotLeft", 20, M, {L"left"}, L"method GetHotSpotLeft"},
    {L"GetHotSpotTop", 21, M, {L"top"}, L"method GetHotSpotTop"},
    {L"GetHotSpotRight", 22, M, {L"right"}, L"method GetHotSpotRight"},
    {L"GetHotSpotBottom", 23, M, {L"bottom"}, L"method GetHotSpotBottom"},
    {L"GetSelTextLeft", 24, M, {L"left"}, L"method GetSelTextLeft"},
    {L"GetSelTextTop", 25, M, {L"top"}, L"method GetSelTextTop"},
    {L"GetSelTextRight", 26, M, {L"right"}, L"method GetSelTextRight"},
    {L"GetSelTextBottom", 27, M, {L"bottom"}, L"method GetSelTextBottom"},
    {L"TextHotSpotTransferBegin", 29, M, {}, L"method TextHotSpotTransferBegin"},
    {L"TextHotSpotTransferNext", 30, M, {L"id"}, L"method TextHotSpotTransferNext"},
    {L"TextHotSpotTransferEnd", 31, M, {}, L"method TextHotSpotTransferEnd"},
    {L"GetContext", 32, M, {L"context"}, L"method GetContext"},
    {L"Unload", 33, M, {}, L"method Unload"},
    {L"SetSiteEnhancer", 34, M, {L"siteEnhancer"}, L"method SetSiteEnhancer"},
    {L"GetBestGuess", 35, M, {L"bstrCannedBestGuess"}, L"method GetBestGuess"},
    {L"GetHotSpotPlacementFlags", 36, M, {L"flags"}, L"method GetHotSpotPlacementFlags"},
    {L"GetSelTextPlacementFlags", 37, M, {L"flags"}, L"method GetSelTextPlacementFlags"},
    {L"SetConfigurationOption",
     38,
     M,
     {L"id", L"data1", L"data2", L"data3", L"data4"},
     L"method SetConfigurationOption"},
    {L"NavigateToURL", 39, M, {L"hwndBrowser", L"url", L"navFlags", L"isSuccess"}, L"method NavigateToURL"},
    {L"UpdateForECP", 40, M, {L"browser", L"haveChanges"}, L"method UpdateForECP"},
};

ComPtr<ITypeLib> LoadFrom(const char* dll) {
    ComPtr<ITypeLib> lib;
    EXPECT_EQ(S_OK, ::LoadTypeLibEx(testsupport::WinPath(dll).c_str(), REGKIND_NONE, lib.put()));
    return lib;
}

struct LibAttr {
    GUID guid;
    WORD major, minor;
    LCID lcid;
    std::wstring name, help;
};

LibAttr Attributes(ITypeLib* lib) {
    LibAttr a{};
    TLIBATTR* attr = nullptr;
    if (FAILED(lib->GetLibAttr(&attr))) return a;
    a.guid = attr->guid;
    a.major = attr->wMajorVerNum;
    a.minor = attr->wMinorVerNum;
    a.lcid = attr->lcid;
    lib->ReleaseTLibAttr(attr);
    BSTR name = nullptr, help = nullptr;
    lib->GetDocumentation(-1, &name, &help, nullptr, nullptr);
    a.name = Take(name);
    a.help = Take(help);
    return a;
}

class ComInit : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
    void TearDown() override { ::CoUninitialize(); }
};

using TypeLibraries = ComInit;

// Each library's own attributes: version 1.0, US English, its name and help
// string, and how many types it holds.
TEST_F(TypeLibraries, Attributes) {
    const struct {
        const char* dll;
        const GUID* libid;
        const wchar_t* name;
        const wchar_t* help;
        UINT types;
    } cases[] = {
        {HXIE_DLL, &LIBID_HXIELib, L"HXIELib", L"HXIE 1.0 Type Library", 3},
        {HXFIREFOX_DLL, &LIBID_HXFirefoxLib, L"HXFirefoxLib", L"HXFirefox 1.0 Type Library", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dll);
        ComPtr<ITypeLib> lib = LoadFrom(c.dll);
        ASSERT_TRUE(lib);
        LibAttr a = Attributes(lib.get());
        EXPECT_EQ(fx::GuidText(*c.libid), fx::GuidText(a.guid));
        EXPECT_EQ(1, a.major);
        EXPECT_EQ(0, a.minor);
        EXPECT_EQ(0x409u, a.lcid);
        EXPECT_EQ(c.name, a.name);
        EXPECT_EQ(c.help, a.help);
        EXPECT_EQ(c.types, lib->GetTypeInfoCount());
    }
}

using HXIELibrary = ComInit;

TEST_F(HXIELibrary, IActionMembersInVtableOrder) {
    ComPtr<ITypeLib> lib = LoadFrom(HXIE_DLL);
    ASSERT_TRUE(lib);
    ComPtr<ITypeInfo> dispView;
    ASSERT_EQ(S_OK, lib->GetTypeInfoOfGuid(IID_IAction, dispView.put()));
    TYPEATTR* ta = nullptr;
    ASSERT_EQ(S_OK, dispView->GetTypeAttr(&ta));
    const WORD dispFlags = TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE;
    EXPECT_EQ(dispFlags, ta->wTypeFlags & dispFlags);
    dispView->ReleaseTypeAttr(ta);
    BSTR help = nullptr;
    dispView->GetDocumentation(MEMBERID_NIL, nullptr, &help, nullptr, nullptr);
    EXPECT_EQ(L"IAction Interface", Take(help));

    // The vtable view of the dual interface.
    HREFTYPE ref = 0;
    ASSERT_EQ(S_OK, dispView->GetRefTypeOfImplType(-1, &ref));
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, dispView->GetRefTypeInfo(ref, info.put()));
    ASSERT_EQ(S_OK, info->GetTypeAttr(&ta));
    EXPECT_EQ(TKIND_INTERFACE, ta->typekind);
    const WORD vtableFlags = TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION;
    EXPECT_EQ(vtableFlags, ta->wTypeFlags & vtableFlags);
    const WORD funcs = ta->cFuncs;
    info->ReleaseTypeAttr(ta);
    ASSERT_EQ(kIAction.size(), funcs);

    for (UINT i = 0; i < funcs; ++i) {
        const Member& want = kIAction[i];
        SCOPED_TRACE(want.name);
        FUNCDESC* fd = nullptr;
        ASSERT_EQ(S_OK, info->GetFuncDesc(i, &fd));
        EXPECT_EQ(want.dispid, fd->memid);
        EXPECT_EQ(want.kind, fd->invkind);
        // IUnknown and IDispatch take the first seven slots.
        EXPECT_EQ(static_cast<int>((7 + i) * sizeof(void*)), fd->oVft);
        EXPECT_EQ(VT_HRESULT, fd->elemdescFunc.tdesc.vt);
        ASSERT_EQ(want.params.size(), static_cast<size_t>(fd->cParams));
        BSTR names[8] = {};
        UINT got = 0;
        info->GetNames(fd->memid, names, 8, &got);
        ASSERT_GE(got, 1u);
        EXPECT_EQ(want.name, Take(names[0]));
        // Names by DISPID are those of the property get for a put.
        if (want.kind != P) {
            ASSERT_EQ(want.params.size() + 1, got);
            for (size_t p = 0; p < want.params.size(); ++p) EXPECT_EQ(want.params[p], Take(names[p + 1]));
        } else {
            for (UINT n = 1; n < got; ++n) Take(names[n]);
        }
        BSTR doc = nullptr;
        info->GetDocumentation(fd->memid, nullptr, &doc, nullptr, nullptr);
        EXPECT_EQ(want.help, Take(doc));
        info->ReleaseFuncDesc(fd);
    }
}

// widl resolves OLE_HANDLE to its definition, a 32-bit unsigned integer;
// a library built from stdole2's alias names it instead.  Both marshal alike.
TEST_F(HXIELibrary, NavigateToUrlTakesAWindowHandle) {
    ComPtr<ITypeLib> lib = LoadFrom(HXIE_DLL);
    ASSERT_TRUE(lib);
    ComPtr<ITypeInfo> dispView, info;
    ASSERT_EQ(S_OK, lib->GetTypeInfoOfGuid(IID_IAction, dispView.put()));
    HREFTYPE ref = 0;
    ASSERT_EQ(S_OK, dispView->GetRefTypeOfImplType(-1, &ref));
    ASSERT_EQ(S_OK, dispView->GetRefTypeInfo(ref, info.put()));
    FUNCDESC* fd = nullptr;
    ASSERT_EQ(S_OK, info->GetFuncDesc(kIAction.size() - 2, &fd));
    ASSERT_EQ(4, fd->cParams);
    const TYPEDESC& handle = fd->lprgelemdescParam[0].tdesc;
    if (handle.vt == VT_USERDEFINED) {
        ComPtr<ITypeInfo> handleInfo;
        ASSERT_EQ(S_OK, info->GetRefTypeInfo(handle.hreftype, handleInfo.put()));
        BSTR name = nullptr;
        handleInfo->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
        EXPECT_EQ(L"OLE_HANDLE", Take(name));
    } else {
        EXPECT_EQ(VT_UINT, handle.vt);
    }
    EXPECT_EQ(PARAMFLAG_FIN, fd->lprgelemdescParam[0].paramdesc.wParamFlags & PARAMFLAG_FIN);
    EXPECT_EQ(VT_PTR, fd->lprgelemdescParam[1].tdesc.vt);
    EXPECT_EQ(PARAMFLAG_FOUT | PARAMFLAG_FRETVAL, fd->lprgelemdescParam[3].paramdesc.wParamFlags);
    info->ReleaseFuncDesc(fd);
}

// The class and its event interface: coclass Action, creatable, with IAction
// as default and _IActionEvents as default source.
TEST_F(HXIELibrary, ActionClassAndEvents) {
    ComPtr<ITypeLib> lib = LoadFrom(HXIE_DLL);
    ASSERT_TRUE(lib);
    ComPtr<ITypeInfo> events;
    ASSERT_EQ(S_OK, lib->GetTypeInfoOfGuid(DIID__IActionEvents, events.put()));
    TYPEATTR* ta = nullptr;
    ASSERT_EQ(S_OK, events->GetTypeAttr(&ta));
    EXPECT_EQ(TKIND_DISPATCH, ta->typekind);
    EXPECT_EQ(0, ta->cFuncs - 7 * ((ta->wTypeFlags & TYPEFLAG_FDUAL) ? 1 : 0));
    events->ReleaseTypeAttr(ta);
    BSTR name = nullptr, help = nullptr;
    events->GetDocumentation(MEMBERID_NIL, &name, &help, nullptr, nullptr);
    EXPECT_EQ(L"_IActionEvents", Take(name));
    EXPECT_EQ(L"_IActionEvents Interface", Take(help));

    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(S_OK, lib->GetTypeInfoOfGuid(CLSID_Action, coclass.put()));
    ASSERT_EQ(S_OK, coclass->GetTypeAttr(&ta));
    EXPECT_EQ(TKIND_COCLASS, ta->typekind);
    EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FCANCREATE);
    ASSERT_EQ(2, ta->cImplTypes);
    coclass->ReleaseTypeAttr(ta);
    coclass->GetDocumentation(MEMBERID_NIL, &name, &help, nullptr, nullptr);
    EXPECT_EQ(L"Action", Take(name));
    EXPECT_EQ(L"Action Class", Take(help));

    struct {
        const IID* iid;
        int flags;
    } impl[] = {
        {&IID_IAction, IMPLTYPEFLAG_FDEFAULT},
        {&DIID__IActionEvents, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE},
    };
    for (UINT i = 0; i < 2; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> t;
        ASSERT_EQ(S_OK, coclass->GetImplTypeFlags(i, &flags));
        EXPECT_EQ(impl[i].flags, flags);
        ASSERT_EQ(S_OK, coclass->GetRefTypeOfImplType(i, &ref));
        ASSERT_EQ(S_OK, coclass->GetRefTypeInfo(ref, t.put()));
        ASSERT_EQ(S_OK, t->GetTypeAttr(&ta));
        EXPECT_TRUE(IsEqualGUID(*impl[i].iid, ta->guid));
        t->ReleaseTypeAttr(ta);
    }
}

using HXFirefoxLibrary = ComInit;

TEST_F(HXFirefoxLibrary, ClassAndItsEmptyDualInterface) {
    ComPtr<ITypeLib> lib = LoadFrom(HXFIREFOX_DLL);
    ASSERT_TRUE(lib);

    // IAction is not in it: the class borrows HXIE's library for that.
    ComPtr<ITypeInfo> none;
    EXPECT_NE(S_OK, lib->GetTypeInfoOfGuid(IID_IAction, none.put()));

    ComPtr<ITypeInfo> iface;
    ASSERT_EQ(S_OK, lib->GetTypeInfoOfGuid(IID_IFirefoxEnhancer, iface.put()));
    TYPEATTR* ta = nullptr;
    ASSERT_EQ(S_OK, iface->GetTypeAttr(&ta));
    EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FDUAL);
    iface->ReleaseTypeAttr(ta);
    BSTR name = nullptr, help = nullptr;
    iface->GetDocumentation(MEMBERID_NIL, &name, &help, nullptr, nullptr);
    EXPECT_EQ(L"IFirefoxEnhancer", Take(name));
    EXPECT_EQ(L"IFirefoxEnhancer Interface", Take(help));
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> vtableView;
    ASSERT_EQ(S_OK, iface->GetRefTypeOfImplType(-1, &ref));
    ASSERT_EQ(S_OK, iface->GetRefTypeInfo(ref, vtableView.put()));
    ASSERT_EQ(S_OK, vtableView->GetTypeAttr(&ta));
    EXPECT_EQ(0, ta->cFuncs);
    vtableView->ReleaseTypeAttr(ta);

    ComPtr<ITypeInfo> coclass;
    ASSERT_EQ(S_OK, lib->GetTypeInfoOfGuid(CLSID_FirefoxEnhancer, coclass.put()));
    ASSERT_EQ(S_OK, coclass->GetTypeAttr(&ta));
    EXPECT_TRUE(ta->wTypeFlags & TYPEFLAG_FCANCREATE);
    EXPECT_EQ(1, ta->cImplTypes);
    coclass->ReleaseTypeAttr(ta);
    coclass->GetDocumentation(MEMBERID_NIL, &name, &help, nullptr, nullptr);
    EXPECT_EQ(L"FirefoxEnhancer", Take(name));
    EXPECT_EQ(L"FirefoxEnhancer Class", Take(help));
    INT flags = 0;
    ASSERT_EQ(S_OK, coclass->GetImplTypeFlags(0, &flags));
    EXPECT_EQ(IMPLTYPEFLAG_FDEFAULT, flags);
}

}  // namespace
