// Keeps the controller's enhancer list and its nodes still while a call into
// an enhancer is in progress.  An enhancer's call may pump messages, so a
// settings reload (11134), a rescan (11139, raw input) or the raw-input poll
// can arrive while the list is being walked.  Such a request is remembered
// and handed back once the outermost call has returned; none is lost, and
// each kind runs once however often it arrived.
#pragma once

namespace enhancer_gate {

// What may wait for the calls to end.
enum Work : unsigned {
    kReload = 0x1,         // the settings reload (unloads and reloads every enhancer)
    kPoll = 0x2,           // the raw-input handler's poll and collection
    kRescan = 0x4,         // re-collection from the last results
    kRescanWithTick = 0x8  // re-collection, then a whole tick
};

class Gate {
public:
    // A call into the enhancers begins / ends (calls nest).
    void Begin() { ++depth_; }
    void End() {
        if (depth_ > 0) --depth_;
    }
    bool Busy() const { return depth_ > 0; }

    // Remembers work while a call is in progress; false (nothing remembered)
    // when none is, so the caller runs it at once.
    bool Defer(Work work) {
        if (!Busy()) return false;
        pending_ |= work;
        return true;
    }
    // What waits, cleared, once no call is in progress (0 while one is).
    unsigned Take() {
        if (Busy()) return 0;
        unsigned work = pending_;
        pending_ = 0;
        return work;
    }
    unsigned Pending() const { return pending_; }

    // Begin .. End for a scope; an exception out of the call ends it too.
    class Call {
    public:
        explicit Call(Gate& gate) : gate_(gate) { gate_.Begin(); }
        ~Call() { gate_.End(); }
        Call(const Call&) = delete;
        Call& operator=(const Call&) = delete;

    private:
        Gate& gate_;
    };

private:
    int depth_ = 0;
    unsigned pending_ = 0;
};

}  // namespace enhancer_gate
