// Checks on Ardour's renders of the test phrase.
//   render_check sound FILE FRAMES          FILE is stereo at 48 kHz, FRAMES long, finite, with sound
//   render_check same REFERENCE FILE        every float sample of FILE equals REFERENCE's
// When samples differ it says where and by how much.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FloatWavFile.h"

using tarn::testing::FloatWavFile;

namespace {

// Quieter than any note the instrument plays at these velocities, far
// louder than denormal or rounding residue.
constexpr double kMinRms = 1e-3;

bool load(FloatWavFile &wav, const char *path) {
    const std::string why = wav.read(path);
    if (why.empty()) return true;
    std::fprintf(stderr, "render_check: %s\n", why.c_str());
    return false;
}

int sound(const char *path, long expectedFrames) {
    FloatWavFile wav;
    if (!load(wav, path)) return 1;
    int faults = 0;
    std::printf("%s: %u channels, %u Hz, %zu frames\n", path, wav.channels, wav.sampleRate, wav.frames());
    if (wav.channels != 2 || wav.sampleRate != 48000) {
        std::printf("  expected 2 channels at 48000 Hz\n");
        ++faults;
    }
    if (long(wav.frames()) != expectedFrames) {
        std::printf("  expected %ld frames\n", expectedFrames);
        ++faults;
    }
    for (uint32_t c = 0; c < wav.channels; ++c) {
        double sum = 0.0, peak = 0.0;
        size_t firstSound = wav.frames(), bad = 0;
        for (size_t f = 0; f < wav.frames(); ++f) {
            const double s = wav.at(f, c);
            if (!std::isfinite(s)) {
                ++bad;
                continue;
            }
            sum += s * s;
            peak = std::fmax(peak, std::fabs(s));
            if (s != 0.0 && firstSound == wav.frames()) firstSound = f;
        }
        const double rms = wav.frames() ? std::sqrt(sum / double(wav.frames())) : 0.0;
        std::printf("  channel %u: RMS %.6f, peak %.6f, first non-zero frame %zu, non-finite samples %zu\n", c, rms,
                    peak, firstSound, bad);
        if (bad || !(rms >= kMinRms)) ++faults;
    }
    if (faults) std::printf("  FAILED: no sound, or not the render asked for\n");
    return faults ? 1 : 0;
}

int same(const char *referencePath, const char *path) {
    FloatWavFile ref, got;
    if (!load(ref, referencePath) || !load(got, path)) return 1;
    if (ref.channels != got.channels || ref.sampleRate != got.sampleRate || ref.frames() != got.frames()) {
        std::printf("%s: %u channels, %u Hz, %zu frames; the reference %s: %u, %u, %zu\n", path, got.channels,
                    got.sampleRate, got.frames(), referencePath, ref.channels, ref.sampleRate, ref.frames());
        return 1;
    }
    size_t differing = 0, firstFrame = 0, lastFrame = 0;
    uint32_t firstChannel = 0;
    double largest = 0.0;
    for (size_t f = 0; f < ref.frames(); ++f)
        for (uint32_t c = 0; c < ref.channels; ++c) {
            const float a = ref.at(f, c), b = got.at(f, c);
            // Bit patterns, so that -0 against 0 and NaNs count as different too.
            if (std::memcmp(&a, &b, sizeof a) == 0) continue;
            if (differing++ == 0) {
                firstFrame = f;
                firstChannel = c;
            }
            lastFrame = f;
            const double d = std::fabs(double(a) - double(b));
            if (!(d <= largest)) largest = d;
        }
    std::printf("%s against %s: %zu of %zu samples differ\n", path, referencePath, differing, ref.samples.size());
    if (differing == 0) return 0;
    std::printf("  first at frame %zu channel %u (%.9g here, %.9g in the reference), last at frame %zu,"
                " largest difference %.3g\n",
                firstFrame, firstChannel, double(got.at(firstFrame, firstChannel)),
                double(ref.at(firstFrame, firstChannel)), lastFrame, largest);
    return 1;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc == 4 && std::strcmp(argv[1], "sound") == 0) return sound(argv[2], std::atol(argv[3]));
    if (argc == 4 && std::strcmp(argv[1], "same") == 0) return same(argv[2], argv[3]);
    std::fprintf(stderr, "usage: render_check sound FILE FRAMES | render_check same REFERENCE FILE\n");
    return 2;
}
