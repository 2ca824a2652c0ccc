// A value one thread publishes and any thread reads: a reader takes the
// current snapshot (an immutable value behind a shared pointer, valid for as
// long as the reader holds it) and the writer replaces the whole snapshot
// under one short lock.  No reader ever sees a value half written or two
// fields from two publications, and an old snapshot is freed by whoever lets
// go of it last, outside the lock.
#pragma once

#include <memory>
#include <utility>

#include "fx/Lock.h"

namespace fx {

template <class T>
class Published {
public:
    Published() : value_(std::make_shared<const T>()) {}
    explicit Published(T initial) : value_(std::make_shared<const T>(std::move(initial))) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    // The current snapshot (never null).
    std::shared_ptr<const T> Get() const {
        ScopedLock hold(lock_);
        return value_;
    }
    // Replaces the snapshot; readers holding the old one keep it unchanged.
    void Publish(T next) {
        std::shared_ptr<const T> fresh = std::make_shared<const T>(std::move(next));
        {
            ScopedLock hold(lock_);
            value_.swap(fresh);
        }
        // fresh now holds the old snapshot: released here, outside the lock.
    }

private:
    mutable CriticalSection lock_;
    std::shared_ptr<const T> value_;
};

}  // namespace fx
