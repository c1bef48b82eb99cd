// Declarations of the VST 2.4 binary interface, written from its published
// layout. Only what this instrument exchanges with a host is declared; the
// static_asserts at the end pin every size and offset a host relies on.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define VSTCALLBACK __cdecl
#else
#define VSTCALLBACK
#endif

typedef int16_t VstInt16;
typedef int32_t VstInt32;
typedef intptr_t VstIntPtr;

struct AEffect;

typedef VstIntPtr(VSTCALLBACK *audioMasterCallback)(AEffect *effect, VstInt32 opcode, VstInt32 index,
                                                      VstIntPtr value, void *ptr, float opt);
typedef VstIntPtr(VSTCALLBACK *AEffectDispatcherProc)(AEffect *effect, VstInt32 opcode, VstInt32 index,
                                                        VstIntPtr value, void *ptr, float opt);
typedef void(VSTCALLBACK *AEffectProcessProc)(AEffect *effect, float **inputs, float **outputs,
                                               VstInt32 sampleFrames);
typedef void(VSTCALLBACK *AEffectProcessDoubleProc)(AEffect *effect, double **inputs, double **outputs,
                                                     VstInt32 sampleFrames);
typedef void(VSTCALLBACK *AEffectSetParameterProc)(AEffect *effect, VstInt32 index, float parameter);
typedef float(VSTCALLBACK *AEffectGetParameterProc)(AEffect *effect, VstInt32 index);

// Four-character codes, first character in the most significant byte.
constexpr VstInt32 fourCharCode(char a, char b, char c, char d) {
    return static_cast<VstInt32>((static_cast<uint32_t>(static_cast<unsigned char>(a)) << 24) |
                                 (static_cast<uint32_t>(static_cast<unsigned char>(b)) << 16) |
                                 (static_cast<uint32_t>(static_cast<unsigned char>(c)) << 8) |
                                 static_cast<uint32_t>(static_cast<unsigned char>(d)));
}

constexpr VstInt32 kEffectMagic = fourCharCode('V', 's', 't', 'P');
constexpr VstInt32 kVstVersion = 2400;

#pragma pack(push, 8)

struct AEffect {
    VstInt32 magic;
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process;
    AEffectSetParameterProc setParameter;
    AEffectGetParameterProc getParameter;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 numInputs;
    VstInt32 numOutputs;
    VstInt32 flags;
    VstIntPtr resvd1;  // the host's
    VstIntPtr resvd2;  // the host's
    VstInt32 initialDelay;
    VstInt32 realQualities;
    VstInt32 offQualities;
    float ioRatio;
    void *object;
    void *user;
    VstInt32 uniqueID;
    VstInt32 version;
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;
    char future[56];
};

enum VstAEffectFlags : VstInt32 {
    effFlagsHasEditor = 1,
    effFlagsCanReplacing = 16,
    effFlagsProgramChunks = 32,
    effFlagsIsSynth = 256,
    effFlagsNoSoundInStop = 512,
    effFlagsCanDoubleReplacing = 4096,
};

enum AEffectOpcodes : VstInt32 {
    effOpen = 0,
    effClose,
    effSetProgram,
    effGetProgram,
    effSetProgramName,
    effGetProgramName,
    effGetParamLabel,
    effGetParamDisplay,
    effGetParamName,
    effGetVu,
    effSetSampleRate,
    effSetBlockSize,
    effMainsChanged,
    effEditGetRect,
    effEditOpen,
    effEditClose,
    effEditDraw,
    effEditMouse,
    effEditKey,
    effEditIdle,
    effEditTop,
    effEditSleep,
    effIdentify,
    effGetChunk,
    effSetChunk,
    effProcessEvents,
    effCanBeAutomated,
    effString2Parameter,
    effGetNumProgramCategories,
    effGetProgramNameIndexed,
    effCopyProgram,
    effConnectInput,
    effConnectOutput,
    effGetInputProperties,
    effGetOutputProperties,
    effGetPlugCategory,
    effGetCurrentPosition,
    effGetDestinationBuffer,
    effOfflineNotify,
    effOfflinePrepare,
    effOfflineRun,
    effProcessVarIo,
    effSetSpeakerArrangement,
    effSetBlockSizeAndSampleRate,
    effSetBypass,
    effGetEffectName,
    effGetErrorText,
    effGetVendorString,
    effGetProductString,
    effGetVendorVersion,
    effVendorSpecific,
    effCanDo,
    effGetTailSize,
    effIdle,
    effGetIcon,
    effSetViewPosition,
    effGetParameterProperties,
    effKeysRequired,
    effGetVstVersion,
    effEditKeyDown,
    effEditKeyUp,
    effSetEditKnobMode,
    effGetMidiProgramName,
    effGetCurrentMidiProgram,
    effGetMidiProgramCategory,
    effHasMidiProgramsChanged,
    effGetMidiKeyName,
    effBeginSetProgram,
    effEndSetProgram,
    effGetSpeakerArrangement,
    effShellGetNextPlugin,
    effStartProcess,
    effStopProcess,
    effSetTotalSampleToProcess,
    effSetPanLaw,
    effBeginLoadBank,
    effBeginLoadProgram,
    effSetProcessPrecision,
    effGetNumMidiInputChannels,
    effGetNumMidiOutputChannels,
};

enum AudioMasterOpcodes : VstInt32 {
    audioMasterAutomate = 0,
    audioMasterVersion = 1,
    audioMasterCurrentId = 2,
    audioMasterIdle = 3,
    audioMasterWantMidi = 6,
    audioMasterGetTime = 7,
};

enum VstTimeInfoFlags : VstInt32 {
    kVstTransportChanged = 1,
    kVstTransportPlaying = 2,
    kVstNanosValid = 256,
    kVstPpqPosValid = 512,
    kVstTempoValid = 1024,
    kVstBarsValid = 2048,
    kVstTimeSigValid = 8192,
};

enum VstEventTypes : VstInt32 { kVstMidiType = 1, kVstSysExType = 6 };

enum VstPinPropertiesFlags : VstInt32 { kVstPinIsActive = 1, kVstPinIsStereo = 2, kVstPinUseSpeaker = 4 };

enum VstPlugCategory : VstInt32 { kPlugCategUnknown = 0, kPlugCategEffect = 1, kPlugCategSynth = 2 };

constexpr int kVstMaxProgNameLen = 24;
constexpr int kVstMaxParamStrLen = 8;
constexpr int kVstMaxVendorStrLen = 64;
constexpr int kVstMaxProductStrLen = 64;
constexpr int kVstMaxEffectNameLen = 32;
constexpr int kVstMaxNameLen = 64;
constexpr int kVstMaxLabelLen = 64;

struct VstEvent {
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    char data[16];
};

struct VstEvents {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent *events[2];  // really as long as numEvents
};

struct VstMidiEvent {
    VstInt32 type;
    VstInt32 byteSize;
    VstInt32 deltaFrames;
    VstInt32 flags;
    VstInt32 noteLength;
    VstInt32 noteOffset;
    char midiData[4];
    char detune;
    char noteOffVelocity;
    char reserved1;
    char reserved2;
};

struct VstTimeInfo {
    double samplePos;
    double sampleRate;
    double nanoSeconds;
    double ppqPos;
    double tempo;
    double barStartPos;
    double cycleStartPos;
    double cycleEndPos;
    VstInt32 timeSigNumerator;
    VstInt32 timeSigDenominator;
    VstInt32 smpteOffset;
    VstInt32 smpteFrameRate;
    VstInt32 samplesToNextClock;
    VstInt32 flags;
};

struct VstPinProperties {
    char label[kVstMaxLabelLen];
    VstInt32 flags;
    VstInt32 arrangementType;
    char shortLabel[8];
    char future[48];
};

struct MidiProgramName {
    VstInt32 thisProgramIndex;
    char name[kVstMaxNameLen];
    char midiProgram;
    char midiBankMsb;
    char midiBankLsb;
    char reserved;
    VstInt32 parentCategoryIndex;
    VstInt32 flags;
};

struct MidiProgramCategory {
    VstInt32 thisCategoryIndex;
    char name[kVstMaxNameLen];
    VstInt32 parentCategoryIndex;
    VstInt32 flags;
};

struct MidiKeyName {
    VstInt32 thisProgramIndex;
    VstInt32 thisKeyNumber;
    char keyName[kVstMaxNameLen];
    VstInt32 reserved;
    VstInt32 flags;
};

struct ERect {
    VstInt16 top;
    VstInt16 left;
    VstInt16 bottom;
    VstInt16 right;
};

struct VstKeyCode {
    VstInt32 character;
    unsigned char virt;
    unsigned char modifier;
};

#pragma pack(pop)

#define VST_ABI_OFFSET_CHECK(type, field, off32, off64) \
    static_assert(offsetof(type, field) == (sizeof(void *) == 4 ? (off32) : (off64)), #type "." #field)

static_assert(sizeof(AEffect) == (sizeof(void *) == 4 ? 144 : 192), "AEffect size");
VST_ABI_OFFSET_CHECK(AEffect, dispatcher, 4, 8);
VST_ABI_OFFSET_CHECK(AEffect, numPrograms, 20, 40);
VST_ABI_OFFSET_CHECK(AEffect, flags, 36, 56);
VST_ABI_OFFSET_CHECK(AEffect, resvd1, 40, 64);
VST_ABI_OFFSET_CHECK(AEffect, initialDelay, 48, 80);
VST_ABI_OFFSET_CHECK(AEffect, ioRatio, 60, 92);
VST_ABI_OFFSET_CHECK(AEffect, object, 64, 96);
VST_ABI_OFFSET_CHECK(AEffect, uniqueID, 72, 112);
VST_ABI_OFFSET_CHECK(AEffect, processReplacing, 80, 120);
VST_ABI_OFFSET_CHECK(AEffect, processDoubleReplacing, 84, 128);
VST_ABI_OFFSET_CHECK(AEffect, future, 88, 136);
static_assert(sizeof(VstEvent) == 32, "VstEvent size");
static_assert(sizeof(VstMidiEvent) == 32, "VstMidiEvent size");
static_assert(offsetof(VstMidiEvent, midiData) == 24, "VstMidiEvent.midiData");
static_assert(sizeof(VstEvents) == (sizeof(void *) == 4 ? 16 : 32), "VstEvents size");
VST_ABI_OFFSET_CHECK(VstEvents, events, 8, 16);
static_assert(sizeof(VstTimeInfo) == 88, "VstTimeInfo size");
static_assert(offsetof(VstTimeInfo, ppqPos) == 24, "VstTimeInfo.ppqPos");
static_assert(offsetof(VstTimeInfo, tempo) == 32, "VstTimeInfo.tempo");
static_assert(offsetof(VstTimeInfo, flags) == 84, "VstTimeInfo.flags");
static_assert(sizeof(VstPinProperties) == 128, "VstPinProperties size");
static_assert(offsetof(VstPinProperties, flags) == 64, "VstPinProperties.flags");
static_assert(sizeof(MidiProgramName) == 80, "MidiProgramName size");
static_assert(offsetof(MidiProgramName, midiProgram) == 68, "MidiProgramName.midiProgram");
static_assert(offsetof(MidiProgramName, parentCategoryIndex) == 72, "MidiProgramName.parentCategoryIndex");
static_assert(sizeof(MidiProgramCategory) == 76, "MidiProgramCategory size");
static_assert(sizeof(MidiKeyName) == 80, "MidiKeyName size");
static_assert(offsetof(MidiKeyName, keyName) == 8, "MidiKeyName.keyName");
static_assert(sizeof(ERect) == 8, "ERect size");
static_assert(sizeof(VstKeyCode) == 8, "VstKeyCode size");
