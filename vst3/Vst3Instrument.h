// One instance as a VST 3 host sees it: a single object that is component,
// audio processor and edit controller at once, so the editor it opens is the
// engine's own, mesh and all. The host's calls become the instrument's, and
// what the instrument changed by itself goes back through the host's
// component handler on the host's user-interface thread.
#pragma once

#include <atomic>
#include <memory>
#include <thread>

#include "engine/Instrument.h"
#include "vst3/Vst3Abi.h"
#include "vst3/Vst3BlockEvents.h"

namespace tarn::vst3 {

class Vst3View;

// Each interface's own state and getState get names of their own here, so
// the component's and the controller's do not meet in one override.
class ComponentSide : public IComponent {
public:
    tresult TARN_VST3_API setState(IBStream *state) final { return setComponentChunk(state); }
    tresult TARN_VST3_API getState(IBStream *state) final { return getComponentChunk(state); }
    virtual tresult setComponentChunk(IBStream *state) = 0;
    virtual tresult getComponentChunk(IBStream *state) = 0;
};

class ControllerSide : public IEditController {
public:
    tresult TARN_VST3_API setState(IBStream *state) final { return setControllerChunk(state); }
    tresult TARN_VST3_API getState(IBStream *state) final { return getControllerChunk(state); }
    virtual tresult setControllerChunk(IBStream *state) = 0;
    virtual tresult getControllerChunk(IBStream *state) = 0;
};

class Vst3Instrument final : public ComponentSide,
                             public IAudioProcessor,
                             public IProcessContextRequirements,
                             public ControllerSide,
                             public IMidiMapping,
                             public IUnitInfo {
public:
    static const Uid kClassId;

    Vst3Instrument();
    ~Vst3Instrument();
    Vst3Instrument(const Vst3Instrument &) = delete;
    Vst3Instrument &operator=(const Vst3Instrument &) = delete;

    // FUnknown
    tresult TARN_VST3_API queryInterface(const TUID iid, void **obj) override;
    uint32 TARN_VST3_API addRef() override;
    uint32 TARN_VST3_API release() override;

    // IPluginBase, counted: a host may initialize the component and the
    // controller, the same object, each once.
    tresult TARN_VST3_API initialize(FUnknown *context) override;
    tresult TARN_VST3_API terminate() override;

    // IComponent
    tresult TARN_VST3_API getControllerClassId(TUID classId) override;
    tresult TARN_VST3_API setIoMode(IoMode mode) override;
    int32 TARN_VST3_API getBusCount(MediaType type, BusDirection dir) override;
    tresult TARN_VST3_API getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo *bus) override;
    tresult TARN_VST3_API getRoutingInfo(RoutingInfo *inInfo, RoutingInfo *outInfo) override;
    tresult TARN_VST3_API activateBus(MediaType type, BusDirection dir, int32 index, TBool state) override;
    tresult TARN_VST3_API setActive(TBool state) override;
    tresult setComponentChunk(IBStream *state) override;
    tresult getComponentChunk(IBStream *state) override;

    // IAudioProcessor
    tresult TARN_VST3_API setBusArrangements(SpeakerArrangement *inputs, int32 numIns, SpeakerArrangement *outputs,
                                             int32 numOuts) override;
    tresult TARN_VST3_API getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement *arr) override;
    tresult TARN_VST3_API canProcessSampleSize(int32 symbolicSampleSize) override;
    uint32 TARN_VST3_API getLatencySamples() override;
    tresult TARN_VST3_API setupProcessing(ProcessSetup *setup) override;
    tresult TARN_VST3_API setProcessing(TBool state) override;
    tresult TARN_VST3_API process(ProcessData *data) override;
    uint32 TARN_VST3_API getTailSamples() override;

    // IProcessContextRequirements
    uint32 TARN_VST3_API getProcessContextRequirements() override;

    // IEditController
    tresult TARN_VST3_API setComponentState(IBStream *state) override;
    tresult setControllerChunk(IBStream *state) override;
    tresult getControllerChunk(IBStream *state) override;
    int32 TARN_VST3_API getParameterCount() override;
    tresult TARN_VST3_API getParameterInfo(int32 paramIndex, ParameterInfo *info) override;
    tresult TARN_VST3_API getParamStringByValue(ParamID id, ParamValue valueNormalized, TChar *string) override;
    tresult TARN_VST3_API getParamValueByString(ParamID id, TChar *string, ParamValue *valueNormalized) override;
    ParamValue TARN_VST3_API normalizedParamToPlain(ParamID id, ParamValue valueNormalized) override;
    ParamValue TARN_VST3_API plainParamToNormalized(ParamID id, ParamValue plainValue) override;
    ParamValue TARN_VST3_API getParamNormalized(ParamID id) override;
    tresult TARN_VST3_API setParamNormalized(ParamID id, ParamValue value) override;
    tresult TARN_VST3_API setComponentHandler(IComponentHandler *handler) override;
    IPlugView *TARN_VST3_API createView(FIDString name) override;

    // IMidiMapping: wait-free, as some hosts ask from their audio thread.
    tresult TARN_VST3_API getMidiControllerAssignment(int32 busIndex, int16 channel, CtrlNumber number,
                                                      ParamID *id) override;

    // IUnitInfo: one unit holding the factory programs' list.
    int32 TARN_VST3_API getUnitCount() override;
    tresult TARN_VST3_API getUnitInfo(int32 unitIndex, UnitInfo *info) override;
    int32 TARN_VST3_API getProgramListCount() override;
    tresult TARN_VST3_API getProgramListInfo(int32 listIndex, ProgramListInfo *info) override;
    tresult TARN_VST3_API getProgramName(ProgramListID listId, int32 programIndex, TChar *name) override;
    tresult TARN_VST3_API getProgramInfo(ProgramListID listId, int32 programIndex, const char8 *attributeId,
                                         TChar *attributeValue) override;
    tresult TARN_VST3_API hasProgramPitchNames(ProgramListID listId, int32 programIndex) override;
    tresult TARN_VST3_API getProgramPitchName(ProgramListID listId, int32 programIndex, int16 midiPitch,
                                              TChar *name) override;
    UnitID TARN_VST3_API getSelectedUnit() override;
    tresult TARN_VST3_API selectUnit(UnitID unitId) override;
    tresult TARN_VST3_API getUnitByBus(MediaType type, BusDirection dir, int32 busIndex, int32 channel,
                                       UnitID *unitId) override;
    tresult TARN_VST3_API setUnitProgramData(int32 listOrUnitId, int32 programIndex, IBStream *data) override;

    // For the view (user-interface thread).
    Instrument *instrument() { return body.get(); }
    bool openEditorFor(Vst3View *view, void *parent);
    void closeEditorFor(Vst3View *view);
    // Tells the host, through its handler, what the instrument changed by
    // itself. Only on the thread that initialized the instance, and never
    // from inside itself.
    void tellHost();

private:
    bool onUserInterfaceThread() const;
    void edit(ParamID id, ParamValue value);

    std::atomic<uint32> references{1};
    int32 initializations = 0;
    std::unique_ptr<Instrument> body;
    IComponentHandler *handler = nullptr;
    std::thread::id userInterfaceThread;
    bool telling = false;
    Vst3View *editorOwner = nullptr;

    double sampleRate = 44100.0;
    int32 maxBlock = 1024;
    bool active = false;
    std::atomic<bool> processing{false};
    // The program the host last heard of, and whether the audio thread
    // loaded one the host's controls have not yet been told of.
    std::atomic<int32> programTold{0};
    std::atomic<bool> valuesReloaded{false};
    Vst3BlockEvents block;
    // Audio thread: each value as the processor last knew it, so what moved
    // inside a block (a learned controller) goes out with the block too.
    float audioKnown[Instrument::kNumParams] = {};
    void reportAudioChanges(IParameterChanges *out, int32 frames);
};

}  // namespace tarn::vst3
