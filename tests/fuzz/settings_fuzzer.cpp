// Feeds arbitrary bytes to the settings reader. Beyond the sanitizers'
// checks, whatever the bytes: no binding that moves anything names a
// parameter outside the instrument, sizes stay in range, and what a save
// would write reads back to the same live bindings.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "learn/ControllerMap.h"
#include "learn/Settings.h"
#include "learn/SettingsParser.h"

namespace {

constexpr int32_t kNumInstrumentParams = 88;

bool sizeOk(int32_t v) {
    return v == tarn::SettingsData::kDefaultEditorSize ||
           (v >= tarn::SettingsParser::kMinEditorSize && v <= tarn::SettingsParser::kMaxEditorSize);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size) {
    tarn::SettingsData data;
    tarn::ControllerMap map;
    tarn::parseSettings(reinterpret_cast<const char *>(bytes), size, data, map);

    if (!sizeOk(data.editorWidth) || !sizeOk(data.editorHeight)) std::abort();
    for (int32_t cc = -1; cc <= tarn::ControllerMap::kNumControllers; ++cc) {
        const int32_t p = map.parameterFor(cc);
        if (p != tarn::ControllerMap::kNoParameter && (p < 0 || p >= kNumInstrumentParams)) std::abort();
    }

    const std::string saved = tarn::formatSettings(data.editorWidth, data.editorHeight, map);
    tarn::SettingsData again;
    tarn::ControllerMap reloaded;
    if (!tarn::parseSettings(saved.data(), saved.size(), again, reloaded)) std::abort();
    if (again.editorWidth != data.editorWidth || again.editorHeight != data.editorHeight) std::abort();
    for (int32_t cc = 2; cc < tarn::ControllerMap::kNumControllers; ++cc)
        if (reloaded.parameterFor(cc) != map.parameterFor(cc)) std::abort();
    return 0;
}
