#include "RecordRules.h"

using namespace AcrobatRecordLayout;

void CopyRecordText(RecordUnit (&slot)[kTextUnits], const RecordUnit* text) {
    int n = 0;
    if (text)
        for (; n < kTextUnits - 1 && text[n]; ++n) slot[n] = text[n];
    slot[n] = 0;
}

std::basic_string<RecordUnit> ReadRecordText(const RecordUnit (&slot)[kTextUnits]) {
    int n = 0;
    while (n < kTextUnits - 1 && slot[n]) ++n;
    return std::basic_string<RecordUnit>(slot, static_cast<size_t>(n));
}

int32_t NextAttachCount(int32_t count, int32_t step) {
    const int64_t next = static_cast<int64_t>(count) + step;
    if (next < 0) return 0;
    if (next > INT32_MAX) return INT32_MAX;
    return static_cast<int32_t>(next);
}

int EntrySlot(int32_t count) { return count >= 0 && count < kTextSlots ? count : -1; }

int ReadableEntryCount(int32_t count, bool* outOfRange) {
    const bool out = count < 0 || count > kTextSlots;
    if (outOfRange) *outOfRange = out;
    if (count < 0) return 0;
    return count > kTextSlots ? kTextSlots : count;
}
