// The root of the effect class tree: owns the record handed to the host and
// turns the host's opcodes into virtual operations.
#pragma once

#include "plugin/VstAbi.h"

namespace tarn {

class AEffEditor;

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffect();

    AEffect *getAeffect() { return &cEffect; }
    void setEditor(AEffEditor *newEditor);
    AEffEditor *getEditor() const { return editor; }
    audioMasterCallback getAudioMaster() const { return audioMaster; }

    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void *ptr, float opt);

    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float rate) { sampleRate = rate; }
    virtual void setBlockSize(VstInt32 size) { blockSize = size; }

    virtual void processReplacing(float **inputs, float **outputs, VstInt32 sampleFrames) = 0;
    virtual void process(float **inputs, float **outputs, VstInt32 sampleFrames);
    virtual void processDoubleReplacing(double **, double **, VstInt32) {}

    virtual void setParameter(VstInt32, float) {}
    virtual float getParameter(VstInt32) { return 0.0f; }
    virtual void setParameterAutomated(VstInt32 index, float value);
    virtual void getParameterLabel(VstInt32, char *text);
    virtual void getParameterDisplay(VstInt32, char *text);
    virtual void getParameterName(VstInt32, char *text);

    virtual VstInt32 getProgram() { return curProgram; }
    virtual void setProgram(VstInt32 program) { curProgram = program; }
    virtual void setProgramName(char *) {}
    virtual void getProgramName(char *name);

    virtual VstInt32 getChunk(void **, bool) { return 0; }
    virtual VstInt32 setChunk(void *, VstInt32, bool) { return 0; }

protected:
    audioMasterCallback audioMaster;
    AEffEditor *editor;
    float sampleRate;
    VstInt32 blockSize;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 curProgram;
    AEffect cEffect;

    VstIntPtr callHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void *ptr = nullptr,
                       float opt = 0.0f);
};

// Host text buffers are nominally small; every write is bounded and terminated.
void copyText(char *dest, const char *src, int capacity);

}  // namespace tarn
