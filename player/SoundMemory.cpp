#include "player/SoundMemory.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/Instrument.h"
#include "learn/ModulePath.h"

namespace tarn {

// The same folder the settings file falls back to.
std::string SoundMemory::folder() { return userSettingsDirectory(); }

SoundMemory::SoundMemory(std::string folder) : dir(std::move(folder)) {
    if (!dir.empty()) file = dir + "/" + kFileName;
}

SoundMemory::Loaded SoundMemory::restore(Instrument &instrument, std::string &warning) const {
    if (file.empty()) return Loaded::NothingSaved;
    FILE *f = std::fopen(file.c_str(), "rb");
    if (!f) {
        if (errno == ENOENT) return Loaded::NothingSaved;
        warning = "cannot read " + file + " (" + std::strerror(errno) + "); starting from program 0";
        return Loaded::Damaged;
    }
    // One byte more than a state holds tells a longer file from a whole one.
    std::vector<unsigned char> bytes(Instrument::kStateBytes + 1);
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    if (!instrument.loadState(bytes.data(), got)) {
        warning = "ignoring the damaged saved sound " + file + "; starting from program 0";
        return Loaded::Damaged;
    }
    return Loaded::Restored;
}

bool SoundMemory::keep(const Instrument &instrument, std::string &reason) const {
    if (file.empty()) {
        reason = "neither XDG_CONFIG_HOME nor HOME names a folder";
        return false;
    }
    if (!makeFolders(dir)) {
        reason = "cannot create " + dir + " (" + std::strerror(errno) + ")";
        return false;
    }
    std::vector<unsigned char> bytes(Instrument::kStateBytes);
    instrument.saveState(bytes.data());
    const std::string part = file + ".part";
    FILE *f = std::fopen(part.c_str(), "wb");
    if (!f) {
        reason = "cannot write " + part + " (" + std::strerror(errno) + ")";
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const bool flushed = std::fflush(f) == 0;
    const bool closed = std::fclose(f) == 0;
    if (!written || !flushed || !closed || std::rename(part.c_str(), file.c_str()) != 0) {
        reason = "cannot write " + file + " (" + std::strerror(errno) + ")";
        std::remove(part.c_str());
        return false;
    }
    return true;
}

}  // namespace tarn
