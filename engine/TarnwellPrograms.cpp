// Programs, identity and the General MIDI answers.
#include <cstring>

#include "engine/GeneralMidi.h"
#include "engine/Identity.h"
#include "engine/ProgramBank.h"
#include "engine/Tarnwell.h"

namespace tarn {

void Tarnwell::setProgram(VstInt32 program) {
    if (static_cast<uint32_t>(program) >= static_cast<uint32_t>(kNumPrograms)) return;
    ProgramBank &bank = ProgramBank::shared();
    const int32_t outgoing = currentProgram.load(std::memory_order_relaxed);
    if (static_cast<uint32_t>(outgoing) < static_cast<uint32_t>(kNumPrograms)) {
        for (VstInt32 i = 0; i < kNumParams; ++i) bank.setValue(outgoing, i, getParameter(i));
    }
    currentProgram.store(program, std::memory_order_relaxed);
    for (VstInt32 i = 0; i < kNumParams; ++i)
        setParameterAutomated(i, static_cast<float>(bank.value(program, i)));
    pushEffectiveToVoices();
}

VstInt32 Tarnwell::getProgram() { return currentProgram.load(std::memory_order_relaxed); }

void Tarnwell::setProgramName(char *name) {
    const int32_t program = currentProgram.load(std::memory_order_relaxed);
    ProgramBank::shared().setName(program, name);
}

void Tarnwell::getProgramName(char *name) {
    ProgramBank::shared().getName(currentProgram.load(std::memory_order_relaxed), name, kVstMaxProgNameLen);
}

bool Tarnwell::getProgramNameIndexed(VstInt32, VstInt32 index, char *text) {
    if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(kNumPrograms)) return false;
    ProgramBank::shared().getName(index, text, kVstMaxProgNameLen);
    return true;
}

bool Tarnwell::getEffectName(char *name) {
    copyText(name, kEffectName, kVstMaxEffectNameLen);
    return true;
}

bool Tarnwell::getVendorString(char *text) {
    copyText(text, kVendorName, kVstMaxVendorStrLen);
    return true;
}

bool Tarnwell::getProductString(char *text) {
    copyText(text, kProductName, kVstMaxProductStrLen);
    return true;
}

VstInt32 Tarnwell::canDo(char *text) {
    if (!text) return -1;
    static const char *const yes[] = {"receiveVstEvents", "receiveVstMidiEvent", "midiProgramNames"};
    for (const char *answer : yes)
        if (std::strcmp(text, answer) == 0) return 1;
    return -1;
}

bool Tarnwell::getOutputProperties(VstInt32 index, VstPinProperties *properties) {
    if (!properties || static_cast<uint32_t>(index) > 1u) return false;
    copyText(properties->label, index == 0 ? "Tarnwell L" : "Tarnwell R", kVstMaxLabelLen);
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
    return true;
}

VstInt32 Tarnwell::getMidiProgramName(VstInt32 channel, MidiProgramName *name) {
    if (!name) return 0;
    return fillMidiProgramName(channel, *name);
}

VstInt32 Tarnwell::getCurrentMidiProgram(VstInt32 channel, MidiProgramName *name) {
    if (static_cast<uint32_t>(channel) > 15u || !name) return -1;
    const VstInt32 program = channelPrograms[channel];
    name->thisProgramIndex = program;
    fillMidiProgramRecord(channel, program, *name);
    return program;
}

VstInt32 Tarnwell::getMidiProgramCategory(VstInt32 channel, MidiProgramCategory *category) {
    if (!category) return 0;
    return fillMidiProgramCategory(channel, *category);
}

bool Tarnwell::getMidiKeyName(VstInt32, MidiKeyName *key) {
    if (key) clearMidiKeyName(*key);
    return false;
}

}  // namespace tarn
