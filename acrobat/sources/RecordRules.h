// The rules over what the Acrobat record holds: every count and text in it
// may have been left by another host process (or a broken one), so each is
// judged here before anything is indexed or copied with it.  Plain code over
// the record's layout, built natively as well and tested in tables.
#pragma once

#include <cstdint>
#include <string>

#include "RecordLayout.h"

// Copies text into a slot of 256 units: at most 255 units and a terminator.
void CopyRecordText(RecordUnit (&slot)[AcrobatRecordLayout::kTextUnits], const RecordUnit* text);
// Reads a slot written by any process: up to the first 0 unit, at most 255 units.
std::basic_string<RecordUnit> ReadRecordText(const RecordUnit (&slot)[AcrobatRecordLayout::kTextUnits]);

// The attach count after this process attaches (step 1) or detaches (-1),
// held within the int32 range and never below 0, whatever the block held.
int32_t NextAttachCount(int32_t count, int32_t step);

// The slot a new entry goes to for the entry count the record holds: the
// count itself, or -1 when it is outside the text slots (the entry is
// refused).
int EntrySlot(int32_t count);

// The entries a reader may take for the entry count the record holds: the
// count within 0 and the text slots; *outOfRange tells a count that was not.
int ReadableEntryCount(int32_t count, bool* outOfRange);
