// The stand-in best-guess component: the component's dispatch ids answered
// from a small script, every call recorded (script and record in
// BestGuessStandIn.h).
#include <windows.h>
#include <oleauto.h>
#include <olectl.h>

#include <cwchar>
#include <string>
#include <vector>

#include "BestGuessStandIn.h"
#include "StandIns.h"
#include "TextSupport.h"
#include "fx/ClassFactory.h"
#include "fx/ComInterface.h"
#include "fx/ComModule.h"
#include "fx/ComRegistry.h"
#include "fx/InprocServer.h"

namespace {

LONG g_objects = 0;

using standin::SplitKey;

std::vector<std::wstring> Script() { return standin::ReadScript(standin::kBestGuessScriptVar); }

// The rest of the first script line with this key (false when none).
bool ScriptValue(const std::vector<std::wstring>& script, const wchar_t* key, std::wstring* value) {
    for (const std::wstring& line : script) {
        std::wstring k, rest;
        if (SplitKey(line, k, rest) && k == key) {
            *value = rest;
            return true;
        }
        if (line == key) {
            value->clear();
            return true;
        }
    }
    return false;
}

// The "<key> <dispid> <number>" line for this dispid.
bool DispidLine(const std::vector<std::wstring>& script, const wchar_t* key, DISPID id, std::wstring* number) {
    for (const std::wstring& line : script) {
        std::wstring k, rest, dispid;
        if (!SplitKey(line, k, rest) || k != key) continue;
        if (!SplitKey(rest, dispid, *number)) continue;
        if (std::wcstol(dispid.c_str(), nullptr, 10) == id) return true;
    }
    return false;
}

// Waits ms, or less once the go event is set.
void WaitOrGo(DWORD ms) {
    HANDLE go = ::CreateEventW(nullptr, TRUE, FALSE, standin::kGoEvent);
    if (go) {
        ::WaitForSingleObject(go, ms);
        ::CloseHandle(go);
    } else {
        ::Sleep(ms);
    }
}

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (end == std::wstring::npos) return parts;
        start = end + 1;
    }
}

std::wstring BstrText(BSTR b) { return b ? std::wstring(b, ::SysStringLen(b)) : std::wstring(); }

class BestGuess : public fx::NoTypeInfoDispatch<IDispatch>, private fx::ModuleObject {
public:
    BestGuess() : name_(L"G" + std::to_wstring(::InterlockedIncrement(&g_objects))) {
        standin::Record(standin::kBestGuessLogVar, name_, L"Created");
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        return fx::QueryInterfaceFor<IDispatch>(this, iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefObject(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseObject(); }

    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT* argError) override {
        if (result) ::VariantInit(result);
        const UINT count = params ? params->cArgs : 0;
        // The arguments in call order, as text.
        std::vector<std::wstring> args;
        HRESULT check = S_OK;
        for (UINT i = 0; i < count; ++i) {
            const VARIANT& v = params->rgvarg[count - 1 - i];
            if (v.vt == (VT_BSTR | VT_BYREF)) {
                args.push_back(v.pbstrVal && *v.pbstrVal ? standin::Escape(BstrText(*v.pbstrVal)) : L"(null)");
            } else if (v.vt == VT_BSTR) {
                args.push_back(standin::Escape(BstrText(v.bstrVal)));
            } else if (v.vt == VT_I4) {
                args.push_back(std::to_wstring(v.lVal));
            } else {
                args.push_back(L"(vt " + std::to_wstring(v.vt) + L")");
                check = DISP_E_TYPEMISMATCH;
                if (argError) *argError = count - 1 - i;
            }
        }
        std::wstring line = std::to_wstring(id);
        for (size_t i = 0; i < args.size(); ++i) line += (i ? L" | " : L" ") + args[i];
        standin::Record(standin::kBestGuessLogVar, name_, line);

        const std::vector<std::wstring> script = Script();
        std::wstring number;
        if (DispidLine(script, L"slow", id, &number)) WaitOrGo(std::wcstoul(number.c_str(), nullptr, 10));
        if (DispidLine(script, L"fail", id, &number)) return static_cast<HRESULT>(std::wcstoul(number.c_str(), nullptr, 16));
        if (FAILED(check)) return check;
        return Answer(id, flags, params, count, result, script);
    }

private:
    ~BestGuess() override { standin::Record(standin::kBestGuessLogVar, name_, L"Destroyed"); }

    static HRESULT Expect(UINT count, UINT expected, const DISPPARAMS* params, VARTYPE vt) {
        if (count != expected) return DISP_E_BADPARAMCOUNT;
        for (UINT i = 0; i < count; ++i)
            if (params->rgvarg[i].vt != vt) return DISP_E_TYPEMISMATCH;
        return S_OK;
    }

    static HRESULT Text(VARIANT* result, const std::wstring& text) {
        if (!result) return S_OK;
        result->vt = VT_BSTR;
        result->bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return S_OK;
    }

    static std::vector<std::vector<std::wstring>> Rows(const std::vector<std::wstring>& script) {
        std::vector<std::vector<std::wstring>> rows;
        for (const std::wstring& line : script) {
            std::wstring key, rest;
            if (SplitKey(line, key, rest) && key == L"row") rows.push_back(Split(rest, L'|'));
        }
        return rows;
    }

    HRESULT Answer(DISPID id, WORD flags, DISPPARAMS* params, UINT count, VARIANT* result,
                   const std::vector<std::wstring>& script) {
        std::wstring value;
        switch (id) {
            case 4: case 16: case 18:
                return Expect(count, 1, params, VT_BSTR | VT_BYREF);
            case 14:
                return Expect(count, 1, params, VT_BSTR);
            case 5:
                return Expect(count, 3, params, VT_BSTR | VT_BYREF);
            case 6: {
                if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
                FX_RETURN_IF_FAILED(Expect(count, 0, params, VT_EMPTY));
                long n = static_cast<long>(Rows(script).size());
                if (ScriptValue(script, L"count", &value)) n = std::wcstol(value.c_str(), nullptr, 10);
                if (result) {
                    result->vt = VT_I4;
                    result->lVal = n;
                }
                return S_OK;
            }
            case 13:
                FX_RETURN_IF_FAILED(Expect(count, 1, params, VT_I4));
                return Text(result, ScriptValue(script, L"title", &value) ? value : L"Guesses");
            case 17:
                FX_RETURN_IF_FAILED(Expect(count, 0, params, VT_EMPTY));
                return Text(result, ScriptValue(script, L"extra", &value) ? value : L"extra");
            case 7: case 8: case 9: case 10: case 11: case 12: case 15: case 19: {
                FX_RETURN_IF_FAILED(Expect(count, 1, params, VT_I4));
                // The row line's fields in order: 11, 9, 12, 10, 7, 8, 15, 19.
                static const DISPID kFields[] = {11, 9, 12, 10, 7, 8, 15, 19};
                const long row = params->rgvarg[0].lVal;
                const auto rows = Rows(script);
                size_t field = 0;
                while (kFields[field] != id) ++field;
                if (row >= 0 && static_cast<size_t>(row) < rows.size() && field < rows[row].size())
                    return Text(result, rows[row][field]);
                return Text(result, std::to_wstring(id) + L":" + std::to_wstring(row));
            }
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }

    std::wstring name_;
};

HRESULT CreateBestGuess(REFIID iid, void** out) {
    const std::vector<std::wstring> script = Script();
    std::wstring value;
    if (ScriptValue(script, L"nocreate", &value)) {
        if (out) *out = nullptr;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    if (ScriptValue(script, L"slowcreate", &value)) WaitOrGo(std::wcstoul(value.c_str(), nullptr, 10));
    return fx::CreateObject<BestGuess>(iid, out);
}

const fx::ComClass kClasses[] = {
    {&standin::kBestGuessClsid, L"Pondrel Best Guess Stand-in", L"PondrelBestGuess.BestGuess.1",
     standin::kBestGuessProgId, &CreateBestGuess},
};
const fx::ComServer kServer = {nullptr, nullptr, nullptr, nullptr, kClasses, ARRAYSIZE(kClasses)};

}  // namespace

FX_INPROC_SERVER_EXPORTS(kServer, nullptr)
