#include "tools/SmfTempoProbe.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <mfmidi.h>

namespace tarn {

namespace {

// Runs the library's own file parser and listens only for tempo events.
class TempoListener final : public Midifile_reader {
public:
    explicit TempoListener(std::FILE *file) : file_(file) {}

    bool run() {
        midifile();
        finalize();
        return !midifile_error && !failed_;
    }

    const FirstTempo &result() const { return first_; }

protected:
    void *Mf_malloc(size_t size) override { return std::malloc(size); }
    void Mf_free(void *obj, size_t) override { std::free(obj); }
    int Mf_getc() override { return std::fgetc(file_); }
    void Mf_error(char *) override {
        failed_ = true;
        midifile_error = 1;
    }
    void Mf_tempo(int) override {
        if (first_.present && Mf_currtime >= first_.tick) return;
        first_.present = true;
        first_.tick = Mf_currtime;
    }

    void Mf_starttrack() override {}
    void Mf_endtrack() override {}
    void Mf_chanprefix(int) override {}
    void Mf_portprefix(int) override {}
    void Mf_eot() override {}
    void Mf_header(int, int, int) override {}
    void Mf_on(int, int, int) override {}
    void Mf_off(int, int, int) override {}
    void Mf_pressure(int, int, int) override {}
    void Mf_controller(int, int, int) override {}
    void Mf_pitchbend(int, int, int) override {}
    void Mf_program(int, int) override {}
    void Mf_chanpressure(int, int) override {}
    void Mf_sysex(int, unsigned char *) override {}
    void Mf_arbitrary(int, unsigned char *) override {}
    void Mf_metamisc(int, int, unsigned char *) override {}
    void Mf_seqnum(int) override {}
    void Mf_smpte(int, int, int, int, int) override {}
    void Mf_timesig(int, int, int, int) override {}
    void Mf_keysig(int, int) override {}
    void Mf_sqspecific(int, unsigned char *) override {}
    void Mf_text(int, int, unsigned char *) override {}

private:
    std::FILE *file_;
    FirstTempo first_;
    bool failed_ = false;
};

}  // namespace

FirstTempo probeFirstTempo(const std::string &path) {
    FirstTempo none;
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) return none;
    TempoListener listener(file);
    const bool ok = listener.run();
    std::fclose(file);
    FirstTempo result = listener.result();
    result.readable = ok;
    return result;
}

}  // namespace tarn
