#include "engine/Instrument.h"

#include <cstring>
#include <new>

#include "engine/ParameterText.h"
#include "engine/ProgramBank.h"
#include "engine/Tarnwell.h"
#include "plugin/AEffEditor.h"

namespace tarn {

namespace {

// The engine calls its host while it is being built, before the record can
// lead back to its Instrument.
thread_local Instrument *instrumentBeingBuilt = nullptr;

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

std::unique_ptr<Instrument> Instrument::create(ViewAttacher attachView, ChangeListener listener, void *context) {
    std::unique_ptr<Instrument> instrument(new (std::nothrow) Instrument(listener, context));
    if (!instrument) return nullptr;
    // The program loaded while building is where the host starts, not news.
    instrument->reportsHeld.store(true, std::memory_order_release);
    instrumentBeingBuilt = instrument.get();
    instrument->effect = new (std::nothrow) Tarnwell(&Instrument::hostCallback);
    if (instrument->effect && attachView) attachView(*instrument->effect);
    instrumentBeingBuilt = nullptr;
    if (!instrument->effect) return nullptr;
    instrument->effect->getAeffect()->resvd1 = reinterpret_cast<VstIntPtr>(instrument.get());
    instrument->noteHostValues();
    instrument->reportsHeld.store(false, std::memory_order_release);
    return instrument;
}

Instrument::Instrument(ChangeListener listener, void *context) : listener(listener), listenerContext(context) {
    for (auto &v : hostValues) v.store(0.0f, std::memory_order_relaxed);
    for (int32_t i = 0; i < kMaxEventsPerPiece; ++i) {
        midiEvents[i].type = kVstMidiType;
        midiEvents[i].byteSize = static_cast<VstInt32>(sizeof(VstMidiEvent));
        eventList.events[i] = reinterpret_cast<VstEvent *>(&midiEvents[i]);
    }
}

Instrument::~Instrument() { delete effect; }

VstIntPtr VSTCALLBACK Instrument::hostCallback(AEffect *record, VstInt32 opcode, VstInt32 index, VstIntPtr,
                                               void *, float opt) {
    Instrument *self = record ? reinterpret_cast<Instrument *>(record->resvd1) : nullptr;
    if (!self) self = instrumentBeingBuilt;
    if (opcode == audioMasterVersion) return kVstVersion;
    return self ? self->answer(opcode, index, opt) : 0;
}

VstIntPtr Instrument::answer(VstInt32 opcode, VstInt32 index, float opt) {
    switch (opcode) {
        case audioMasterWantMidi:
            return 1;
        case audioMasterGetTime:
            return transportKnown ? reinterpret_cast<VstIntPtr>(&timeInfo) : 0;
        case audioMasterAutomate:
            if (!reportsHeld.load(std::memory_order_acquire)) reportChange(index, opt);
            return 0;
        default:
            return 0;
    }
}

void Instrument::reportChange(int32_t index, float value) {
    if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(kNumParams)) return;
    hostValues[index].store(value, std::memory_order_relaxed);
    changed.mark(index);
    if (listener) listener(listenerContext);
}

void Instrument::noteHostValues() {
    for (int32_t i = 0; i < kNumParams; ++i) hostValues[i].store(effect->getParameter(i), std::memory_order_relaxed);
}

float Instrument::parameter(int32_t index) const { return effect->getParameter(index); }

void Instrument::setParameter(int32_t index, float value) {
    if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(kNumParams)) return;
    // The host's view first: a block ending in between then sees the new
    // value as the host's, not as a change of the instrument's own.
    float stored = value;
    if (!(stored >= 0.0f)) stored = 0.0f;
    if (stored > 1.0f) stored = 1.0f;
    hostValues[index].store(stored, std::memory_order_relaxed);
    effect->setParameter(index, value);
}

float Instrument::defaultValue(int32_t index) {
    return static_cast<float>(ProgramBank::factoryValue(0, index));
}

void Instrument::parameterName(int32_t index, char *text, int capacity) const {
    tarn::parameterName(index, text, capacity);
}

void Instrument::parameterLabel(int32_t index, char *text, int capacity) const {
    tarn::parameterLabel(index, text, capacity);
}

void Instrument::parameterDisplay(int32_t index, float value, char *text, int capacity) const {
    tarn::parameterDisplay(index, value, effect->getMeshColumns(), effect->getMeshRows(), text, capacity);
}

void Instrument::parameterText(int32_t index, float value, char *text, int capacity) const {
    if (!text || capacity < 1) return;
    parameterDisplay(index, value, text, capacity);
    const std::size_t used = std::strlen(text);
    if (used + 1 >= static_cast<std::size_t>(capacity)) return;
    text[used] = ' ';
    tarn::parameterLabel(index, text + used + 1, capacity - static_cast<int>(used) - 1);
}

bool Instrument::parameterFromText(int32_t index, const char *text, float *value) const {
    return tarn::parameterFromText(index, text, effect->getMeshColumns(), effect->getMeshRows(), value);
}

int32_t Instrument::program() const { return effect->getProgram(); }

void Instrument::loadProgram(int32_t program) {
    if (static_cast<uint32_t>(program) >= static_cast<uint32_t>(kNumPrograms)) return;
    reportsHeld.store(true, std::memory_order_release);
    effect->setProgram(program);
    reportsHeld.store(false, std::memory_order_release);
    noteHostValues();
}

void Instrument::programName(int32_t program, char *text, int capacity) const {
    ProgramBank::shared().getName(program, text, capacity);
}

void Instrument::factoryProgramName(int32_t program, char *text, int capacity) {
    if (!text || capacity < 1) return;
    text[0] = '\0';
    const char *name = static_cast<uint32_t>(program) < static_cast<uint32_t>(kNumPrograms)
                           ? ProgramBank::factoryName(program)
                           : nullptr;
    if (!name) return;
    std::strncpy(text, name, static_cast<std::size_t>(capacity) - 1);
    text[capacity - 1] = '\0';
}

void Instrument::activate(double sampleRate, int32_t maxFrames) {
    effect->setSampleRate(static_cast<float>(sampleRate));
    effect->setBlockSize(maxFrames);
    effect->resume();
}

void Instrument::publishTransport(const Transport *transport) {
    transportKnown = transport != nullptr;
    if (!transport) return;
    timeInfo = VstTimeInfo{};
    timeInfo.sampleRate = effect->getSampleRateValue();
    if (transport->hasTempo) {
        timeInfo.tempo = transport->tempo;
        timeInfo.flags |= kVstTempoValid;
    }
    if (transport->hasBeats) {
        timeInfo.ppqPos = transport->beats;
        timeInfo.flags |= kVstPpqPosValid;
    }
    if (transport->playing) timeInfo.flags |= kVstTransportPlaying;
    if (!clocksAligned) {
        effect->syncControllersAsBuilt(&timeInfo);
        clocksAligned = true;
    }
}

void Instrument::renderPiece(float *left, float *right, int32_t from, int32_t to, int32_t events) {
    if (events > 0) {
        eventList.numEvents = events;
        eventList.reserved = 0;
        effect->processEvents(reinterpret_cast<VstEvents *>(&eventList));
    }
    float *outputs[2] = {left + from, right + from};
    effect->processReplacing(nullptr, outputs, to - from);
}

void Instrument::process(const InstrumentEvent *events, int32_t count, float *left, float *right, int32_t frames,
                         const Transport *transport) {
    publishTransport(transport);
    if (!left || !right || frames <= 0) return;
    if (!events) count = 0;
    int32_t pos = 0;
    int32_t k = 0;
    while (pos < frames) {
        int32_t end = frames;
        int32_t gathered = 0;
        for (; k < count; ++k) {
            const InstrumentEvent &e = events[k];
            int32_t f = e.frame;
            if (f < pos) f = pos;
            if (f > frames - 1) f = frames - 1;
            if (e.kind == InstrumentEvent::Kind::Parameter) {
                if (f <= pos) {
                    setParameter(e.index, e.value);
                    continue;
                }
                end = f;
                break;
            }
            if (gathered == kMaxEventsPerPiece) {
                end = f > pos ? f : pos + 1;
                break;
            }
            VstMidiEvent &m = midiEvents[gathered++];
            m.deltaFrames = f - pos;
            m.midiData[0] = static_cast<char>(e.status);
            m.midiData[1] = static_cast<char>(e.data1);
            m.midiData[2] = static_cast<char>(e.data2);
            m.midiData[3] = 0;
        }
        renderPiece(left, right, pos, end, gathered);
        pos = end;
    }
    for (; k < count; ++k)
        if (events[k].kind == InstrumentEvent::Kind::Parameter) setParameter(events[k].index, events[k].value);
    noticeChanges();
}

void Instrument::noticeChanges() {
    // A learned controller or the editor sets its parameter inside the
    // engine: the host hears of it as of any change the instrument made.
    for (int32_t i = 0; i < kNumParams; ++i) {
        const float v = effect->getParameter(i);
        if (!sameBits(v, hostValues[i].load(std::memory_order_relaxed))) reportChange(i, v);
    }
}

void Instrument::saveState(unsigned char *out) const {
    if (!out) return;
    InstrumentState state;
    state.program = effect->getProgram();
    if (static_cast<uint32_t>(state.program) >= static_cast<uint32_t>(kNumPrograms)) state.program = 0;
    ProgramBank::shared().getName(state.program, state.programName, InstrumentState::kNameCapacity);
    for (int32_t i = 0; i < kNumParams; ++i) state.values[i] = effect->getParameter(i);
    state.encode(out);
}

bool Instrument::loadState(const unsigned char *bytes, std::size_t size) {
    InstrumentState state;
    if (!state.decode(bytes, size)) return false;
    reportsHeld.store(true, std::memory_order_release);
    effect->setProgram(state.program);
    ProgramBank::shared().setName(state.program, state.programName);
    for (int32_t i = 0; i < kNumParams; ++i) effect->setParameter(i, state.values[i]);
    reportsHeld.store(false, std::memory_order_release);
    noteHostValues();
    return true;
}

bool Instrument::hasEditor() const { return effect->getEditor() != nullptr; }

void Instrument::editorSize(int32_t *width, int32_t *height) const {
    int32_t w = effect->getEditorWidth();
    int32_t h = effect->getEditorHeight();
    ERect *rect = nullptr;
    if (AEffEditor *view = effect->getEditor(); view && view->getRect(&rect) && rect) {
        w = rect->right - rect->left;
        h = rect->bottom - rect->top;
    }
    if (width) *width = w;
    if (height) *height = h;
}

bool Instrument::openEditor(void *parent) {
    AEffEditor *view = effect->getEditor();
    if (!view || !parent) return false;
    if (editorOpen) view->close();
    editorOpen = view->open(parent);
    return editorOpen;
}

// The view keeps its parent after a close (its isOpen stays true), so the
// seam keeps its own account of whether a window is open.
void Instrument::closeEditor() {
    AEffEditor *view = effect->getEditor();
    if (view && editorOpen) view->close();
    editorOpen = false;
}

bool Instrument::isEditorOpen() const { return editorOpen; }

void Instrument::editorIdle() {
    if (AEffEditor *view = effect->getEditor(); view && editorOpen) view->idle();
}

void Instrument::setMeshInAudioTime(bool on) {
    effect->vendorSpecific(Tarnwell::kVendorOfflineMesh, on ? 1 : 0, nullptr, 0.0f);
}

}  // namespace tarn
