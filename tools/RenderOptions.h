// The renderer's command line.
#pragma once

#include <string>

namespace tarn {

struct RenderOptions {
    static constexpr int kDefaultRate = 44100;
    static constexpr int kMinRate = 8000;
    static constexpr int kMaxRate = 384000;
    static constexpr int kDefaultBlock = 512;
    static constexpr int kMaxBlock = 65536;
    static constexpr double kDefaultTail = 3.0;
    static constexpr double kMaxTail = 600.0;
    static constexpr double kMinTempo = 1.0;
    static constexpr double kMaxTempo = 999.0;

    std::string midiPath;    // empty: the built-in demo phrase
    std::string outputPath;
    std::string pluginPath;  // empty: the module beside the build
    int program = 0;
    int rate = kDefaultRate;
    int block = kDefaultBlock;
    double tempo = 0.0;      // meaningful only with tempoGiven
    bool tempoGiven = false;
    double tail = kDefaultTail;
    bool still = false;
    bool wholeBlocks = false;
    bool info = false;
    bool help = false;
};

struct ParsedOptions {
    bool ok = false;
    std::string error;  // set when !ok
    RenderOptions options;
};

ParsedOptions parseRenderOptions(int argc, const char *const *argv);

std::string renderUsage(const std::string &program);

}  // namespace tarn
