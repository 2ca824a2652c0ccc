#include "Handle.h"

namespace fx {

MutexLock::MutexLock(HANDLE mutex, DWORD timeoutMs) : mutex_(mutex) {
    if (!mutex_) return;
    DWORD r = ::WaitForSingleObject(mutex_, timeoutMs);
    acquired_ = (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED);
    abandoned_ = (r == WAIT_ABANDONED);
}

MutexLock::~MutexLock() { unlock(); }

void MutexLock::unlock() {
    if (acquired_) {
        ::ReleaseMutex(mutex_);
        acquired_ = false;
    }
}

}  // namespace fx
