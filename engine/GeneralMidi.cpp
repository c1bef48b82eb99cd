#include "engine/GeneralMidi.h"

#include <cstddef>
#include <cstdio>

namespace tarn {

const char* const kGmInstrumentNames[kNumGmPrograms] = {
    "Acoustic Grand Piano", "Bright Acoustic Piano", "Electric Grand Piano", "Honky-tonk Piano",
    "Electric Piano 1", "Electric Piano 2", "Harpsichord", "Clavi",
    "Celesta", "Glockenspiel", "Music Box", "Vibraphone",
    "Marimba", "Xylophone", "Tubular Bells", "Dulcimer",
    "Drawbar Organ", "Percussive Organ", "Rock Organ", "Church Organ",
    "Reed Organ", "Accordion", "Harmonica", "Tango Accordion",
    "Acoustic Guitar (nylon)", "Acoustic Guitar (steel)",
    "Electric Guitar (jazz)", "Electric Guitar (clean)",
    "Electric Guitar (muted)", "Overdriven Guitar", "Distortion Guitar", "Guitar harmonics",
    "Acoustic Bass", "Electric Bass (finger)", "Electric Bass (pick)", "Fretless Bass",
    "Slap Bass 1", "Slap Bass 2", "Synth Bass 1", "Synth Bass 2",
    "Violin", "Viola", "Cello", "Contrabass",
    "Tremolo Strings", "Pizzicato Strings", "Orchestral Harp", "Timpani",
    "String Ensemble 1", "String Ensemble 2", "SynthStrings 1", "SynthStrings 2",
    "Choir Aahs", "Voice Oohs", "Synth Voice", "Orchestra Hit",
    "Trumpet", "Trombone", "Tuba", "Muted Trumpet",
    "French Horn", "Brass Section", "SynthBrass 1", "SynthBrass 2",
    "Soprano Sax", "Alto Sax", "Tenor Sax", "Baritone Sax",
    "Oboe", "English Horn", "Bassoon", "Clarinet",
    "Piccolo", "Flute", "Recorder", "Pan Flute",
    "Blown Bottle", "Shakuhachi", "Whistle", "Ocarina",
    "Lead 1 (square)", "Lead 2 (sawtooth)", "Lead 3 (calliope)", "Lead 4 (chiff)",
    "Lead 5 (charang)", "Lead 6 (voice)", "Lead 7 (fifths)", "Lead 8 (bass + lead)",
    "Pad 1 (new age)", "Pad 2 (warm)", "Pad 3 (polysynth)", "Pad 4 (choir)",
    "Pad 5 (bowed)", "Pad 6 (metallic)", "Pad 7 (halo)", "Pad 8 (sweep)",
    "FX 1 (rain)", "FX 2 (soundtrack)", "FX 3 (crystal)", "FX 4 (atmosphere)",
    "FX 5 (brightness)", "FX 6 (goblins)", "FX 7 (echoes)", "FX 8 (sci-fi)",
    "Sitar", "Banjo", "Shamisen", "Koto",
    "Kalimba", "Bag pipe", "Fiddle", "Shanai",
    "Tinkle Bell", "Agogo", "Steel Drums", "Woodblock",
    "Taiko Drum", "Melodic Tom", "Synth Drum", "Reverse Cymbal",
    "Guitar Fret Noise", "Breath Noise", "Seashore", "Bird Tweet",
    "Telephone Ring", "Helicopter", "Applause", "Gunshot",
};

const char* const kGmCategoryNames[kNumGmCategories] = {
    "Piano", "Percussion", "Organ", "Guitar", "Bass", "Strings", "Ensemble", "Brass", "Reed", "Pipe",
    "Synth Lead", "SynthPad", "Synth Effects", "Ethnic", "Percussive", "Effects", "DrumSets",
};

const int16_t kGmCategoryFirstProgram[kNumGmCategories + 1] = {
    0, 7, 16, 24, 32, 40, 48, 56, 64, 72, 80, 88, 96, 104, 112, 120, 128, 0,
};

namespace {

bool inTable(int32_t i, int32_t size) { return static_cast<uint32_t>(i) < static_cast<uint32_t>(size); }

template <std::size_t N>
void copyText(char (&field)[N], const char* text) {
    std::snprintf(field, N, "%s", text);
}

}  // namespace

const char* gmInstrumentName(int32_t program) {
    return inTable(program, kNumGmPrograms) ? kGmInstrumentNames[program] : "";
}

const char* gmCategoryName(int32_t category) {
    return inTable(category, kNumGmCategories) ? kGmCategoryNames[category] : "";
}

int32_t gmCategoryOf(int32_t program) {
    for (int32_t i = 0; i < kNumGmCategories; ++i) {
        if (kGmCategoryFirstProgram[i] <= program && program < kGmCategoryFirstProgram[i + 1]) return i;
    }
    return -1;
}

VstInt32 fillMidiProgramName(VstInt32 channel, MidiProgramName& record) {
    const VstInt32 program = record.thisProgramIndex;
    if (!inTable(program, kNumGmPrograms)) return 0;
    fillMidiProgramRecord(channel, program, record);
    return channel == kGmDrumChannel ? kGmDrumProgramCount : kGmMelodicProgramCount;
}

void fillMidiProgramRecord(VstInt32 channel, VstInt32 program, MidiProgramName& record) {
    record.thisProgramIndex = program;
    record.midiBankMsb = -1;
    record.midiBankLsb = -1;
    record.reserved = 0;
    record.flags = 0;
    if (channel == kGmDrumChannel) {
        copyText(record.name, kGmDrumKitName);
        record.midiProgram = 0;
        record.parentCategoryIndex = 0;
    } else {
        copyText(record.name, gmInstrumentName(program));
        // A MIDI program byte holds 0..127 only; anything else has no place.
        record.midiProgram = static_cast<char>(inTable(program, kNumGmPrograms) ? program : 0);
        record.parentCategoryIndex = gmCategoryOf(program);
    }
}

VstInt32 fillMidiProgramCategory(VstInt32 channel, MidiProgramCategory& record) {
    record.parentCategoryIndex = -1;
    record.flags = 0;
    if (channel == kGmDrumChannel) {
        copyText(record.name, kGmDrumCategoryName);
        return kGmDrumCategoryCount;
    }
    copyText(record.name, gmCategoryName(record.thisCategoryIndex));
    return kGmMelodicCategoryCount;
}

void clearMidiKeyName(MidiKeyName& record) {
    record.keyName[0] = '\0';
    record.reserved = 0;
    record.flags = 0;
}

}  // namespace tarn
