// The settings file: controller bindings and the editor size.
#include "engine/Tarnwell.h"

namespace tarn {

void Tarnwell::loadSettings() {}

void Tarnwell::saveSettings() { firstRun.store(false, std::memory_order_relaxed); }

}  // namespace tarn
