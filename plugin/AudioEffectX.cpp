#include "plugin/AudioEffectX.h"

#include "plugin/AEffEditor.h"

namespace tarn {

AudioEffectX::AudioEffectX(audioMasterCallback master, VstInt32 programs, VstInt32 params)
    : AudioEffect(master, programs, params) {}

VstInt32 AudioEffectX::getPlugCategory() {
    return (cEffect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

void AudioEffectX::resume() {
    static char receiveMidi[] = "receiveVstMidiEvent";
    if ((cEffect.flags & effFlagsIsSynth) || canDo(receiveMidi) == 1) wantEvents(1);
}

bool AudioEffectX::wantEvents(VstInt32 filter) {
    if (!audioMaster) return false;
    return callHost(audioMasterWantMidi, 0, filter, nullptr, 0.0f) != 0;
}

VstTimeInfo *AudioEffectX::getTimeInfo(VstInt32 mask) {
    if (!audioMaster) return nullptr;
    return reinterpret_cast<VstTimeInfo *>(callHost(audioMasterGetTime, 0, mask, nullptr, 0.0f));
}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void *ptr, float opt) {
    switch (opcode) {
        case effProcessEvents:
            if (ptr) processEvents(static_cast<VstEvents *>(ptr));
            return 1;
        case effCanBeAutomated:
            return canBeAutomated(index) ? 1 : 0;
        case effGetProgramNameIndexed:
            return ptr && getProgramNameIndexed(static_cast<VstInt32>(value), index, static_cast<char *>(ptr)) ? 1
                                                                                                              : 0;
        case effGetInputProperties:
            return ptr && getInputProperties(index, static_cast<VstPinProperties *>(ptr)) ? 1 : 0;
        case effGetOutputProperties:
            return ptr && getOutputProperties(index, static_cast<VstPinProperties *>(ptr)) ? 1 : 0;
        case effGetPlugCategory:
            return getPlugCategory();
        case effGetEffectName:
            return ptr && getEffectName(static_cast<char *>(ptr)) ? 1 : 0;
        case effGetVendorString:
            return ptr && getVendorString(static_cast<char *>(ptr)) ? 1 : 0;
        case effGetProductString:
            return ptr && getProductString(static_cast<char *>(ptr)) ? 1 : 0;
        case effGetVendorVersion:
            return getVendorVersion();
        case effVendorSpecific:
            return vendorSpecific(index, value, ptr, opt);
        case effCanDo:
            return ptr ? canDo(static_cast<char *>(ptr)) : 0;
        case effGetVstVersion:
            return getVstVersion();
        case effEditKeyDown:
        case effEditKeyUp:
            if (editor) {
                VstKeyCode key{};
                key.character = index;
                key.virt = static_cast<unsigned char>(value);
                // The modifier arrives as a float: anything not a small whole number is no key.
                key.modifier = (opt >= 0.0f && opt <= 255.0f) ? static_cast<unsigned char>(opt) : 0;
                return (opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key)) ? 1 : 0;
            }
            return 0;
        case effSetEditKnobMode:
            return editor && editor->setKnobMode(static_cast<int>(value)) ? 1 : 0;
        case effGetMidiProgramName:
            return ptr ? getMidiProgramName(index, static_cast<MidiProgramName *>(ptr)) : 0;
        case effGetCurrentMidiProgram:
            return getCurrentMidiProgram(index, static_cast<MidiProgramName *>(ptr));
        case effGetMidiProgramCategory:
            return ptr ? getMidiProgramCategory(index, static_cast<MidiProgramCategory *>(ptr)) : 0;
        case effHasMidiProgramsChanged:
            return hasMidiProgramsChanged(index) ? 1 : 0;
        case effGetMidiKeyName:
            return ptr && getMidiKeyName(index, static_cast<MidiKeyName *>(ptr)) ? 1 : 0;
        case effSetTotalSampleToProcess:
            return value;
        case effGetSpeakerArrangement: {
            // Both arguments are pointers to the host's arrangement pointers.
            if (void **in = reinterpret_cast<void **>(value)) *in = nullptr;
            if (void **out = static_cast<void **>(ptr)) *out = nullptr;
            return 0;
        }
        default:
            return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}

}  // namespace tarn
