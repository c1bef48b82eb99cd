// What the user asked of the player on its command line.
#pragma once

#include <string>

namespace tarn {

struct PlayerOptions {
    std::string clientName = "Tarnwell";
    int program = -1;  // -1: none given
    bool gui = true;
    bool connect = false;
    bool fresh = false;
    bool help = false;
    bool version = false;
    std::string error;  // not empty: the command line was refused

    // Never throws; a bad command line leaves a one-line reason in error.
    static PlayerOptions parse(int argc, const char *const *argv);
    static std::string usage(const char *programName);
    static std::string versionText();
};

}  // namespace tarn
