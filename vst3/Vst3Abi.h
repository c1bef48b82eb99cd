// The VST 3 binary interface as far as this door and its test host use it,
// declared here from the published facts of the format: interface ids in
// each platform's byte order, result codes, records laid out as hosts lay
// them out, and interfaces whose virtual slots follow the format's order.
// Interfaces carry no data and no virtual destructor: a destructor would
// take slots of its own and shift every later method.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(_WIN32)
#define TARN_VST3_API __stdcall
#else
#define TARN_VST3_API
#endif

namespace tarn::vst3 {

using int8 = char;
using uint8 = unsigned char;
using int16 = int16_t;
using uint16 = uint16_t;
using int32 = int32_t;
using uint32 = uint32_t;
using int64 = int64_t;
using uint64 = uint64_t;
using TBool = uint8;
using char8 = char;
using char16 = char16_t;
using TChar = char16;
using String128 = TChar[128];
using TUID = char[16];
using FIDString = const char8 *;
using tresult = int32;
using ParamID = uint32;
using ParamValue = double;
using TSamples = int64;
using SampleRate = double;
using Sample32 = float;
using Sample64 = double;
using SpeakerArrangement = uint64;
using MediaType = int32;
using BusDirection = int32;
using BusType = int32;
using IoMode = int32;
using UnitID = int32;
using ProgramListID = int32;
using CtrlNumber = int16;
using TimerInterval = uint64;
using FileDescriptor = int;

// Success must be exactly 0: hosts compare with it.
#if defined(_WIN32)
constexpr tresult kNoInterface = static_cast<tresult>(0x80004002L);
constexpr tresult kResultOk = 0;
constexpr tresult kResultTrue = 0;
constexpr tresult kResultFalse = 1;
constexpr tresult kInvalidArgument = static_cast<tresult>(0x80070057L);
constexpr tresult kNotImplemented = static_cast<tresult>(0x80004001L);
constexpr tresult kInternalError = static_cast<tresult>(0x80004005L);
constexpr tresult kNotInitialized = static_cast<tresult>(0x8000FFFFL);
constexpr tresult kOutOfMemory = static_cast<tresult>(0x8007000EL);
#else
constexpr tresult kNoInterface = -1;
constexpr tresult kResultOk = 0;
constexpr tresult kResultTrue = 0;
constexpr tresult kResultFalse = 1;
constexpr tresult kInvalidArgument = 2;
constexpr tresult kNotImplemented = 3;
constexpr tresult kInternalError = 4;
constexpr tresult kNotInitialized = 5;
constexpr tresult kOutOfMemory = 6;
#endif

// Sixteen id bytes from the four 32-bit words an id is written as. Windows
// stores them as a COM GUID (the first word and the two halves of the second
// least significant byte first); every other platform most significant
// byte first throughout.
struct Uid {
    char bytes[16];
    bool operator==(const char *other) const { return other && std::memcmp(bytes, other, 16) == 0; }
};

constexpr Uid makeUid(uint32 l1, uint32 l2, uint32 l3, uint32 l4) {
    Uid u{};
    const auto b = [](uint32 v, int shift) { return static_cast<char>((v >> shift) & 0xFF); };
#if defined(_WIN32)
    u.bytes[0] = b(l1, 0), u.bytes[1] = b(l1, 8), u.bytes[2] = b(l1, 16), u.bytes[3] = b(l1, 24);
    u.bytes[4] = b(l2, 16), u.bytes[5] = b(l2, 24), u.bytes[6] = b(l2, 0), u.bytes[7] = b(l2, 8);
#else
    u.bytes[0] = b(l1, 24), u.bytes[1] = b(l1, 16), u.bytes[2] = b(l1, 8), u.bytes[3] = b(l1, 0);
    u.bytes[4] = b(l2, 24), u.bytes[5] = b(l2, 16), u.bytes[6] = b(l2, 8), u.bytes[7] = b(l2, 0);
#endif
    u.bytes[8] = b(l3, 24), u.bytes[9] = b(l3, 16), u.bytes[10] = b(l3, 8), u.bytes[11] = b(l3, 0);
    u.bytes[12] = b(l4, 24), u.bytes[13] = b(l4, 16), u.bytes[14] = b(l4, 8), u.bytes[15] = b(l4, 0);
    return u;
}

// ---- records ---------------------------------------------------------------

struct PFactoryInfo {
    enum : int32 { kNoFlags = 0, kUnicode = 16 };
    char8 vendor[64];
    char8 url[256];
    char8 email[128];
    int32 flags;
};

struct PClassInfo {
    static constexpr int32 kManyInstances = 0x7FFFFFFF;
    TUID cid;
    int32 cardinality;
    char8 category[32];
    char8 name[64];
};

struct PClassInfo2 {
    TUID cid;
    int32 cardinality;
    char8 category[32];
    char8 name[64];
    uint32 classFlags;
    char8 subCategories[128];
    char8 vendor[64];
    char8 version[64];
    char8 sdkVersion[64];
};

struct PClassInfoW {
    TUID cid;
    int32 cardinality;
    char8 category[32];
    char16 name[64];
    uint32 classFlags;
    char8 subCategories[128];
    char16 vendor[64];
    char16 version[64];
    char16 sdkVersion[64];
};

struct ParameterInfo {
    enum : int32 {
        kCanAutomate = 1,
        kIsReadOnly = 2,
        kIsWrapAround = 4,
        kIsList = 8,
        kIsHidden = 16,
        kIsProgramChange = 0x8000,
        kIsBypass = 0x10000
    };
    ParamID id;
    String128 title;
    String128 shortTitle;
    String128 units;
    int32 stepCount;
    ParamValue defaultNormalizedValue;
    UnitID unitId;
    int32 flags;
};

enum : MediaType { kAudio = 0, kEvent = 1 };
enum : BusDirection { kInput = 0, kOutput = 1 };
enum : BusType { kMain = 0, kAux = 1 };
enum : uint32 { kDefaultActive = 1 };

struct BusInfo {
    MediaType mediaType;
    BusDirection direction;
    int32 channelCount;
    String128 name;
    BusType busType;
    uint32 flags;
};

struct RoutingInfo {
    MediaType mediaType;
    int32 busIndex;
    int32 channel;
};

struct ViewRect {
    int32 left, top, right, bottom;
};

constexpr UnitID kRootUnitId = 0;
constexpr UnitID kNoParentUnitId = -1;
constexpr ProgramListID kNoProgramListId = -1;

struct UnitInfo {
    UnitID id;
    UnitID parentUnitId;
    String128 name;
    ProgramListID programListId;
};

struct ProgramListInfo {
    ProgramListID id;
    String128 name;
    int32 programCount;
};

enum : int32 { kSample32 = 0, kSample64 = 1 };
enum : int32 { kRealtime = 0, kPrefetch = 1, kOffline = 2 };
constexpr SpeakerArrangement kStereo = 3;

struct ProcessSetup {
    int32 processMode;
    int32 symbolicSampleSize;
    int32 maxSamplesPerBlock;
    SampleRate sampleRate;
};

struct AudioBusBuffers {
    int32 numChannels;
    uint64 silenceFlags;
    union {
        Sample32 **channelBuffers32;
        Sample64 **channelBuffers64;
    };
};

struct Chord {
    uint8 keyNote;
    uint8 rootNote;
    int16 chordMask;
};

struct FrameRate {
    uint32 framesPerSecond;
    uint32 flags;
};

struct ProcessContext {
    enum : uint32 {
        kPlaying = 2,
        kCycleActive = 4,
        kRecording = 8,
        kSystemTimeValid = 0x100,
        kProjectTimeMusicValid = 0x200,
        kTempoValid = 0x400,
        kBarPositionValid = 0x800,
        kCycleValid = 0x1000,
        kTimeSigValid = 0x2000,
        kContTimeValid = 0x20000
    };
    uint32 state;
    SampleRate sampleRate;
    TSamples projectTimeSamples;
    int64 systemTime;
    TSamples continousTimeSamples;
    double projectTimeMusic;
    double barPositionMusic;
    double cycleStartMusic;
    double cycleEndMusic;
    double tempo;
    int32 timeSigNumerator;
    int32 timeSigDenominator;
    Chord chord;
    int32 smpteOffsetSubframes;
    FrameRate frameRate;
    int32 samplesToNextClock;
};

class IEventList;
class IParameterChanges;

struct ProcessData {
    int32 processMode;
    int32 symbolicSampleSize;
    int32 numSamples;
    int32 numInputs;
    int32 numOutputs;
    AudioBusBuffers *inputs;
    AudioBusBuffers *outputs;
    IParameterChanges *inputParameterChanges;
    IParameterChanges *outputParameterChanges;
    IEventList *inputEvents;
    IEventList *outputEvents;
    ProcessContext *processContext;
};

struct NoteOnEvent {
    int16 channel;
    int16 pitch;
    float tuning;
    float velocity;
    int32 length;
    int32 noteId;
};

struct NoteOffEvent {
    int16 channel;
    int16 pitch;
    float velocity;
    int32 noteId;
    float tuning;
};

struct PolyPressureEvent {
    int16 channel;
    int16 pitch;
    float pressure;
    int32 noteId;
};

struct DataEvent {
    uint32 size;
    uint32 type;
    const uint8 *bytes;
};

// 32-bit Windows packs these to 4, which moves the union of Event to 20.
#if defined(_WIN32) && !defined(_WIN64)
#pragma pack(push, 4)
#endif
struct NoteExpressionValueEvent {
    uint32 typeId;
    int32 noteId;
    double value;
};
struct NoteExpressionTextEvent {
    uint32 typeId;
    int32 noteId;
    uint32 textLen;
    const TChar *text;
};
#if defined(_WIN32) && !defined(_WIN64)
#pragma pack(pop)
#endif

struct Event {
    enum : uint16 {
        kNoteOnEvent = 0,
        kNoteOffEvent = 1,
        kDataEvent = 2,
        kPolyPressureEvent = 3,
        kNoteExpressionValueEvent = 4,
        kNoteExpressionTextEvent = 5
    };
    int32 busIndex;
    int32 sampleOffset;
    double ppqPosition;
    uint16 flags;
    uint16 type;
    union {
        NoteOnEvent noteOn;
        NoteOffEvent noteOff;
        DataEvent data;
        PolyPressureEvent polyPressure;
        NoteExpressionValueEvent noteExpressionValue;
        NoteExpressionTextEvent noteExpressionText;
    };
};

#if INTPTR_MAX == INT64_MAX
static_assert(sizeof(PFactoryInfo) == 452 && sizeof(PClassInfo) == 116 && sizeof(PClassInfo2) == 440 &&
                  sizeof(PClassInfoW) == 696,
              "factory records");
static_assert(sizeof(ParameterInfo) == 792 && offsetof(ParameterInfo, stepCount) == 772 &&
                  offsetof(ParameterInfo, flags) == 788,
              "parameter record");
static_assert(sizeof(BusInfo) == 276 && sizeof(UnitInfo) == 268 && sizeof(ProgramListInfo) == 264, "unit records");
static_assert(sizeof(ProcessSetup) == 24 && sizeof(AudioBusBuffers) == 24 && sizeof(ProcessContext) == 112 &&
                  offsetof(ProcessContext, tempo) == 72 && offsetof(ProcessContext, samplesToNextClock) == 104,
              "process records");
static_assert(sizeof(ProcessData) == 80 && offsetof(ProcessData, processContext) == 72, "process data");
static_assert(sizeof(Event) == 48 && offsetof(Event, noteOn) == 24, "event");
#else
static_assert(sizeof(ProcessData) == 48 && sizeof(Event) == 40 && offsetof(Event, noteOn) == 20, "event");
#endif

// ---- interfaces -------------------------------------------------------------

class FUnknown {
public:
    virtual tresult TARN_VST3_API queryInterface(const TUID iid, void **obj) = 0;
    virtual uint32 TARN_VST3_API addRef() = 0;
    virtual uint32 TARN_VST3_API release() = 0;
};
constexpr Uid kFUnknownIid = makeUid(0x00000000, 0x00000000, 0xC0000000, 0x00000046);

class IPluginFactory : public FUnknown {
public:
    virtual tresult TARN_VST3_API getFactoryInfo(PFactoryInfo *info) = 0;
    virtual int32 TARN_VST3_API countClasses() = 0;
    virtual tresult TARN_VST3_API getClassInfo(int32 index, PClassInfo *info) = 0;
    virtual tresult TARN_VST3_API createInstance(FIDString cid, FIDString iid, void **obj) = 0;
};
constexpr Uid kIPluginFactoryIid = makeUid(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);

class IPluginFactory2 : public IPluginFactory {
public:
    virtual tresult TARN_VST3_API getClassInfo2(int32 index, PClassInfo2 *info) = 0;
};
constexpr Uid kIPluginFactory2Iid = makeUid(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);

class IPluginFactory3 : public IPluginFactory2 {
public:
    virtual tresult TARN_VST3_API getClassInfoUnicode(int32 index, PClassInfoW *info) = 0;
    virtual tresult TARN_VST3_API setHostContext(FUnknown *context) = 0;
};
constexpr Uid kIPluginFactory3Iid = makeUid(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);

class IBStream : public FUnknown {
public:
    enum : int32 { kIBSeekSet = 0, kIBSeekCur = 1, kIBSeekEnd = 2 };
    virtual tresult TARN_VST3_API read(void *buffer, int32 numBytes, int32 *numBytesRead) = 0;
    virtual tresult TARN_VST3_API write(void *buffer, int32 numBytes, int32 *numBytesWritten) = 0;
    virtual tresult TARN_VST3_API seek(int64 pos, int32 mode, int64 *result) = 0;
    virtual tresult TARN_VST3_API tell(int64 *pos) = 0;
};
constexpr Uid kIBStreamIid = makeUid(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);

class IPluginBase : public FUnknown {
public:
    virtual tresult TARN_VST3_API initialize(FUnknown *context) = 0;
    virtual tresult TARN_VST3_API terminate() = 0;
};
constexpr Uid kIPluginBaseIid = makeUid(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);

class IComponent : public IPluginBase {
public:
    virtual tresult TARN_VST3_API getControllerClassId(TUID classId) = 0;
    virtual tresult TARN_VST3_API setIoMode(IoMode mode) = 0;
    virtual int32 TARN_VST3_API getBusCount(MediaType type, BusDirection dir) = 0;
    virtual tresult TARN_VST3_API getBusInfo(MediaType type, BusDirection dir, int32 index, BusInfo *bus) = 0;
    virtual tresult TARN_VST3_API getRoutingInfo(RoutingInfo *inInfo, RoutingInfo *outInfo) = 0;
    virtual tresult TARN_VST3_API activateBus(MediaType type, BusDirection dir, int32 index, TBool state) = 0;
    virtual tresult TARN_VST3_API setActive(TBool state) = 0;
    virtual tresult TARN_VST3_API setState(IBStream *state) = 0;
    virtual tresult TARN_VST3_API getState(IBStream *state) = 0;
};
constexpr Uid kIComponentIid = makeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);

class IAudioProcessor : public FUnknown {
public:
    virtual tresult TARN_VST3_API setBusArrangements(SpeakerArrangement *inputs, int32 numIns,
                                                     SpeakerArrangement *outputs, int32 numOuts) = 0;
    virtual tresult TARN_VST3_API getBusArrangement(BusDirection dir, int32 index, SpeakerArrangement *arr) = 0;
    virtual tresult TARN_VST3_API canProcessSampleSize(int32 symbolicSampleSize) = 0;
    virtual uint32 TARN_VST3_API getLatencySamples() = 0;
    virtual tresult TARN_VST3_API setupProcessing(ProcessSetup *setup) = 0;
    virtual tresult TARN_VST3_API setProcessing(TBool state) = 0;
    virtual tresult TARN_VST3_API process(ProcessData *data) = 0;
    virtual uint32 TARN_VST3_API getTailSamples() = 0;
};
constexpr Uid kIAudioProcessorIid = makeUid(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);

class IProcessContextRequirements : public FUnknown {
public:
    enum : uint32 { kNeedProjectTimeMusic = 4, kNeedTempo = 64, kNeedTransportState = 1024 };
    virtual uint32 TARN_VST3_API getProcessContextRequirements() = 0;
};
constexpr Uid kIProcessContextRequirementsIid = makeUid(0x2A654303, 0xEF764E3D, 0x95B5FE83, 0x730EF6D0);

class IComponentHandler : public FUnknown {
public:
    enum : int32 { kParamValuesChanged = 4, kMidiCCAssignmentChanged = 32 };
    virtual tresult TARN_VST3_API beginEdit(ParamID id) = 0;
    virtual tresult TARN_VST3_API performEdit(ParamID id, ParamValue valueNormalized) = 0;
    virtual tresult TARN_VST3_API endEdit(ParamID id) = 0;
    virtual tresult TARN_VST3_API restartComponent(int32 flags) = 0;
};
constexpr Uid kIComponentHandlerIid = makeUid(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);

class IPlugView;

class IEditController : public IPluginBase {
public:
    virtual tresult TARN_VST3_API setComponentState(IBStream *state) = 0;
    virtual tresult TARN_VST3_API setState(IBStream *state) = 0;
    virtual tresult TARN_VST3_API getState(IBStream *state) = 0;
    virtual int32 TARN_VST3_API getParameterCount() = 0;
    virtual tresult TARN_VST3_API getParameterInfo(int32 paramIndex, ParameterInfo *info) = 0;
    virtual tresult TARN_VST3_API getParamStringByValue(ParamID id, ParamValue valueNormalized, TChar *string) = 0;
    virtual tresult TARN_VST3_API getParamValueByString(ParamID id, TChar *string, ParamValue *valueNormalized) = 0;
    virtual ParamValue TARN_VST3_API normalizedParamToPlain(ParamID id, ParamValue valueNormalized) = 0;
    virtual ParamValue TARN_VST3_API plainParamToNormalized(ParamID id, ParamValue plainValue) = 0;
    virtual ParamValue TARN_VST3_API getParamNormalized(ParamID id) = 0;
    virtual tresult TARN_VST3_API setParamNormalized(ParamID id, ParamValue value) = 0;
    virtual tresult TARN_VST3_API setComponentHandler(IComponentHandler *handler) = 0;
    virtual IPlugView *TARN_VST3_API createView(FIDString name) = 0;
};
constexpr Uid kIEditControllerIid = makeUid(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);

class IMidiMapping : public FUnknown {
public:
    virtual tresult TARN_VST3_API getMidiControllerAssignment(int32 busIndex, int16 channel, CtrlNumber midiControllerNumber,
                                                              ParamID *id) = 0;
};
constexpr Uid kIMidiMappingIid = makeUid(0xDF0FF9F7, 0x49B74669, 0xB63AB732, 0x7ADBF5E5);

class IUnitInfo : public FUnknown {
public:
    virtual int32 TARN_VST3_API getUnitCount() = 0;
    virtual tresult TARN_VST3_API getUnitInfo(int32 unitIndex, UnitInfo *info) = 0;
    virtual int32 TARN_VST3_API getProgramListCount() = 0;
    virtual tresult TARN_VST3_API getProgramListInfo(int32 listIndex, ProgramListInfo *info) = 0;
    virtual tresult TARN_VST3_API getProgramName(ProgramListID listId, int32 programIndex, TChar *name) = 0;
    virtual tresult TARN_VST3_API getProgramInfo(ProgramListID listId, int32 programIndex, const char8 *attributeId,
                                                 TChar *attributeValue) = 0;
    virtual tresult TARN_VST3_API hasProgramPitchNames(ProgramListID listId, int32 programIndex) = 0;
    virtual tresult TARN_VST3_API getProgramPitchName(ProgramListID listId, int32 programIndex, int16 midiPitch,
                                                      TChar *name) = 0;
    virtual UnitID TARN_VST3_API getSelectedUnit() = 0;
    virtual tresult TARN_VST3_API selectUnit(UnitID unitId) = 0;
    virtual tresult TARN_VST3_API getUnitByBus(MediaType type, BusDirection dir, int32 busIndex, int32 channel,
                                               UnitID *unitId) = 0;
    virtual tresult TARN_VST3_API setUnitProgramData(int32 listOrUnitId, int32 programIndex, IBStream *data) = 0;
};
constexpr Uid kIUnitInfoIid = makeUid(0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1);

class IEventList : public FUnknown {
public:
    virtual int32 TARN_VST3_API getEventCount() = 0;
    virtual tresult TARN_VST3_API getEvent(int32 index, Event *e) = 0;
    virtual tresult TARN_VST3_API addEvent(Event *e) = 0;
};
constexpr Uid kIEventListIid = makeUid(0x3A2C4214, 0x346349FE, 0xB2C4F397, 0xB9695A44);

class IParamValueQueue : public FUnknown {
public:
    virtual ParamID TARN_VST3_API getParameterId() = 0;
    virtual int32 TARN_VST3_API getPointCount() = 0;
    virtual tresult TARN_VST3_API getPoint(int32 index, int32 *sampleOffset, ParamValue *value) = 0;
    virtual tresult TARN_VST3_API addPoint(int32 sampleOffset, ParamValue value, int32 *index) = 0;
};
constexpr Uid kIParamValueQueueIid = makeUid(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);

class IParameterChanges : public FUnknown {
public:
    virtual int32 TARN_VST3_API getParameterCount() = 0;
    virtual IParamValueQueue *TARN_VST3_API getParameterData(int32 index) = 0;
    virtual IParamValueQueue *TARN_VST3_API addParameterData(const ParamID *id, int32 *index) = 0;
};
constexpr Uid kIParameterChangesIid = makeUid(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);

class IPlugFrame;

class IPlugView : public FUnknown {
public:
    virtual tresult TARN_VST3_API isPlatformTypeSupported(FIDString type) = 0;
    virtual tresult TARN_VST3_API attached(void *parent, FIDString type) = 0;
    virtual tresult TARN_VST3_API removed() = 0;
    virtual tresult TARN_VST3_API onWheel(float distance) = 0;
    virtual tresult TARN_VST3_API onKeyDown(char16 key, int16 keyCode, int16 modifiers) = 0;
    virtual tresult TARN_VST3_API onKeyUp(char16 key, int16 keyCode, int16 modifiers) = 0;
    virtual tresult TARN_VST3_API getSize(ViewRect *size) = 0;
    virtual tresult TARN_VST3_API onSize(ViewRect *newSize) = 0;
    virtual tresult TARN_VST3_API onFocus(TBool state) = 0;
    virtual tresult TARN_VST3_API setFrame(IPlugFrame *frame) = 0;
    virtual tresult TARN_VST3_API canResize() = 0;
    virtual tresult TARN_VST3_API checkSizeConstraint(ViewRect *rect) = 0;
};
constexpr Uid kIPlugViewIid = makeUid(0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29);

class IPlugFrame : public FUnknown {
public:
    virtual tresult TARN_VST3_API resizeView(IPlugView *view, ViewRect *newSize) = 0;
};
constexpr Uid kIPlugFrameIid = makeUid(0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3);

class ITimerHandler : public FUnknown {
public:
    virtual void TARN_VST3_API onTimer() = 0;
};
constexpr Uid kITimerHandlerIid = makeUid(0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9);

class IEventHandler : public FUnknown {
public:
    virtual void TARN_VST3_API onFDIsSet(FileDescriptor fd) = 0;
};
constexpr Uid kIEventHandlerIid = makeUid(0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983);

class IRunLoop : public FUnknown {
public:
    virtual tresult TARN_VST3_API registerEventHandler(IEventHandler *handler, FileDescriptor fd) = 0;
    virtual tresult TARN_VST3_API unregisterEventHandler(IEventHandler *handler) = 0;
    virtual tresult TARN_VST3_API registerTimer(ITimerHandler *handler, TimerInterval milliseconds) = 0;
    virtual tresult TARN_VST3_API unregisterTimer(ITimerHandler *handler) = 0;
};
constexpr Uid kIRunLoopIid = makeUid(0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389);

class IHostApplication : public FUnknown {
public:
    virtual tresult TARN_VST3_API getName(TChar *name) = 0;
    virtual tresult TARN_VST3_API createInstance(TUID cid, TUID iid, void **obj) = 0;
};
constexpr Uid kIHostApplicationIid = makeUid(0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5);

constexpr const char *kPlatformTypeX11 = "X11EmbedWindowID";
constexpr const char *kPlatformTypeHwnd = "HWND";
constexpr const char *kEditorViewType = "editor";

}  // namespace tarn::vst3
