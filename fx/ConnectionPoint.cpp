#include "fx/ConnectionPoint.h"

#include <olectl.h>

#include <new>

#include "fx/ComBoundary.h"
#include "fx/ComInterface.h"
#include "fx/ComModule.h"

namespace fx {
namespace {

// Enumerates the one connection point of a container.
class OnePointEnum : public IEnumConnectionPoints, private ModuleObject {
public:
    OnePointEnum(IConnectionPoint* point, ULONG position) : point_(point), position_(position) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        return ComBoundary(L"IUnknown::QueryInterface", kComFailed, [&] {
            return QueryInterfaceFor<IEnumConnectionPoints>(this, iid, out);
        }, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefObject(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseObject(); }

    STDMETHODIMP Next(ULONG count, IConnectionPoint** out, ULONG* fetched) override {
        return ComBoundary(L"IEnumConnectionPoints::Next", kComFailed, [&] {
            if (!out || (count > 1 && !fetched)) return E_POINTER;
            ULONG n = 0;
            if (count > 0 && position_ == 0) {
                out[0] = point_.get();
                out[0]->AddRef();
                position_ = 1;
                n = 1;
            }
            if (fetched) *fetched = n;
            return n == count ? S_OK : S_FALSE;
        });
    }
    STDMETHODIMP Skip(ULONG count) override {
        return ComBoundary(L"IEnumConnectionPoints::Skip", kComFailed, [&] {
            if (count == 0) return S_OK;
            bool had = position_ == 0;
            position_ = 1;
            return had && count == 1 ? S_OK : S_FALSE;
        });
    }
    STDMETHODIMP Reset() override {
        return ComBoundary(L"IEnumConnectionPoints::Reset", kComFailed, [&] {
            position_ = 0;
            return S_OK;
        });
    }
    STDMETHODIMP Clone(IEnumConnectionPoints** out) override {
        return ComBoundary(L"IEnumConnectionPoints::Clone", kComFailed, [&] {
            if (!out) return E_POINTER;
            OnePointEnum* copy = new (std::nothrow) OnePointEnum(point_.get(), position_);
            *out = copy;
            if (!copy) return E_OUTOFMEMORY;
            copy->AddRef();
            return S_OK;
        }, out);
    }

private:
    ComPtr<IConnectionPoint> point_;
    ULONG position_;
};

}  // namespace

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** out) {
    return ComBoundary(L"IUnknown::QueryInterface", kComFailed, [&] {
        return QueryInterfaceFor<IConnectionPoint>(this, iid, out);
    }, out);
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
    return ComBoundary(L"IConnectionPoint::GetConnectionInterface", kComFailed, [&] {
        if (!iid) return E_POINTER;
        *iid = iid_;
        return S_OK;
    });
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
    return ComBoundary(L"IConnectionPoint::GetConnectionPointContainer", kComFailed, [&] {
        if (!out) return E_POINTER;
        *out = owner_;
        owner_->AddRef();
        return S_OK;
    });
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    return ComBoundary(L"IConnectionPoint::Advise", kComFailed, [&] {
        if (!cookie) return E_POINTER;
        *cookie = 0;
        if (!sink) return E_POINTER;
        ComPtr<IUnknown> events;
        if (FAILED(sink->QueryInterface(iid_, events.put_void()))) return CONNECT_E_CANNOTCONNECT;
        *cookie = nextCookie_++;
        sinks_.emplace_back(*cookie, std::move(events));
        return S_OK;
    }, cookie);
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
    return ComBoundary(L"IConnectionPoint::Unadvise", kComFailed, [&] {
        for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
            if (it->first != cookie) continue;
            ComPtr<IUnknown> sink = std::move(it->second);
            sinks_.erase(it);
            return S_OK;
        }
        return CONNECT_E_NOCONNECTION;
    });
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** out) {
    return ComBoundary(L"IConnectionPoint::EnumConnections", kComFailed, [&] {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }, out);
}

STDMETHODIMP SingleConnectionPointContainer::EnumConnectionPoints(IEnumConnectionPoints** out) {
    return ComBoundary(L"IConnectionPointContainer::EnumConnectionPoints", kComFailed, [&] {
        if (!out) return E_POINTER;
        OnePointEnum* e = new (std::nothrow) OnePointEnum(&point_, 0);
        *out = e;
        if (!e) return E_OUTOFMEMORY;
        e->AddRef();
        return S_OK;
    }, out);
}

STDMETHODIMP SingleConnectionPointContainer::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
    return ComBoundary(L"IConnectionPointContainer::FindConnectionPoint", kComFailed, [&] {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, point_.iid())) return CONNECT_E_NOCONNECTION;
        *out = &point_;
        point_.AddRef();
        return S_OK;
    }, out);
}

}  // namespace fx
