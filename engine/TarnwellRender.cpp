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
        renderChunk(left, right, 0);
        return;
    }
    // A block longer than any before grows the work buffers; a block beyond
    // what one piece may hold is rendered in pieces rather than failing.
    growRenderBuffers(n < kMaxBlockChunk ? n : kMaxBlockChunk);
    int32_t done = 0;
    while (done < n) {
        int32_t piece = n - done;
        if (piece > leftMix.count) piece = leftMix.count;
        if (piece > lfo1Values.count) piece = lfo1Values.count;
        if (piece > lfo2Values.count) piece = lfo2Values.count;
        renderChunk(left + done, right + done, piece);
        done += piece;
    }
}

void Tarnwell::renderChunk(float *left, float *right, int32_t n) {
    Voice *listed[kNumVoices];
    int count = 0;
    uint32_t rendered = 0;
    for (int i = 0; i < kNumVoices; ++i) {
        if (voices[i].active) {
            listed[count++] = &voices[i];
            rendered |= 1u << i;
        }
    }
    voicesTakingParameters = rendered;

    double *lfo1Out = lfo1Values.data;
    double *lfo2Out = lfo2Values.data;
    for (int32_t k = 0; k < n; ++k) {
        lfo1Out[k] = lfo1.next(k & 7);
        lfo2Out[k] = lfo2.next(k & 7);
    }

    double *mixL = leftMix.data;
    double *mixR = rightMix.data;
    const bool meshByAudio = stage.audioClockRunning();
    // The control tick works once every samplesPerTick samples and only
    // counts in between. What it sets reaches the voices only through the
    // targets they read on their own control samples, so the voices run
    // ahead of it in stretches that end on the sample of its next work.
    for (int32_t k = 0; k < n;) {
        const int32_t due = (samplesPerTick - tickCount % samplesPerTick) % samplesPerTick;
        int32_t len = due + 1;
        if (len > n - k) len = n - k;
        if (len > VoiceLanes::kMaxSamples) len = VoiceLanes::kMaxSamples;
        double sounds[VoiceLanes::kMaxSamples * VoiceLanes::kMaxVoices];
        VoiceLanes::render(listed, count, lfo1Out + k, lfo2Out + k, len, sounds, voiceWidth);
        for (int32_t s = 0; s < len; ++s, ++k) {
            // The voices are mono: both sides start from the same sum.
            double sum = 0.0;
            for (int i = 0; i < count; ++i) sum += sounds[s * VoiceLanes::kMaxVoices + i];
            mixL[k] = sum;
            mixR[k] = sum;
            if (s == due) {
                controlTick();
            } else {
                tickCount = (tickCount + 1) % kTicksPerRebuild;
            }
            if (meshByAudio) stage.advanceAudioSample(engineSampleRate);
        }
    }
    voicesTakingParameters = kAllVoices;

    if (fxOn()) delayPass(n);

    for (int32_t k = 0; k < n; ++k) {
        left[k] = static_cast<float>(left[k] + static_cast<float>(mixL[k]));
        right[k] = static_cast<float>(right[k] + static_cast<float>(mixR[k]));
    }
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
