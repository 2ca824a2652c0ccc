// The Acrobat record as another host process (or a broken one) may leave it,
// read and written by the plug-in's rules, and the host's data the capture
// turns into the record's values.  No sanitizer report (the record is a heap
// block of its exact size), and
//   - the attach count stays within 0 and the int32 range, and an attach
//     then a detach gives back a count that was in range;
//   - a new entry goes to a text slot or is refused; a reader takes at most
//     the slots, and every text read ends within its slot (255 units);
//   - the selection text reported holds at most 255 characters, a clipped
//     rectangle lies inside its clip or is empty, a title stops at its first
//     0 and is never longer than its bytes.
//
// The input: the device rectangle, the view rectangle and the page's device
// origin (ten little-endian int32), the record's bytes (18520; missing ones
// are 0), then the title's bytes.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "CaptureMath.h"
#include "RecordRules.h"
#include "tests/support/FuzzInput.h"

using namespace AcrobatRecordLayout;

namespace {

int32_t Int(const uint8_t* data, size_t size, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v |= static_cast<uint32_t>(at + i < size ? data[at + i] : 0) << (8 * i);
    return static_cast<int32_t>(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t geometry = 40;
    const acrohost::DeviceRect device{Int(data, size, 0), Int(data, size, 4), Int(data, size, 8), Int(data, size, 12)};
    AcroRect view{Int(data, size, 16), Int(data, size, 20), Int(data, size, 24), Int(data, size, 28)};
    const acrohost::DevicePoint origin{Int(data, size, 32), Int(data, size, 36)};

    std::unique_ptr<uint8_t[]> bytes(new uint8_t[sizeof(AcrobatRecord)]());
    if (size > geometry) std::memcpy(bytes.get(), data + geometry, std::min(size - geometry, sizeof(AcrobatRecord)));
    AcrobatRecord& record = *reinterpret_cast<AcrobatRecord*>(bytes.get());

    // Attaching and detaching.
    const int32_t found = record.attachCount;
    const int32_t attached = NextAttachCount(found, 1);
    FUZZ_CHECK(attached >= 0);
    const int32_t detached = NextAttachCount(attached, -1);
    if (found >= 0 && found < INT32_MAX) FUZZ_CHECK(detached == found);
    FUZZ_CHECK(detached >= 0);

    // Reading every entry a reader may take, then the title.
    bool outOfRange = false;
    const int readable = ReadableEntryCount(record.entryCount, &outOfRange);
    FUZZ_CHECK(readable >= 0 && readable <= kTextSlots);
    FUZZ_CHECK(outOfRange == (record.entryCount < 0 || record.entryCount > kTextSlots));
    for (int i = 0; i < readable; ++i) {
        FUZZ_CHECK(ReadRecordText(record.entryTexts[i]).size() <= static_cast<size_t>(kTextUnits - 1));
        (void)record.entryRects[i];
    }
    FUZZ_CHECK(ReadRecordText(record.title).size() <= static_cast<size_t>(kTextUnits - 1));

    // The capture: the host's data into the record's values.
    const unsigned char* title =
        size > geometry + sizeof(AcrobatRecord) ? data + geometry + sizeof(AcrobatRecord) : nullptr;
    const int32_t titleLength =
        title ? static_cast<int32_t>(std::min<size_t>(size - geometry - sizeof(AcrobatRecord), kTitleBytes)) : 0;
    const std::wstring decoded = DecodeTitle(title, titleLength);
    FUZZ_CHECK(decoded.size() <= static_cast<size_t>(titleLength));
    for (wchar_t c : decoded) FUZZ_CHECK(c != 0);

    std::wstring text;
    AppendWidened(text, reinterpret_cast<const char*>(title), titleLength);
    AppendWidened(text, reinterpret_cast<const char*>(data), static_cast<int32_t>(size));
    FUZZ_CHECK(text.size() <= static_cast<size_t>(kSelectionBufferChars));
    std::wstring reported = ReportedSelection(text);
    FUZZ_CHECK(reported.size() <= static_cast<size_t>(kSelectionMaxChars));

    AcroRect visible = Clip(DeviceToScreen(device, view, origin), view);
    if (!IsEmpty(visible))
        FUZZ_CHECK(visible.left >= view.left && visible.right <= view.right && visible.top >= view.top &&
                   visible.bottom <= view.bottom);
    ClearEmptySelection(visible, view, reported);
    (void)FocusedPageView(Int(data, size, 0), Int(data, size, 4), Int(data, size, 8));

    // The plug-in's next entry, written as it writes it.
    const int slot = EntrySlot(record.entryCount);
    FUZZ_CHECK(slot >= -1 && slot < kTextSlots);
    if (slot >= 0) {
        const std::basic_string<RecordUnit> units(reported.begin(), reported.end());
        CopyRecordText(record.entryTexts[slot], units.c_str());
        record.entryRects[slot] = visible;
        record.entryCount = slot + 1;
        // The slot holds the text up to its first 0, at most 255 units.
        FUZZ_CHECK(ReadRecordText(record.entryTexts[slot]) ==
                   units.substr(0, std::min<size_t>(units.find(RecordUnit(0)), kTextUnits - 1)));
    }
    std::basic_string<RecordUnit> units(decoded.begin(), decoded.end());
    CopyRecordText(record.title, units.c_str());
    return 0;
}
