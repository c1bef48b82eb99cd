// Shared set-up for the editor's unit tests: an instrument built against a
// silent host, with its settings file redirected into a scratch directory.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "editor/MessageBox.h"
#include "editor/TarnEditor.h"
#include "engine/Tarnwell.h"
#include "entry/PluginFactory.h"

namespace tarn {
namespace editortest {

inline VstIntPtr VSTCALLBACK silentHost(AEffect *, VstInt32 opcode, VstInt32, VstIntPtr, void *, float) {
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

// Points the module's settings file at a fresh directory for the life of the object.
class ScratchSettings {
public:
    ScratchSettings() {
#if defined(_WIN32)
        char base[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, base);
        dir = std::string(base) + "tarnwell-editor-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(dir.c_str(), nullptr);
        SetEnvironmentVariableA("TARNWELL_SETTINGS_DIR", dir.c_str());
#else
        char pattern[] = "/tmp/tarnwell-editor-XXXXXX";
        if (mkdtemp(pattern)) dir = pattern;
        setenv("TARNWELL_SETTINGS_DIR", dir.c_str(), 1);
#endif
    }
    void write(const char *text) const {
        const std::string file = dir + "/tarnwell.cfg.txt";
        if (FILE *f = std::fopen(file.c_str(), "wb")) {
            std::fputs(text, f);
            std::fclose(f);
        }
    }
    bool fileExists() const {
        const std::string file = dir + "/tarnwell.cfg.txt";
        FILE *f = std::fopen(file.c_str(), "rb");
        if (f) std::fclose(f);
        return f != nullptr;
    }
    ~ScratchSettings() {
        const std::string file = dir + "/tarnwell.cfg.txt";
        std::remove(file.c_str());
#if defined(_WIN32)
        RemoveDirectoryA(dir.c_str());
        SetEnvironmentVariableA("TARNWELL_SETTINGS_DIR", nullptr);
#else
        rmdir(dir.c_str());
        unsetenv("TARNWELL_SETTINGS_DIR");
#endif
    }
    std::string dir;
};

// Every message box the editor shows, instead of showing it.
struct ShownBox {
    std::string caption;
    std::string text;
};
inline std::vector<ShownBox> &shownBoxes() {
    static std::vector<ShownBox> boxes;
    return boxes;
}
inline void recordBox(const char *caption, const char *text) { shownBoxes().push_back({caption, text}); }

struct Instrument {
    ScratchSettings settings;
    std::unique_ptr<Tarnwell> effect;
    // With settings text the instance finds a settings file (so no first-run tip).
    explicit Instrument(const char *settingsText = nullptr) {
        if (settingsText) settings.write(settingsText);
        shownBoxes().clear();
        setMessageBoxHandler(recordBox);
        effect.reset(buildInstrument(silentHost));
    }
    ~Instrument() {
        effect.reset();
        setMessageBoxHandler(nullptr);
    }
    TarnEditor &view() { return *static_cast<TarnEditor *>(effect->getEditor()); }
    MeshStage &stage() { return effect->meshStage(); }
};

}  // namespace editortest
}  // namespace tarn
