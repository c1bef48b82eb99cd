#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "engine/ParameterText.h"
#include "engine/ProgramBank.h"

namespace tarn {
namespace {

std::string nameOf(int32_t index) {
    char text[64];
    parameterName(index, text, sizeof text);
    return text;
}

std::string display(int32_t index, float v, int32_t columns = 10, int32_t rows = 10) {
    char text[64];
    parameterDisplay(index, v, columns, rows, text, sizeof text);
    return text;
}

TEST(TablesQuantise, MapsTheUnitRangeOntoSteps) {
    EXPECT_EQ(quantise(0.0, 57), 0);
    EXPECT_EQ(quantise(0.5, 57), 28);
    EXPECT_EQ(quantise(1.0, 57), 56);  // the top value folds into the last step
    EXPECT_EQ(quantise(std::nextafter(1.0, 0.0), 57), 56);
    EXPECT_EQ(quantise(0.2, 5), 1);
    EXPECT_EQ(quantise(std::nextafter(0.2, 0.0), 5), 0);
    EXPECT_EQ(quantise(0.5, 1), 0);

    // Garbage stays inside 0..n-1.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(quantise(-0.25, 5), 0);
    EXPECT_EQ(quantise(-inf, 5), 0);
    EXPECT_EQ(quantise(1.5, 5), 4);
    EXPECT_EQ(quantise(inf, 5), 4);
    EXPECT_EQ(quantise(nan, 5), 0);
    EXPECT_EQ(quantise(0.5, 0), 0);
    EXPECT_EQ(quantise(0.5, -7), 0);
    const int32_t big = std::numeric_limits<int32_t>::max();
    EXPECT_EQ(quantise(std::nextafter(1.0, 0.0), big), big - 1);
}

TEST(TablesText, NamesAndLabels) {
    EXPECT_EQ(nameOf(0), "Friction");
    EXPECT_EQ(nameOf(5), "Vel scale");
    EXPECT_EQ(nameOf(6), "Shape");
    EXPECT_EQ(nameOf(26), "Delay Send");
    EXPECT_EQ(nameOf(27), "Delay Feedback");
    EXPECT_EQ(nameOf(28), "C01 Type");
    EXPECT_EQ(nameOf(31), "C01 Parameter");
    EXPECT_EQ(nameOf(33), "C01 Sample");
    EXPECT_EQ(nameOf(34), "C02 Type");
    EXPECT_EQ(nameOf(82), "C10 Type");
    EXPECT_EQ(nameOf(87), "C10 Sample");
    EXPECT_EQ(nameOf(88), "");
    EXPECT_EQ(nameOf(-1), "");

    for (int32_t i = 0; i < kNumParams; ++i) {
        char text[16] = "junk";
        parameterLabel(i, text, sizeof text);
        EXPECT_STREQ(text, "(none)") << i;
        EXPECT_FALSE(nameOf(i).empty()) << i;
    }
    EXPECT_STREQ(synthParameterName(20), "Delay Send");
    EXPECT_STREQ(controllerTargetName(20), "Delay Level");
    EXPECT_STREQ(synthParameterName(22), "");
    EXPECT_STREQ(controllerSourceName(-1), "");
    EXPECT_STREQ(divisionName(12), "");
}

TEST(TablesText, TextsStayInsideTheCallersBuffer) {
    char text[8];
    std::memset(text, '#', sizeof text);
    parameterName(31, text, 5);
    EXPECT_STREQ(text, "C01 ");
    EXPECT_EQ(text[5], '#');

    std::memset(text, '#', sizeof text);
    parameterDisplay(27, 0.0f, 10, 10, text, 3);
    EXPECT_STREQ(text, "-2");
    EXPECT_EQ(text[3], '#');

    parameterDisplay(9, 0.5f, 10, 10, text, 1);
    EXPECT_EQ(text[0], '\0');
    EXPECT_EQ(text[1], '2');  // left of the previous text, untouched

    std::memset(text, '#', sizeof text);
    parameterName(0, text, 0);
    parameterDisplay(0, 0.5f, 10, 10, text, -4);
    parameterName(0, nullptr, 8);
    EXPECT_EQ(text[0], '#');

    // A garbage value makes a long number, still cut to the buffer.
    parameterDisplay(6, 3.0e38f, 10, 10, text, sizeof text);
    EXPECT_EQ(std::strlen(text), sizeof text - 1);
    EXPECT_EQ(display(2, std::numeric_limits<float>::quiet_NaN()), "3");
}

TEST(TablesText, DisplayRules) {
    for (int32_t i : {2, 3}) {
        EXPECT_EQ(display(i, 0.0f), "3");
        EXPECT_EQ(display(i, 0.5f), "31");
        EXPECT_EQ(display(i, 1.0f), "59");
    }
    EXPECT_EQ(display(4, 0.5f), "+0.0");
    EXPECT_EQ(display(4, 0.25f), "-1.0");
    EXPECT_EQ(display(4, 0.0f), "-2.0");
    EXPECT_EQ(display(5, 1.0f), "+2.0");

    EXPECT_EQ(display(15, 0.5f), "+0");
    EXPECT_EQ(display(15, 0.0f), "-100");
    EXPECT_EQ(display(15, 1.0f), "+100");
    EXPECT_EQ(display(15, std::nextafter(0.5f, 0.0f)), "-0");
    EXPECT_EQ(display(25, 0.25f), "-50");  // LFO2->Detune, the last signed depth

    EXPECT_EQ(display(20, 0.0f), "0.10");
    EXPECT_EQ(display(20, 1.0f), "15.00");
    EXPECT_EQ(display(22, 1.0f), "15.00");  // LFO2 Speed
    EXPECT_EQ(display(26, 1.0f), "-3.0");
    EXPECT_EQ(display(26, 0.0f), "-24.0");
    EXPECT_EQ(display(27, 0.5f), "-13.5");  // Delay Feedback

    // Which numbers are rounded to single precision before formatting shows
    // in the last digit for these values.
    EXPECT_EQ(display(26, 0x1.8618b4p-7f), "-23.8");
    EXPECT_EQ(display(20, 0x1.ac128cp-3f), "0.28");
    EXPECT_EQ(display(15, 0x1.eb851ep-8f), "-98");
    EXPECT_EQ(display(32, 0x1.99999ap-8f), "-1.97");  // C01 Scale, from the double
}

TEST(TablesText, ControllerDisplays) {
    const int32_t type = kFirstControllerParam + kControllerType;
    const int32_t x = kFirstControllerParam + kControllerX;
    const int32_t y = kFirstControllerParam + kControllerY;
    const int32_t target = kFirstControllerParam + kControllerTarget;
    const int32_t scale = kFirstControllerParam + kControllerScale;
    const int32_t sample = kFirstControllerParam + kControllerSample;

    EXPECT_EQ(display(type, 0.0f), "Point");
    EXPECT_EQ(display(type, 0.3f), "Row peak");
    EXPECT_EQ(display(type, 1.0f), "Col trough");
    EXPECT_EQ(display(target, 0.0f), "Shape");
    EXPECT_EQ(display(target, 0.92f), "Delay Level");
    EXPECT_EQ(display(target, 1.0f), "Delay Feedback");
    EXPECT_EQ(display(scale, 0.0f), "-2.00");
    EXPECT_EQ(display(scale, 0.5f), "0.00");
    EXPECT_EQ(display(scale, 1.0f), "2.00");
    EXPECT_EQ(display(sample, 0.0f), "Continuous");
    EXPECT_EQ(display(sample, 0.5f), "8");
    EXPECT_EQ(display(sample, 1.0f), "4x 4");

    // X and Y follow the mesh size.
    EXPECT_EQ(display(x, 1.0f, 22, 17), "21");
    EXPECT_EQ(display(x, 0.0f, 22, 17), "0");
    EXPECT_EQ(display(y, 1.0f, 22, 17), "16");
    EXPECT_EQ(display(x, 0.5f, 22, 17), "11");
    EXPECT_EQ(display(x, 0.5f, 59, 17), "29");
    EXPECT_EQ(display(x + 9 * kControllerStride, 1.0f, 22, 17), "21");  // C10 X
    EXPECT_EQ(display(y, 0.7f, 0, -3), "0");  // a nonsense size stays in range
}

TEST(TablesText, StartProgramShowsItsTable) {
    const char* const expected[kFirstControllerParam] = {
        "0.16", "0.00", "17",   "22",   "-2.0", "+1.2", "1.00", "0.70", "0.60", "0.50",
        "0.38", "0.00", "0.50", "0.09", "0.06", "+30",  "0.00", "0.13", "0.08", "0.14",
        "0.20", "+9",   "1.01", "+0",   "+19",  "+4",   "-5.0", "-12.1",
    };
    for (int32_t i = 0; i < kFirstControllerParam; ++i)
        EXPECT_EQ(display(i, static_cast<float>(ProgramBank::factoryValue(0, i))), expected[i]) << i;

    // Its controllers, on the 22 x 17 mesh the program asks for.
    auto shown = [](int slot, int field) {
        const int32_t i = kFirstControllerParam + slot * kControllerStride + field;
        return display(i, static_cast<float>(ProgramBank::factoryValue(0, i)), 22, 17);
    };
    const char* const targets[7] = {"Decay", "Delay Feedback", "Cut", "Flt Env Mod", "Flt Attack", "Res",
                                    "LFO2 Speed"};
    for (int s = 0; s < 7; ++s) {
        EXPECT_EQ(shown(s, kControllerType), "Point") << s;
        EXPECT_EQ(shown(s, kControllerTarget), targets[s]) << s;
        EXPECT_EQ(shown(s, kControllerSample), s == 3 ? "8" : "Continuous") << s;
    }
    EXPECT_EQ(shown(0, kControllerX), "7");
    EXPECT_EQ(shown(0, kControllerY), "8");
    EXPECT_EQ(shown(0, kControllerScale), "0.15");
    EXPECT_EQ(shown(7, kControllerType), "Row trough");
    EXPECT_EQ(shown(7, kControllerTarget), "Decay");
    EXPECT_EQ(shown(7, kControllerScale), "0.00");
}

}  // namespace
}  // namespace tarn
