// The block renderer: LFOs, voices, control tick, tempo delay, output.
#include <cmath>

#include "engine/DenormalGuard.h"
#include "engine/Tarnwell.h"

namespace tarn {

void Tarnwell::processReplacing(float **, float **outputs, VstInt32 sampleFrames) {
    if (outputs && outputs[0] && outputs[1] && sampleFrames > 0) {
        for (VstInt32 k = 0; k < sampleFrames; ++k) {
            outputs[0][k] = 0.0f;
            outputs[1][k] = 0.0f;
        }
    }
    renderBlock(outputs, sampleFrames);
}

void Tarnwell::process(float **, float **outputs, VstInt32 sampleFrames) { renderBlock(outputs, sampleFrames); }

void Tarnwell::renderBlock(float **outputs, VstInt32 n) {
    DenormalGuard flushDenormals;
    float *left = outputs ? outputs[0] : nullptr;
    float *right = outputs ? outputs[1] : nullptr;
    if (!left || !right || n < 0) n = 0;
    applyPendingVoicePush();
    if (n == 0) {
        applyEventsUpTo(PendingEvents::kNone);
        renderChunk(left, right, 0, 0);
        return;
    }
    pendingEvents.clampTo(n - 1);
    // A block longer than any before grows the work buffers; a block beyond
    // what one piece may hold is rendered in pieces rather than failing.
    growRenderBuffers(n < kMaxBlockChunk ? n : kMaxBlockChunk);
    int32_t done = 0;
    while (done < n) {
        int32_t piece = n - done;
        if (piece > leftMix.count) piece = leftMix.count;
        if (piece > lfo1Values.count) piece = lfo1Values.count;
        if (piece > lfo2Values.count) piece = lfo2Values.count;
        renderChunk(left + done, right + done, piece, done);
        done += piece;
    }
}

bool Tarnwell::applyEventsUpTo(int32_t frame) {
    bool any = false;
    while (!pendingEvents.empty() && pendingEvents.next().frame <= frame) {
        const PendingEvents::Event &e = pendingEvents.next();
        applyMidi(e.status, e.data1, e.data2);
        pendingEvents.pop();
        any = true;
    }
    return any;
}

void Tarnwell::renderChunk(float *left, float *right, int32_t n, int32_t first) {
    // The voices sounding at the start, in array order. A voice that frees
    // itself stays listed (silent) to the end; one started by an event
    // inside the block joins at its sample.
    Voice *listed[kNumVoices];
    int count = 0;
    uint32_t rendered = 0;
    auto listVoices = [&] {
        count = 0;
        for (int i = 0; i < kNumVoices; ++i) {
            if (voices[i].active) rendered |= 1u << i;
            if (rendered & (1u << i)) listed[count++] = &voices[i];
        }
        voicesTakingParameters = rendered;
    };
    listVoices();

    double *lfo1Out = lfo1Values.data;
    double *lfo2Out = lfo2Values.data;
    SineLfo::fill(lfo1, lfo2, lfo1Out, lfo2Out, n);

    double *mixL = leftMix.data;
    double *mixR = rightMix.data;
    const bool meshByAudio = stage.audioClockRunning();
    // The voices render in stretches up to the next event. The control
    // tick works once every samplesPerTick samples and only counts in
    // between; what its work sets reaches the voices only through the
    // targets they read on their own control samples, so it runs between
    // two samples of a stretch, after the voices' sample on which it falls.
    double *sounds = stretchSounds;
    for (int32_t k = 0; k < n;) {
        if (applyEventsUpTo(first + k)) listVoices();
        int32_t len = n - k;
        if (len > VoiceLanes::kMaxSamples) len = VoiceLanes::kMaxSamples;
        // Events wait for their own sample.
        const int32_t nextEvent = pendingEvents.nextFrame();
        if (nextEvent != PendingEvents::kNone && nextEvent - first - k < len) len = nextEvent - first - k;
        Stretch stretch{this, sounds, count, k, 0, meshByAudio};
        const int due = (samplesPerTick - tickCount % samplesPerTick) % samplesPerTick;
        VoiceLanes::render(listed, count, lfo1Out + k, lfo2Out + k, len, sounds, voiceWidth,
                           VoiceLanes::Hook{&Tarnwell::afterControlSample, &stretch, due});
        takeStretchSamples(stretch, len);
        k += len;
    }
    voicesTakingParameters = kAllVoices;

    if (fxOn()) delayPass(n);

    for (int32_t k = 0; k < n; ++k) {
        left[k] = static_cast<float>(left[k] + static_cast<float>(mixL[k]));
        right[k] = static_cast<float>(right[k] + static_cast<float>(mixR[k]));
    }
}

void Tarnwell::takeStretchSamples(Stretch &stretch, int upTo) {
    double *mixL = leftMix.data + stretch.start;
    double *mixR = rightMix.data + stretch.start;
    const double *sounds = stretch.sounds;
    const int count = stretch.count;
    for (int s = stretch.done; s < upTo; ++s) {
        // The voices are mono: both sides start from the same sum.
        double sum = 0.0;
        for (int i = 0; i < count; ++i) sum += sounds[s * VoiceLanes::kMaxVoices + i];
        mixL[s] = sum;
        mixR[s] = sum;
    }
    // The control tick reads the mesh, which the audio clock moves after
    // every sample; without that clock, the samples between its working
    // ones are only counted.
    for (int s = stretch.done; s < upTo;) {
        if (tickCount % samplesPerTick == 0) {
            controlTick();
            if (stretch.meshByAudio) stage.advanceAudioSample(engineSampleRate);
            ++s;
            continue;
        }
        int32_t quiet = samplesPerTick - tickCount % samplesPerTick;
        if (quiet > upTo - s) quiet = upTo - s;
        if (stretch.meshByAudio) {
            for (int32_t q = 0; q < quiet; ++q) {
                tickCount = (tickCount + 1) % kTicksPerRebuild;
                stage.advanceAudioSample(engineSampleRate);
            }
        } else {
            tickCount = (tickCount + quiet) % kTicksPerRebuild;
        }
        s += quiet;
    }
    stretch.done = upTo;
}

int Tarnwell::afterControlSample(void *context, int sample) {
    Stretch &stretch = *static_cast<Stretch *>(context);
    stretch.engine->takeStretchSamples(stretch, sample + 1);
    return sample + samplesPerTick;
}

VstInt32 Tarnwell::hostTempo() {
    const VstTimeInfo *info = getTimeInfo(kVstTempoValid);
    if (!info || !(info->flags & kVstTempoValid)) return static_cast<VstInt32>(kFallbackHostTempo);
    const double t = info->tempo;
    // Converting a value outside the integer range is undefined; such a
    // tempo is as unusable as none.
    if (!(t > -2147483648.0 && t < 2147483648.0)) return static_cast<VstInt32>(kFallbackHostTempo);
    return static_cast<VstInt32>(t);
}

void Tarnwell::delayPass(VstInt32 n) {
    delay.process(leftMix.data, rightMix.data, n, hostTempo(), engineSampleRate);
}

VstIntPtr Tarnwell::vendorSpecific(VstInt32 index, VstIntPtr value, void *, float) {
    if (index != kVendorOfflineMesh) return 0;
    stage.requestAudioClock(value != 0);
    return 1;
}

}  // namespace tarn
