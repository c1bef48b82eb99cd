// The VST 2.x extension layer: the opcodes from 25 on, identity and MIDI
// program queries, and the host services this instrument uses.
#pragma once

#include "plugin/AudioEffect.h"

namespace tarn {

class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void *ptr, float opt) override;

    void resume() override;

    virtual VstInt32 processEvents(VstEvents *) { return 0; }
    virtual bool canBeAutomated(VstInt32) { return true; }
    virtual bool getProgramNameIndexed(VstInt32, VstInt32, char *) { return false; }
    virtual bool getOutputProperties(VstInt32, VstPinProperties *) { return false; }
    virtual bool getInputProperties(VstInt32, VstPinProperties *) { return false; }
    virtual VstInt32 getPlugCategory();
    virtual bool getEffectName(char *) { return false; }
    virtual bool getVendorString(char *) { return false; }
    virtual bool getProductString(char *) { return false; }
    virtual VstInt32 getVendorVersion() { return 0; }
    virtual VstInt32 canDo(char *) { return -1; }
    virtual VstInt32 getVstVersion() { return kVstVersion; }
    virtual VstInt32 getMidiProgramName(VstInt32, MidiProgramName *) { return 0; }
    virtual VstInt32 getCurrentMidiProgram(VstInt32, MidiProgramName *) { return -1; }
    virtual VstInt32 getMidiProgramCategory(VstInt32, MidiProgramCategory *) { return 0; }
    virtual bool hasMidiProgramsChanged(VstInt32) { return false; }
    virtual bool getMidiKeyName(VstInt32, MidiKeyName *) { return false; }
    virtual VstIntPtr vendorSpecific(VstInt32, VstIntPtr, void *, float) { return 0; }

    // Host services.
    bool wantEvents(VstInt32 filter = 1);
    VstTimeInfo *getTimeInfo(VstInt32 mask);
};

}  // namespace tarn
