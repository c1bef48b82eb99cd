#include "tools/RenderOptions.h"

#include <cerrno>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace tarn {

namespace {

bool parseInteger(const char *text, long low, long high, int &out) {
    if (!text || !*text) return false;
    errno = 0;
    char *end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high) return false;
    out = static_cast<int>(value);
    return true;
}

bool parseReal(const char *text, double low, double high, double &out) {
    if (!text || !*text) return false;
    errno = 0;
    char *end = nullptr;
    const double value = std::strtod(text, &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(value) || value < low || value > high) return false;
    out = value;
    return true;
}

std::string range(long low, long high) { return std::to_string(low) + " to " + std::to_string(high); }

std::string realRange(double low, double high) {
    char text[64];
    std::snprintf(text, sizeof text, "%g to %g", low, high);
    return text;
}

}  // namespace

ParsedOptions parseRenderOptions(int argc, const char *const *argv) {
    ParsedOptions parsed;
    RenderOptions &o = parsed.options;
    auto fail = [&parsed](const std::string &message) {
        parsed.ok = false;
        parsed.error = message;
        return parsed;
    };

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i] ? argv[i] : "";
        const bool takesValue = arg == "-o" || arg == "--program" || arg == "--rate" || arg == "--block" ||
                                arg == "--tempo" || arg == "--tail" || arg == "--plugin";
        const char *value = nullptr;
        if (takesValue) {
            if (i + 1 >= argc || !argv[i + 1]) return fail(arg + " needs a value");
            value = argv[++i];
        }
        if (arg == "-h" || arg == "--help") {
            o.help = true;
        } else if (arg == "--info") {
            o.info = true;
        } else if (arg == "--still") {
            o.still = true;
        } else if (arg == "--whole-blocks") {
            o.wholeBlocks = true;
        } else if (arg == "-o") {
            if (!*value) return fail("-o needs a file name");
            o.outputPath = value;
        } else if (arg == "--plugin") {
            if (!*value) return fail("--plugin needs a path");
            o.pluginPath = value;
        } else if (arg == "--program") {
            if (!parseInteger(value, 0, 1000000, o.program))
                return fail(std::string("--program ") + value + ": expected a program number from 0");
        } else if (arg == "--rate") {
            if (!parseInteger(value, RenderOptions::kMinRate, RenderOptions::kMaxRate, o.rate))
                return fail(std::string("--rate ") + value + ": expected whole Hz, " +
                            range(RenderOptions::kMinRate, RenderOptions::kMaxRate));
        } else if (arg == "--block") {
            if (!parseInteger(value, 1, RenderOptions::kMaxBlock, o.block))
                return fail(std::string("--block ") + value + ": expected a frame count, " +
                            range(1, RenderOptions::kMaxBlock));
        } else if (arg == "--tempo") {
            if (!parseReal(value, RenderOptions::kMinTempo, RenderOptions::kMaxTempo, o.tempo))
                return fail(std::string("--tempo ") + value + ": expected beats per minute, " +
                            realRange(RenderOptions::kMinTempo, RenderOptions::kMaxTempo));
            o.tempoGiven = true;
        } else if (arg == "--tail") {
            if (!parseReal(value, 0.0, RenderOptions::kMaxTail, o.tail))
                return fail(std::string("--tail ") + value + ": expected seconds, " +
                            realRange(0.0, RenderOptions::kMaxTail));
        } else if (arg.size() > 1 && arg[0] == '-') {
            return fail("unknown option " + arg);
        } else {
            if (!o.midiPath.empty()) return fail("only one MIDI file can be rendered at a time");
            if (arg.empty()) return fail("empty MIDI file name");
            o.midiPath = arg;
        }
    }
    if (!o.help && !o.info && o.outputPath.empty()) return fail("no output file: give -o out.wav");
    parsed.ok = true;
    return parsed;
}

std::string renderUsage(const std::string &program) {
    return "usage: " + program +
           " [song.mid] -o out.wav [options]\n"
           "\n"
           "Renders a Standard MIDI File (all tracks merged) through the Tarnwell plug-in\n"
           "module into a 32-bit float stereo WAV file. Without a MIDI file a short demo\n"
           "phrase is played.\n"
           "\n"
           "  -o FILE          output WAV file\n"
           "  --program N      program to select before playing (default 0)\n"
           "  --rate HZ        sample rate (default 44100)\n"
           "  --block N        largest block handed to the plug-in (default 512)\n"
           "  --whole-blocks   hand the plug-in blocks of --block frames with each event\n"
           "                   inside its block at its sample (deltaFrames), as hosts do;\n"
           "                   by default blocks are cut so that each event starts one\n"
           "  --tempo BPM      tempo reported to the plug-in (default: the file's first\n"
           "                   tempo; the demo is also played at this tempo, default 120)\n"
           "  --tail SECONDS   audio rendered after the last event (default 3)\n"
           "  --plugin PATH    plug-in module (default: tarnwell.so in the build directory\n"
           "                   above this program)\n"
           "  --still          leave the mesh frozen, as with the editor closed\n"
           "  --info           print the plug-in's identity, parameters and programs\n"
           "  -h, --help       this text\n"
           "\n"
           "Mesh in motion: unless --still is given, the renderer sends the plug-in the\n"
           "private request effVendorSpecific (opcode 50) with index 'TwMs' (0x54774D73)\n"
           "and value 1 before playing. The plug-in then renders as if its editor were\n"
           "open, advancing its mesh by audio time (15 steps per 30 ms), so renders are\n"
           "reproducible bit for bit.\n";
}

}  // namespace tarn
