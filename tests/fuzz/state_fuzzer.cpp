// libFuzzer target on the state reader every door loads songs through: any
// bytes either refuse or decode to a state whose encoding decodes again to
// the same encoding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/InstrumentState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    tarn::InstrumentState state;
    if (!state.decode(data, size)) return 0;
    unsigned char once[tarn::InstrumentState::kBytes], twice[tarn::InstrumentState::kBytes];
    state.encode(once);
    tarn::InstrumentState again;
    if (!again.decode(once, sizeof once)) std::abort();
    again.encode(twice);
    if (std::memcmp(once, twice, sizeof once) != 0) std::abort();
    return 0;
}
