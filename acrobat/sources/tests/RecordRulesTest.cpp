// The rules over what the Acrobat record holds, whoever left it there.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "RecordRules.h"

using namespace AcrobatRecordLayout;

namespace {

using Text = std::basic_string<RecordUnit>;

Text Units(const char* s) { return Text(s, s + std::char_traits<char>::length(s)); }

TEST(RecordRules, TextsStayInsideTheirSlot) {
    RecordUnit slot[kTextUnits];
    const Text longer(300, RecordUnit('a'));
    CopyRecordText(slot, longer.c_str());
    EXPECT_EQ(Text(255, RecordUnit('a')), ReadRecordText(slot));
    EXPECT_EQ(RecordUnit(0), slot[255]);
    CopyRecordText(slot, nullptr);
    EXPECT_EQ(Text(), ReadRecordText(slot));
    const Text hello = Units("hello");
    CopyRecordText(slot, hello.c_str());
    EXPECT_EQ(hello, ReadRecordText(slot));
    // A slot another process left without terminator reads 255 units.
    for (RecordUnit& u : slot) u = RecordUnit('z');
    EXPECT_EQ(Text(255, RecordUnit('z')), ReadRecordText(slot));
}

TEST(RecordRules, CountsFromTheBlockAreHeldInRange) {
    struct Row {
        int32_t count;
        int32_t attached, detached;  // after this process attaches, detaches
        int slot;                    // where a new entry goes (-1 refused)
        int readable;
        bool outOfRange;
    } rows[] = {
        {0, 1, 0, 0, 0, false},
        {1, 2, 0, 1, 1, false},
        {31, 32, 30, 31, 31, false},
        {32, 33, 31, -1, 32, false},
        {33, 34, 32, -1, 32, true},
        {-1, 0, 0, -1, 0, true},
        {INT32_MAX, INT32_MAX, INT32_MAX - 1, -1, 32, true},
        {INT32_MIN, 0, 0, -1, 0, true},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.attached, NextAttachCount(r.count, 1)) << r.count;
        EXPECT_EQ(r.detached, NextAttachCount(r.count, -1)) << r.count;
        EXPECT_EQ(r.slot, EntrySlot(r.count)) << r.count;
        bool outOfRange = !r.outOfRange;
        EXPECT_EQ(r.readable, ReadableEntryCount(r.count, &outOfRange)) << r.count;
        EXPECT_EQ(r.outOfRange, outOfRange) << r.count;
    }
}

}  // namespace
