// Writes the fuzzers' seeds: a whole state of program 3 made by our own
// encoder, and (given a second path) the same state behind a plan of reads
// of 127, 127, 16 and 127 bytes for the VST 3 stream reader.
#include <cstdio>

#include "engine/InstrumentState.h"

int main(int argc, char **argv) {
    if (argc != 2 && argc != 3) return 2;
    tarn::InstrumentState state;
    state.program = 3;
    std::snprintf(state.programName, sizeof state.programName, "%s", "Seed");
    for (int i = 0; i < tarn::InstrumentState::kNumParams; ++i) state.values[i] = (i % 11) / 10.0f;
    unsigned char bytes[tarn::InstrumentState::kBytes];
    state.encode(bytes);
    std::FILE *f = std::fopen(argv[1], "wb");
    if (!f) return 1;
    bool ok = std::fwrite(bytes, 1, sizeof bytes, f) == sizeof bytes;
    ok = std::fclose(f) == 0 && ok;
    if (argc == 3) {
        const unsigned char plan[] = {4, 0x7F, 0x7F, 0x10, 0x7F};
        std::FILE *g = std::fopen(argv[2], "wb");
        if (!g) return 1;
        ok = std::fwrite(plan, 1, sizeof plan, g) == sizeof plan && ok;
        ok = std::fwrite(bytes, 1, sizeof bytes, g) == sizeof bytes && ok;
        ok = std::fclose(g) == 0 && ok;
    }
    return ok ? 0 : 1;
}
