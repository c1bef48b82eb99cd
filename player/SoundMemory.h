// The last sound the player made, kept between runs: the instrument's state
// bytes (program, its name and the 88 values) in one file of the user's
// configuration folder.
#pragma once

#include <string>

namespace tarn {

class Instrument;

class SoundMemory final {
public:
    static constexpr const char *kFileName = "last-sound.bin";

    // $XDG_CONFIG_HOME/tarnwell, else ~/.config/tarnwell; empty when
    // there is no home to find.
    static std::string folder();
    explicit SoundMemory(std::string folder);

    const std::string &path() const { return file; }
    // Nothing there is no news; a file the instrument refuses is reported in
    // warning and changes nothing.
    enum class Loaded { Restored, NothingSaved, Damaged };
    Loaded restore(Instrument &instrument, std::string &warning) const;
    // Written aside and renamed over the old file, so a crash or a full disk
    // mid-write never leaves half a sound behind. False, with the reason,
    // when it could not be kept.
    bool keep(const Instrument &instrument, std::string &reason) const;

private:
    std::string dir;
    std::string file;
};

}  // namespace tarn
