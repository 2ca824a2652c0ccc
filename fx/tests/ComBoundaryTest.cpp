// The COM exception boundary: an exception thrown inside a COM method never
// reaches the caller.  The method answers its interface's contract value, its
// [out] parameters hold nothing, and the fault log names the method and the
// exception.  Through a method of the tests' own, and through the class
// factory and the connection point every plug-in is made of.
#include <gtest/gtest.h>

#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>

#include "AllocationFaults.h"
#include "LoggedFaults.h"
#include "TwoFaced.h"
#include "fx/ClassFactory.h"
#include "fx/ComBoundary.h"
#include "fx/ConnectionPoint.h"

namespace {

using fxtest::LoggedFaults;

// A method of an interface that, like IAction, reports no failure: S_OK
// always, "nothing" in its [out] parameters when it could not answer.
class Reporter {
public:
    std::function<void()> fault;

    STDMETHODIMP Report(LONG* number, BSTR* text, VARIANT_BOOL* flag) {
        return fx::ComBoundary(L"IReport::Report", S_OK, [&] {
            *number = 7;  // written before the fault: cleared again
            if (fault) fault();
            *text = nullptr;
            *flag = VARIANT_TRUE;
            return S_FALSE;
        }, number, text, flag);
    }
};

using ComBoundary = LoggedFaults;

TEST_F(ComBoundary, AnExceptionInsideAMethodGivesItsContractValueEmptyOutsAndOneFaultLine) {
    struct Case {
        const char* what;
        std::function<void()> fault;
        const wchar_t* logged;  // null: no exception, nothing logged
    } cases[] = {
        {"no exception", nullptr, nullptr},
        {"a standard exception", [] { throw std::runtime_error("report failed on purpose"); },
         L"*** Exception caught in IReport::Report: report failed on purpose"},
        {"something else thrown", [] { throw 5; }, L"*** Exception caught in IReport::Report: unknown"},
        {"an allocation that fails",
         [] {
             testsupport::FailingAllocationsHere failing;
             ::operator delete(::operator new(16));
         },
         L"*** Exception caught in IReport::Report: std::bad_alloc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reporter reporter;
        reporter.fault = c.fault;
        LONG number = -1;
        BSTR text = reinterpret_cast<BSTR>(&number);  // an [out] arrives holding anything
        VARIANT_BOOL flag = VARIANT_TRUE;
        const HRESULT hr = reporter.Report(&number, &text, &flag);
        if (!c.logged) {
            EXPECT_EQ(hr, S_FALSE) << "the body's own answer";
            EXPECT_EQ(number, 7);
            EXPECT_EQ(flag, VARIANT_TRUE);
            continue;
        }
        EXPECT_EQ(hr, S_OK) << "the interface's contract value";
        EXPECT_EQ(number, 0);
        EXPECT_EQ(text, nullptr);
        EXPECT_EQ(flag, VARIANT_FALSE);
        EXPECT_EQ(LinesWith(c.logged).size(), 1u);
    }
    EXPECT_EQ(LinesWith(L"IReport::Report").size(), 3u) << "one line per fault, none without";
}

// A class whose construction fails, served by the module's class factory.
class Unbuildable : public IUnknown {
public:
    Unbuildable() { throw std::runtime_error("construction failed on purpose"); }
    STDMETHODIMP QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
};

// {6E1D6C36-3F0B-4B7E-9D2C-4A5B1E0C7F11}
const CLSID kUnbuildable = {0x6e1d6c36, 0x3f0b, 0x4b7e, {0x9d, 0x2c, 0x4a, 0x5b, 0x1e, 0x0c, 0x7f, 0x11}};
const fx::ComClass kClasses[] = {
    {&kUnbuildable, L"Unbuildable Class", L"FxTest.Unbuildable.1", L"FxTest.Unbuildable",
     &fx::CreateObject<Unbuildable>},
};
const fx::ComServer kServer = {nullptr, L"FxTest", L"FxTest.DLL", nullptr, kClasses, 1};

TEST_F(ComBoundary, AClassFactoryWhoseObjectCannotBeMadeAnswersUnexpectedAndNoObject) {
    IClassFactory* factory = nullptr;
    ASSERT_EQ(fx::GetClassObject(kServer, kUnbuildable, IID_IClassFactory, reinterpret_cast<void**>(&factory)),
              S_OK);
    void* made = &factory;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, &made), E_UNEXPECTED);
    EXPECT_EQ(made, nullptr);
    EXPECT_EQ(static_cast<IUnknown*>(factory)->Release(), 0u);
    EXPECT_EQ(LinesWith(L"*** Exception caught in IClassFactory::CreateInstance: construction failed on purpose")
                  .size(),
              1u);
}

TEST_F(ComBoundary, AnAdviseThatCannotKeepItsSinkAnswersUnexpectedNoCookieAndKeepsNoReference) {
    fxtest::TwoFaced owner, sink;
    fx::ConnectionPoint point(&owner, IID_IDispatch);
    DWORD cookie = 99;
    HRESULT hr = S_OK;
    {
        testsupport::FailingAllocationsHere failing;
        hr = point.Advise(static_cast<IDispatch*>(&sink), &cookie);
    }
    EXPECT_EQ(hr, E_UNEXPECTED);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(sink.refs, 1) << "the sink's reference went with the failed entry";
    EXPECT_EQ(point.SinkCount(), 0u);
    EXPECT_EQ(LinesWith(L"*** Exception caught in IConnectionPoint::Advise: std::bad_alloc").size(), 1u);

    // The point goes on serving.
    EXPECT_EQ(point.Advise(static_cast<IDispatch*>(&sink), &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
    EXPECT_EQ(point.Unadvise(cookie), S_OK);
    EXPECT_EQ(sink.refs, 1);
}

}  // namespace
