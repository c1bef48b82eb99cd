// Progress of a long render on stderr. On a terminal one line is rewritten in
// place; anywhere else (a log, a pipe, CI) a plain line every few seconds of
// audio, so logs stay readable.
#pragma once

#include <cstdint>
#include <cstdio>

namespace tarn {

class ProgressReporter final {
public:
    static constexpr double kMinimumSeconds = 10.0;        // shorter renders stay quiet
    static constexpr double kLineIntervalSeconds = 5.0;    // between plain lines
    static constexpr double kTerminalIntervalSeconds = 1.0;

    ProgressReporter(std::FILE *out, bool terminal, int64_t totalFrames, double sampleRate);

    bool enabled() const { return enabled_; }
    void update(int64_t framesDone);
    void finish();

private:
    void report(int64_t framesDone);

    std::FILE *out_;
    bool terminal_;
    bool enabled_;
    int64_t total_;
    double rate_;
    int64_t interval_;
    int64_t nextReport_;
    bool lineOpen_ = false;
};

}  // namespace tarn
