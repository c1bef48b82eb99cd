#include "tools/EffectInfo.h"

#include <algorithm>
#include <cinttypes>

#include "tools/EffectInstance.h"

namespace tarn {

std::string fourCharText(VstInt32 code) {
    const uint32_t u = static_cast<uint32_t>(code);
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned char c = static_cast<unsigned char>((u >> shift) & 0xFF);
        if (c < 0x20 || c > 0x7E) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08" PRIX32, u);
            return hex;
        }
        text.push_back(static_cast<char>(c));
    }
    return text;
}

std::string effectFlagNames(VstInt32 flags) {
    static const struct {
        VstInt32 bit;
        const char *name;
    } kNames[] = {
        {effFlagsHasEditor, "HasEditor"},   {2, "HasClip"},
        {4, "HasVu"},                       {8, "CanMono"},
        {effFlagsCanReplacing, "CanReplacing"}, {effFlagsProgramChunks, "ProgramChunks"},
        {effFlagsIsSynth, "IsSynth"},       {effFlagsNoSoundInStop, "NoSoundInStop"},
        {1024, "ExtIsAsync"},               {2048, "ExtHasBuffer"},
        {effFlagsCanDoubleReplacing, "CanDoubleReplacing"},
    };
    std::string text;
    uint32_t rest = static_cast<uint32_t>(flags);
    for (const auto &entry : kNames) {
        if (!(rest & static_cast<uint32_t>(entry.bit))) continue;
        rest &= ~static_cast<uint32_t>(entry.bit);
        if (!text.empty()) text += '|';
        text += entry.name;
    }
    if (rest) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%" PRIX32, rest);
        if (!text.empty()) text += '|';
        text += hex;
    }
    return text.empty() ? "none" : text;
}

void printEffectInfo(EffectInstance &effect, std::FILE *out) {
    const AEffect &r = effect.record();
    std::fprintf(out, "effect name:    %s\n", effect.text(effGetEffectName).c_str());
    std::fprintf(out, "vendor:         %s\n", effect.text(effGetVendorString).c_str());
    std::fprintf(out, "product:        %s\n", effect.text(effGetProductString).c_str());
    std::fprintf(out, "vendor version: %ld\n", static_cast<long>(effect.dispatch(effGetVendorVersion)));
    std::fprintf(out, "unique ID:      %s (%" PRId32 ")\n", fourCharText(r.uniqueID).c_str(), r.uniqueID);
    std::fprintf(out, "VST version:    %ld\n", static_cast<long>(effect.dispatch(effGetVstVersion)));
    std::fprintf(out, "category:       %ld\n", static_cast<long>(effect.dispatch(effGetPlugCategory)));
    std::fprintf(out, "programs:       %" PRId32 "\n", r.numPrograms);
    std::fprintf(out, "parameters:     %" PRId32 "\n", r.numParams);
    std::fprintf(out, "inputs:         %" PRId32 "\n", r.numInputs);
    std::fprintf(out, "outputs:        %" PRId32 "\n", r.numOutputs);
    std::fprintf(out, "flags:          %" PRId32 " (%s)\n", r.flags, effectFlagNames(r.flags).c_str());

    const VstInt32 params = std::clamp<VstInt32>(r.numParams, 0, EffectInstance::kMaxParams);
    std::fprintf(out, "\nparameters (index, name, display, label):\n");
    for (VstInt32 i = 0; i < params; ++i) {
        const std::string name = effect.text(effGetParamName, i);
        const std::string display = effect.text(effGetParamDisplay, i);
        const std::string label = effect.text(effGetParamLabel, i);
        std::fprintf(out, "  %3" PRId32 "  %-16s %s%s%s\n", i, name.c_str(), display.c_str(),
                     label.empty() ? "" : " ", label.c_str());
    }

    const VstInt32 programs = std::clamp<VstInt32>(r.numPrograms, 0, EffectInstance::kMaxPrograms);
    std::fprintf(out, "\nprograms:\n");
    const VstIntPtr current = effect.dispatch(effGetProgram);
    bool indexedWorks = true;
    for (VstInt32 p = 0; p < programs; ++p) {
        VstIntPtr answer = 0;
        std::string name;
        if (indexedWorks) name = effect.text(effGetProgramNameIndexed, p, -1, &answer);
        if (!indexedWorks || answer != 1) {
            // As hosts do for plug-ins that do not name programs by index:
            // select each one and ask for the current name.
            indexedWorks = false;
            effect.dispatch(effSetProgram, 0, p);
            name = effect.text(effGetProgramName);
        }
        std::fprintf(out, "  %3" PRId32 "  %s\n", p, name.c_str());
    }
    if (!indexedWorks && programs > 0) effect.dispatch(effSetProgram, 0, current);
}

}  // namespace tarn
