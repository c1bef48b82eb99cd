// The player end to end: its processes on a JACK server, heard by a JACK
// client of the test's, its window read back from the X server.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <memory>
#include <iterator>

#include "editor/InstrumentBuilder.h"
#include "engine/Instrument.h"
#include "engine/ProgramBank.h"
#include "tests/editor/X11TestHost.h"

extern char **environ;

namespace tarn {
namespace {

using x11test::waitFor;

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void quietJack(const char *) {}

std::string scratchFolder(const std::string &name) {
    const char *base = std::getenv("TARNWELL_PLAYER_SCRATCH");
    std::string dir = std::string(base ? base : "/tmp") + "/" + name;
    const std::string command = "rm -rf '" + dir + "' && mkdir -p '" + dir + "'";
    if (std::system(command.c_str()) != 0) return std::string();
    return dir;
}

// One player run in a configuration folder of its own, with the test's
// settings folder unset and each "NAME=value" of extra set.
class PlayerProcess {
public:
    PlayerProcess(const std::string &config, const std::vector<std::string> &args, const std::vector<std::string> &extra)
        : output(config + "/output.txt") {
        const char *program = std::getenv("TARNWELL_PLAYER") ? std::getenv("TARNWELL_PLAYER") : "tarnwell";
        std::vector<std::string> argv = {"env", "-u", "TARNWELL_SETTINGS_DIR", "XDG_CONFIG_HOME=" + config};
        argv.insert(argv.end(), extra.begin(), extra.end());
        argv.push_back(program);
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char *> a;
        for (auto &s : argv) a.push_back(&s[0]);
        a.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        if (posix_spawnp(&pid, "env", &actions, nullptr, a.data(), environ) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~PlayerProcess() {
        signal(SIGTERM);
        if (!waitEnd(3000) && running()) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    bool running() const { return pid > 0 && !ended; }
    pid_t id() const { return pid; }
    void signal(int s) {
        if (running()) kill(pid, s);
    }
    bool waitEnd(int timeoutMs) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (running()) {
            int s = 0;
            const pid_t r = waitpid(pid, &s, WNOHANG);
            if (r == pid) {
                ended = true;
                exitStatus = s;
                break;
            }
            if (r < 0 || std::chrono::steady_clock::now() > end) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return ended;
    }
    bool exitedWith(int code) const { return ended && WIFEXITED(exitStatus) && WEXITSTATUS(exitStatus) == code; }
    std::string text() const { return readFile(output); }

private:
    pid_t pid = -1;
    bool ended = false;
    int exitStatus = 0;
    std::string output;
};

std::unique_ptr<PlayerProcess> launch(const std::string &config, const std::vector<std::string> &args,
                                      const std::vector<std::string> &env = {}) {
    return std::make_unique<PlayerProcess>(config, args, env);
}

// The tests' side of the JACK graph: "keys" plays MIDI at exact frames,
// "ears" records. Two clients so that keys -> player -> ears is a chain, not
// a loop: JACK runs all three in that order within one period, so there is
// no latency to allow for.
struct TimedMessage {
    jack_nframes_t at;  // JACK frame time
    unsigned char bytes[3];
    int size;
};

class JackTestClient {
public:
    explicit JackTestClient(const std::string &name) {
        keys = jack_client_open((name + "-keys").c_str(), JackNoStartServer, nullptr);
        ears = jack_client_open((name + "-ears").c_str(), JackNoStartServer, nullptr);
        if (!keys || !ears) return;
        keysOut = jack_port_register(keys, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        earsIn[0] = jack_port_register(ears, "in_left", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        earsIn[1] = jack_port_register(ears, "in_right", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        jack_set_process_callback(keys, [](jack_nframes_t n, void *s) { return static_cast<JackTestClient *>(s)->play(n); },
                                  this);
        jack_set_process_callback(ears, [](jack_nframes_t n, void *s) { return static_cast<JackTestClient *>(s)->hear(n); },
                                  this);
        jack_set_xrun_callback(keys, [](void *s) {
            static_cast<JackTestClient *>(s)->xrunCount.fetch_add(1, std::memory_order_relaxed);
            return 0;
        }, this);
        ok = keysOut && earsIn[0] && earsIn[1] && jack_activate(keys) == 0 && jack_activate(ears) == 0;
    }
    ~JackTestClient() {
        if (keys) jack_client_close(keys);
        if (ears) jack_client_close(ears);
    }
    bool ready() const { return ok; }
    jack_client_t *handle() const { return keys; }
    jack_nframes_t period() const { return jack_get_buffer_size(keys); }
    jack_nframes_t lastPeriod() const { return lastStart.load(std::memory_order_acquire); }

    bool portExists(const std::string &port) const { return jack_port_by_name(keys, port.c_str()) != nullptr; }
    bool hearPlayer(const std::string &player) {
        return jack_connect(keys, (player + ":out_left").c_str(), jack_port_name(earsIn[0])) == 0 &&
               jack_connect(keys, (player + ":out_right").c_str(), jack_port_name(earsIn[1])) == 0;
    }
    bool playTo(const std::string &player) {
        return jack_connect(keys, jack_port_name(keysOut), (player + ":midi_in").c_str()) == 0;
    }

    void schedule(std::vector<TimedMessage> messages) {  // in time order
        pendingPlay.store(false, std::memory_order_release);
        score = std::move(messages);
        next = 0;
        late.store(false, std::memory_order_relaxed);
        pendingPlay.store(true, std::memory_order_release);
    }
    void record(jack_nframes_t from, std::size_t frames) {
        recording.store(false, std::memory_order_release);
        left.assign(frames, 0.0f);
        right.assign(frames, 0.0f);
        recordFrom = from;
        recorded.store(0, std::memory_order_relaxed);
        recording.store(true, std::memory_order_release);
    }
    // Every frame of the recording heard exactly once.
    bool recordingWhole() const { return !left.empty() && recorded.load(std::memory_order_acquire) == left.size(); }
    void stopRecording() { recording.store(false, std::memory_order_release); }

    std::atomic<bool> late{false};
    std::atomic<int> xrunCount{0};
    std::vector<float> left, right;

private:
    int play(jack_nframes_t n) {
        void *buffer = jack_port_get_buffer(keysOut, n);
        jack_midi_clear_buffer(buffer);
        const jack_nframes_t start = jack_last_frame_time(keys);
        lastStart.store(start, std::memory_order_release);
        if (!pendingPlay.load(std::memory_order_acquire)) return 0;
        while (next < score.size() && static_cast<int32_t>(score[next].at - start) < static_cast<int32_t>(n)) {
            const TimedMessage &m = score[next++];
            // One already late breaks the test's premise: flagged.
            const int32_t offset = static_cast<int32_t>(m.at - start);
            jack_midi_event_write(buffer, offset >= 0 ? static_cast<jack_nframes_t>(offset) : 0, m.bytes,
                                  static_cast<size_t>(m.size));
            if (offset < 0) late.store(true, std::memory_order_relaxed);
        }
        return 0;
    }
    int hear(jack_nframes_t n) {
        if (!recording.load(std::memory_order_acquire)) return 0;
        const int32_t offset = static_cast<int32_t>(jack_last_frame_time(ears) - recordFrom);
        if (offset < 0 || static_cast<std::size_t>(offset) >= left.size()) return 0;
        const auto *l = static_cast<const float *>(jack_port_get_buffer(earsIn[0], n));
        const auto *r = static_cast<const float *>(jack_port_get_buffer(earsIn[1], n));
        const std::size_t count = std::min<std::size_t>(n, left.size() - static_cast<std::size_t>(offset));
        std::copy(l, l + count, left.begin() + offset);
        std::copy(r, r + count, right.begin() + offset);
        recorded.fetch_add(count, std::memory_order_release);
        return 0;
    }

    jack_client_t *keys = nullptr, *ears = nullptr;
    jack_port_t *keysOut = nullptr, *earsIn[2] = {nullptr, nullptr};
    bool ok = false;
    std::atomic<jack_nframes_t> lastStart{0};
    std::atomic<bool> pendingPlay{false}, recording{false};
    std::vector<TimedMessage> score;
    std::size_t next = 0;
    jack_nframes_t recordFrom = 0;
    std::atomic<std::size_t> recorded{0};
};

// The sound the player kept in its configuration folder.
std::unique_ptr<Instrument> keptSound(const std::string &config) {
    const std::string bytes = readFile(config + "/tarnwell/last-sound.bin");
    auto in = createInstrument();
    if (!in || !in->loadState(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size())) return nullptr;
    return in;
}

// Only once the player says it plays does the test ask the server for
// anything: requests while a client activates only slow the server down.
bool saysItPlays(std::unique_ptr<PlayerProcess> &run, const std::string &name) {
    const std::string line = "playing as JACK client \"" + name + "\"";
    return waitFor([&] { return run->text().find(line) != std::string::npos || run->waitEnd(0); }, 10000) &&
           run->running();
}

TEST(PlayerRun, WithoutAServerOneLineAndExit1) {
    auto run = launch(scratchFolder("player-no-server"), {"--no-gui", "--fresh"},
                      {"JACK_DEFAULT_SERVER=tarnwell-absent-" + std::to_string(getpid())});
    ASSERT_TRUE(run->waitEnd(5000)) << "still running after 5 s";
    EXPECT_TRUE(run->exitedWith(1)) << run->text();
    const std::string t = run->text();
    EXPECT_NE(t.find("no JACK server is running"), std::string::npos) << t;
    EXPECT_NE(t.find("jackd"), std::string::npos) << "says how to start one";
    EXPECT_EQ(1, std::count(t.begin(), t.end(), '\n')) << t;
}

// Two at once under different names: each ends within a second of SIGTERM,
// leaves the graph and keeps its sound; a damaged saved sound is ignored.
TEST(PlayerRun, TwoAtOnceEndOnSigtermAndADamagedSavedSoundIsIgnored) {
    JackTestClient probe("tw-two");
    ASSERT_TRUE(probe.ready());
    const std::string configA = scratchFolder("player-a"), configB = scratchFolder("player-b");
    mkdir((configA + "/tarnwell").c_str(), 0700);
    std::ofstream(configA + "/tarnwell/last-sound.bin", std::ios::binary)
        << std::string(Instrument::kStateBytes, '\xFF');
    auto a = launch(configA, {"--no-gui", "--name", "tw-alpha"});
    auto b = launch(configB, {"--no-gui", "--program", "4", "--name", "tw-beta"});
    ASSERT_TRUE(saysItPlays(a, "tw-alpha") && probe.hearPlayer("tw-alpha")) << a->text();
    ASSERT_TRUE(saysItPlays(b, "tw-beta") && probe.hearPlayer("tw-beta")) << b->text();
    a->signal(SIGTERM);
    ASSERT_TRUE(a->waitEnd(1000)) << "still running a second after SIGTERM";
    EXPECT_TRUE(a->exitedWith(0)) << a->text();
    EXPECT_FALSE(probe.portExists("tw-alpha:out_left")) << "the client was not closed";
    EXPECT_NE(a->text().find("warning: ignoring the damaged saved sound"), std::string::npos) << a->text();
    auto keptA = keptSound(configA);
    ASSERT_NE(keptA, nullptr) << "not replaced by a whole sound";
    EXPECT_EQ(0, keptA->program());
    EXPECT_TRUE(b->running());
    b->signal(SIGTERM);
    ASSERT_TRUE(b->waitEnd(1000));
    EXPECT_TRUE(b->exitedWith(0)) << b->text();
    auto keptB = keptSound(configB);
    ASSERT_NE(keptB, nullptr) << "no sound kept in " << configB;
    EXPECT_EQ(4, keptB->program());
}

// What the player must have rendered: a fresh instrument after preRoll empty
// periods (the LFOs and the mesh's clocks run on through silence), with the
// events shifted by shift frames. Returns the whole periods, from the first,
// in which the recording has the render's bits.
std::size_t samePeriods(const JackTestClient &probe, int preRoll, const std::vector<TimedMessage> &score,
                        jack_nframes_t from, int period, int shift = 0) {
    ProgramBank::shared().restoreFactory();
    auto in = createInstrument();
    in->setMeshInAudioTime(true);
    in->activate(jack_get_sample_rate(probe.handle()), period);
    std::vector<float> l(period), r(period);
    for (int b = 0; b < preRoll; ++b) in->process(nullptr, 0, l.data(), r.data(), period, nullptr);
    std::size_t p = 0;
    for (; (p + 1) * period <= probe.left.size(); ++p) {
        const std::size_t start = p * period;
        std::vector<InstrumentEvent> events;
        for (const auto &m : score) {
            const int64_t at = static_cast<int64_t>(m.at - from) + shift - static_cast<int64_t>(start);
            if (at >= 0 && at < period)
                events.push_back(InstrumentEvent::midi(static_cast<int32_t>(at), m.bytes[0], m.bytes[1],
                                                       m.size > 2 ? m.bytes[2] : 0));
        }
        in->process(events.data(), static_cast<int32_t>(events.size()), l.data(), r.data(), period, nullptr);
        if (std::memcmp(l.data(), probe.left.data() + start, period * sizeof(float)) != 0 ||
            std::memcmp(r.data(), probe.right.data() + start, period * sizeof(float)) != 0)
            break;
    }
    return p;
}

std::vector<TimedMessage> performance(jack_nframes_t t0) {
    std::vector<TimedMessage> s;
    auto add = [&](jack_nframes_t at, unsigned char a, unsigned char b, unsigned char c, int size = 3) {
        s.push_back({t0 + at, {a, b, c}, size});
    };
    // The last frame of a period and the first of the next; velocity 0 ends a note.
    add(0, 0xB0, 1, 40), add(3, 0x90, 60, 100), add(255, 0x90, 64, 90), add(256, 0x90, 67, 80);
    add(2000, 0xE0, 0, 80), add(9000, 0x80, 60, 0), add(20000, 0x90, 67, 0);
    for (int i = 0; i < 40; ++i) {  // a fast run across period edges
        add(30001 + 77 * i, 0x90, static_cast<unsigned char>(48 + i), static_cast<unsigned char>(30 + 2 * i));
        add(30001 + 77 * i + 60, 0x80, static_cast<unsigned char>(48 + i), 0);
    }
    add(40000, 0xD0, 100, 0, 2), add(62000, 0xB0, 123, 0);  // channel pressure: two bytes
    return s;
}

// The recording equals, bit for bit, the instrument rendered here for the
// same events at the same frames, with no transport.
TEST(PlayerSound, RecordingEqualsTheRenderOfTheSameEvents) {
    const std::string config = scratchFolder("player-sound");
    JackTestClient probe("tw-sound");
    ASSERT_TRUE(probe.ready());
    jack_position_t pos;
    jack_transport_query(probe.handle(), &pos);
    ASSERT_FALSE(pos.valid & JackPositionBBT) << "a timebase master runs on this server: the player would get a tempo";
    const int n = static_cast<int>(probe.period());
    // After an xrun some clients ran in a period and others did not, and
    // nothing after it compares: such an attempt is made again, and if none
    // is undisturbed the best must match for at least the first quarter.
    std::size_t bestPartial = 0;
    for (int attempt = 1; attempt <= 5; ++attempt) {
        const std::string name = "tw-sound-player-" + std::to_string(attempt);
        auto run = launch(config, {"--no-gui", "--fresh", "--name", name});
        // The first period begins after the ports appear and no later than
        // the one after it says it plays.
        ASSERT_TRUE(waitFor([&] { return probe.portExists(name + ":out_left") || !run->running(); }, 8000));
        const jack_nframes_t registered = probe.lastPeriod();
        ASSERT_TRUE(saysItPlays(run, name)) << run->text();
        const jack_nframes_t active = probe.lastPeriod();
        ASSERT_TRUE(probe.hearPlayer(name) && probe.playTo(name));
        const jack_nframes_t t0 = active + 24 * n;
        const auto score = performance(t0);
        const std::size_t frames = ((64000 + n - 1) / n) * n, periods = frames / n;
        const int xrunsBefore = probe.xrunCount.load();
        probe.record(t0, frames);
        probe.schedule(score);
        ASSERT_TRUE(waitFor([&] { return static_cast<int32_t>(probe.lastPeriod() - (t0 + frames)) > n; }, 10000));
        probe.stopRecording();
        const bool clean = probe.recordingWhole() && !probe.late.load() && probe.xrunCount.load() == xrunsBefore;
        double energy = 0;
        for (float x : probe.left) energy += static_cast<double>(x) * x;
        ASSERT_GT(energy, 0.0) << "the player made no sound";
        const int most = static_cast<int>((t0 - registered) / n) + 1, least = static_cast<int>((t0 - active) / n) - 6;
        std::size_t best = 0;
        int bestPre = least;
        for (int pre = least; pre <= most; ++pre) {
            const std::size_t same = samePeriods(probe, pre, score, t0, n);
            if (same > best) best = same, bestPre = pre;
        }
        // Events a frame late are heard at once: the comparison would catch
        // a player that put events anywhere but on their frame.
        const std::size_t shifted = samePeriods(probe, bestPre, score, t0, n, 1);
        if (best == periods) {
            EXPECT_EQ(0u, shifted);
            return;
        }
        ASSERT_FALSE(clean) << "no render gives the recorded bits (at best the first " << best << " of " << periods
                            << " periods), and JACK missed no period";
        std::printf("[ sound ] attempt %d disturbed: the same bits for the first %zu of %zu periods\n", attempt, best,
                    periods);
        if (shifted == 0) bestPartial = std::max(bestPartial, best);
        if (attempt == 5 && bestPartial * 4 >= periods) return;
    }
    FAIL() << "every attempt missed periods early";
}

// A top-level window titled "Tarnwell" of the given process.
Window findPlayerWindow(x11test::XHost &x, pid_t pid) {
    const Atom pidAtom = XInternAtom(x.dpy(), "_NET_WM_PID", False);
    for (Window w : x.children(DefaultRootWindow(x.dpy()))) {
        char *name = nullptr;
        if (!XFetchName(x.dpy(), w, &name) || !name) continue;
        const bool titled = std::strcmp(name, "Tarnwell") == 0;
        XFree(name);
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0, owner = 0;
        unsigned char *data = nullptr;
        if (titled && XGetWindowProperty(x.dpy(), w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after,
                                         &data) == Success && data) {
            if (items == 1) owner = *reinterpret_cast<unsigned long *>(data);
            XFree(data);
        }
        if (owner == static_cast<unsigned long>(pid)) return w;
    }
    return 0;
}

TEST(PlayerEditor, WindowShowsTheMeshAndNotesMoveIt) {
    x11test::XHost x;
    ASSERT_TRUE(x.dpy()) << "no X display (CI runs Xvfb)";
    JackTestClient probe("tw-editor");
    ASSERT_TRUE(probe.ready());
    const std::string config = scratchFolder("player-editor");
    // Not a first run: no tip over the mesh.
    mkdir((config + "/tarnwell").c_str(), 0700);
    std::ofstream(config + "/tarnwell/tarnwell.cfg.txt") << "size 600 600\n";
    auto run = launch(config, {"--fresh", "--name", "tw-editor-player"}, {"LIBGL_ALWAYS_SOFTWARE=1"});
    Window top = 0, child = 0;
    ASSERT_TRUE(waitFor([&] { return (top = findPlayerWindow(x, run->id())) != 0 || !run->running(); }, 15000));
    ASSERT_NE(top, 0u) << run->text();
    ASSERT_TRUE(waitFor([&] { return (child = x.onlyChild(top)) != 0; }));
    editorcheck::Capture rest = x.capture(child), last;
    ASSERT_TRUE(waitFor([&] {
        x11test::sleepMs(100);
        last = x.capture(child);
        const bool steady = last == rest && last.distinctColours() > 20;
        rest = last;
        return steady;
    }, 15000)) << "no mesh at rest";

    ASSERT_TRUE(waitFor([&] { return probe.portExists("tw-editor-player:midi_in") && probe.playTo("tw-editor-player"); }));
    const jack_nframes_t t0 = probe.lastPeriod() + 8 * probe.period();
    std::vector<TimedMessage> chord;
    for (int i = 0; i < 6; ++i)
        chord.push_back({t0 + static_cast<jack_nframes_t>(i * 300), {0x90, static_cast<unsigned char>(36 + 7 * i), 127}, 3});
    probe.schedule(chord);
    const int *m = editorcheck::kMeshAndTop;
    EXPECT_TRUE(waitFor([&] { return x.capture(child).differences(rest, m[0], m[1], m[2], m[3]) > 100; }, 5000))
        << "the notes did not move the mesh";
}

}  // namespace
}  // namespace tarn

// On the JACK server JACK_DEFAULT_SERVER names (CI starts one).
int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    setenv("JACK_NO_START_SERVER", "1", 1);
    setenv("TARNWELL_SETTINGS_DIR", tarn::scratchFolder("player-test-settings").c_str(), 1);
    jack_set_error_function(tarn::quietJack);
    jack_set_info_function(tarn::quietJack);
    return RUN_ALL_TESTS();
}
