#include "tools/ProgressReporter.h"

#include <algorithm>

namespace tarn {

ProgressReporter::ProgressReporter(std::FILE *out, bool terminal, int64_t totalFrames, double sampleRate)
    : out_(out),
      terminal_(terminal),
      enabled_(out != nullptr && sampleRate > 0.0 &&
               static_cast<double>(totalFrames) > kMinimumSeconds * sampleRate),
      total_(totalFrames),
      rate_(sampleRate),
      interval_(1),
      nextReport_(0) {
    if (!enabled_) return;
    const double seconds = terminal ? kTerminalIntervalSeconds : kLineIntervalSeconds;
    interval_ = std::max<int64_t>(1, static_cast<int64_t>(seconds * sampleRate));
    nextReport_ = interval_;
}

void ProgressReporter::update(int64_t framesDone) {
    if (!enabled_ || framesDone < nextReport_) return;
    report(framesDone);
    while (nextReport_ <= framesDone) nextReport_ += interval_;
}

void ProgressReporter::finish() {
    if (!enabled_) return;
    if (lineOpen_) {
        std::fputc('\n', out_);
        std::fflush(out_);
        lineOpen_ = false;
    }
}

void ProgressReporter::report(int64_t framesDone) {
    const double done = static_cast<double>(framesDone) / rate_;
    const double total = static_cast<double>(total_) / rate_;
    const double percent = total_ > 0 ? 100.0 * static_cast<double>(framesDone) / static_cast<double>(total_) : 100.0;
    if (terminal_) {
        std::fprintf(out_, "\rrendering %.1f / %.1f s (%3.0f%%)", done, total, percent);
        lineOpen_ = true;
    } else {
        std::fprintf(out_, "rendering %.1f / %.1f s (%.0f%%)\n", done, total, percent);
    }
    std::fflush(out_);
}

}  // namespace tarn
