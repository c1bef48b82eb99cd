// MIDI controller bindings. The ordered maps serve the learn dialog and the
// settings file on the user-interface thread; the audio thread reads only a
// fixed table of atomics kept in step with them, so it never waits.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>

namespace tarn {

class ControllerMap {
public:
    static constexpr int32_t kNumControllers = 128;
    static constexpr int32_t kNoParameter = -1;

    ControllerMap();

    // User-interface thread (and the settings loader during construction).
    void assign(int32_t cc, int32_t param);
    void forgetControllerOf(int32_t param);  // paramToCc[param] = 0
    int32_t controllerFor(int32_t param) const;
    const std::map<int32_t, int32_t> &ccToParam() const { return ccToParamMap; }
    const std::map<int32_t, int32_t> &paramToCc() const { return paramToCcMap; }

    // Audio thread: wait-free. kNoParameter when cc is unbound or its
    // binding names no parameter of the instrument.
    int32_t parameterFor(int32_t cc) const {
        if (static_cast<uint32_t>(cc) >= static_cast<uint32_t>(kNumControllers)) return kNoParameter;
        return live[cc].load(std::memory_order_relaxed);
    }

private:
    std::map<int32_t, int32_t> ccToParamMap;
    std::map<int32_t, int32_t> paramToCcMap;
    std::atomic<int32_t> live[kNumControllers];
};

}  // namespace tarn
