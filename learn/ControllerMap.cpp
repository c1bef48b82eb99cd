#include "learn/ControllerMap.h"

namespace tarn {

namespace {
constexpr int32_t kNumInstrumentParams = 88;
}

ControllerMap::ControllerMap() {
    for (auto &entry : live) entry.store(kNoParameter, std::memory_order_relaxed);
}

void ControllerMap::assign(int32_t cc, int32_t param) {
    ccToParamMap[cc] = param;
    paramToCcMap[param] = cc;
    if (static_cast<uint32_t>(cc) < static_cast<uint32_t>(kNumControllers)) {
        const bool moves = static_cast<uint32_t>(param) < static_cast<uint32_t>(kNumInstrumentParams);
        live[cc].store(moves ? param : kNoParameter, std::memory_order_relaxed);
    }
}

void ControllerMap::forgetControllerOf(int32_t param) { paramToCcMap[param] = 0; }

int32_t ControllerMap::controllerFor(int32_t param) const {
    auto it = paramToCcMap.find(param);
    return it == paramToCcMap.end() ? 0 : it->second;
}

}  // namespace tarn
