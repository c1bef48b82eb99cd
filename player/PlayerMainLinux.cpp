// The standalone player: the instrument as a JACK client, with the editor in
// a window of its own and the last sound kept between runs.
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "editor/InstrumentBuilder.h"
#include "engine/Instrument.h"
#include "learn/ModulePath.h"
#include "player/EditorWindow.h"
#include "player/JackPlayer.h"
#include "player/MidiInbox.h"
#include "player/PlayerOptions.h"
#include "player/SequencerInput.h"
#include "player/SoundMemory.h"

namespace {

std::atomic<int> stopSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

void onSignal(int signal) { stopSignal.store(signal, std::memory_order_relaxed); }

void say(FILE *to, const std::string &line) { std::fprintf(to, "tarnwell: %s\n", line.c_str()); std::fflush(to); }

void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

}  // namespace

int main(int argc, char **argv) {
    using namespace tarn;
    const PlayerOptions options = PlayerOptions::parse(argc, argv);
    if (!options.error.empty()) {
        say(stderr, options.error);
        return 2;
    }
    if (options.help) {
        std::fputs(PlayerOptions::usage(argc > 0 ? argv[0] : nullptr).c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(PlayerOptions::versionText().c_str(), stdout);
        return 0;
    }
    catchStopSignals();

    const SoundMemory memory(SoundMemory::folder());
    // Learned controllers and the editor's size belong with the user too,
    // not beside a program that may live in a folder nobody can write.
    const std::string folder = SoundMemory::folder();
    const char *settingsOverride = std::getenv("TARNWELL_SETTINGS_DIR");
    if ((!settingsOverride || !*settingsOverride) && !folder.empty() && makeFolders(folder))
        setenv("TARNWELL_SETTINGS_DIR", folder.c_str(), 1);

    std::unique_ptr<Instrument> instrument = createInstrument();
    if (!instrument) {
        say(stderr, "the instrument could not be built (out of memory?)");
        return 1;
    }
    if (options.program >= 0) {
        instrument->loadProgram(options.program);
    } else if (!options.fresh) {
        std::string warning;
        if (memory.restore(*instrument, warning) == SoundMemory::Loaded::Damaged) say(stderr, "warning: " + warning);
    }
    // Without a window the mesh still answers the notes, in audio time, so
    // the sound is the one the editor would give.
    if (!options.gui) instrument->setMeshInAudioTime(true);

    MidiInbox inbox;
    JackPlayer jack(*instrument, inbox);
    std::string error;
    switch (jack.open(options.clientName, error)) {
        case JackPlayer::Opened::Running:
            break;
        case JackPlayer::Opened::NoServer:
            say(stderr, JackPlayer::kNoServer);
            return 1;
        case JackPlayer::Opened::Failed:
            say(stderr, error);
            return 1;
    }
    SequencerInput sequencer(inbox);
    std::string why;
    if (!sequencer.open(jack.clientName(), why)) say(stdout, why);
    if (options.connect) say(stdout, "connected " + jack.connectToSystem());

    EditorWindow window(*instrument);
    if (options.gui && !window.open(jack.clientName(), why)) {
        say(stderr, why);
        sequencer.close();
        jack.close();
        return 1;
    }
    char ready[160];
    std::snprintf(ready, sizeof ready, "playing as JACK client \"%s\" at %.0f Hz, %d frames a period%s",
                  jack.clientName().c_str(), jack.sampleRate(), jack.periodFrames(), options.gui ? "" : ", no window");
    say(stdout, ready);

    bool lost = false;
    while (stopSignal.load(std::memory_order_relaxed) == 0) {
        if (jack.serverGone()) {
            lost = true;
            break;
        }
        if (options.gui) {
            if (!window.pump(20)) break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    if (lost) say(stderr, JackPlayer::kNoServer);
    sequencer.close();
    jack.close();
    window.close();
    std::string reason;
    if (!memory.keep(*instrument, reason)) say(stderr, "warning: the sound was not kept: " + reason);
    return lost ? 1 : 0;
}
