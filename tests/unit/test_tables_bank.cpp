#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "engine/ParameterText.h"
#include "engine/ProgramBank.h"

namespace tarn {
namespace {

constexpr int kPrograms = ProgramBank::kNumPrograms;

int meshSize(int program, int index) { return quantise(ProgramBank::factoryValue(program, index), 57) + 3; }

double controllerValue(int program, int slot, int field) {
    return ProgramBank::factoryValue(program, kFirstControllerParam + slot * kControllerStride + field);
}

TEST(TablesFactory, StartProgramAndBlankSlateMatchTheirTables) {
    const double pingy[kFirstControllerParam] = {
        0.1575, 0.0000, 0.2520, 0.3386, 0.0000, 0.8032, 1.0000, 0.6981, 0.6038, 0.5000,
        0.3774, 0.0000, 0.5000, 0.0943, 0.0566, 0.6509, 0.0000, 0.1321, 0.0755, 0.1415,
        0.1415, 0.5472, 0.4623, 0.5000, 0.5943, 0.5189, 0.9057, 0.5660,
    };
    const double pingyControllers[kNumControllers][kControllerStride] = {
        {0.0660, 0.3491, 0.5000, 0.5000, 0.5377, 0.0000}, {0.0472, 0.3113, 0.3491, 0.9906, 0.6321, 0.0000},
        {0.0000, 0.8113, 0.3868, 0.1604, 0.5943, 0.0000}, {0.0000, 0.8208, 0.7642, 0.4340, 0.4151, 0.5000},
        {0.0000, 0.3962, 0.1226, 0.2453, 0.3113, 0.0000}, {0.0000, 0.5000, 0.7264, 0.1981, 0.3774, 0.0000},
        {0.0000, 0.4811, 0.5000, 0.7547, 0.7170, 0.0000}, {0.5000, 0.5000, 0.5000, 0.5000, 0.5000, 0.5000},
        {0.5000, 0.5000, 0.5000, 0.5000, 0.5000, 0.5000}, {0.5000, 0.5000, 0.5000, 0.5000, 0.5000, 0.5000},
    };
    const double blank[kFirstControllerParam] = {
        0.3500, 0.1500, 0.2500, 0.2500, 0.7000, 0.5000, 1.0000, 0.5000, 0.5000, 1.0000,
        0.0000, 0.0000, 0.0000, 1.0000, 0.0000, 0.5000, 0.0000, 0.0000, 1.0000, 0.0000,
        0.0000, 0.5000, 0.0000, 0.5000, 0.5000, 0.5000, 0.0000, 0.0000,
    };
    const double neutral[kControllerStride] = {0.0, 0.5, 0.5, 0.0, 0.5, 0.0};

    for (int i = 0; i < kFirstControllerParam; ++i) {
        EXPECT_EQ(ProgramBank::factoryValue(0, i), pingy[i]) << i;
        EXPECT_EQ(ProgramBank::factoryValue(8, i), blank[i]) << i;
    }
    for (int s = 0; s < kNumControllers; ++s) {
        for (int f = 0; f < kControllerStride; ++f) {
            EXPECT_EQ(controllerValue(0, s, f), pingyControllers[s][f]) << s << " " << f;
            EXPECT_EQ(controllerValue(8, s, f), neutral[f]) << s << " " << f;
        }
    }
    // Spot checks across the other programs' columns.
    EXPECT_EQ(ProgramBank::factoryValue(2, 3), 0.9784);
    EXPECT_EQ(ProgramBank::factoryValue(6, 2), 0.9945);
    EXPECT_EQ(ProgramBank::factoryValue(7, 27), 0.8718);
    EXPECT_EQ(ProgramBank::factoryValue(3, 8), 0.0045);

    const char* const names[kPrograms] = {"pingy",  "subtle",   "hide and seek",   "chirps",     "brassy",
                                          "wake the cat", "skittish", "in the distance", "blank slate"};
    for (int p = 0; p < kPrograms; ++p) EXPECT_STREQ(ProgramBank::factoryName(p), names[p]);

    EXPECT_EQ(ProgramBank::factoryValue(9, 0), 0.0);
    EXPECT_EQ(ProgramBank::factoryValue(-1, 0), 0.0);
    EXPECT_EQ(ProgramBank::factoryValue(0, kNumParams), 0.0);
    EXPECT_STREQ(ProgramBank::factoryName(9), "");
}

TEST(TablesFactory, EveryProgramIsWellFormed) {
    for (int p = 0; p < kPrograms; ++p) {
        EXPECT_LE(std::strlen(ProgramBank::factoryName(p)), 23u) << p;
        for (int i = 0; i < kNumParams; ++i) {
            const double v = ProgramBank::factoryValue(p, i);
            EXPECT_TRUE(v >= 0.0 && v <= 1.0) << p << " " << i;
        }
    }
    // "brassy" and "wake the cat" are one voice on two meshes.
    bool meshDiffers = false;
    for (int i = 0; i < kNumParams; ++i) {
        if (i < 4)
            meshDiffers |= ProgramBank::factoryValue(4, i) != ProgramBank::factoryValue(5, i);
        else
            EXPECT_EQ(ProgramBank::factoryValue(4, i), ProgramBank::factoryValue(5, i)) << i;
    }
    EXPECT_TRUE(meshDiffers);
}

// A controller that reads only the fixed rim of the mesh never moves, so every
// controller that has an effect must look at the program's moving interior.
TEST(TablesFactory, ControllersReadTheMovingMesh) {
    for (int p = 0; p < kPrograms - 1; ++p) {
        const int rows = meshSize(p, 2);
        const int columns = meshSize(p, 3);
        int active = 0;
        for (int s = 0; s < kNumControllers; ++s) {
            if ((controllerValue(p, s, kControllerScale) - 0.5) * 4.0 == 0.0) continue;
            ++active;
            const int type = quantise(controllerValue(p, s, kControllerType), 5);
            const int column = quantise(controllerValue(p, s, kControllerX), columns);
            const int row = quantise(controllerValue(p, s, kControllerY), rows);
            const bool rowInside = row > 0 && row < rows - 1;
            const bool columnInside = column > 0 && column < columns - 1;
            if (type == 0)
                EXPECT_TRUE(rowInside && columnInside) << p << " C" << s + 1;
            else if (type <= 2)
                EXPECT_TRUE(rowInside) << p << " C" << s + 1;
            else
                EXPECT_TRUE(columnInside) << p << " C" << s + 1;
        }
        EXPECT_GE(active, 4) << p;
    }
}

TEST(TablesBank, StartsFromTheFactoryAndKeepsEdits) {
    ProgramBank bank;
    char text[ProgramBank::kNameCapacity];
    for (int p = 0; p < kPrograms; ++p) {
        bank.getName(p, text, sizeof text);
        EXPECT_STREQ(text, ProgramBank::factoryName(p));
        for (int i = 0; i < kNumParams; ++i) EXPECT_EQ(bank.value(p, i), ProgramBank::factoryValue(p, i));
    }

    bank.setValue(3, 9, 0.125);
    EXPECT_EQ(bank.value(3, 9), 0.125);
    EXPECT_EQ(bank.value(2, 9), ProgramBank::factoryValue(2, 9));
    EXPECT_EQ(bank.value(3, 10), ProgramBank::factoryValue(3, 10));

    // Out of range: getters give nothing, setters leave every cell alone.
    EXPECT_EQ(bank.value(9, 0), 0.0);
    EXPECT_EQ(bank.value(-1, 0), 0.0);
    EXPECT_EQ(bank.value(0, 88), 0.0);
    EXPECT_EQ(bank.value(0, -1), 0.0);
    bank.setValue(9, 0, 0.9);
    bank.setValue(-1, 87, 0.9);
    bank.setValue(0, 88, 0.9);
    bank.setValue(1, -1, 0.9);
    for (int p = 0; p < kPrograms; ++p)
        for (int i = 0; i < kNumParams; ++i)
            if (p != 3 || i != 9) {
                EXPECT_EQ(bank.value(p, i), ProgramBank::factoryValue(p, i));
            }

    std::strcpy(text, "junk");
    bank.getName(9, text, sizeof text);
    EXPECT_STREQ(text, "");
    bank.setName(9, "lost");
    bank.setName(-1, "lost");
    bank.setName(2, nullptr);
    bank.getName(2, text, sizeof text);
    EXPECT_STREQ(text, "hide and seek");

    EXPECT_EQ(&ProgramBank::shared(), &ProgramBank::shared());
}

TEST(TablesBank, NamesAreCutToTheirSlot) {
    ProgramBank bank;
    char text[64];
    bank.setName(4, "a name far too long for any slot");
    bank.getName(4, text, sizeof text);
    EXPECT_STREQ(text, "a name far too long for");  // the first 23 characters
    bank.getName(5, text, sizeof text);
    EXPECT_STREQ(text, "wake the cat");  // the neighbour is untouched

    bank.setName(4, "exactly twenty-three ch");
    bank.getName(4, text, sizeof text);
    EXPECT_STREQ(text, "exactly twenty-three ch");
    bank.setName(4, "");
    bank.getName(4, text, sizeof text);
    EXPECT_STREQ(text, "");

    // The caller's buffer bounds the copy.
    bank.setName(0, "renamed");
    std::memset(text, '#', sizeof text);
    bank.getName(0, text, 4);
    EXPECT_STREQ(text, "ren");
    EXPECT_EQ(text[4], '#');
    bank.getName(0, text, 0);
    bank.getName(0, nullptr, 8);
    EXPECT_STREQ(text, "ren");
}

TEST(TablesBank, ConcurrentRenamesNeverLeaveTheSlot) {
    ProgramBank bank;
    const char* const longName = "AAAAAAAAAAAAAAAAAAAAAAA";  // 23 characters, fills the slot
    const char* const shortName = "b";
    std::atomic<bool> stop{false};
    bank.setName(6, shortName);
    bank.setValue(6, 40, 0.75);

    std::thread writer([&] {
        for (int n = 0; n < 200000; ++n) {
            bank.setName(6, (n & 1) ? longName : shortName);
            bank.setValue(6, 40, (n & 1) ? 0.25 : 0.75);
        }
        stop.store(true, std::memory_order_release);
    });

    int reads = 0;
    bool ok = true;
    while (ok && (!stop.load(std::memory_order_acquire) || reads < 1000)) {
        char text[ProgramBank::kNameCapacity + 8];
        std::memset(text, '#', sizeof text);
        bank.getName(6, text, ProgramBank::kNameCapacity);
        const char* end = static_cast<const char*>(std::memchr(text, '\0', ProgramBank::kNameCapacity));
        ok = end != nullptr && text[ProgramBank::kNameCapacity] == '#';
        for (const char* c = text; ok && c < end; ++c) ok = *c == 'A' || *c == 'b';
        const double v = bank.value(6, 40);
        ok = ok && (v == 0.25 || v == 0.75);
        ++reads;
    }
    writer.join();
    EXPECT_TRUE(ok) << "after " << reads << " reads";

    char text[ProgramBank::kNameCapacity];
    bank.getName(6, text, sizeof text);
    EXPECT_STREQ(text, longName);
}

}  // namespace
}  // namespace tarn
