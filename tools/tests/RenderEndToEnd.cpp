// End-to-end checks of tarnwell-render: each run starts the renderer as a
// user would, then inspects its exit code, its messages and the WAV it wrote.
//
//   tarnwell_render_e2e CASE --renderer PATH --plugin PATH --probe PATH
//                       --refusing PATH --noentry PATH --work DIR
#include <sndfile.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <allegro.h>

namespace {

std::map<std::string, std::string> paths;
int failures = 0;

void check(bool ok, const std::string &what) {
    std::printf("%s: %s\n", ok ? "ok  " : "FAIL", what.c_str());
    if (!ok) ++failures;
}

std::string work(const std::string &name) { return paths["work"] + "/" + name; }

std::string slurp(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool exists(const std::string &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

struct Run {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the renderer with `args`; `env` is added to its environment.
Run render(const std::vector<std::string> &args, const std::string &tag, const std::string &env = "") {
    const std::string outPath = work(tag + ".stdout");
    const std::string errPath = work(tag + ".stderr");
    Run run;
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0) ::_exit(127);
        ::dup2(out, 1);
        ::dup2(err, 2);
        if (!env.empty()) ::putenv(const_cast<char *>(env.c_str()));
        std::vector<char *> argv;
        argv.push_back(const_cast<char *>(paths["renderer"].c_str()));
        for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid) {
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    run.out = slurp(outPath);
    run.err = slurp(errPath);
    return run;
}

struct Wav {
    bool ok = false;
    int rate = 0;
    int channels = 0;
    int format = 0;
    std::vector<float> samples;  // interleaved
    size_t frames() const { return channels ? samples.size() / channels : 0; }
};

Wav readWav(const std::string &path) {
    Wav wav;
    SF_INFO info{};
    SNDFILE *file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return wav;
    wav.rate = info.samplerate;
    wav.channels = info.channels;
    wav.format = info.format;
    wav.samples.resize(static_cast<size_t>(info.frames) * info.channels);
    wav.ok = sf_readf_float(file, wav.samples.data(), info.frames) == info.frames;
    sf_close(file);
    return wav;
}

float peakOf(const Wav &wav) {
    float peak = 0.0f;
    for (float s : wav.samples) peak = std::fmax(peak, std::fabs(s));
    return peak;
}

size_t firstSound(const Wav &wav) {
    for (size_t i = 0; i < wav.samples.size(); ++i) {
        if (wav.samples[i] != 0.0f) return i / wav.channels;
    }
    return static_cast<size_t>(-1);
}

// Two notes at 120 beats per minute, written with the sequence library's own
// file writer: C4 at beat 0.2 (0.1 s, sample 4410 at 44.1 kHz, in the middle
// of a 512-frame block) and E4 at beat 1.4 (0.7 s, sample 30870), each half
// a beat long.
constexpr size_t kFirstNoteSample = 4410;
constexpr size_t kSecondNoteSample = 30870;

bool writeTwoNotes(const std::string &path) {
    Alg_seq seq;
    seq.convert_to_beats();
    seq.insert_tempo(120.0, 0.0);
    seq.add_event(seq.create_note(0.2, 0, 60, 60, 100, 0.5), 0);
    seq.add_event(seq.create_note(1.4, 0, 64, 64, 80, 0.5), 0);
    return seq.smf_write(path.c_str());
}

std::vector<std::string> withPlugin(std::vector<std::string> args, const std::string &plugin = "plugin") {
    args.push_back("--plugin");
    args.push_back(paths[plugin]);
    return args;
}

void testInfo() {
    const Run r = render(withPlugin({"--info"}), "info");
    check(r.exitCode == 0, "--info exits 0 (exit " + std::to_string(r.exitCode) + ": " + r.err + ")");
    check(r.out.find("Tarnwell") != std::string::npos, "--info names Tarnwell");
    check(r.out.find("tRnW") != std::string::npos, "--info shows the unique ID as four characters");
}

void testDemoPeak() {
    const std::string out = work("demo-peak.wav");
    const Run r = render(withPlugin({"-o", out}), "demo-peak");
    check(r.exitCode == 0, "the demo renders (exit " + std::to_string(r.exitCode) + ": " + r.err + ")");
    const Wav wav = readWav(out);
    check(wav.ok && wav.channels == 2 && wav.rate == 44100, "the output is a stereo 44.1 kHz WAV");
    check((wav.format & SF_FORMAT_SUBMASK) == SF_FORMAT_FLOAT, "the output holds 32-bit float samples");
    check(wav.frames() > 44100 * 10, "the demo lasts more than ten seconds with its tail");
    check(peakOf(wav) > 0.0f, "the demo is not silent");
    check(r.out.find("peak") != std::string::npos && r.out.find("RMS") != std::string::npos,
          "the summary gives peak and RMS");
}

void testReproducible() {
    const std::string a = work("repro-a.wav");
    const std::string b = work("repro-b.wav");
    const Run ra = render(withPlugin({"-o", a}), "repro-a");
    const Run rb = render(withPlugin({"-o", b}), "repro-b");
    check(ra.exitCode == 0 && rb.exitCode == 0, "both demo renders succeed");
    const Wav wa = readWav(a);
    const Wav wb = readWav(b);
    check(wa.ok && wb.ok && wa.samples.size() == wb.samples.size() &&
              std::memcmp(wa.samples.data(), wb.samples.data(), wa.samples.size() * sizeof(float)) == 0,
          "two renders of the demo are identical sample for sample");
    check(slurp(a) == slurp(b), "two renders of the demo are identical files");
}

void testMeshDiffers() {
    const std::string moving = work("mesh-moving.wav");
    const std::string still = work("mesh-still.wav");
    const Run rm = render(withPlugin({"-o", moving}), "mesh-moving");
    const Run rs = render(withPlugin({"-o", still, "--still"}), "mesh-still");
    check(rm.exitCode == 0 && rs.exitCode == 0, "moving and still renders succeed");
    const Wav wm = readWav(moving);
    const Wav ws = readWav(still);
    check(wm.ok && ws.ok && wm.samples.size() == ws.samples.size(), "both renders have the same length");
    size_t differing = 0;
    for (size_t i = 0; i < wm.samples.size() && i < ws.samples.size(); ++i) differing += wm.samples[i] != ws.samples[i];
    check(differing > 0, "the mesh in motion changes the sound (" + std::to_string(differing) + " samples differ)");
}

void testNoteTiming() {
    const std::string midi = work("two-notes.mid");
    const std::string out = work("two-notes.wav");
    check(writeTwoNotes(midi), "the two-note MIDI file is written");
    const Run r = render(withPlugin({midi, "-o", out, "--block", "512", "--tail", "1"}), "two-notes");
    check(r.exitCode == 0, "the two-note file renders (exit " + std::to_string(r.exitCode) + ": " + r.err + ")");
    const Wav wav = readWav(out);
    const size_t first = firstSound(wav);
    // The instrument's envelope gives 0 on a note's first sample, so the
    // first sound comes right after it; anything earlier means the note
    // started at its block's start, anything much later that it waited for
    // the next block.
    check(first >= kFirstNoteSample && first <= kFirstNoteSample + 2,
          "the first note starts on its own sample (first sound at " + std::to_string(first) + ", note at " +
              std::to_string(kFirstNoteSample) + ")");
    check(wav.frames() == kSecondNoteSample + 11025 + 44100, "the render ends one tail after the last release");

    // Whole blocks carry the note inside one, at its deltaFrames; the
    // instrument must still start it on its own sample.
    const std::string whole = work("two-notes-whole.wav");
    const Run rw =
        render(withPlugin({midi, "-o", whole, "--block", "512", "--tail", "1", "--whole-blocks"}), "two-notes-whole");
    check(rw.exitCode == 0, "whole blocks render (exit " + std::to_string(rw.exitCode) + ": " + rw.err + ")");
    const size_t firstWhole = firstSound(readWav(whole));
    check(kFirstNoteSample % 512 != 0 && firstWhole == first,
          "in whole blocks the first note starts on its own sample too (first sound at " +
              std::to_string(firstWhole) + ")");
}

std::vector<std::string> logLines(const std::string &path) {
    std::vector<std::string> lines;
    std::istringstream in(slurp(path));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void testProbeHost() {
    const std::string midi = work("probe-notes.mid");
    const std::string out = work("probe.wav");
    const std::string log = work("probe.log");
    writeTwoNotes(midi);
    const Run r = render(withPlugin({midi, "-o", out, "--block", "300", "--program", "2", "--rate", "48000"}, "probe"),
                         "probe", "TARNWELL_PROBE_LOG=" + log);
    check(r.exitCode == 0, "the probe renders (exit " + std::to_string(r.exitCode) + ": " + r.err + ")");
    const std::vector<std::string> lines = logLines(log);
    std::string errors;
    for (const std::string &l : lines)
        if (l.rfind("error", 0) == 0) errors += l + "; ";
    check(errors.empty(), "the probe saw a consistent host: " + (errors.empty() ? std::string("yes") : errors));
    const std::vector<std::string> expectedStart = {"entry",     "open",     "rate 48000.0", "block 300",
                                                    "program 2", "mains 1", "mesh 1"};
    bool startOk = lines.size() > expectedStart.size();
    for (size_t i = 0; startOk && i < expectedStart.size(); ++i) startOk = lines[i] == expectedStart[i];
    check(startOk, "the host sequence runs open, rate, block, program, mains on, mesh request");
    check(lines.size() >= 2 && lines[lines.size() - 2] == "mains 0" && lines.back() == "close",
          "the host ends with mains off, then close");
    // At 48 kHz the notes start on samples 4800 and 33600, and end half a
    // beat later, on 16800 and 45600.
    const char *batches[] = {"events 1 at 4800", "events 1 at 16800", "events 1 at 33600", "events 1 at 45600"};
    for (const char *b : batches) {
        bool found = false;
        for (const std::string &l : lines) found |= l == b;
        check(found, std::string("the probe got ") + b);
    }
    const Wav wav = readWav(out);
    check(wav.ok && wav.frames() == 45600 + 3 * 48000, "the probe output lasts to the default tail");
    if (wav.ok && wav.frames() > 45600) {
        check(wav.samples[2 * 4800] == 60 / 128.0f && wav.samples[2 * 4800 + 1] == 100 / 128.0f,
              "the first note reaches the plug-in exactly on sample 4800");
        check(wav.samples[2 * 33600] == 64 / 128.0f, "the second note reaches it exactly on sample 33600");
        check(wav.samples[2 * 4799] == 0.0f && wav.samples[2 * 4801] == 0.0f, "and on no neighbouring sample");
    }

    const std::string stillLog = work("probe-still.log");
    render(withPlugin({midi, "-o", work("probe-still.wav"), "--still"}, "probe"), "probe-still",
           "TARNWELL_PROBE_LOG=" + stillLog);
    bool meshRequested = false;
    for (const std::string &l : logLines(stillLog)) meshRequested |= l.rfind("mesh", 0) == 0;
    check(!meshRequested, "--still sends no mesh request");
}

// A format-1 file of two tracks with no tempo event, which the file format
// plays at 120 beats per minute: track 1 strikes C4 on beat 1 (0.5 s),
// track 2 strikes G4 on beat 2 (1.0 s); 480 ticks per beat.
const unsigned char kTwoTracksNoTempo[] = {
    'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0x01, 0xE0,
    'M', 'T', 'r', 'k', 0, 0, 0, 13, 0x83, 0x60, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0, 0, 0xFF, 0x2F, 0,
    'M', 'T', 'r', 'k', 0, 0, 0, 13, 0x87, 0x40, 0x91, 67, 90, 0x83, 0x60, 0x81, 67, 0, 0, 0xFF, 0x2F, 0,
};

void testMergedTracksAtDefaultTempo() {
    const std::string midi = work("two-tracks.mid");
    {
        std::ofstream file(midi, std::ios::binary);
        file.write(reinterpret_cast<const char *>(kTwoTracksNoTempo), sizeof kTwoTracksNoTempo);
    }
    const std::string log = work("probe-tracks.log");
    const Run r = render(withPlugin({midi, "-o", work("probe-tracks.wav"), "--rate", "48000"}, "probe"),
                         "probe-tracks", "TARNWELL_PROBE_LOG=" + log);
    check(r.exitCode == 0, "the two-track file renders (exit " + std::to_string(r.exitCode) + ": " + r.err + ")");
    const char *batches[] = {"events 1 at 24000", "events 2 at 48000", "events 1 at 72000"};
    for (const char *b : batches) {
        bool found = false;
        for (const std::string &l : logLines(log)) found |= l == b;
        check(found, std::string("both tracks play at 120 beats per minute: ") + b);
    }
}

void expectFailure(const Run &r, const std::string &message, const std::string &what) {
    check(r.exitCode == 1 && r.err.find(message) != std::string::npos,
          what + " fails with exit 1 and \"" + message + "\" (exit " + std::to_string(r.exitCode) + ": " + r.err + ")");
}

void testFailures() {
    const std::string out = work("failure.wav");
    std::remove(out.c_str());
    expectFailure(render(withPlugin({work("no-such.mid"), "-o", out}), "missing-midi"), "cannot open MIDI file",
                  "a missing MIDI file");
    {
        std::ofstream garbage(work("garbage.mid"), std::ios::binary);
        garbage << "RIFF this is not a MIDI file at all";
    }
    expectFailure(render(withPlugin({work("garbage.mid"), "-o", out}), "garbage-midi"),
                  "not a readable Standard MIDI File", "an unreadable MIDI file");
    expectFailure(render({"-o", out, "--plugin", work("no-such-module.so")}, "missing-module"), "not found",
                  "a missing module");
    expectFailure(render(withPlugin({"-o", out}, "noentry"), "no-entry"), "no entry point",
                  "a module without an entry point");
    expectFailure(render(withPlugin({"-o", out}, "refusing"), "refusing"), "refused", "a module that refuses");
    expectFailure(render(withPlugin({"-o", out, "--program", "4"}, "probe"), "bad-program"), "has 4 programs",
                  "a program the plug-in does not have");
    expectFailure(render({"-o", out, "--rate", "44.1k"}, "bad-rate"), "--rate", "a malformed rate");
    expectFailure(render({"--tail"}, "no-value"), "needs a value", "an option without its value");
    expectFailure(render({"song.mid"}, "no-output"), "no output file", "a render without -o");
    check(!exists(out), "no output file is left behind by a failed render");
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CASE --renderer PATH --plugin PATH ...\n", argv[0]);
        return 2;
    }
    const std::string which = argv[1];
    for (int i = 2; i + 1 < argc; i += 2) paths[std::string(argv[i]).substr(2)] = argv[i + 1];
    ::mkdir(paths["work"].c_str(), 0755);

    static const std::map<std::string, void (*)()> kCases = {
        {"info", testInfo},           {"demo-peak", testDemoPeak}, {"reproducible", testReproducible},
        {"mesh-differs", testMeshDiffers}, {"note-timing", testNoteTiming}, {"probe-host", testProbeHost},
        {"probe-tracks", testMergedTracksAtDefaultTempo},
        {"failures", testFailures},
    };
    const auto found = kCases.find(which);
    if (found == kCases.end()) {
        std::fprintf(stderr, "unknown case %s\n", which.c_str());
        return 2;
    }
    found->second();
    return failures == 0 ? 0 : 1;
}
