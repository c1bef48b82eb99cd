// A module folder the user cannot write sends the settings file to the
// user's configuration folder (the fault: bindings learned there were lost).
#ifndef _WIN32
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "engine/Tarnwell.h"
#include "entry/PluginFactory.h"
#include "learn/ModulePath.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;

VstIntPtr VSTCALLBACK quietHost(AEffect *, VstInt32 opcode, VstInt32, VstIntPtr, void *, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

std::unique_ptr<Tarnwell> instance() { return std::unique_ptr<Tarnwell>(buildInstrument(quietHost)); }

// Root writes through permission bits, so as root the scenario runs in a
// child that has given its privileges up.
template <typename Scenario>
void asOrdinaryUser(Scenario scenario) {
    if (geteuid() != 0) {
        scenario();
        return;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool dropped = setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0 && geteuid() != 0;
        if (dropped) scenario();
        std::fflush(stdout);
        _exit(!dropped ? 2 : ::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 2) << "could not give root's privileges up";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the scenario failed in the unprivileged child (see above)";
}

// Made by the one who runs the scenario, put back however it ends.
struct Places {
    fs::path root = fs::temp_directory_path() / ("tarnwell-place-" + std::to_string(getpid()));
    fs::path moduleFolder = root / "lib" / "vst", userFolder = root / "config" / "tarnwell";
    std::string savedHome = valueOf("HOME"), savedConfig = valueOf("XDG_CONFIG_HOME");
    static std::string valueOf(const char *name) { return std::getenv(name) ? std::getenv(name) : ""; }
    Places() {
        fs::remove_all(root);
        fs::create_directories(moduleFolder);
        setenv("TARNWELL_SETTINGS_DIR", moduleFolder.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    }
    ~Places() {
        unsetenv("TARNWELL_SETTINGS_DIR");
        setenv("HOME", savedHome.c_str(), 1);
        if (savedConfig.empty()) unsetenv("XDG_CONFIG_HOME"); else setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
        chmod(moduleFolder.c_str(), 0755);
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

TEST(SettingsPlace, ReadOnlyModuleFolderKeepsBindingsInTheUserConfigFolder) {
    asOrdinaryUser([] {
        Places p;
        ASSERT_EQ(chmod(p.moduleFolder.c_str(), 0555), 0);
        {
            auto first = instance();
            EXPECT_TRUE(first->isFirstRun());
            first->assignController(21, 7);
            first->saveSettings();
        }
        auto second = instance();
        EXPECT_FALSE(second->isFirstRun());
        EXPECT_EQ(second->controllerFor(7), 21);
        EXPECT_FALSE(fs::exists(p.moduleFolder / kSettingsFileName));
        std::ifstream in(p.userFolder / kSettingsFileName);
        std::ostringstream text;
        text << in.rdbuf();
        EXPECT_EQ(text.str(), "size 600 600\ncc 21 7\n");
        struct stat info{};
        ASSERT_EQ(stat(p.userFolder.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u) << "the folder is the user's own";
        // Nothing of the write probes stays behind.
        for (const auto &entry : fs::directory_iterator(p.userFolder))
            EXPECT_EQ(entry.path().filename().string(), kSettingsFileName);
        // Without an absolute XDG_CONFIG_HOME the folder is under HOME.
        setenv("XDG_CONFIG_HOME", "relative/config", 1);
        setenv("HOME", p.root.c_str(), 1);
        EXPECT_EQ(settingsFilePath(), (p.root / ".config" / "tarnwell" / kSettingsFileName).string());
    });
}

}  // namespace
}  // namespace tarn
#endif
