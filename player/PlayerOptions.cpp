#include "player/PlayerOptions.h"

#include <cstring>

#include "engine/Instrument.h"
#include "engine/InstrumentIdentity.h"

namespace tarn {

namespace {

// Whole decimal numbers only: "3x", "", "+" and anything out of range are refused.
bool wholeNumber(const char *text, int low, int high, int *out) {
    if (!text || !*text) return false;
    long value = 0;
    for (const char *p = text; *p; ++p) {
        if (*p < '0' || *p > '9') return false;
        value = value * 10 + (*p - '0');
        if (value > high) return false;
    }
    if (value < low) return false;
    *out = static_cast<int>(value);
    return true;
}

}  // namespace

PlayerOptions PlayerOptions::parse(int argc, const char *const *argv) {
    PlayerOptions o;
    for (int i = 1; i < argc && o.error.empty(); ++i) {
        const char *a = argv[i] ? argv[i] : "";
        // Both "--name X" and "--name=X".
        const char *inlineValue = nullptr;
        std::string option = a;
        if (const char *eq = std::strchr(a, '='); eq && a[0] == '-' && a[1] == '-') {
            option.assign(a, eq);
            inlineValue = eq + 1;
        }
        auto value = [&]() -> const char * {
            if (inlineValue) return inlineValue;
            if (i + 1 < argc && argv[i + 1]) return argv[++i];
            o.error = option + " needs a value";
            return nullptr;
        };
        auto noValue = [&] {
            if (inlineValue) o.error = option + " takes no value";
            return !inlineValue;
        };
        if (option == "-h" || option == "--help") {
            o.help = noValue();
        } else if (option == "-V" || option == "--version") {
            o.version = noValue();
        } else if (option == "-n" || option == "--name") {
            const char *v = value();
            if (!v) break;
            // JACK refuses empty names and cuts long ones at its own limit.
            if (!*v) o.error = "--name needs a client name that is not empty";
            else o.clientName = v;
        } else if (option == "-p" || option == "--program") {
            const char *v = value();
            if (!v) break;
            if (!wholeNumber(v, 0, Instrument::kNumPrograms - 1, &o.program))
                o.error = std::string("--program wants a number from 0 to ") +
                          std::to_string(Instrument::kNumPrograms - 1) + ", not \"" + v + "\"";
        } else if (option == "--no-gui") {
            if (noValue()) o.gui = false;
        } else if (option == "-c" || option == "--connect") {
            o.connect = noValue();
        } else if (option == "--fresh") {
            o.fresh = noValue();
        } else {
            o.error = "unknown option \"" + std::string(a) + "\" (see --help)";
        }
    }
    return o;
}

std::string PlayerOptions::usage(const char *programName) {
    const std::string me = programName && *programName ? programName : "tarnwell";
    return "Usage: " + me + " [OPTION]...\n" + InstrumentIdentity::kDescription +
           ", played through JACK.\n"
           "\n"
           "  -n, --name CLIENT   JACK client (and sequencer port) name, default \"Tarnwell\"\n"
           "  -p, --program N     start from factory program N (0 to 8) instead of the last sound\n"
           "      --fresh         start from program 0 instead of the last sound\n"
           "      --no-gui        no editor window: MIDI in, sound out\n"
           "  -c, --connect       connect the outputs to the playback ports and every MIDI source to the input\n"
           "  -h, --help          show this and exit\n"
           "  -V, --version       show the version and exit\n"
           "\n"
           "The last sound is kept in $XDG_CONFIG_HOME/tarnwell/ (else ~/.config/tarnwell/).\n"
           "Closing the window, Ctrl+C or SIGTERM end the program.\n";
}

std::string PlayerOptions::versionText() {
    return std::string(InstrumentIdentity::kName) + " player " + InstrumentIdentity::kVersion + "\n";
}

}  // namespace tarn
