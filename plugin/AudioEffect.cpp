#include "plugin/AudioEffect.h"

#include <cstring>

#include "plugin/AEffEditor.h"

namespace tarn {

namespace {

// A 64-bit host passes values wider than the numbers they carry: one that
// does not fit must not act as the number its low bits happen to spell.
bool fitsVstInt32(VstIntPtr value) { return static_cast<VstIntPtr>(static_cast<VstInt32>(value)) == value; }

AudioEffect *effectOf(AEffect *e) { return e ? static_cast<AudioEffect *>(e->object) : nullptr; }

VstIntPtr VSTCALLBACK dispatchEntry(AEffect *e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void *ptr,
                                    float opt) {
    AudioEffect *fx = effectOf(e);
    if (!fx) return 0;
    if (opcode == effClose) {
        fx->dispatcher(opcode, index, value, ptr, opt);
        delete fx;
        return 1;
    }
    return fx->dispatcher(opcode, index, value, ptr, opt);
}

void VSTCALLBACK processEntry(AEffect *e, float **inputs, float **outputs, VstInt32 frames) {
    if (AudioEffect *fx = effectOf(e)) fx->process(inputs, outputs, frames);
}

void VSTCALLBACK processReplacingEntry(AEffect *e, float **inputs, float **outputs, VstInt32 frames) {
    if (AudioEffect *fx = effectOf(e)) fx->processReplacing(inputs, outputs, frames);
}

void VSTCALLBACK processDoubleReplacingEntry(AEffect *e, double **inputs, double **outputs, VstInt32 frames) {
    if (AudioEffect *fx = effectOf(e)) fx->processDoubleReplacing(inputs, outputs, frames);
}

void VSTCALLBACK setParameterEntry(AEffect *e, VstInt32 index, float value) {
    if (AudioEffect *fx = effectOf(e)) fx->setParameter(index, value);
}

float VSTCALLBACK getParameterEntry(AEffect *e, VstInt32 index) {
    AudioEffect *fx = effectOf(e);
    return fx ? fx->getParameter(index) : 0.0f;
}

}  // namespace

void copyText(char *dest, const char *src, int capacity) {
    if (!dest || capacity <= 0) return;
    if (!src) src = "";
    size_t n = std::strlen(src);
    if (n > static_cast<size_t>(capacity - 1)) n = static_cast<size_t>(capacity - 1);
    std::memcpy(dest, src, n);
    dest[n] = '\0';
}

AudioEffect::AudioEffect(audioMasterCallback master, VstInt32 programs, VstInt32 params)
    : audioMaster(master),
      editor(nullptr),
      sampleRate(44100.0f),
      blockSize(1024),
      numPrograms(programs),
      numParams(params),
      curProgram(0) {
    std::memset(&cEffect, 0, sizeof(cEffect));
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEntry;
    cEffect.process = processEntry;
    cEffect.setParameter = setParameterEntry;
    cEffect.getParameter = getParameterEntry;
    cEffect.numPrograms = programs;
    cEffect.numParams = params;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = effFlagsCanReplacing;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = fourCharCode('N', 'o', 'E', 'f');
    cEffect.version = 1;
    cEffect.processReplacing = processReplacingEntry;
    cEffect.processDoubleReplacing = processDoubleReplacingEntry;
}

AudioEffect::~AudioEffect() { delete editor; }

void AudioEffect::setEditor(AEffEditor *newEditor) {
    editor = newEditor;
    if (editor)
        cEffect.flags |= effFlagsHasEditor;
    else
        cEffect.flags &= ~effFlagsHasEditor;
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void *ptr, float opt) {
    return audioMaster ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

void AudioEffect::process(float **, float **, VstInt32) {}

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    if (audioMaster) callHost(audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::getParameterLabel(VstInt32, char *text) { copyText(text, "", kVstMaxParamStrLen + 1); }
void AudioEffect::getParameterDisplay(VstInt32, char *text) { copyText(text, "", kVstMaxParamStrLen + 1); }
void AudioEffect::getParameterName(VstInt32, char *text) { copyText(text, "", kVstMaxParamStrLen + 1); }
void AudioEffect::getProgramName(char *name) { copyText(name, "", kVstMaxProgNameLen); }

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void *ptr, float opt) {
    switch (opcode) {
        case effOpen:
            open();
            return 0;
        case effClose:
            close();
            return 1;
        case effSetProgram:
            if (value < numPrograms && fitsVstInt32(value)) setProgram(static_cast<VstInt32>(value));
            return 0;
        case effGetProgram:
            return getProgram();
        case effSetProgramName:
            if (ptr) setProgramName(static_cast<char *>(ptr));
            return 0;
        case effGetProgramName:
            if (ptr) getProgramName(static_cast<char *>(ptr));
            return 0;
        case effGetParamLabel:
            if (ptr) getParameterLabel(index, static_cast<char *>(ptr));
            return 0;
        case effGetParamDisplay:
            if (ptr) getParameterDisplay(index, static_cast<char *>(ptr));
            return 0;
        case effGetParamName:
            if (ptr) getParameterName(index, static_cast<char *>(ptr));
            return 0;
        case effSetSampleRate:
            setSampleRate(opt);
            return 0;
        case effSetBlockSize:
            if (fitsVstInt32(value)) setBlockSize(static_cast<VstInt32>(value));
            return 0;
        case effMainsChanged:
            if (value == 0)
                suspend();
            else
                resume();
            return 0;
        case effEditGetRect:
            if (editor && ptr) return editor->getRect(static_cast<ERect **>(ptr)) ? 1 : 0;
            return 0;
        case effEditOpen:
            if (editor) return editor->open(ptr) ? 1 : 0;
            return 0;
        case effEditClose:
            if (editor) editor->close();
            return 0;
        case effEditIdle:
            if (editor) editor->idle();
            return 0;
        case effIdentify:
            return fourCharCode('N', 'v', 'E', 'f');
        case effGetChunk:
            return ptr ? getChunk(static_cast<void **>(ptr), index != 0) : 0;
        case effSetChunk:
            return ptr && fitsVstInt32(value) ? setChunk(ptr, static_cast<VstInt32>(value), index != 0) : 0;
        default:
            return 0;
    }
}

}  // namespace tarn
