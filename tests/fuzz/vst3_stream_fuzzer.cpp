// libFuzzer target on the VST 3 door's state reading: a host stream that
// hands out the input's bytes in pieces of the input's choosing, claims
// counts it did not deliver, fails midway, and the state decoder on what
// came through. Nothing may be read past the buffer, and only a whole state
// of our own may decode.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/InstrumentState.h"
#include "vst3/Vst3Stream.h"

namespace {

using namespace tarn::vst3;

class FuzzStream : public IBStream {
public:
    FuzzStream(const uint8_t *plan, size_t planSize, const uint8_t *data, size_t size)
        : plan(plan), planSize(planSize), data(data), size(size) {}
    tresult TARN_VST3_API queryInterface(const TUID, void **obj) override {
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 TARN_VST3_API addRef() override { return 1; }
    uint32 TARN_VST3_API release() override { return 1; }
    tresult TARN_VST3_API read(void *buffer, int32 n, int32 *got) override {
        const uint8_t step = planSize ? plan[calls++ % planSize] : 0xFF;
        if (step == 0) return kInternalError;
        int32 k = step & 0x7F;
        if (k > n) k = n;
        if (static_cast<size_t>(k) > size - pos) k = static_cast<int32>(size - pos);
        std::memcpy(buffer, data + pos, static_cast<size_t>(k));
        pos += static_cast<size_t>(k);
        // The high bit makes the stream claim more than it gave, or less.
        if (got) *got = step & 0x80 ? (step & 1 ? n + 1 : -k) : k;
        return kResultOk;
    }
    tresult TARN_VST3_API write(void *, int32, int32 *) override { return kNotImplemented; }
    tresult TARN_VST3_API seek(int64, int32, int64 *) override { return kNotImplemented; }
    tresult TARN_VST3_API tell(int64 *) override { return kNotImplemented; }

private:
    const uint8_t *plan;
    size_t planSize;
    const uint8_t *data;
    size_t size;
    size_t pos = 0;
    size_t calls = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *input, size_t size) {
    if (size < 1) return 0;
    const size_t planSize = input[0] % 16;
    if (size < 1 + planSize) return 0;
    FuzzStream stream(input + 1, planSize, input + 1 + planSize, size - 1 - planSize);
    constexpr size_t kBytes = tarn::InstrumentState::kBytes;
    // The reader gets exactly the state's size, with guard bytes around it
    // that must stay untouched.
    unsigned char buffer[kBytes + 16];
    std::memset(buffer, 0xA5, sizeof buffer);
    const int32 got = readUpTo(&stream, buffer + 8, static_cast<int32>(kBytes));
    if (got < 0 || static_cast<size_t>(got) > kBytes) std::abort();
    for (int i = 0; i < 8; ++i)
        if (buffer[i] != 0xA5 || buffer[8 + kBytes + i] != 0xA5) std::abort();
    tarn::InstrumentState state;
    if (static_cast<size_t>(got) != kBytes) {
        if (state.decode(buffer + 8, static_cast<size_t>(got))) std::abort();
        return 0;
    }
    state.decode(buffer + 8, kBytes);
    return 0;
}
