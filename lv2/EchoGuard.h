// The values the editor side told the host of, so that the audio side can
// tell the host's echo of such a value (arriving a block or more later on the
// control port) from a change the host made itself. Without it an echo of an
// older value arriving while the musician drags on would set the parameter
// back. Editor thread writes, audio thread reads; lock-free.
#pragma once

#include <atomic>
#include <cstdint>

namespace tarn::lv2door {

class EchoGuard final {
public:
    static constexpr int32_t kParameters = 88;
    static constexpr int32_t kRemembered = 4;

    // value was reported for parameter index when the audio side had run
    // `frame` frames in all.
    void note(int32_t index, float value, uint64_t frame);
    // Whether value on the parameter's port is one of the last values
    // reported for it no longer than `window` frames before `now`.
    bool isEcho(int32_t index, float value, uint64_t now, uint64_t window) const;

private:
    struct Entry {
        std::atomic<uint32_t> bits{0};
        std::atomic<uint64_t> frame{0};
        std::atomic<bool> used{false};
    };
    Entry entries[kParameters][kRemembered];
    uint8_t next[kParameters] = {};  // editor thread only
};

}  // namespace tarn::lv2door
