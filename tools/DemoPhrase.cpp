#include "tools/DemoPhrase.h"

#include <cmath>
#include <cstddef>

namespace tarn {

namespace {

struct DemoChord {
    double beat;
    double length;  // a little over the gap to the next chord, so they overlap
    int velocity;
    int keys[4];    // 0 ends the chord early
};

struct DemoNote {
    double beat;
    double length;
    int key;
    int velocity;
};

// Mod-wheel breakpoints; the sweep moves linearly between them.
struct DemoWheel {
    double beat;
    int value;
};

// C minor, A flat, E flat, B flat, and back to C minor; each struck on the
// bar and again, softer, on its third beat.
constexpr DemoChord kChords[] = {
    {0.0, 2.25, 54, {48, 55, 63, 0}},   {2.0, 2.25, 40, {48, 55, 63, 0}},
    {4.0, 2.25, 51, {44, 51, 60, 0}},   {6.0, 2.25, 38, {44, 51, 60, 0}},
    {8.0, 2.25, 57, {51, 55, 58, 0}},   {10.0, 2.25, 44, {51, 55, 58, 0}},
    {12.0, 2.25, 60, {46, 53, 62, 0}},  {14.0, 2.25, 46, {46, 53, 62, 0}},
    {16.0, 3.50, 72, {36, 48, 55, 63}},
};

// From G4 up to C6 and down to C4: two octaves, loud at the top.
constexpr DemoNote kMelody[] = {
    {0.5, 0.5, 67, 80},   {1.0, 0.5, 70, 72},   {1.5, 0.5, 72, 88},   {2.0, 1.0, 75, 96},
    {3.0, 0.75, 74, 70},  {3.5, 0.5, 72, 64},   {4.0, 1.5, 72, 84},   {5.5, 0.5, 75, 70},
    {6.0, 0.5, 77, 90},   {6.5, 0.5, 79, 100},  {7.0, 1.0, 80, 110},  {8.0, 0.5, 79, 76},
    {8.5, 0.5, 82, 88},   {9.0, 1.25, 84, 124}, {10.0, 0.5, 82, 80},  {10.5, 0.5, 79, 70},
    {11.0, 1.0, 75, 86},  {12.0, 0.5, 74, 60},  {12.5, 0.5, 70, 66},  {13.0, 0.5, 67, 74},
    {13.5, 0.5, 65, 80},  {14.0, 1.0, 62, 92},  {15.0, 0.5, 63, 70},  {15.5, 0.5, 65, 56},
    {16.0, 2.0, 60, 104}, {18.0, 0.5, 67, 60},  {18.5, 1.5, 72, 44},
};

constexpr DemoWheel kWheel[] = {{0.0, 0}, {9.0, 127}, {12.0, 127}, {19.5, 0}};

constexpr double kWheelStepBeats = 0.125;

}  // namespace

Performance demoPhrase(double tempo) {
    if (!(tempo > 0.0) || !std::isfinite(tempo)) tempo = kDemoTempo;
    const double secondsPerBeat = 60.0 / tempo;
    Performance p;
    p.tempo = tempo;

    auto addNote = [&](double beat, double length, int key, int velocity) {
        NoteSpan n;
        n.start = beat * secondsPerBeat;
        n.end = (beat + length) * secondsPerBeat;
        n.channel = 0;
        n.key = static_cast<uint8_t>(key);
        n.velocity = static_cast<uint8_t>(velocity);
        p.notes.push_back(n);
    };
    for (const DemoChord &chord : kChords) {
        for (int key : chord.keys) {
            if (key == 0) break;
            addNote(chord.beat, chord.length, key, chord.velocity);
        }
    }
    for (const DemoNote &note : kMelody) addNote(note.beat, note.length, note.key, note.velocity);

    // The wheel is sent only when its value changes, as a controller would.
    int last = -1;
    const size_t segments = sizeof kWheel / sizeof kWheel[0] - 1;
    for (size_t s = 0; s < segments; ++s) {
        const DemoWheel &a = kWheel[s];
        const DemoWheel &b = kWheel[s + 1];
        const int steps = static_cast<int>(std::lround((b.beat - a.beat) / kWheelStepBeats));
        for (int i = 0; i <= steps; ++i) {
            const double f = steps > 0 ? static_cast<double>(i) / steps : 1.0;
            const int value = static_cast<int>(std::lround(a.value + (b.value - a.value) * f));
            if (value == last) continue;
            last = value;
            TimedMessage m;
            m.seconds = (a.beat + i * kWheelStepBeats) * secondsPerBeat;
            m.message = {0xB0, 1, static_cast<uint8_t>(value), 3};
            p.messages.push_back(m);
        }
    }
    return p;
}

}  // namespace tarn
