#include "tools/WavWriter.h"

#include <sndfile.h>

#include <cstdio>

namespace tarn {

namespace {
SNDFILE *handle(void *file) { return static_cast<SNDFILE *>(file); }
}  // namespace

WavWriter::~WavWriter() { discard(); }

bool WavWriter::open(const std::string &path, int sampleRate, std::string &error) {
    discard();
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE *file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        error = "cannot write " + path + ": " + sf_strerror(nullptr);
        return false;
    }
    // The peak chunk carries the time of writing, which would make two
    // renders of one song differ; the samples are what matters.
    sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    file_ = file;
    path_ = path;
    return true;
}

bool WavWriter::write(const float *left, const float *right, int32_t frames, std::string &error) {
    if (!file_) {
        error = "no output file is open";
        return false;
    }
    if (frames <= 0) return true;
    const size_t n = static_cast<size_t>(frames);
    if (interleaved_.size() < 2 * n) interleaved_.resize(2 * n);
    for (size_t i = 0; i < n; ++i) {
        interleaved_[2 * i] = left[i];
        interleaved_[2 * i + 1] = right[i];
    }
    const sf_count_t written = sf_writef_float(handle(file_), interleaved_.data(), static_cast<sf_count_t>(n));
    if (written != static_cast<sf_count_t>(n)) {
        error = "cannot write " + path_ + ": " + sf_strerror(handle(file_));
        return false;
    }
    return true;
}

bool WavWriter::close(std::string &error) {
    if (!file_) return true;
    const int status = sf_close(handle(file_));
    file_ = nullptr;
    if (status != 0) {
        error = "cannot finish " + path_ + ": " + sf_error_number(status);
        return false;
    }
    path_.clear();
    return true;
}

void WavWriter::discard() {
    if (!file_) return;
    sf_close(handle(file_));
    file_ = nullptr;
    std::remove(path_.c_str());
    path_.clear();
}

}  // namespace tarn
