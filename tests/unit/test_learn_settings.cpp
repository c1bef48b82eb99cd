#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

#include "learn/ControllerMap.h"
#include "learn/Settings.h"
#include "learn/SettingsParser.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;

struct Loaded {
    SettingsData data;
    ControllerMap map;
    bool complete = false;
};

void parse(Loaded &out, const std::string &text) {
    out.complete = parseSettings(text.data(), text.size(), out.data, out.map);
}

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() / (std::string("tarnwell-learn-") + info->name() + "-" +
                                             std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = (dir / "tarnwell.cfg.txt").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    void writeRaw(const std::string &bytes) {
        std::FILE *f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    std::string readRaw() {
        std::string bytes;
        std::FILE *f = std::fopen(path.c_str(), "rb");
        if (!f) return bytes;
        char chunk[256];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
        std::fclose(f);
        return bytes;
    }

    fs::path dir;
    std::string path;
};

TEST(SettingsParse, SizeValuesAreTakenOneAtATime) {
    const struct {
        const char *text;
        int32_t width, height;
    } cases[] = {
        {"size 800\n", 800, 800},                // a single value makes a square
        {"size 300 700\n", 600, 700},            // width refused, height taken
        {"size 800 100\n", 800, 800},            // height refused, follows width
        {"size 350 1999\n", 350, 1999},          // both limits inclusive
        {"size 349 2000\n", 600, 600},
        {"size x 700\n", 600, 700},              // a word is not an integer
        {"size 2147483648 700\n", 600, 700},     // nor is an overflowing number
        {"size 800x 700\n", 600, 700},
        {"size 700 900\nsize\n", 700, 700},      // no values: height still follows width
        {"size 700 900\nsize 1000 y\n", 1000, 1000},
        {"  size\t+800 \t 900\r\n", 800, 900},
    };
    for (const auto &c : cases) {
        Loaded l;
        parse(l, c.text);
        EXPECT_EQ(l.data.editorWidth, c.width) << c.text;
        EXPECT_EQ(l.data.editorHeight, c.height) << c.text;
        EXPECT_TRUE(l.data.firstRun) << "only opening a file clears it";
    }
}

TEST(SettingsParse, CcLinesBindLikeAssignAndIncompleteOnesAreIgnored) {
    Loaded l;
    parse(l, "cc 7 1\ncc 9 1\n"
             "cc 0 4\ncc 1 5\n"
             "cc 20 88\ncc 21 -1\ncc -3 2\ncc 4000 2\n"
             "cc 30\ncc x 3\ncc 31 y\ncc 2147483648 3\ncc 32 -2147483649\n"
             "ccc 40 1\nCC 41 1\nsize2 900\nhello\n\n\r\n"
             "cc 33 3 trailing words\n");
    // Both controllers move parameter 1; the dialog shows the later one.
    EXPECT_EQ(l.map.parameterFor(7), 1);
    EXPECT_EQ(l.map.parameterFor(9), 1);
    EXPECT_EQ(l.map.controllerFor(1), 9);
    EXPECT_EQ(l.map.parameterFor(0), 4);
    EXPECT_EQ(l.map.parameterFor(1), 5);  // loaded; the engine keeps cc 1 for the wheel
    EXPECT_EQ(l.map.parameterFor(33), 3);
    // Bindings that name no parameter, or no controller, never move anything.
    EXPECT_EQ(l.map.parameterFor(20), ControllerMap::kNoParameter);
    EXPECT_EQ(l.map.parameterFor(21), ControllerMap::kNoParameter);
    EXPECT_EQ(l.map.ccToParam().count(-3), 1u);
    EXPECT_EQ(l.map.ccToParam().count(4000), 1u);
    // Lines without two integers bind nothing at all.
    for (int cc : {30, 31, 32, 40, 41}) EXPECT_EQ(l.map.parameterFor(cc), ControllerMap::kNoParameter) << cc;
    EXPECT_EQ(l.map.paramToCc().count(3), 1u);
    EXPECT_EQ(l.map.controllerFor(3), 33);
    ASSERT_EQ(l.data.bindings.size(), 9u);
    EXPECT_EQ(l.data.bindings[0].controller, 7);
    EXPECT_EQ(l.data.bindings[8].controller, 33);
    EXPECT_EQ(l.data.editorWidth, 600);
    EXPECT_TRUE(l.complete);
}

TEST(SettingsParse, LineLengthRuleStopsReadingAtAnOverlongLine) {
    const std::string limit(SettingsParser::kMaxLineLength - 8, ' ');
    {
        // 1023 characters, with or without a CR before the LF, are one line.
        Loaded l;
        parse(l, "cc 10 1" + limit + " \ncc 11 2" + limit + " \r\ncc 12 3");
        EXPECT_TRUE(l.complete);
        EXPECT_EQ(l.map.parameterFor(10), 1);
        EXPECT_EQ(l.map.parameterFor(11), 2);
        EXPECT_EQ(l.map.parameterFor(12), 3) << "a last line without a line feed counts";
    }
    for (size_t longLength : {size_t(1024), size_t(5000)}) {
        Loaded l;
        parse(l, "size 800 900\ncc 10 1\n" + std::string(longLength, 'x') + "\ncc 11 2\nsize 400\n");
        EXPECT_FALSE(l.complete) << longLength;
        EXPECT_EQ(l.map.parameterFor(10), 1);
        EXPECT_EQ(l.map.parameterFor(11), ControllerMap::kNoParameter);
        EXPECT_EQ(l.data.editorWidth, 800);
        EXPECT_EQ(l.data.editorHeight, 900);
    }
    {
        Loaded l;
        parse(l, "cc 10 1\n" + std::string(1024, '7'));  // too long even at the end
        EXPECT_FALSE(l.complete);
        EXPECT_EQ(l.map.parameterFor(10), 1);
    }
    {
        // Control bytes and NULs are blanks or garbage, never terminators.
        Loaded l;
        const char odd[] = "cc\0" "13 4\n\x1a\xff\x80 cc 14 5\n";
        parse(l, std::string(odd, sizeof odd - 1));
        EXPECT_EQ(l.map.parameterFor(13), 4);
        EXPECT_EQ(l.map.parameterFor(14), ControllerMap::kNoParameter);
    }
}

TEST_F(SettingsFile, MissingAndEmptyFiles) {
    SettingsData data;
    ControllerMap map;
    EXPECT_FALSE(loadSettingsFile(path, data, map));
    EXPECT_TRUE(data.firstRun);
    EXPECT_FALSE(loadSettingsFile("", data, map));

    writeRaw("");
    EXPECT_TRUE(loadSettingsFile(path, data, map));
    EXPECT_FALSE(data.firstRun);
    EXPECT_EQ(data.editorWidth, 600);
    EXPECT_EQ(data.editorHeight, 600);
    EXPECT_TRUE(map.ccToParam().empty());
}

TEST_F(SettingsFile, ReadsCrLfAndGarbageAndStopsAtLongLine) {
    writeRaw("size 800 700\r\n\r\ngarbage here\r\ncc 9 1\r\ncc 7 1\r\n" + std::string(5000, 'z') +
             "\r\ncc 8 2\r\n");
    SettingsData data;
    ControllerMap map;
    EXPECT_TRUE(loadSettingsFile(path, data, map));
    EXPECT_EQ(data.editorWidth, 800);
    EXPECT_EQ(data.editorHeight, 700);
    EXPECT_EQ(map.parameterFor(9), 1);
    EXPECT_EQ(map.controllerFor(1), 7);
    EXPECT_EQ(map.parameterFor(8), ControllerMap::kNoParameter);
}

TEST_F(SettingsFile, SaveWritesAscendingControllersTwoToOneTwoSeven) {
    writeRaw("size 800\ncc 90 3\ncc 0 4\ncc 1 4\ncc 5 2\ncc 128 1\ncc 127 0\ncc 6 -1\ncc 50 88\n");
    SettingsData data;
    ControllerMap map;
    ASSERT_TRUE(loadSettingsFile(path, data, map));
    ASSERT_TRUE(saveSettingsFile(path, data.editorWidth, data.editorHeight, map));

#ifdef _WIN32
    const std::string eol = "\r\n";
#else
    const std::string eol = "\n";
#endif
    EXPECT_EQ(readRaw(), "size 800 800" + eol + "cc 5 2" + eol + "cc 50 88" + eol + "cc 90 3" + eol +
                             "cc 127 0" + eol);

    // What was written reads back to the same live bindings.
    SettingsData again;
    ControllerMap reloaded;
    ASSERT_TRUE(loadSettingsFile(path, again, reloaded));
    for (int cc = 2; cc < ControllerMap::kNumControllers; ++cc)
        EXPECT_EQ(reloaded.parameterFor(cc), map.parameterFor(cc)) << cc;
    EXPECT_EQ(reloaded.parameterFor(0), ControllerMap::kNoParameter);

    EXPECT_FALSE(saveSettingsFile((dir / "no-such-dir" / "f.txt").string(), 600, 600, map));
    EXPECT_FALSE(saveSettingsFile("", 600, 600, map));
}

}  // namespace
}  // namespace tarn
