#include <gtest/gtest.h>

#include <cstring>

#include "engine/GeneralMidi.h"

namespace tarn {
namespace {

TEST(TablesGm, NamesAndCategories) {
    EXPECT_STREQ(kGmInstrumentNames[0], "Acoustic Grand Piano");
    EXPECT_STREQ(kGmInstrumentNames[7], "Clavi");
    EXPECT_STREQ(kGmInstrumentNames[24], "Acoustic Guitar (nylon)");
    EXPECT_STREQ(kGmInstrumentNames[127], "Gunshot");
    for (int p = 0; p < kNumGmPrograms; ++p) {
        const size_t length = std::strlen(kGmInstrumentNames[p]);
        EXPECT_TRUE(length > 0 && length < sizeof(MidiProgramName::name)) << p;
        const int32_t c = gmCategoryOf(p);
        EXPECT_TRUE(c >= 0 && c < 16) << p;  // nothing falls in "DrumSets"
    }
    EXPECT_STREQ(gmInstrumentName(128), "");
    EXPECT_STREQ(gmCategoryName(16), "DrumSets");
    EXPECT_STREQ(gmCategoryName(-1), "");

    EXPECT_EQ(gmCategoryOf(0), 0);
    EXPECT_EQ(gmCategoryOf(6), 0);
    EXPECT_EQ(gmCategoryOf(7), 1);  // counted with the percussion
    EXPECT_EQ(gmCategoryOf(15), 1);
    EXPECT_EQ(gmCategoryOf(16), 2);
    EXPECT_EQ(gmCategoryOf(119), 14);
    EXPECT_EQ(gmCategoryOf(120), 15);
    EXPECT_EQ(gmCategoryOf(127), 15);
    EXPECT_EQ(gmCategoryOf(128), -1);
    EXPECT_EQ(gmCategoryOf(-1), -1);
}

MidiProgramName filledProgram(VstInt32 index) {
    MidiProgramName record;
    std::memset(&record, 0x5a, sizeof record);
    record.thisProgramIndex = index;
    return record;
}

TEST(TablesGm, ProgramNames) {
    MidiProgramName record = filledProgram(5);
    EXPECT_EQ(fillMidiProgramName(9, record), 1);
    EXPECT_STREQ(record.name, "Standard");
    EXPECT_EQ(record.midiProgram, 0);
    EXPECT_EQ(record.parentCategoryIndex, 0);
    EXPECT_EQ(record.midiBankMsb, -1);
    EXPECT_EQ(record.midiBankLsb, -1);
    EXPECT_EQ(record.reserved, 0);
    EXPECT_EQ(record.flags, 0);
    EXPECT_EQ(record.thisProgramIndex, 5);

    record = filledProgram(7);
    EXPECT_EQ(fillMidiProgramName(0, record), 128);
    EXPECT_STREQ(record.name, "Clavi");
    EXPECT_EQ(record.midiProgram, 7);
    EXPECT_EQ(record.parentCategoryIndex, 1);
    EXPECT_EQ(record.midiBankMsb, -1);
    EXPECT_EQ(record.flags, 0);

    record = filledProgram(127);
    EXPECT_EQ(fillMidiProgramName(15, record), 128);
    EXPECT_STREQ(record.name, "Gunshot");
    EXPECT_EQ(record.parentCategoryIndex, 15);

    // Programs above 127, negative ones included, leave the record as it was.
    for (VstInt32 p : {128, -1, 1 << 30}) {
        record = filledProgram(p);
        const MidiProgramName before = record;
        EXPECT_EQ(fillMidiProgramName(0, record), 0);
        EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0) << p;
    }

    // The current-program path fills whatever the channel holds.
    record = filledProgram(0);
    fillMidiProgramRecord(3, 40, record);
    EXPECT_EQ(record.thisProgramIndex, 40);
    EXPECT_STREQ(record.name, "Violin");
    EXPECT_EQ(record.parentCategoryIndex, 5);
    fillMidiProgramRecord(3, 300, record);
    EXPECT_STREQ(record.name, "");
    EXPECT_EQ(record.parentCategoryIndex, -1);
    EXPECT_EQ(record.midiProgram, 0);
}

TEST(TablesGm, CategoriesAndKeyNames) {
    MidiProgramCategory category;
    std::memset(&category, 0x5a, sizeof category);
    category.thisCategoryIndex = 16;
    EXPECT_EQ(fillMidiProgramCategory(0, category), 17);
    EXPECT_STREQ(category.name, "DrumSets");
    EXPECT_EQ(category.parentCategoryIndex, -1);
    EXPECT_EQ(category.flags, 0);

    category.thisCategoryIndex = 0;
    EXPECT_EQ(fillMidiProgramCategory(4, category), 17);
    EXPECT_STREQ(category.name, "Piano");

    for (VstInt32 c : {17, -1}) {
        category.thisCategoryIndex = c;
        EXPECT_EQ(fillMidiProgramCategory(0, category), 17);
        EXPECT_STREQ(category.name, "") << c;
    }

    category.thisCategoryIndex = 3;
    EXPECT_EQ(fillMidiProgramCategory(9, category), 1);
    EXPECT_STREQ(category.name, "Drums");
    EXPECT_EQ(category.thisCategoryIndex, 3);

    MidiKeyName key;
    std::memset(&key, 0x5a, sizeof key);
    clearMidiKeyName(key);
    EXPECT_STREQ(key.keyName, "");
    EXPECT_EQ(key.reserved, 0);
    EXPECT_EQ(key.flags, 0);
}

}  // namespace
}  // namespace tarn
