// One instance of the instrument as every door sees it: the seam between a
// plug-in format (or the standalone player) and the instrument. A door only
// translates its format's calls into these and back; names, texts,
// programs, MIDI, the mesh, the editor and the settings all stay below.
//
// Threads: the door's main thread builds, destroys, activates, loads
// programs and state, and opens and closes the editor; one audio thread at a
// time calls process(). Parameter values may be read and set from either.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "engine/ChangedParameters.h"
#include "engine/InstrumentEvent.h"
#include "engine/InstrumentState.h"
#include "engine/Transport.h"
#include "plugin/VstAbi.h"

namespace tarn {

class Tarnwell;

class Instrument final {
public:
    static constexpr int32_t kNumParams = 88;
    static constexpr int32_t kNumPrograms = 9;
    static constexpr std::size_t kStateBytes = InstrumentState::kBytes;
    // The MIDI events handed to the engine in one piece of a block. More at
    // one sample than this act a sample later, never lost.
    static constexpr int32_t kMaxEventsPerPiece = 256;

    // Told, on the thread that made it, that the instrument changed a value
    // by itself (see changes()); must not block.
    using ChangeListener = void (*)(void *context);

    // Gives a freshly built engine its editor view, or none.
    using ViewAttacher = void (*)(Tarnwell &effect);

    // Builds one instance, with the view attachView gives it; null if it
    // cannot be built. Doors build through createInstrument, which attaches
    // the editor's view.
    static std::unique_ptr<Instrument> create(ViewAttacher attachView, ChangeListener listener = nullptr,
                                              void *context = nullptr);
    ~Instrument();
    Instrument(const Instrument &) = delete;
    Instrument &operator=(const Instrument &) = delete;

    // Parameters: index = the VST 2.4 index, value 0..1.
    float parameter(int32_t index) const;
    // A change the host made: not reported back through changes().
    void setParameter(int32_t index, float value);
    // Program 0's factory value: what a fresh instance holds.
    static float defaultValue(int32_t index);
    void parameterName(int32_t index, char *text, int capacity) const;
    void parameterLabel(int32_t index, char *text, int capacity) const;
    // Display text of any value of the parameter, as the VST 2.4 door shows
    // it for the stored value.
    void parameterDisplay(int32_t index, float value, char *text, int capacity) const;
    // The display followed by a space and the label.
    void parameterText(int32_t index, float value, char *text, int capacity) const;
    bool parameterFromText(int32_t index, const char *text, float *value) const;

    // Programs. loadProgram is the host's choice, so it is not reported back.
    int32_t program() const;
    void loadProgram(int32_t program);
    void programName(int32_t program, char *text, int capacity) const;
    // A program's name as the factory made it, without an instance (preset
    // lists); empty for a program that does not exist.
    static void factoryProgramName(int32_t program, char *text, int capacity);

    // Parameters the instrument changed by itself, for the door to tell its host.
    ChangedParameters &changes() { return changed; }
    // The editor's sliders and random button set values directly, unheard
    // by the host callback; each block notices them at its end. A door
    // whose host may not be processing calls this from its main thread now
    // and then (a timer) to notice them in between.
    void noticeChanges();

    // Main thread, while not processing.
    void activate(double sampleRate, int32_t maxFrames);
    // Audio thread. Events in frame order (frames past the block act on its
    // last sample); a parameter event splits the block there, so it acts on
    // its sample, before the MIDI events of the same sample. transport is
    // null when the host gives none with this block. Replaces left and right.
    void process(const InstrumentEvent *events, int32_t count, float *left, float *right, int32_t frames,
                 const Transport *transport);

    // State: the program, its name and the 88 values.
    void saveState(unsigned char *out) const;  // kStateBytes
    // Refuses anything but a whole state of our own, changing nothing then.
    bool loadState(const unsigned char *bytes, std::size_t size);

    // Editor (main thread). parent is an X11 window id or an HWND.
    bool hasEditor() const;
    void editorSize(int32_t *width, int32_t *height) const;
    bool openEditor(void *parent);
    void closeEditor();
    bool isEditorOpen() const;
    void editorIdle();

    // With on, the mesh moves in audio time and notes push it whether or not
    // the editor shows it: renders become reproducible. For tests and tools.
    void setMeshInAudioTime(bool on);

    Tarnwell &engine() { return *effect; }

private:
    Instrument(ChangeListener listener, void *context);
    static VstIntPtr VSTCALLBACK hostCallback(AEffect *effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                               void *ptr, float opt);
    VstIntPtr answer(VstInt32 opcode, VstInt32 index, float opt);
    void reportChange(int32_t index, float value);
    void noteHostValues();
    void publishTransport(const Transport *transport);
    void renderPiece(float *left, float *right, int32_t from, int32_t to, int32_t events);

    Tarnwell *effect = nullptr;
    ChangeListener listener;
    void *listenerContext;
    ChangedParameters changed;
    // What the host last heard each value to be; a value that differs after
    // a block was changed inside the engine (a learned controller).
    std::atomic<float> hostValues[kNumParams];
    std::atomic<bool> reportsHeld{false};
    VstTimeInfo timeInfo = {};
    bool editorOpen = false;  // main thread
    bool transportKnown = false;
    bool clocksAligned = false;
    VstMidiEvent midiEvents[kMaxEventsPerPiece] = {};
    struct EventList {
        VstInt32 numEvents;
        VstIntPtr reserved;
        VstEvent *events[kMaxEventsPerPiece];
    } eventList = {};
};

}  // namespace tarn
