// Moving the state through a host's stream, which may take or give fewer
// bytes than asked each time.
#pragma once

#include <cstddef>

#include "clap/ClapAbi.h"

namespace tarn {

class ClapStateStream final {
public:
    // True only if every byte went out.
    static bool writeAll(const clap_ostream_t *stream, const unsigned char *bytes, std::size_t size);
    // Reads until the stream ends, at most capacity bytes (a stream that
    // has more is refused, never read on without end); false on a read
    // error or an answer larger than asked. *size is what arrived.
    static bool readAll(const clap_istream_t *stream, unsigned char *bytes, std::size_t capacity, std::size_t *size);
};

}  // namespace tarn
