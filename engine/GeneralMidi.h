// The General MIDI names the instrument offers hosts for its MIDI channels:
// the Level 1 sound set with its categories, and one drum kit on the drum
// channel. The fillers write the host's records; every text they write is
// bounded by the record's field and terminated.
#pragma once

#include <cstdint>

#include "plugin/VstAbi.h"

namespace tarn {

constexpr int32_t kNumGmPrograms = 128;
constexpr int32_t kNumGmCategories = 17;
// MIDI channel 10, counted from 0.
constexpr VstInt32 kGmDrumChannel = 9;
// What getMidiProgramName answers: the number of programs on the channel.
constexpr VstInt32 kGmDrumProgramCount = 1;
constexpr VstInt32 kGmMelodicProgramCount = kNumGmPrograms;
// What getMidiProgramCategory answers: the number of categories on the channel.
constexpr VstInt32 kGmDrumCategoryCount = 1;
constexpr VstInt32 kGmMelodicCategoryCount = kNumGmCategories;

constexpr const char* kGmDrumKitName = "Standard";
constexpr const char* kGmDrumCategoryName = "Drums";

extern const char* const kGmInstrumentNames[kNumGmPrograms];
extern const char* const kGmCategoryNames[kNumGmCategories];
// Category i holds the programs first[i] <= p < first[i + 1]; the closing 0
// leaves the last category ("DrumSets") without programs.
extern const int16_t kGmCategoryFirstProgram[kNumGmCategories + 1];

// Name tables with an empty text for an index out of range, never null.
const char* gmInstrumentName(int32_t program);
const char* gmCategoryName(int32_t category);

// The category holding program, or -1 when none does.
int32_t gmCategoryOf(int32_t program);

// getMidiProgramName: fills the record for its thisProgramIndex and answers
// the channel's program count, or answers 0 and leaves the record alone when
// that index is above 127 (negative ones included).
VstInt32 fillMidiProgramName(VstInt32 channel, MidiProgramName& record);

// Fills every field of the record for program on channel, thisProgramIndex
// included. A program outside 0..127 on a melodic channel gets an empty name
// and no category.
void fillMidiProgramRecord(VstInt32 channel, VstInt32 program, MidiProgramName& record);

// getMidiProgramCategory: names the record's thisCategoryIndex (empty text
// when out of range) and answers the channel's category count.
VstInt32 fillMidiProgramCategory(VstInt32 channel, MidiProgramCategory& record);

// getMidiKeyName: no key names are offered, not even for the drum kit.
void clearMidiKeyName(MidiKeyName& record);

}  // namespace tarn
