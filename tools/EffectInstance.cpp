#include "tools/EffectInstance.h"

#include <algorithm>
#include <cstring>

namespace tarn {

EffectInstance::~EffectInstance() { close(); }

bool EffectInstance::create(PluginEntry entry, audioMasterCallback callback, std::string &error) {
    if (!entry) {
        error = "no entry point to call";
        return false;
    }
    AEffect *effect = entry(callback);
    if (!effect) {
        error = "the plug-in refused to create an instance (its entry point returned null)";
        return false;
    }
    if (effect->magic != kEffectMagic) {
        // Not a record this renderer can talk to; closing it through an
        // unknown layout would be a guess, so it is left alone.
        error = "the plug-in's entry point did not return a VST 2.4 effect record";
        return false;
    }
    effect_ = effect;
    mustClose_ = true;  // whatever happens next, the instance gets its effClose
    if (!effect->dispatcher) {
        error = "the plug-in's effect record has no dispatcher";
        effect_ = nullptr;  // nothing could close it
        return false;
    }
    if (effect->numInputs < 0 || effect->numInputs > kMaxPins || effect->numOutputs < 1 ||
        effect->numOutputs > kMaxPins) {
        error = "the plug-in claims " + std::to_string(effect->numInputs) + " inputs and " +
                std::to_string(effect->numOutputs) + " outputs";
        return false;
    }
    replacing_ = (effect->flags & effFlagsCanReplacing) && effect->processReplacing;
    if (!replacing_ && !effect->process) {
        error = "the plug-in's effect record has no processing function";
        return false;
    }
    inputs_.assign(static_cast<size_t>(effect->numInputs), {});
    outputs_.assign(static_cast<size_t>(effect->numOutputs), {});
    inputPointers_.assign(inputs_.size() + 1, nullptr);
    outputPointers_.assign(outputs_.size() + 1, nullptr);
    return true;
}

VstIntPtr EffectInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void *ptr, float opt) {
    if (!effect_) return 0;
    return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string EffectInstance::text(VstInt32 opcode, VstInt32 index, VstIntPtr value, VstIntPtr *answer) {
    char buffer[kTextBufferSize] = {};
    const VstIntPtr result = dispatch(opcode, index, value, buffer);
    if (answer) *answer = result;
    buffer[kTextBufferSize - 1] = '\0';
    std::string out;
    for (const char *p = buffer; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        out.push_back(c >= 0x20 && c != 0x7F ? static_cast<char>(c) : '?');
    }
    return out;
}

void EffectInstance::open() {
    dispatch(effOpen);
}

void EffectInstance::resume() {
    if (!effect_ || resumed_) return;
    dispatch(effMainsChanged, 0, 1);
    resumed_ = true;
}

void EffectInstance::suspend() {
    if (!effect_ || !resumed_) return;
    dispatch(effMainsChanged, 0, 0);
    resumed_ = false;
}

void EffectInstance::close() {
    if (!effect_) return;
    suspend();
    if (mustClose_) dispatch(effClose);
    effect_ = nullptr;
    mustClose_ = false;
}

void EffectInstance::reserveFrames(int32_t frames) {
    const size_t n = static_cast<size_t>(std::max<int32_t>(frames, 1));
    for (auto &buffer : inputs_) buffer.assign(n, 0.0f);
    for (auto &buffer : outputs_) buffer.assign(n, 0.0f);
    for (size_t i = 0; i < inputs_.size(); ++i) inputPointers_[i] = inputs_[i].data();
    for (size_t i = 0; i < outputs_.size(); ++i) outputPointers_[i] = outputs_[i].data();
}

void EffectInstance::process(float *left, float *right, int32_t frames) {
    if (!effect_ || frames <= 0) return;
    const size_t n = static_cast<size_t>(frames);
    if (outputs_.empty() || outputs_[0].size() < n) reserveFrames(frames);
    // The plug-in may write into what it was given as inputs; they are
    // silence again for every block.
    for (auto &buffer : inputs_) std::fill_n(buffer.begin(), n, 0.0f);
    // Replacing plug-ins need not be handed clear buffers, but an
    // accumulating one adds to them.
    for (auto &buffer : outputs_) std::fill_n(buffer.begin(), n, 0.0f);
    if (replacing_) {
        effect_->processReplacing(effect_, inputPointers_.data(), outputPointers_.data(), frames);
    } else {
        effect_->process(effect_, inputPointers_.data(), outputPointers_.data(), frames);
    }
    std::memcpy(left, outputs_[0].data(), n * sizeof(float));
    std::memcpy(right, outputs_.size() > 1 ? outputs_[1].data() : outputs_[0].data(), n * sizeof(float));
}

}  // namespace tarn
