// The renderer's host answers, command line, level summary, progress lines
// and demo phrase.
#ifdef TARNWELL_HAVE_RENDER_SUPPORT

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/DemoPhrase.h"
#include "tools/EventSchedule.h"
#include "tools/HostServices.h"
#include "tools/ProgressReporter.h"
#include "tools/RenderOptions.h"
#include "tools/SignalStats.h"
#include "tools/TransportClock.h"

namespace tarn {
namespace {

VstIntPtr ask(VstInt32 opcode, VstIntPtr value = 0) {
    return HostServices::callback(nullptr, opcode, 0, value, nullptr, 0.0f);
}

TEST(RenderHost, CallbackAnswersVersionMidiAndTime) {
    TransportClock clock(48000.0, 90.0);
    HostServices::attach(&clock);
    EXPECT_EQ(ask(audioMasterVersion), 2400);
    EXPECT_EQ(ask(audioMasterWantMidi, 1), 1);
    EXPECT_EQ(ask(audioMasterAutomate), 0);
    EXPECT_EQ(ask(audioMasterCurrentId), 0);
    EXPECT_EQ(ask(999), 0);

    clock.setPosition(72000);  // 1.5 s at 90 beats per minute: beat 2.25
    auto *info = reinterpret_cast<VstTimeInfo *>(ask(audioMasterGetTime, kVstTempoValid));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->samplePos, 72000.0);
    EXPECT_EQ(info->sampleRate, 48000.0);
    EXPECT_DOUBLE_EQ(info->ppqPos, 2.25);
    EXPECT_EQ(info->tempo, 90.0);
    EXPECT_EQ(info->flags, kVstPpqPosValid | kVstTempoValid | kVstTransportPlaying);

    // Whatever the plug-in wrote into the record is replaced on the next ask.
    info->tempo = -1.0;
    info->flags = 0;
    info = reinterpret_cast<VstTimeInfo *>(ask(audioMasterGetTime));
    EXPECT_EQ(info->tempo, 90.0);
    EXPECT_EQ(info->flags, TransportClock::kFlags);

    HostServices::attach(nullptr);
    EXPECT_EQ(ask(audioMasterGetTime), 0);
    EXPECT_EQ(ask(audioMasterVersion), 2400);
}

ParsedOptions parse(std::vector<const char *> args) {
    args.insert(args.begin(), "tarnwell-render");
    return parseRenderOptions(static_cast<int>(args.size()), args.data());
}

TEST(RenderOptionsTest, DefaultsAndEveryOption) {
    ParsedOptions p = parse({"-o", "out.wav"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.rate, 44100);
    EXPECT_EQ(p.options.block, 512);
    EXPECT_EQ(p.options.program, 0);
    EXPECT_EQ(p.options.tail, 3.0);
    EXPECT_FALSE(p.options.tempoGiven);
    EXPECT_FALSE(p.options.still);
    EXPECT_TRUE(p.options.midiPath.empty());

    p = parse({"song.mid", "-o", "x.wav", "--program", "3", "--rate", "96000", "--block", "64", "--tempo", "97.5",
               "--tail", "0", "--plugin", "/tmp/p.so", "--still"});
    ASSERT_TRUE(p.ok) << p.error;
    EXPECT_EQ(p.options.midiPath, "song.mid");
    EXPECT_EQ(p.options.program, 3);
    EXPECT_EQ(p.options.rate, 96000);
    EXPECT_EQ(p.options.block, 64);
    EXPECT_TRUE(p.options.tempoGiven);
    EXPECT_EQ(p.options.tempo, 97.5);
    EXPECT_EQ(p.options.tail, 0.0);
    EXPECT_EQ(p.options.pluginPath, "/tmp/p.so");
    EXPECT_TRUE(p.options.still);

    EXPECT_TRUE(parse({"--info"}).ok) << "--info needs no output file";
    EXPECT_TRUE(parse({"--help"}).ok);
}

TEST(RenderOptionsTest, MalformedValuesAreRefused) {
    const std::vector<std::vector<const char *>> bad = {
        {},                                     // no output
        {"-o"},                                 // value missing
        {"-o", ""},                             // empty name
        {"-o", "x", "--rate", "44.1k"},
        {"-o", "x", "--rate", "0"},
        {"-o", "x", "--rate", "99999999999"},
        {"-o", "x", "--block", "0"},
        {"-o", "x", "--block", "-5"},
        {"-o", "x", "--program", "-1"},
        {"-o", "x", "--tempo", "0"},
        {"-o", "x", "--tempo", "nan"},
        {"-o", "x", "--tempo", "inf"},
        {"-o", "x", "--tail", "-1"},
        {"-o", "x", "--tail", "1e9"},
        {"-o", "x", "--frobnicate"},
        {"a.mid", "b.mid", "-o", "x"},
    };
    for (const auto &args : bad) {
        const ParsedOptions p = parse(args);
        std::string joined;
        for (const char *a : args) joined += std::string(a) + " ";
        EXPECT_FALSE(p.ok) << joined;
        EXPECT_FALSE(p.error.empty()) << joined;
    }
}

TEST(RenderLevels, PeakRmsAndBadSamples) {
    SignalStats stats;
    const float left[4] = {0.5f, -1.0f, 0.5f, 0.0f};
    const float right[4] = {0.0f, NAN, INFINITY, 0.25f};
    stats.add(left, right, 4);
    stats.add(left, right, 0);
    EXPECT_EQ(stats.frames(), 4);
    EXPECT_EQ(stats.nonFiniteSamples(), 2);
    EXPECT_EQ(stats.channel(0).peak, 1.0);
    EXPECT_DOUBLE_EQ(stats.channel(0).rms, std::sqrt(1.5 / 4.0));
    EXPECT_EQ(stats.channel(1).peak, 0.25);
    EXPECT_EQ(stats.channel(7).peak, 0.0);

    EXPECT_EQ(formatLevel(0.5), "-6.02 dBFS (0.500000)");
    EXPECT_EQ(formatLevel(0.0), "-inf dBFS (0.000000)");
    EXPECT_TRUE(std::isinf(toDbfs(0.0)) && toDbfs(0.0) < 0.0);
    EXPECT_NEAR(toDbfs(1.0), 0.0, 1e-12);
}

std::string progressText(bool terminal, int64_t total, const std::vector<int64_t> &updates) {
    std::FILE *f = std::tmpfile();
    ProgressReporter progress(f, terminal, total, 1000.0);
    for (int64_t u : updates) progress.update(u);
    progress.finish();
    std::rewind(f);
    std::string text;
    for (int c; (c = std::fgetc(f)) != EOF;) text.push_back(static_cast<char>(c));
    std::fclose(f);
    return text;
}

TEST(RenderProgress, LinesOnlyForLongRendersAndNoCarriageReturnsInLogs) {
    EXPECT_EQ(progressText(false, 10000, {5000, 10000}), "") << "ten seconds or less stays quiet";

    const std::string log = progressText(false, 20000, {1000, 4999, 5000, 6000, 12000, 20000});
    EXPECT_EQ(log.find('\r'), std::string::npos);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3) << log;  // at 5, 12 (past 10) and 20 s
    EXPECT_NE(log.find("rendering 5.0 / 20.0 s"), std::string::npos) << log;

    const std::string tty = progressText(true, 20000, {1000, 2000, 20000});
    EXPECT_EQ(std::count(tty.begin(), tty.end(), '\r'), 3) << tty;
    EXPECT_EQ(std::count(tty.begin(), tty.end(), '\n'), 1) << "one line, ended once";
    EXPECT_EQ(tty.back(), '\n');
}

TEST(RenderDemo, PhraseFitsTheInstrumentAndTheBrief) {
    const Performance demo = demoPhrase();
    EXPECT_EQ(demo.tempo, 120.0);
    EXPECT_GE(demo.lastEventSeconds(), 8.0);
    EXPECT_LE(demo.lastEventSeconds(), 12.0);

    int lowest = 127, highest = 0;
    for (const NoteSpan &n : demo.notes) {
        EXPECT_LT(n.start, n.end);
        EXPECT_GE(n.velocity, 1);
        EXPECT_LE(n.velocity, 127);
        lowest = std::min<int>(lowest, n.key);
        highest = std::max<int>(highest, n.key);
    }
    EXPECT_GE(highest - lowest, 24) << "the phrase spans two octaves";

    // Notes overlap, but never more than the twelve voices hold at once.
    const std::vector<ScheduledEvent> events = scheduleEvents(demo, 44100.0);
    int held = 0, most = 0;
    for (const ScheduledEvent &e : events) {
        if (e.message.status == 0x90) most = std::max(most, ++held);
        if (e.message.status == 0x80) --held;
    }
    EXPECT_EQ(held, 0);
    EXPECT_GT(most, 3);
    EXPECT_LE(most, 12);

    // The mod wheel sweeps the whole range and back.
    std::vector<int> wheel;
    for (const TimedMessage &m : demo.messages) {
        if (m.message.status == 0xB0 && m.message.data1 == 1) wheel.push_back(m.message.data2);
    }
    ASSERT_FALSE(wheel.empty());
    EXPECT_EQ(wheel.front(), 0);
    EXPECT_EQ(*std::max_element(wheel.begin(), wheel.end()), 127);
    EXPECT_EQ(wheel.back(), 0);

    // Another tempo stretches the same phrase.
    const Performance slow = demoPhrase(60.0);
    ASSERT_EQ(slow.notes.size(), demo.notes.size());
    EXPECT_DOUBLE_EQ(slow.lastEventSeconds(), 2.0 * demo.lastEventSeconds());
    EXPECT_EQ(demoPhrase(0.0).tempo, 120.0);
}

}  // namespace
}  // namespace tarn

#endif  // TARNWELL_HAVE_RENDER_SUPPORT
