// tarnwell-render: a small offline host. It loads the built plug-in module
// through its entry point as a host does, plays a MIDI file (or a demo
// phrase) into it and writes what comes out to a WAV file.
#include <unistd.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <exception>
#include <string>

#include "plugin/VstAbi.h"
#include "tools/DemoPhrase.h"
#include "tools/EffectInfo.h"
#include "tools/EffectInstance.h"
#include "tools/EventSchedule.h"
#include "tools/HostServices.h"
#include "tools/MidiFileReader.h"
#include "tools/PluginModule.h"
#include "tools/ProgressReporter.h"
#include "tools/RenderOptions.h"
#include "tools/RenderSession.h"
#include "tools/SignalStats.h"
#include "tools/TransportClock.h"
#include "tools/WavWriter.h"

namespace tarn {

namespace {

constexpr const char *kProgramName = "tarnwell-render";

// The private request that sets the mesh in motion for offline rendering:
// effVendorSpecific with this index and value 1. The plug-in then renders as
// if its editor were open and steps its mesh 15 times per 30 ms of rendered
// audio (dt = 0.002 s), timed by the audio itself rather than by a wall-clock
// timer, so that every render of a song is the same to the bit. Without the
// request the mesh stays frozen, as it does while the editor is closed.
constexpr VstInt32 kMeshMotionRequest = fourCharCode('T', 'w', 'M', 's');
static_assert(kMeshMotionRequest == 0x54774D73, "TwMs, first character most significant");

// Longer songs are refused: a damaged file that puts an event hours away
// would otherwise fill the disk with silence.
constexpr double kMaxSongSeconds = 3600.0;

int fail(const std::string &message) {
    std::fprintf(stderr, "%s: %s\n", kProgramName, message.c_str());
    return 1;
}

void printSummary(const SignalStats &stats, int rate) {
    std::printf("duration: %.3f s (%" PRId64 " samples at %d Hz)\n",
                static_cast<double>(stats.frames()) / rate, stats.frames(), rate);
    static const char *const kSides[2] = {"left ", "right"};
    for (int c = 0; c < 2; ++c) {
        const ChannelLevels levels = stats.channel(c);
        std::printf("%s: peak %s, RMS %s\n", kSides[c], formatLevel(levels.peak).c_str(),
                    formatLevel(levels.rms).c_str());
    }
    if (stats.nonFiniteSamples() > 0) {
        std::fprintf(stderr, "%s: warning: the plug-in produced %" PRId64 " NaN or infinite samples\n",
                     kProgramName, stats.nonFiniteSamples());
    }
}

int run(int argc, char **argv) {
    const ParsedOptions parsed = parseRenderOptions(argc, argv);
    if (!parsed.ok) return fail(parsed.error + " (see --help)");
    const RenderOptions &options = parsed.options;
    if (options.help) {
        std::fputs(renderUsage(kProgramName).c_str(), stdout);
        return 0;
    }

    Performance performance;
    if (!options.info) {
        if (options.midiPath.empty()) {
            performance = demoPhrase(options.tempoGiven ? options.tempo : kDemoTempo);
        } else {
            MidiFileContents song = readMidiFile(options.midiPath);
            if (!song.ok) return fail(song.error);
            performance = std::move(song.performance);
        }
        if (!(performance.lastEventSeconds() <= kMaxSongSeconds)) {
            char text[128];
            std::snprintf(text, sizeof text, "the song lasts %.0f s; the renderer plays at most %.0f s",
                          performance.lastEventSeconds(), kMaxSongSeconds);
            return fail(text);
        }
    }
    const double tempo = options.tempoGiven ? options.tempo : performance.tempo;

    WavWriter writer;
    std::string error;
    if (!options.info && !writer.open(options.outputPath, options.rate, error)) return fail(error);

    // The transport answers the plug-in's time requests from the moment the
    // entry point runs; the instance asks for it while it is being built.
    TransportClock clock(options.rate, tempo);
    HostServices::attach(&clock);
    struct Detach {
        ~Detach() { HostServices::attach(nullptr); }
    } detach;

    PluginModule module;
    const std::string pluginPath = options.pluginPath.empty() ? defaultPluginPath() : options.pluginPath;
    if (!module.load(pluginPath, error)) return fail(error);

    SignalStats stats;
    {
        EffectInstance effect;
        if (!effect.create(module.entry(), &HostServices::callback, error)) return fail(error);
        effect.open();

        if (options.info) {
            printEffectInfo(effect, stdout);
            std::fflush(stdout);
            effect.close();
            return 0;
        }

        const VstInt32 programs = effect.record().numPrograms;
        if (options.program >= programs) {
            return fail("--program " + std::to_string(options.program) + ": the plug-in has " +
                        std::to_string(programs) + " programs");
        }
        effect.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(options.rate));
        effect.dispatch(effSetBlockSize, 0, options.block);
        effect.dispatch(effSetProgram, 0, options.program);
        effect.resume();
        if (!options.still && effect.dispatch(effVendorSpecific, kMeshMotionRequest, 1) == 0) {
            std::fprintf(stderr, "%s: note: the plug-in did not take the mesh-motion request; its mesh stays still\n",
                         kProgramName);
        }

        const std::vector<ScheduledEvent> events = scheduleEvents(performance, options.rate);
        const int64_t tailFrames = std::llround(options.tail * options.rate);
        // One sample past the last event at least, so that it is delivered.
        const int64_t totalFrames = events.empty() ? tailFrames : events.back().sample + std::max<int64_t>(1, tailFrames);

        ProgressReporter progress(stderr, ::isatty(STDERR_FILENO) == 1, totalFrames, options.rate);
        RenderSession session(effect, clock, writer, stats, progress);
        if (!session.run(events, totalFrames, options.block, !options.wholeBlocks, error)) return fail(error);
        effect.close();
    }
    module.unload();
    if (!writer.close(error)) return fail(error);

    printSummary(stats, options.rate);
    return 0;
}

}  // namespace

}  // namespace tarn

int main(int argc, char **argv) {
    try {
        return tarn::run(argc, argv);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "tarnwell-render: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "tarnwell-render: unexpected failure\n");
    }
    return 1;
}
