// Writes the fuzzer's seed: a whole state of program 3 made by our own encoder.
#include <cstdio>

#include "instrument/InstrumentState.h"

int main(int argc, char **argv) {
    if (argc != 2) return 2;
    tarn::InstrumentState state;
    state.program = 3;
    std::snprintf(state.programName, sizeof state.programName, "%s", "Seed");
    for (int i = 0; i < tarn::InstrumentState::kNumParams; ++i) state.values[i] = (i % 11) / 10.0f;
    unsigned char bytes[tarn::InstrumentState::kBytes];
    state.encode(bytes);
    std::FILE *f = std::fopen(argv[1], "wb");
    if (!f) return 1;
    const bool ok = std::fwrite(bytes, 1, sizeof bytes, f) == sizeof bytes;
    return std::fclose(f) == 0 && ok ? 0 : 1;
}
