// Construction and destruction of the instrument, and what setting each host
// parameter does (the parameter table says which).
#include "engine/Tarnwell.h"

#include <cmath>
#include <cstdlib>
#include <ctime>

#include "dsp/NoteFreqTable.h"
#include "dsp/SampleRate.h"
#include "engine/ParameterText.h"
#include "plugin/AEffEditor.h"

namespace tarn {

namespace {

// Hosts may send any float: out-of-range values would decode to indices
// outside the tables, so the store only ever holds 0..1 (NaN becomes 0).
float clampParameterValue(float value) {
    if (!(value >= 0.0f)) return 0.0f;
    if (value > 1.0f) return 1.0f;
    return value;
}

// Host text buffers are nominally 8 characters, but the instrument's own
// names are longer and every host seen passes far larger buffers; 24 bytes
// holds every name and display text while bounding what is written.
constexpr int kParameterTextCapacity = 24;

}  // namespace

Tarnwell::Tarnwell(audioMasterCallback master)
    : AudioEffectX(master, kNumPrograms, kNumParams),
      leftMix(kRenderBufferSamples),
      rightMix(kRenderBufferSamples),
      lfo1Values(kRenderBufferSamples),
      lfo2Values(kRenderBufferSamples) {
    for (auto &p : storedParams) p.store(0.0f, std::memory_order_relaxed);
    currentProgram.store(-1, std::memory_order_relaxed);
    meshRows.store(10, std::memory_order_relaxed);
    meshColumns.store(10, std::memory_order_relaxed);

    std::srand(static_cast<unsigned>(std::time(nullptr)));

    engineSampleRate = 44100.0;
    fxOnFlag.store(true, std::memory_order_relaxed);

    NoteFreqTable::table();

    setProgram(0);
    decodeControllers();

    if (audioMaster) {
        cEffect.numInputs = 0;
        cEffect.numOutputs = 2;
        cEffect.flags |= effFlagsCanReplacing | effFlagsIsSynth;
        cEffect.uniqueID = fourCharCode('t', 'R', 'n', 'W');
    }

    tickCount = 0;
    decodeControllers();
    for (int k = 0; k < kNumSynthParams; ++k) setEffectiveParameter(k, getParameter(kFirstSynthParam + k));
    syncControllersToHost();

    editorWidth = 600;
    editorHeight = 600;
    firstRun.store(true, std::memory_order_relaxed);
    loadSettings();

    meshTakesParameters = true;

    resume();
}

Tarnwell::~Tarnwell() {
    // A view borrows the mesh and the learn sequence, so it goes first.
    AEffEditor *view = editor;
    setEditor(nullptr);
    delete view;
}

void Tarnwell::setParameter(VstInt32 index, float value) {
    if (!isHostParameter(index)) return;
    const float v = clampParameterValue(value);
    storedParams[index].store(v, std::memory_order_relaxed);

    Mesh &mesh = stage.mesh();
    switch (parameterSpec(index).effect) {
        case ParamEffect::MeshFriction:
            if (meshTakesParameters) mesh.setFrictionTarget(v);
            break;
        case ParamEffect::MeshStiffness:
            if (meshTakesParameters) mesh.setStiffnessTarget(v);
            break;
        case ParamEffect::MeshRows:
            if (meshTakesParameters) {
                const int32_t rows = meshSizeFor(v);
                mesh.resize(mesh.columns(), rows);
                meshRows.store(rows, std::memory_order_relaxed);
            }
            break;
        case ParamEffect::MeshColumns:
            if (meshTakesParameters) {
                const int32_t columns = meshSizeFor(v);
                mesh.resize(columns, mesh.rows());
                meshColumns.store(columns, std::memory_order_relaxed);
            }
            break;
        case ParamEffect::NoteScale:
            noteScale.store(centredScale(v), std::memory_order_relaxed);
            break;
        case ParamEffect::VelScale:
            velScale.store(centredScale(v), std::memory_order_relaxed);
            break;
        case ParamEffect::Sound:
        case ParamEffect::Controller:
            break;  // stored only: the control tick applies them
    }
}

float Tarnwell::getParameter(VstInt32 index) {
    if (!isHostParameter(index)) return 0.0f;
    return storedParams[index].load(std::memory_order_relaxed);
}

void Tarnwell::getParameterLabel(VstInt32, char *text) { copyText(text, "(none)", kParameterTextCapacity); }

void Tarnwell::getParameterDisplay(VstInt32 index, char *text) {
    parameterDisplay(index, getParameter(index), getMeshColumns(), getMeshRows(), text, kParameterTextCapacity);
}

void Tarnwell::getParameterName(VstInt32 index, char *text) {
    parameterName(index, text, kParameterTextCapacity);
}

void Tarnwell::setSampleRate(float rate) {
    AudioEffect::setSampleRate(rate);
    // Hosts change the rate only while the instrument is switched off, so
    // the voices and LFOs can take it directly. An unusable rate would poison
    // every period: the engine, voices and LFOs all keep the last one.
    if (!isUsableSampleRate(rate)) return;
    engineSampleRate = rate;
    for (auto &v : voices) v.setSampleRate(engineSampleRate);
    lfo1.setSampleRate(engineSampleRate);
    lfo2.setSampleRate(engineSampleRate);
}

void Tarnwell::setBlockSize(VstInt32 size) {
    AudioEffect::setBlockSize(size);
    // Growing here, while the host has processing stopped, keeps the
    // allocation off the audio thread for every block up to this size.
    if (size > 0 && size <= kMaxBlockChunk) growRenderBuffers(size);
}

void Tarnwell::growRenderBuffers(int32_t n) {
    if (n > leftMix.count) {
        leftMix.grow(n);
        rightMix.grow(n);
    }
    if (n > lfo1Values.count) lfo1Values.grow(n);
    if (n > lfo2Values.count) lfo2Values.grow(n);
}

void Tarnwell::setEffectiveParameter(VstInt32 index, float value) {
    if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(kNumSynthParams)) return;
    effectiveParams[index] = value;
    switch (soundDestination(index)) {
        case SoundDestination::Lfo1Speed:
            lfo1.speed.setTarget(value);
            break;
        case SoundDestination::Lfo2Speed:
            lfo2.speed.setTarget(value);
            break;
        case SoundDestination::DelaySend:
            delay.send.setTarget(value);
            break;
        case SoundDestination::DelayFeedback:
            delay.feedback.setTarget(value);
            break;
        case SoundDestination::Voices:
        case SoundDestination::NotSound:
            for (int i = 0; i < kNumVoices; ++i) {
                if (voicesTakingParameters & (1u << i)) {
                    voices[i].setSynthParam(index, value);
                } else {
                    staleVoices |= 1u << i;
                }
            }
            break;
    }
}

void Tarnwell::pushEffectiveToVoices() { voicePushPending.store(true, std::memory_order_release); }

void Tarnwell::applyPendingVoicePush() {
    if (!voicePushPending.exchange(false, std::memory_order_acquire)) return;
    for (auto &v : voices)
        for (int k = 0; k < kNumSynthParams; ++k) v.setSynthParam(k, effectiveParams[k]);
    staleVoices = 0;
}

void Tarnwell::refreshStaleVoice(int i) {
    if (!(staleVoices & (1u << i))) return;
    for (int k = 0; k < kNumSynthParams; ++k) voices[i].setSynthParam(k, effectiveParams[k]);
    staleVoices &= ~(1u << i);
}

void Tarnwell::decodeControllers() {
    const int32_t columns = getMeshColumns();
    const int32_t rows = getMeshRows();
    for (int s = 0; s < kNumControllers; ++s) {
        const int p = kFirstControllerParam + kControllerStride * s;
        MeshController &c = meshControllers[s];
        c.type = quantise(getParameter(p + kControllerType), kNumControllerSources);
        c.column = quantise(getParameter(p + kControllerX), columns);
        c.row = quantise(getParameter(p + kControllerY), rows);
        c.target = quantise(getParameter(p + kControllerTarget), kNumSynthParams);
        c.scale = centredScale(getParameter(p + kControllerScale));
        c.division = quantise(getParameter(p + kControllerSample), kNumDivisions);
    }
    // Re-applying the size resizes the mesh only when it differs.
    setParameter(kParamRows, getParameter(kParamRows));
    setParameter(kParamColumns, getParameter(kParamColumns));
}

}  // namespace tarn
