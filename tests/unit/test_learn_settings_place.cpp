// Where instances keep the settings file: beside the module while that folder
// can be written or already holds one, else in the user's configuration folder.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "engine/Tarnwell.h"
#include "entry/PluginFactory.h"
#include "learn/ModulePath.h"

namespace tarn {
namespace {

namespace fs = std::filesystem;

VstIntPtr VSTCALLBACK quietHost(AEffect *, VstInt32 opcode, VstInt32, VstIntPtr, void *, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

void setVariable(const char *name, const std::string &value) {
#ifdef _WIN32
    SetEnvironmentVariableA(name, value.empty() ? nullptr : value.c_str());
#else
    if (value.empty())
        unsetenv(name);
    else
        setenv(name, value.c_str(), 1);
#endif
}

std::string readText(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A module folder and a user configuration folder of the test's own, and the
// instances that use them as an installed module would.
struct Places {
    fs::path root, moduleFolder, configHome;
    std::string savedHome = valueOf("HOME"), savedConfigHome = valueOf("XDG_CONFIG_HOME"),
                savedAppData = valueOf("APPDATA");

    static std::string valueOf(const char *name) {
        const char *value = std::getenv(name);
        return value ? value : "";
    }

    Places() {
        root = fs::temp_directory_path() /
               ("tarnwell-place-" + std::to_string(reinterpret_cast<uintptr_t>(this)) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        moduleFolder = root / "lib" / "vst";
        configHome = root / "home" / "config";  // not there yet: saving makes it
        fs::create_directories(moduleFolder);
        setVariable("TARNWELL_SETTINGS_DIR", moduleFolder.string());
#ifdef _WIN32
        setVariable("APPDATA", configHome.string());
        fs::create_directories(configHome);  // Windows always has %APPDATA%
#else
        setVariable("XDG_CONFIG_HOME", configHome.string());
#endif
    }
    ~Places() {
        setVariable("TARNWELL_SETTINGS_DIR", "");
        setVariable("HOME", savedHome);
        setVariable("XDG_CONFIG_HOME", savedConfigHome);
        setVariable("APPDATA", savedAppData);
#ifndef _WIN32
        chmod(moduleFolder.c_str(), 0755);
#endif
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    fs::path beside() const { return moduleFolder / kSettingsFileName; }
    fs::path userFile() const {
#ifdef _WIN32
        return configHome / "Tarnwell" / kSettingsFileName;
#else
        return configHome / "tarnwell" / kSettingsFileName;
#endif
    }
};

std::unique_ptr<Tarnwell> instance() { return std::unique_ptr<Tarnwell>(buildInstrument(quietHost)); }

// One instance learns a binding, the next one starts with it.
void learnThenReload(int cc, int param) {
    {
        auto first = instance();
        EXPECT_TRUE(first->isFirstRun());
        first->assignController(cc, param);
        first->saveSettings();
    }
    auto second = instance();
    EXPECT_FALSE(second->isFirstRun());
    EXPECT_EQ(second->controllerFor(param), cc);
    EXPECT_EQ(second->controllers().parameterFor(cc), param);
}

TEST(SettingsPlace, WritableModuleFolderKeepsTheFileBesideTheModule) {
    Places places;
    learnThenReload(20, 5);
    EXPECT_TRUE(fs::exists(places.beside()));
    EXPECT_FALSE(fs::exists(places.userFile().parent_path()));
}

TEST(SettingsPlace, FolderThatIsNotThereSendsNothingElsewhere) {
    Places places;
    fs::remove(places.moduleFolder);
    { instance()->saveSettings(); }
    EXPECT_FALSE(fs::exists(places.userFile().parent_path()));
    EXPECT_TRUE(instance()->isFirstRun());
}

#ifndef _WIN32
// Root writes through permission bits, so as root the scenario runs in a
// child that has given its privileges up; permission bits then mean what
// they mean to every user who installs system-wide.
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
        const gid_t nobodyGroup = 65534;
        const bool dropped =
            setgroups(0, nullptr) == 0 && setgid(nobodyGroup) == 0 && setuid(65534) == 0 && geteuid() != 0;
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

TEST(SettingsPlace, ReadOnlyModuleFolderKeepsBindingsInTheUserConfigFolder) {
    asOrdinaryUser([] {
        Places places;
        ASSERT_EQ(chmod(places.moduleFolder.c_str(), 0555), 0);
        learnThenReload(21, 7);
        EXPECT_FALSE(fs::exists(places.beside()));
        EXPECT_EQ(readText(places.userFile()), "size 600 600\ncc 21 7\n");
        struct stat info{};
        ASSERT_EQ(stat(places.userFile().parent_path().c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u) << "the folder is the user's own";
        // Nothing of the write probes stays behind in either folder.
        for (const auto &entry : fs::directory_iterator(places.userFile().parent_path()))
            EXPECT_EQ(entry.path().filename().string(), kSettingsFileName);

        // Without XDG_CONFIG_HOME (or with a relative one) the folder is under HOME.
        setVariable("XDG_CONFIG_HOME", "relative/config");
        setVariable("HOME", (places.root / "home").string());
        EXPECT_EQ(settingsFilePath(), (places.root / "home" / ".config" / "tarnwell" / kSettingsFileName).string());
    });
}

TEST(SettingsPlace, FileBesideAReadOnlyModuleIsStillTheOneRead) {
    asOrdinaryUser([] {
        Places places;
        {
            std::ofstream out(places.beside());
            out << "size 700 800\ncc 30 2\n";
        }
        ASSERT_EQ(chmod(places.moduleFolder.c_str(), 0555), 0);
        auto shared = instance();
        EXPECT_FALSE(shared->isFirstRun());
        EXPECT_EQ(shared->controllerFor(2), 30);
        // Its owner may have left it writable for everyone; a save goes there.
        shared->saveSettings();
        EXPECT_EQ(settingsFilePath(), places.beside().string());
        EXPECT_FALSE(fs::exists(places.userFile().parent_path()));
    });
}
#endif

}  // namespace
}  // namespace tarn
