// The ten band-limited sawtooth cycles every oscillator reads from. Level n
// holds the first 2^n - 1 harmonics, each softened by a sinc factor against
// ringing. Built once per process on first use and read-only after that.
#pragma once

namespace tarn {

class WaveTableSet final {
public:
    static constexpr int kLevels = 10;
    static constexpr int kLength = 8192;
    static constexpr int kMask = kLength - 1;

    // Thread-safe: hosts create instances from several threads at once.
    static const WaveTableSet &instance();

    // Level n (clamped to 0..9) as kLength samples.
    const double *level(int n) const;

    // Fills out (kLevels * kLength doubles) with the set; instance() uses
    // it once, benchmarks time it.
    static void compute(double *out);

    WaveTableSet(const WaveTableSet &) = delete;
    WaveTableSet &operator=(const WaveTableSet &) = delete;

private:
    WaveTableSet();

    double samples[kLevels * kLength];
};

}  // namespace tarn
