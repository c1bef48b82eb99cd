#include "vst3/Vst3Stream.h"

namespace tarn::vst3 {

int32 readUpTo(IBStream *stream, void *buffer, int32 capacity) {
    if (!stream || !buffer || capacity <= 0) return 0;
    auto *bytes = static_cast<unsigned char *>(buffer);
    int32 done = 0;
    while (done < capacity) {
        int32 got = 0;
        const int32 want = capacity - done;
        if (stream->read(bytes + done, want, &got) != kResultOk) break;
        if (got <= 0 || got > want) break;
        done += got;
    }
    return done;
}

bool writeAll(IBStream *stream, const void *buffer, int32 size) {
    if (!stream || (!buffer && size > 0) || size < 0) return false;
    auto *bytes = static_cast<unsigned char *>(const_cast<void *>(buffer));
    int32 done = 0;
    while (done < size) {
        int32 put = 0;
        const int32 want = size - done;
        if (stream->write(bytes + done, want, &put) != kResultOk) return false;
        if (put <= 0 || put > want) return false;
        done += put;
    }
    return true;
}

}  // namespace tarn::vst3
