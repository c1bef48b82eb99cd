// One instance of the instrument: the effect object the entry point builds.
// It owns the voices, LFOs, delay, parameter store, the mesh with the rule for
// when it moves, the mesh controllers' state, the controller bindings and the
// MIDI-learn sequence. An editor view, if any, borrows the mesh through
// meshStage() and changes parameters through the effect; the engine never
// reaches into a view.
#pragma once

#include <atomic>
#include <cstdint>

#include "dsp/SampleBuffer.h"
#include "dsp/SineLfo.h"
#include "dsp/Voice.h"
#include "dsp/VoiceLanes.h"
#include "dsp/param.h"
#include "dsp/TempoDelay.h"
#include "engine/EffectLearnTarget.h"
#include "engine/Identity.h"
#include "engine/MeshStage.h"
#include "engine/PendingEvents.h"
#include "engine/ParameterTable.h"
#include "learn/ControllerMap.h"
#include "learn/LearnSequence.h"
#include "mesh/MeshController.h"
#include "plugin/AudioEffectX.h"

namespace tarn {

class Tarnwell : public AudioEffectX {
public:
    static constexpr VstInt32 kNumPrograms = 9;
    static constexpr VstInt32 kNumParams = tarn::kNumParams;
    static constexpr int kNumVoices = 12;
    static constexpr int kNumSynthParams = tarn::kNumSynthParams;
    static constexpr int kFirstSynthParam = tarn::kFirstSynthParam;
    static constexpr int kFirstControllerParam = tarn::kFirstControllerParam;
    static constexpr int kNumControllers = tarn::kNumControllers;
    static constexpr int32_t kRenderBufferSamples = 32768;
    static constexpr int kTicksPerRebuild = 128;
    // Longest stretch rendered in one piece; longer host blocks are split.
    static constexpr int32_t kMaxBlockChunk = 1 << 20;
    static constexpr double kFallbackHostTempo = 128.0;   // delay, when the host gives no tempo
    static constexpr double kFallbackMeshTempo = 120.0;   // controller clocks, before the host reports one
    // Private request of the offline renderer: with value 1 the mesh moves in
    // audio time (and notes push it) whether or not a view shows it.
    static constexpr VstInt32 kVendorOfflineMesh = fourCharCode('T', 'w', 'M', 's');

    explicit Tarnwell(audioMasterCallback audioMaster);
    ~Tarnwell() override;

    // Parameters.
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void getParameterLabel(VstInt32 index, char *text) override;
    void getParameterDisplay(VstInt32 index, char *text) override;
    void getParameterName(VstInt32 index, char *text) override;
    void setSampleRate(float rate) override;
    void setBlockSize(VstInt32 size) override;
    virtual void setEffectiveParameter(VstInt32 index, float value);
    void pushEffectiveToVoices();
    void decodeControllers();

    // Programs and identity.
    void setProgram(VstInt32 program) override;
    VstInt32 getProgram() override;
    void setProgramName(char *name) override;
    void getProgramName(char *name) override;
    bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char *text) override;
    bool getEffectName(char *name) override;
    bool getVendorString(char *text) override;
    bool getProductString(char *text) override;
    VstInt32 getVendorVersion() override { return kVendorVersion; }
    VstInt32 canDo(char *text) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties *properties) override;
    VstInt32 getMidiProgramName(VstInt32 channel, MidiProgramName *name) override;
    VstInt32 getCurrentMidiProgram(VstInt32 channel, MidiProgramName *name) override;
    VstInt32 getMidiProgramCategory(VstInt32 channel, MidiProgramCategory *category) override;
    bool hasMidiProgramsChanged(VstInt32) override { return false; }
    bool getMidiKeyName(VstInt32 channel, MidiKeyName *key) override;

    // Audio and MIDI.
    void resume() override;
    VstInt32 processEvents(VstEvents *events) override;
    void processReplacing(float **inputs, float **outputs, VstInt32 sampleFrames) override;
    void process(float **inputs, float **outputs, VstInt32 sampleFrames) override;
    VstIntPtr vendorSpecific(VstInt32 index, VstIntPtr value, void *ptr, float opt) override;

    // Mesh controllers.
    void controlTick();
    int32_t controllerPeriod(int j) const;
    void syncControllersToHost();
    // For a door whose host tells the transport only with the blocks: the
    // clocks aligned to info as syncControllersToHost would have aligned
    // them while the instance was built, with the divisions and sample rate
    // it had then.
    void syncControllersAsBuilt(const VstTimeInfo *info);
    VstInt32 hostTempo();

    // MIDI learn and settings.
    void assignController(int32_t cc, int32_t param) { controllerMap.assign(cc, param); }
    int32_t controllerFor(int32_t param) const { return controllerMap.controllerFor(param); }
    ControllerMap &controllers() { return controllerMap; }
    // User-interface thread: runs the learn dialogs over the mesh parameters.
    void startLearn() { learning.start(); }
    // How the learn dialogs are shown: a view that draws its own hands its
    // driver in, and the platform's back before it goes.
    void setLearnDialogs(LearnDialogDriver &dialogs) { learning.setDriver(dialogs); }
    void loadSettings();
    void saveSettings();

    // Engine flags read by the editor.
    bool fxOn() const { return fxOnFlag.load(std::memory_order_relaxed); }
    void setFxOn(bool on) { fxOnFlag.store(on, std::memory_order_relaxed); }
    bool isFirstRun() const { return firstRun.load(std::memory_order_relaxed); }
    int32_t getEditorWidth() const { return editorWidth; }
    int32_t getEditorHeight() const { return editorHeight; }
    int32_t getMeshColumns() const { return meshColumns.load(std::memory_order_relaxed); }
    int32_t getMeshRows() const { return meshRows.load(std::memory_order_relaxed); }
    double getSampleRateValue() const { return engineSampleRate; }
    double getTempo() const { return tempo; }

    // The mesh, for the views that show it.
    MeshStage &meshStage() { return stage; }
    const MeshStage &meshStage() const { return stage; }

    // How the voices are rendered, and whether the control pass passes on
    // values that have not changed; every choice gives the same bits. For
    // tests and benchmarks.
    void setVoiceWidth(VoiceLanes::Width width) { voiceWidth = VoiceLanes::available(width); }
    void setReapplyUnchanged(bool always) { reapplyUnchanged = always; }

    // Read-only views for tests.
    float effectiveParameter(int k) const { return (k >= 0 && k < kNumSynthParams) ? effectiveParams[k] : 0.0f; }
    const Voice &voice(int i) const { return voices[i]; }
    const MeshController &controller(int j) const { return meshControllers[j]; }
    int32_t countdownOf(int j) const { return countdown[j]; }
    float heldOf(int j) const { return held[j]; }
    const TempoDelay &tempoDelay() const { return delay; }
    int32_t mixBufferSamples() const { return leftMix.count; }
    int32_t lfoBufferSamples() const { return lfo1Values.count; }

private:
    void startNote(int32_t note, int32_t velocity, int32_t deltaFrames);
    void releaseNote(int32_t note);
    void handleController(int32_t cc, float value);
    void applyMidi(unsigned char status, unsigned char data1, unsigned char data2);
    // Applies the held events due on or before `frame` of the block; true if
    // there were any.
    bool applyEventsUpTo(int32_t frame);
    void renderBlock(float **outputs, VstInt32 n);
    // n samples from sample `first` of the host's block.
    void renderChunk(float *left, float *right, int32_t n, int32_t first);
    // The engine's work for the samples of a stretch the voices have
    // rendered: the mix, the control tick, the mesh's audio clock.
    struct Stretch {
        Tarnwell *engine;
        const double *sounds;
        int count;
        int32_t start;  // chunk sample of the stretch's sample 0
        int done;       // stretch samples already taken
        bool meshByAudio;
    };
    void takeStretchSamples(Stretch &stretch, int upTo);
    // VoiceLanes::Hook: the samples up to and including the control tick's
    // working sample, that tick among them; then the next working sample.
    static int afterControlSample(void *stretch, int sample);
    void alignControllerClocks(const VstTimeInfo *info);
    void growRenderBuffers(int32_t n);
    void delayPass(VstInt32 n);
    void controlPass();
    void applyPendingVoicePush();
    // Gives a voice that sat out control passes the values it missed.
    void refreshStaleVoice(int i);

    SampleBuffer leftMix;
    SampleBuffer rightMix;
    SampleBuffer lfo1Values;
    SampleBuffer lfo2Values;
    TempoDelay delay;
    // Written by whatever thread sets parameters, read by the audio thread:
    // each value is one relaxed atomic float, so a reader sees old or new.
    std::atomic<float> storedParams[kNumParams];
    float effectiveParams[kNumSynthParams] = {};
    Voice voices[kNumVoices];
    double engineSampleRate = 44100.0;
    int32_t channelPrograms[16] = {};
    int32_t tickCount = 0;
    static constexpr int32_t samplesPerTick = 16;
    MeshController meshControllers[kNumControllers];
    int32_t countdown[kNumControllers] = {};
    float held[kNumControllers] = {};
    double tempo = kFallbackMeshTempo;
    int32_t builtDivisions[kNumControllers] = {};
    double builtSampleRate = 44100.0;
    bool tempoReported = false;
    SineLfo lfo1;
    SineLfo lfo2;
    std::atomic<bool> fxOnFlag{true};
    std::atomic<double> noteScale{0.0};
    std::atomic<double> velScale{0.0};
    int32_t editorWidth = 600;
    int32_t editorHeight = 600;
    std::atomic<int32_t> meshColumns{10};
    std::atomic<int32_t> meshRows{10};
    ControllerMap controllerMap;
    std::atomic<bool> firstRun{true};
    std::atomic<int32_t> currentProgram{-1};
    // A program change asks the audio thread to resend the effective values
    // to the voices rather than touching them from the caller's thread.
    std::atomic<bool> voicePushPending{false};
    MeshStage stage;
    // The program loaded while the instance is being built only stores the
    // mesh parameters: the mesh keeps its start friction and stiffness and
    // takes the program's size at the first control tick. Set once, at the
    // end of construction.
    bool meshTakesParameters = false;
    EffectLearnTarget learnTarget{this};
    LearnSequence learning{learnTarget, platformLearnDialog()};
    VoiceLanes::Width voiceWidth = VoiceLanes::widest();
    bool reapplyUnchanged = false;
    // A silent voice neither ticks nor reads its targets, so only the last
    // value sent to it counts: while a block renders, the control pass
    // reaches only the voices in it, marks the others stale, and a stale
    // voice is brought up to date when a note starts on it.
    static constexpr uint32_t kAllVoices = (1u << kNumVoices) - 1;
    uint32_t voicesTakingParameters = kAllVoices;
    uint32_t staleVoices = 0;
    PendingEvents pendingEvents;
    // Every voice's samples of the stretch being rendered.
    double stretchSounds[VoiceLanes::kMaxSamples * VoiceLanes::kMaxVoices];
};

}  // namespace tarn
