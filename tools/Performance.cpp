#include "tools/Performance.h"

#include <algorithm>

namespace tarn {

double Performance::lastEventSeconds() const {
    double last = 0.0;
    for (const NoteSpan &n : notes) last = std::max(last, std::max(n.start, n.end));
    for (const TimedMessage &m : messages) last = std::max(last, m.seconds);
    return last;
}

}  // namespace tarn
