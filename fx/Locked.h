// A value that several threads share, kept together with the lock that guards
// it: fx::Locked<T> holds the value and its critical section, and the value is
// reached only through a lock-taking accessor.
//
//   fx::Locked<Query> query;
//   {
//       auto q = query.Lock();     // the lock is held while q lives
//       q->text = L"...";
//   }
//   Query copy = query.Copy();     // a copy taken under the lock
//   query.With([&](Query& q) { q.count = 0; });
//
// Holders copy a few fields and release; a view never outlives its Locked.
// The lock is re-entrant for its owning thread (a thread may take it again
// while it holds it).
//
// Lock order: a Locked made with fx::TakenAfter(first) is the second of a
// pair whose first is taken before it when a thread holds both; one made
// with fx::TakenBefore(second) is the first of such a pair (several firsts
// may come before one second, which must outlive them).  Asking for the
// first while this thread holds the second is logged as a fault (the lock is
// still taken: the log names the place to mend).
//
// The lock type is a parameter so that the logic builds and is tested outside
// Windows too; the program uses fx::CriticalSection.
#pragma once

#include <atomic>
#include <optional>
#include <type_traits>
#include <utility>

#ifdef _WIN32
#include "fx/Lock.h"
#endif

namespace fx {

class CriticalSection;
// The fault log (fx/Fault.h).
void LogFault(const wchar_t* format, ...);

template <class T, class L>
class Locked;

// A held lock and the value it guards.  Made only by Locked; the lock is
// released when the view goes.
template <class T, class L>
class Held {
public:
    Held(Held&& other) noexcept : value_(other.value_), owner_(other.owner_) { other.owner_ = nullptr; }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    Held& operator=(Held&&) = delete;
    ~Held() {
        if (owner_) owner_->Release();
    }

    T* operator->() const noexcept { return value_; }
    T& operator*() const noexcept { return *value_; }

private:
    template <class, class>
    friend class Locked;
    using Owner = Locked<std::remove_const_t<T>, L>;
    Held(T& value, const Owner& owner) : value_(&value), owner_(&owner) {}

    T* value_;
    const Owner* owner_;
};

namespace locked_detail {
// A key for the calling thread: the address of a thread-local object.
inline const void* ThisThread() noexcept {
    thread_local char key;
    return &key;
}
}  // namespace locked_detail

// The other one of a pair: see "Lock order" above.
template <class T, class L>
struct TakenAfterTag {
    Locked<T, L>& first;
};
template <class T, class L>
TakenAfterTag<T, L> TakenAfter(Locked<T, L>& first) {
    return TakenAfterTag<T, L>{first};
}
template <class T, class L>
struct TakenBeforeTag {
    Locked<T, L>& second;
};
template <class T, class L>
TakenBeforeTag<T, L> TakenBefore(Locked<T, L>& second) {
    return TakenBeforeTag<T, L>{second};
}

template <class T, class L = CriticalSection>
class Locked {
public:
    template <class... A>
    explicit Locked(A&&... args) : value_(std::forward<A>(args)...) {}
    // The second of a pair whose first is `after.first`.
    template <class U, class... A>
    explicit Locked(TakenAfterTag<U, L> after, A&&... args) : value_(std::forward<A>(args)...) {
        after.first.SetSecond(this, &Locked::HeldByThisThreadOf);
        first_ = &after.first;
        forgetSecond_ = [](void* first) { static_cast<Locked<U, L>*>(first)->SetSecond(nullptr, nullptr); };
    }
    // The first of a pair whose second is `before.second`.
    template <class U, class... A>
    explicit Locked(TakenBeforeTag<U, L> before, A&&... args) : value_(std::forward<A>(args)...) {
        SetSecond(&before.second, &Locked<U, L>::HeldByThisThreadOf);
    }
    ~Locked() {
        if (first_) forgetSecond_(first_);
    }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

    // Takes the lock; the value is reachable through the view while it lives.
    Held<T, L> Lock() {
        Acquire();
        return Held<T, L>(value_, *this);
    }
    Held<const T, L> Lock() const {
        Acquire();
        return Held<const T, L>(value_, *this);
    }
    // Takes the lock only when no other thread holds it.
    std::optional<Held<T, L>> TryLock() {
        if (!lock_.TryLock()) return std::nullopt;
        Entered();
        return Held<T, L>(value_, *this);
    }
    // Runs f on the value under the lock and returns what f returns.
    template <class F>
    decltype(auto) With(F&& f) {
        Held<T, L> held = Lock();
        return std::forward<F>(f)(*held);
    }
    template <class F>
    decltype(auto) With(F&& f) const {
        Held<const T, L> held = Lock();
        return std::forward<F>(f)(*held);
    }
    // A copy of the value, taken under the lock.
    T Copy() const { return *Lock(); }

    // Whether the calling thread holds the lock now.
    bool HeldByThisThread() const noexcept { return owner_.load(std::memory_order_relaxed) == locked_detail::ThisThread(); }

private:
    template <class, class>
    friend class Held;
    template <class, class>
    friend class Locked;

    void Acquire() const {
        // Taking the first again while holding both is a re-entry, in order.
        if (second_ && secondHeld_(second_) && !HeldByThisThread())
            LogFault(L"Lock order: a lock taken while this thread holds the one that comes after it");
        lock_.Lock();
        Entered();
    }
    void Entered() const {
        if (depth_++ == 0) owner_.store(locked_detail::ThisThread(), std::memory_order_relaxed);
    }
    void Release() const {
        if (--depth_ == 0) owner_.store(nullptr, std::memory_order_relaxed);
        lock_.Unlock();
    }
    static bool HeldByThisThreadOf(const void* self) { return static_cast<const Locked*>(self)->HeldByThisThread(); }
    void SetSecond(const void* second, bool (*held)(const void*)) {
        second_ = second;
        secondHeld_ = held;
    }

    mutable L lock_;
    T value_;
    mutable std::atomic<const void*> owner_{nullptr};  // the holding thread's key
    mutable int depth_ = 0;                              // the holder's nesting (under the lock)
    const void* second_ = nullptr;                       // the Locked that comes after this one
    bool (*secondHeld_)(const void*) = nullptr;
    void* first_ = nullptr;                              // the one this comes after (TakenAfter)
    void (*forgetSecond_)(void*) = nullptr;
};

}  // namespace fx
