#include "clap/ClapStateStream.h"

namespace tarn {

bool ClapStateStream::writeAll(const clap_ostream_t *stream, const unsigned char *bytes, std::size_t size) {
    if (!stream || !stream->write) return false;
    std::size_t done = 0;
    // A stream that takes nothing again and again is as broken as one that fails.
    int idle = 0;
    while (done < size) {
        const int64_t n = stream->write(stream, bytes + done, size - done);
        if (n < 0 || static_cast<uint64_t>(n) > size - done) return false;
        if (n == 0) {
            if (++idle > 64) return false;
            continue;
        }
        idle = 0;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool ClapStateStream::readAll(const clap_istream_t *stream, unsigned char *bytes, std::size_t capacity,
                              std::size_t *size) {
    *size = 0;
    if (!stream || !stream->read) return false;
    std::size_t got = 0;
    while (got < capacity) {
        const int64_t n = stream->read(stream, bytes + got, capacity - got);
        if (n == 0) break;
        if (n < 0 || static_cast<uint64_t>(n) > capacity - got) return false;
        got += static_cast<std::size_t>(n);
    }
    *size = got;
    return true;
}

}  // namespace tarn
