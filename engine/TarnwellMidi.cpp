// MIDI intake: note starts and releases, controllers, and the mesh push.
#include <cstddef>

#include "engine/Tarnwell.h"

namespace tarn {

namespace {

// Hosts fill byteSize either with the whole record (32) or with what
// follows the two size fields (24); anything smaller cannot hold MIDI data.
constexpr VstInt32 kMinMidiEventByteSize = 24;

constexpr int32_t kAllNotesOff = 123;
constexpr int32_t kPolyModeOn = 126;
constexpr int32_t kModWheel = 1;

}  // namespace

VstInt32 Tarnwell::processEvents(VstEvents *events) {
    if (!events) return 1;
    // The record declares two slots but really carries numEvents of them.
    VstEvent *const *list = &events->events[0];
    for (VstInt32 i = 0; i < events->numEvents; ++i) {
        const VstEvent *event = list[i];
        if (!event || event->type != kVstMidiType || event->byteSize < kMinMidiEventByteSize) continue;
        const auto *midi = reinterpret_cast<const VstMidiEvent *>(event);
        const auto status = static_cast<unsigned char>(midi->midiData[0]);
        const auto data1 = static_cast<unsigned char>(midi->midiData[1]);
        const auto data2 = static_cast<unsigned char>(midi->midiData[2]);
        // An event for a later sample of the coming block waits for it; one
        // for its first sample acts now.
        if (midi->deltaFrames <= 0) {
            applyMidi(status, data1, data2);
        } else if (!pendingEvents.add(midi->deltaFrames, status, data1, data2)) {
            // No room: whichever is earliest acts now, so the events still
            // act in their order and a note-off never overtakes its note-on.
            if (pendingEvents.nextFrame() <= midi->deltaFrames) {
                const PendingEvents::Event early = pendingEvents.next();
                pendingEvents.pop();
                applyMidi(early.status, early.data1, early.data2);
                pendingEvents.add(midi->deltaFrames, status, data1, data2);
            } else {
                applyMidi(status, data1, data2);
            }
        }
        const bool noteStart = (status & 0xF0) == 0x90 && (data2 & 0x7F) != 0;
        if (noteStart) resume();
    }
    return 1;
}

void Tarnwell::applyMidi(unsigned char statusByte, unsigned char data1, unsigned char data2) {
    const int32_t status = statusByte & 0xF0;
    if (status == 0x90 || status == 0x80) {
        const int32_t note = data1 & 0x7F;
        const int32_t velocity = data2 & 0x7F;
        if (status == 0x80 || velocity == 0) {
            releaseNote(note);
        } else {
            startNote(note, velocity, 0);
        }
    } else if (status == 0xB0) {
        const int32_t cc = static_cast<char>(data1);
        const float value = static_cast<float>(static_cast<signed char>(data2) / 127.0);
        handleController(cc, value);
    }
}

void Tarnwell::handleController(int32_t cc, float value) {
    if (cc == kPolyModeOn || cc == kAllNotesOff) {
        for (auto &v : voices) v.noteOff();
        return;
    }
    if (cc == kModWheel) {
        stage.setModWheel(value);
        return;
    }
    const int32_t param = controllerMap.parameterFor(cc);
    if (param != ControllerMap::kNoParameter) setParameter(param, value);
    learning.controllerSeen(cc);
}

void Tarnwell::startNote(int32_t note, int32_t velocity, int32_t) {
    for (int i = 0; i < kNumVoices; ++i) {
        if (!voices[i].active) {
            refreshStaleVoice(i);
            voices[i].noteOn(note, velocity);
            break;
        }
    }
    const double v = velocity / 127.0;
    const double u = ((note - 12) / 103.0 - 0.5) * noteScale.load(std::memory_order_relaxed);
    const double w = (v * v - 0.5) * velScale.load(std::memory_order_relaxed);
    stage.pushNote(u, w, v);
}

void Tarnwell::releaseNote(int32_t note) {
    for (auto &v : voices)
        if (v.note == note && !v.released) v.noteOff();
}

}  // namespace tarn

namespace tarn {

// Every switch-on and every note-on asks the host again for MIDI.
void Tarnwell::resume() { AudioEffectX::resume(); }

}  // namespace tarn
