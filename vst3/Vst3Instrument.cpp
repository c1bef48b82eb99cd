#include "editor/InstrumentBuilder.h"
#include "vst3/Vst3Instrument.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "engine/InstrumentIdentity.h"
#include "vst3/Vst3ParameterIds.h"
#include "vst3/Vst3Stream.h"
#include "vst3/Vst3Text.h"
#include "vst3/Vst3View.h"

namespace tarn::vst3 {

// Our own, made up for this instrument.
const Uid Vst3Instrument::kClassId = makeUid(0x6A1D3C52, 0x8E474B09, 0xA3F15C2E, 0x7D90B864);

namespace {

constexpr int kTextBytes = 128;
constexpr uint32 kInfiniteTail = 0xFFFFFFFFu;

bool isInstrumentParam(ParamID id) { return id < static_cast<ParamID>(Instrument::kNumParams); }

ParamID idOfIndex(int32 index) {
    if (index < Instrument::kNumParams) return static_cast<ParamID>(index);
    if (index == Instrument::kNumParams) return kProgramParam;
    return kControllerParamBase + static_cast<ParamID>(kFirstController + index - Instrument::kNumParams - 1);
}

}  // namespace

Vst3Instrument::Vst3Instrument() = default;

Vst3Instrument::~Vst3Instrument() {
    if (body) body->closeEditor();
    if (handler) handler->release();
}

tresult TARN_VST3_API Vst3Instrument::queryInterface(const TUID iid, void **obj) {
    if (!obj) return kInvalidArgument;
    void *found = nullptr;
    if (kFUnknownIid == iid || kIPluginBaseIid == iid || kIComponentIid == iid)
        found = static_cast<IComponent *>(static_cast<ComponentSide *>(this));
    else if (kIAudioProcessorIid == iid)
        found = static_cast<IAudioProcessor *>(this);
    else if (kIProcessContextRequirementsIid == iid)
        found = static_cast<IProcessContextRequirements *>(this);
    else if (kIEditControllerIid == iid)
        found = static_cast<IEditController *>(static_cast<ControllerSide *>(this));
    else if (kIMidiMappingIid == iid)
        found = static_cast<IMidiMapping *>(this);
    else if (kIUnitInfoIid == iid)
        found = static_cast<IUnitInfo *>(this);
    *obj = found;
    if (!found) return kNoInterface;
    addRef();
    return kResultOk;
}

uint32 TARN_VST3_API Vst3Instrument::addRef() { return references.fetch_add(1, std::memory_order_relaxed) + 1; }

uint32 TARN_VST3_API Vst3Instrument::release() {
    const uint32 left = references.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0) delete this;
    return left;
}

tresult TARN_VST3_API Vst3Instrument::initialize(FUnknown *) {
    if (initializations > 0) {
        ++initializations;
        return kResultOk;
    }
    body = createInstrument();
    if (!body) return kResultFalse;
    userInterfaceThread = std::this_thread::get_id();
    programTold.store(body->program(), std::memory_order_relaxed);
    ++initializations;
    return kResultOk;
}

tresult TARN_VST3_API Vst3Instrument::terminate() {
    if (initializations <= 0) return kResultFalse;
    if (--initializations > 0) return kResultOk;
    if (body) body->closeEditor();
    editorOwner = nullptr;
    if (handler) handler->release();
    handler = nullptr;
    body.reset();
    active = false;
    processing.store(false);
    return kResultOk;
}

// ---- component ---------------------------------------------------------------

tresult TARN_VST3_API Vst3Instrument::getControllerClassId(TUID) { return kNotImplemented; }

tresult TARN_VST3_API Vst3Instrument::setIoMode(IoMode) { return kNotImplemented; }

int32 TARN_VST3_API Vst3Instrument::getBusCount(MediaType type, BusDirection dir) {
    if (type == kAudio && dir == kOutput) return 1;
    if (type == kEvent && dir == kInput) return 1;
    return 0;
}

tresult TARN_VST3_API Vst3Instrument::getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo *bus) {
    if (!bus || index != 0 || getBusCount(type, dir) == 0) return kInvalidArgument;
    std::memset(bus, 0, sizeof *bus);
    bus->mediaType = type;
    bus->direction = dir;
    bus->channelCount = type == kAudio ? 2 : 16;
    toUtf16(type == kAudio ? "Output" : "MIDI In", bus->name, 128);
    bus->busType = kMain;
    bus->flags = kDefaultActive;
    return kResultTrue;
}

tresult TARN_VST3_API Vst3Instrument::getRoutingInfo(RoutingInfo *, RoutingInfo *) { return kNotImplemented; }

tresult TARN_VST3_API Vst3Instrument::activateBus(MediaType type, BusDirection dir, int32 index, TBool) {
    return index == 0 && getBusCount(type, dir) == 1 ? kResultTrue : kInvalidArgument;
}

tresult TARN_VST3_API Vst3Instrument::setActive(TBool state) {
    if (!body) return kNotInitialized;
    if (state && !active) {
        body->activate(sampleRate, maxBlock);
        for (int32 i = 0; i < Instrument::kNumParams; ++i) audioKnown[i] = body->parameter(i);
    }
    active = state != 0;
    return kResultOk;
}

tresult Vst3Instrument::setComponentChunk(IBStream *state) {
    if (!body) return kNotInitialized;
    unsigned char bytes[Instrument::kStateBytes];
    const int32 got = readUpTo(state, bytes, static_cast<int32>(sizeof bytes));
    if (got != static_cast<int32>(sizeof bytes) || !body->loadState(bytes, sizeof bytes)) return kResultFalse;
    programTold.store(body->program(), std::memory_order_relaxed);
    return kResultOk;
}

tresult Vst3Instrument::getComponentChunk(IBStream *state) {
    if (!body) return kNotInitialized;
    tellHost();
    unsigned char bytes[Instrument::kStateBytes];
    body->saveState(bytes);
    return writeAll(state, bytes, static_cast<int32>(sizeof bytes)) ? kResultOk : kResultFalse;
}

// ---- processor ---------------------------------------------------------------

tresult TARN_VST3_API Vst3Instrument::setBusArrangements(SpeakerArrangement *, int32 numIns,
                                                         SpeakerArrangement *outputs, int32 numOuts) {
    const bool asOurs = numIns == 0 && numOuts == 1 && outputs && outputs[0] == kStereo;
    return asOurs ? kResultTrue : kResultFalse;
}

tresult TARN_VST3_API Vst3Instrument::getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement *arr) {
    if (!arr || dir != kOutput || index != 0) return kInvalidArgument;
    *arr = kStereo;
    return kResultTrue;
}

tresult TARN_VST3_API Vst3Instrument::canProcessSampleSize(int32 size) {
    return size == kSample32 ? kResultTrue : kResultFalse;
}

uint32 TARN_VST3_API Vst3Instrument::getLatencySamples() { return 0; }

tresult TARN_VST3_API Vst3Instrument::setupProcessing(ProcessSetup *setup) {
    if (!setup) return kInvalidArgument;
    if (setup->symbolicSampleSize != kSample32) return kResultFalse;
    if (setup->sampleRate > 0.0 && setup->sampleRate < 1.0e7) sampleRate = setup->sampleRate;
    if (setup->maxSamplesPerBlock > 0) maxBlock = setup->maxSamplesPerBlock;
    return kResultOk;
}

tresult TARN_VST3_API Vst3Instrument::setProcessing(TBool state) {
    processing.store(state != 0, std::memory_order_relaxed);
    return kResultOk;
}

tresult TARN_VST3_API Vst3Instrument::process(ProcessData *data) {
    if (!data) return kInvalidArgument;
    if (!body) return kNotInitialized;
    const int32 frames = data->numSamples > 0 ? data->numSamples : 0;
    block.gather(data->inputEvents, data->inputParameterChanges, frames);

    const int32 program = block.programRequest();
    if (program >= 0 && program != body->program()) {
        body->loadProgram(program);
        programTold.store(program, std::memory_order_relaxed);
        valuesReloaded.store(true, std::memory_order_release);
    }

    Transport transport;
    const Transport *given = nullptr;
    if (const ProcessContext *context = data->processContext) {
        if (context->state & ProcessContext::kTempoValid) {
            transport.hasTempo = true;
            transport.tempo = context->tempo;
        }
        if (context->state & ProcessContext::kProjectTimeMusicValid) {
            transport.hasBeats = true;
            transport.beats = context->projectTimeMusic;
        }
        transport.playing = (context->state & ProcessContext::kPlaying) != 0;
        given = &transport;
    }

    AudioBusBuffers *out = data->numOutputs > 0 ? data->outputs : nullptr;
    float *left = nullptr, *right = nullptr;
    const bool single = data->symbolicSampleSize == kSample32;
    if (out && single && out->numChannels >= 2 && out->channelBuffers32) {
        left = out->channelBuffers32[0];
        right = out->channelBuffers32[1];
    }
    if (frames > 0 && left && right) {
        body->process(block.events(), block.count(), left, right, frames, given);
    } else {
        // No audio to place them in (a flush of changes, or buffers we cannot
        // fill): the values still take effect.
        for (int32 i = 0; i < block.count(); ++i) {
            const InstrumentEvent &e = block.events()[i];
            if (e.kind == InstrumentEvent::Kind::Parameter) body->setParameter(e.index, e.value);
        }
    }

    reportAudioChanges(data->outputParameterChanges, frames);

    // Every channel is written on every call, whatever the host gave.
    for (int32 b = 0; out && b < data->numOutputs; ++b) {
        AudioBusBuffers &bus = out[b];
        bool silent = true;
        for (int32 c = 0; c < bus.numChannels && frames > 0; ++c) {
            const bool ours = b == 0 && c < 2 && left && right;
            if (single && bus.channelBuffers32 && bus.channelBuffers32[c]) {
                float *s = bus.channelBuffers32[c];
                if (!ours) std::memset(s, 0, sizeof(float) * static_cast<std::size_t>(frames));
                for (int32 k = 0; k < frames && silent; ++k) silent = s[k] == 0.0f;
            } else if (!single && bus.channelBuffers64 && bus.channelBuffers64[c]) {
                std::memset(bus.channelBuffers64[c], 0, sizeof(double) * static_cast<std::size_t>(frames));
            }
        }
        const int32 channels = bus.numChannels < 64 ? bus.numChannels : 64;
        bus.silenceFlags = silent && channels > 0 ? (channels == 64 ? ~0ull : (1ull << channels) - 1) : 0;
    }
    return kResultOk;
}

void Vst3Instrument::reportAudioChanges(IParameterChanges *out, int32 frames) {
    for (int32 i = 0; i < block.count(); ++i) {
        const InstrumentEvent &e = block.events()[i];
        if (e.kind == InstrumentEvent::Kind::Parameter) audioKnown[e.index] = e.value;
    }
    for (int32 i = 0; i < Instrument::kNumParams; ++i) {
        const float v = body->parameter(i);
        if (v == audioKnown[i]) continue;
        audioKnown[i] = v;
        if (!out) continue;
        int32 slot = 0;
        const ParamID id = static_cast<ParamID>(i);
        if (IParamValueQueue *queue = out->addParameterData(&id, &slot)) {
            int32 point = 0;
            queue->addPoint(frames > 0 ? frames - 1 : 0, v, &point);
        }
    }
}

// The delay keeps sounding after the last note; let the host keep asking.
uint32 TARN_VST3_API Vst3Instrument::getTailSamples() { return kInfiniteTail; }

uint32 TARN_VST3_API Vst3Instrument::getProcessContextRequirements() {
    return IProcessContextRequirements::kNeedTempo | IProcessContextRequirements::kNeedProjectTimeMusic |
           IProcessContextRequirements::kNeedTransportState;
}

// ---- controller --------------------------------------------------------------

tresult TARN_VST3_API Vst3Instrument::setComponentState(IBStream *state) {
    if (!body) return kNotInitialized;
    // Controller and component are one: the state is already ours unless a
    // host hands the controller another one.
    unsigned char bytes[Instrument::kStateBytes], mine[Instrument::kStateBytes];
    const int32 got = readUpTo(state, bytes, static_cast<int32>(sizeof bytes));
    if (got != static_cast<int32>(sizeof bytes)) return kResultFalse;
    body->saveState(mine);
    if (std::memcmp(bytes, mine, sizeof mine) == 0) return kResultOk;
    if (!body->loadState(bytes, sizeof bytes)) return kResultFalse;
    programTold.store(body->program(), std::memory_order_relaxed);
    return kResultOk;
}

// Everything lives in the component's state.
tresult Vst3Instrument::setControllerChunk(IBStream *) { return kResultOk; }
tresult Vst3Instrument::getControllerChunk(IBStream *) { return kResultOk; }

int32 TARN_VST3_API Vst3Instrument::getParameterCount() { return kParameterCount; }

tresult TARN_VST3_API Vst3Instrument::getParameterInfo(int32 index, ParameterInfo *info) {
    if (!info || index < 0 || index >= kParameterCount) return kInvalidArgument;
    if (!body) return kNotInitialized;
    std::memset(info, 0, sizeof *info);
    const ParamID id = idOfIndex(index);
    info->id = id;
    info->unitId = kRootUnitId;
    char text[kTextBytes];
    if (isInstrumentParam(id)) {
        body->parameterName(static_cast<int32_t>(id), text, sizeof text);
        toUtf16(text, info->title, 128);
        toUtf16(text, info->shortTitle, 128);
        body->parameterLabel(static_cast<int32_t>(id), text, sizeof text);
        toUtf16(text, info->units, 128);
        info->defaultNormalizedValue = Instrument::defaultValue(static_cast<int32_t>(id));
        info->flags = ParameterInfo::kCanAutomate;
    } else if (id == kProgramParam) {
        toUtf16("Program", info->title, 128);
        toUtf16("Program", info->shortTitle, 128);
        info->stepCount = Instrument::kNumPrograms - 1;
        info->flags = ParameterInfo::kCanAutomate | ParameterInfo::kIsList | ParameterInfo::kIsProgramChange;
    } else {
        // Targets of the controllers hosts map, not controls of their own:
        // hidden, not automatable, and titled as hosts expect such targets.
        std::snprintf(text, sizeof text, "MIDI CC %u", static_cast<unsigned>(id - kControllerParamBase));
        toUtf16(text, info->title, 128);
        toUtf16(text, info->shortTitle, 128);
        info->stepCount = 127;
        info->flags = ParameterInfo::kIsHidden;
    }
    return kResultOk;
}

tresult TARN_VST3_API Vst3Instrument::getParamStringByValue(ParamID id, ParamValue value, TChar *string) {
    if (!string) return kInvalidArgument;
    if (!body) return kNotInitialized;
    if (std::isnan(value)) value = 0.0;
    value = value < 0.0 ? 0.0 : value > 1.0 ? 1.0 : value;
    char text[kTextBytes] = {};
    if (isInstrumentParam(id))
        body->parameterDisplay(static_cast<int32_t>(id), static_cast<float>(value), text, sizeof text);
    else if (id == kProgramParam)
        body->programName(programFromNormalized(value), text, sizeof text);
    else if (isControllerParam(id))
        std::snprintf(text, sizeof text, "%d", midiDataFromNormalized(value));
    else
        return kInvalidArgument;
    toUtf16(text, string, 128);
    return kResultOk;
}

tresult TARN_VST3_API Vst3Instrument::getParamValueByString(ParamID id, TChar *string, ParamValue *value) {
    if (!string || !value) return kInvalidArgument;
    if (!body) return kNotInitialized;
    char text[kTextBytes * 3];
    toUtf8(string, 128, text, sizeof text);
    if (isInstrumentParam(id)) {
        float v = 0.0f;
        if (!body->parameterFromText(static_cast<int32_t>(id), text, &v)) return kResultFalse;
        *value = v;
        return kResultOk;
    }
    if (id == kProgramParam) {
        char name[kTextBytes];
        for (int32 p = 0; p < Instrument::kNumPrograms; ++p) {
            body->programName(p, name, sizeof name);
            if (std::strcmp(name, text) == 0) {
                *value = static_cast<double>(p) / (Instrument::kNumPrograms - 1);
                return kResultOk;
            }
        }
        return kResultFalse;
    }
    if (isControllerParam(id)) {
        char *end = nullptr;
        const long n = std::strtol(text, &end, 10);
        if (end == text || *end != 0 || n < 0 || n > 127) return kResultFalse;
        *value = static_cast<double>(n) / 127.0;
        return kResultOk;
    }
    return kInvalidArgument;
}

ParamValue TARN_VST3_API Vst3Instrument::normalizedParamToPlain(ParamID id, ParamValue value) {
    if (id == kProgramParam) return programFromNormalized(value);
    if (isControllerParam(id)) return midiDataFromNormalized(value);
    return value;
}

ParamValue TARN_VST3_API Vst3Instrument::plainParamToNormalized(ParamID id, ParamValue plain) {
    const auto within = [](double v, double top) { return !(v > 0.0) ? 0.0 : v >= top ? 1.0 : v / top; };
    if (id == kProgramParam) return within(std::floor(plain + 0.5), Instrument::kNumPrograms - 1);
    if (isControllerParam(id)) return within(std::floor(plain + 0.5), 127.0);
    return plain;
}

ParamValue TARN_VST3_API Vst3Instrument::getParamNormalized(ParamID id) {
    if (!body) return 0.0;
    tellHost();
    if (isInstrumentParam(id)) return body->parameter(static_cast<int32_t>(id));
    if (id == kProgramParam)
        return static_cast<double>(programTold.load(std::memory_order_relaxed)) / (Instrument::kNumPrograms - 1);
    return 0.0;
}

tresult TARN_VST3_API Vst3Instrument::setParamNormalized(ParamID id, ParamValue value) {
    if (!body) return kNotInitialized;
    if (std::isnan(value)) return kInvalidArgument;
    value = value < 0.0 ? 0.0 : value > 1.0 ? 1.0 : value;
    if (isInstrumentParam(id)) {
        // While processing, the host hands the same change to the processor
        // at its sample; taking it here as well would move it ahead.
        if (!processing.load(std::memory_order_relaxed)) body->setParameter(static_cast<int32_t>(id),
                                                                             static_cast<float>(value));
        return kResultOk;
    }
    if (id == kProgramParam) {
        const int32 program = programFromNormalized(value);
        programTold.store(program, std::memory_order_relaxed);
        if (program != body->program()) {
            body->loadProgram(program);
            // The host re-reads every value now; edits must not arrive from
            // inside its own call.
            const bool wasTelling = telling;
            telling = true;
            if (handler) handler->restartComponent(IComponentHandler::kParamValuesChanged);
            telling = wasTelling;
        }
        return kResultOk;
    }
    return isControllerParam(id) ? kResultOk : kInvalidArgument;
}

tresult TARN_VST3_API Vst3Instrument::setComponentHandler(IComponentHandler *next) {
    if (next == handler) return kResultOk;
    if (next) next->addRef();
    if (handler) handler->release();
    handler = next;
    return kResultOk;
}

IPlugView *TARN_VST3_API Vst3Instrument::createView(FIDString name) {
    if (name && std::strcmp(name, kEditorViewType) != 0) return nullptr;
    if (!body || !body->hasEditor()) return nullptr;
    return new (std::nothrow) Vst3View(*this);
}

bool Vst3Instrument::openEditorFor(Vst3View *view, void *parent) {
    if (!body) return false;
    editorOwner = view;
    if (!body->openEditor(parent)) {
        editorOwner = nullptr;
        return false;
    }
    return true;
}

void Vst3Instrument::closeEditorFor(Vst3View *view) {
    if (editorOwner != view) return;
    editorOwner = nullptr;
    if (body) body->closeEditor();
}

bool Vst3Instrument::onUserInterfaceThread() const { return std::this_thread::get_id() == userInterfaceThread; }

void Vst3Instrument::edit(ParamID id, ParamValue value) {
    handler->beginEdit(id);
    handler->performEdit(id, value);
    handler->endEdit(id);
}

void Vst3Instrument::tellHost() {
    if (!body || !handler || telling || !onUserInterfaceThread()) return;
    // The host may call back into us from its handler.
    telling = true;
    int32_t changed[ChangedParameters::kCapacity];
    const int32_t n = body->changes().take(changed, ChangedParameters::kCapacity);
    for (int32_t i = 0; i < n; ++i)
        if (changed[i] >= 0 && changed[i] < Instrument::kNumParams)
            edit(static_cast<ParamID>(changed[i]), body->parameter(changed[i]));
    const int32 program = body->program();
    if (program != programTold.load(std::memory_order_relaxed)) {
        programTold.store(program, std::memory_order_relaxed);
        edit(kProgramParam, static_cast<double>(program) / (Instrument::kNumPrograms - 1));
    }
    if (valuesReloaded.exchange(false, std::memory_order_acq_rel))
        handler->restartComponent(IComponentHandler::kParamValuesChanged);
    telling = false;
}

// ---- MIDI mapping --------------------------------------------------------------

tresult TARN_VST3_API Vst3Instrument::getMidiControllerAssignment(int32 busIndex, int16 channel, CtrlNumber number,
                                                                  ParamID *id) {
    if (!id || busIndex != 0 || channel < 0 || channel > 15) return kResultFalse;
    if (number < kFirstController || number > kLastController) return kResultFalse;
    *id = kControllerParamBase + static_cast<ParamID>(number);
    return kResultTrue;
}

// ---- units and programs ----------------------------------------------------------

int32 TARN_VST3_API Vst3Instrument::getUnitCount() { return 1; }

tresult TARN_VST3_API Vst3Instrument::getUnitInfo(int32 unitIndex, UnitInfo *info) {
    if (!info || unitIndex != 0) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    info->id = kRootUnitId;
    info->parentUnitId = kNoParentUnitId;
    toUtf16(InstrumentIdentity::kName, info->name, 128);
    info->programListId = kProgramListId;
    return kResultTrue;
}

int32 TARN_VST3_API Vst3Instrument::getProgramListCount() { return 1; }

tresult TARN_VST3_API Vst3Instrument::getProgramListInfo(int32 listIndex, ProgramListInfo *info) {
    if (!info || listIndex != 0) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    info->id = kProgramListId;
    toUtf16("Factory Programs", info->name, 128);
    info->programCount = Instrument::kNumPrograms;
    return kResultTrue;
}

tresult TARN_VST3_API Vst3Instrument::getProgramName(ProgramListID listId, int32 programIndex, TChar *name) {
    if (!name || listId != kProgramListId || programIndex < 0 || programIndex >= Instrument::kNumPrograms)
        return kInvalidArgument;
    if (!body) return kNotInitialized;
    char text[kTextBytes] = {};
    body->programName(programIndex, text, sizeof text);
    if (!text[0]) std::snprintf(text, sizeof text, "Program %d", programIndex + 1);
    toUtf16(text, name, 128);
    return kResultTrue;
}

tresult TARN_VST3_API Vst3Instrument::getProgramInfo(ProgramListID, int32, const char8 *, TChar *) {
    return kResultFalse;
}

tresult TARN_VST3_API Vst3Instrument::hasProgramPitchNames(ProgramListID, int32) { return kResultFalse; }

tresult TARN_VST3_API Vst3Instrument::getProgramPitchName(ProgramListID, int32, int16, TChar *) {
    return kResultFalse;
}

UnitID TARN_VST3_API Vst3Instrument::getSelectedUnit() { return kRootUnitId; }

tresult TARN_VST3_API Vst3Instrument::selectUnit(UnitID) { return kResultTrue; }

tresult TARN_VST3_API Vst3Instrument::getUnitByBus(MediaType, BusDirection, int32, int32, UnitID *unitId) {
    if (!unitId) return kInvalidArgument;
    *unitId = kRootUnitId;
    return kResultTrue;
}

tresult TARN_VST3_API Vst3Instrument::setUnitProgramData(int32, int32, IBStream *) { return kNotImplemented; }

}  // namespace tarn::vst3
