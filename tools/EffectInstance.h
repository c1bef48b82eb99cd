// One plug-in instance as the renderer hosts it: built through the module's
// entry point, driven through its record, and closed in the order hosts use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "plugin/VstAbi.h"
#include "tools/PluginModule.h"

namespace tarn {

class EffectInstance final {
public:
    // Bounds on what the record may claim before the renderer refuses it:
    // buffers are allocated for every pin, and lists are walked in full.
    static constexpr VstInt32 kMaxPins = 64;
    static constexpr VstInt32 kMaxPrograms = 16384;
    static constexpr VstInt32 kMaxParams = 16384;
    static constexpr size_t kTextBufferSize = 256;  // what hosts are seen to pass

    EffectInstance() = default;
    ~EffectInstance();
    EffectInstance(const EffectInstance &) = delete;
    EffectInstance &operator=(const EffectInstance &) = delete;

    // Calls the entry point with `callback` and checks the record it returns.
    bool create(PluginEntry entry, audioMasterCallback callback, std::string &error);

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void *ptr = nullptr,
                       float opt = 0.0f);
    // A text answer of the plug-in, read through a generous zeroed buffer and
    // cut to printable characters.
    std::string text(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, VstIntPtr *answer = nullptr);

    void open();
    void resume();   // effMainsChanged 1
    void suspend();  // effMainsChanged 0
    // Suspends if needed, then effClose; the record is gone afterwards.
    void close();

    // One block of audio into `left` and `right` (each `frames` long). Any
    // further outputs are rendered into scratch buffers and dropped; a mono
    // plug-in is copied to both sides.
    void process(float *left, float *right, int32_t frames);
    void reserveFrames(int32_t frames);

    const AEffect &record() const { return *effect_; }
    bool usesReplacing() const { return replacing_; }

private:
    AEffect *effect_ = nullptr;
    bool mustClose_ = false;
    bool resumed_ = false;
    bool replacing_ = true;
    std::vector<std::vector<float>> inputs_;
    std::vector<std::vector<float>> outputs_;
    std::vector<float *> inputPointers_;
    std::vector<float *> outputPointers_;
};

}  // namespace tarn
