// A plug-in that makes no sound of its own: it writes down how it is hosted
// and turns each note start into one marked sample, so the end-to-end tests
// can check the renderer's host sequence, time information and event
// placement independently of the instrument.
//
// Log: the file named by TARNWELL_PROBE_LOG, one line per request. Audio:
// left = key / 128 on the sample a note starts, right = velocity / 128;
// a release marks the right side with -key / 128.
#include <cmath>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "plugin/VstAbi.h"

namespace {

constexpr VstInt32 kMeshMotionRequest = fourCharCode('T', 'w', 'M', 's');

struct Probe {
    AEffect effect{};
    audioMasterCallback host = nullptr;
    std::FILE *log = nullptr;
    double rate = 0.0;
    VstInt32 block = 0;
    VstInt32 program = 0;
    bool opened = false;
    bool resumed = false;
    long long position = 0;  // samples processed so far
    static constexpr int kMaxPending = 4096;
    unsigned char pending[kMaxPending][3];
    int pendingCount = 0;

    void note(const char *format, ...) __attribute__((format(printf, 2, 3)));
};

void Probe::note(const char *format, ...) {
    if (!log) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(log, format, args);
    va_end(args);
    std::fputc('\n', log);
    std::fflush(log);
}

Probe *probeOf(AEffect *e) { return e ? static_cast<Probe *>(e->object) : nullptr; }

void copy(void *ptr, const char *text) {
    if (ptr) std::snprintf(static_cast<char *>(ptr), 24, "%s", text);
}

void checkTime(Probe &p, const char *where) {
    auto *info = reinterpret_cast<VstTimeInfo *>(
        p.host(&p.effect, audioMasterGetTime, 0, kVstPpqPosValid | kVstTempoValid, nullptr, 0.0f));
    if (!info) {
        p.note("error: no time info %s", where);
        return;
    }
    const VstInt32 want = kVstPpqPosValid | kVstTempoValid | kVstTransportPlaying;
    if ((info->flags & want) != want) p.note("error: time flags %d %s", info->flags, where);
    if (info->samplePos != static_cast<double>(p.position))
        p.note("error: samplePos %.1f, expected %lld %s", info->samplePos, p.position, where);
    const double ppq = info->samplePos / info->sampleRate * (info->tempo / 60.0);
    if (std::fabs(info->ppqPos - ppq) > 1e-9) p.note("error: ppqPos %.9f, expected %.9f", info->ppqPos, ppq);
    if (p.rate > 0.0 && info->sampleRate != p.rate) p.note("error: time rate %.1f", info->sampleRate);
}

VstIntPtr VSTCALLBACK dispatch(AEffect *e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void *ptr, float opt) {
    Probe *p = probeOf(e);
    if (!p) return 0;
    switch (opcode) {
        case effOpen:
            p->opened = true;
            p->note("open");
            return 0;
        case effClose:
            p->note("close");
            if (p->log) std::fclose(p->log);
            delete p;
            return 1;
        case effSetSampleRate:
            p->rate = opt;
            p->note("rate %.1f", static_cast<double>(opt));
            return 0;
        case effSetBlockSize:
            p->block = static_cast<VstInt32>(value);
            p->note("block %ld", static_cast<long>(value));
            return 0;
        case effSetProgram:
            if (value >= 0 && value < p->effect.numPrograms) p->program = static_cast<VstInt32>(value);
            p->note("program %ld", static_cast<long>(value));
            return 0;
        case effGetProgram:
            return p->program;
        case effGetProgramName:
            if (ptr) std::snprintf(static_cast<char *>(ptr), 24, "probe %d", p->program);
            return 0;
        case effGetProgramNameIndexed:
            if (index < 0 || index >= p->effect.numPrograms || !ptr) return 0;
            std::snprintf(static_cast<char *>(ptr), 24, "probe %d", index);
            return 1;
        case effGetParamName:
            copy(ptr, "Level");
            return 0;
        case effGetParamDisplay:
            copy(ptr, "0.50");
            return 0;
        case effGetParamLabel:
            copy(ptr, "dB");
            return 0;
        case effMainsChanged:
            p->resumed = value != 0;
            p->note("mains %ld", static_cast<long>(value));
            return 0;
        case effVendorSpecific:
            if (index == kMeshMotionRequest) {
                p->note("mesh %ld", static_cast<long>(value));
                return 1;
            }
            return 0;
        case effProcessEvents: {
            auto *events = static_cast<VstEvents *>(ptr);
            if (!events) return 1;
            p->note("events %d at %lld", events->numEvents, p->position);
            // The pointer array runs past its declared two entries.
            auto *slots =
                reinterpret_cast<VstEvent **>(reinterpret_cast<char *>(events) + offsetof(VstEvents, events));
            for (VstInt32 i = 0; i < events->numEvents; ++i) {
                auto *ev = reinterpret_cast<VstMidiEvent *>(slots[i]);
                if (!ev || ev->type != kVstMidiType) continue;
                if (ev->deltaFrames != 0) p->note("error: deltaFrames %d", ev->deltaFrames);
                if (p->pendingCount < Probe::kMaxPending) {
                    std::memcpy(p->pending[p->pendingCount++], ev->midiData, 3);
                }
            }
            return 1;
        }
        case effGetEffectName:
            if (ptr) std::snprintf(static_cast<char *>(ptr), 32, "Probe");
            return 1;
        case effGetVendorString:
        case effGetProductString:
            if (ptr) std::snprintf(static_cast<char *>(ptr), 64, "Probe");
            return 1;
        case effGetVendorVersion:
            return 7;
        case effGetVstVersion:
            return 2400;
        default:
            return 0;
    }
}

void VSTCALLBACK processReplacing(AEffect *e, float **, float **outputs, VstInt32 frames) {
    Probe *p = probeOf(e);
    if (!p) return;
    if (!p->opened || !p->resumed) p->note("error: processing while not switched on");
    if (frames <= 0 || frames > p->block) p->note("error: block of %d frames", frames);
    checkTime(*p, "in processReplacing");
    for (VstInt32 k = 0; k < frames; ++k) outputs[0][k] = outputs[1][k] = 0.0f;
    for (int i = 0; i < p->pendingCount; ++i) {
        const unsigned char *m = p->pending[i];
        const int status = m[0] & 0xF0;
        if (status == 0x90 && m[2] > 0) {
            outputs[0][0] += m[1] / 128.0f;
            outputs[1][0] += m[2] / 128.0f;
        } else if (status == 0x80 || status == 0x90) {
            outputs[1][0] -= m[1] / 128.0f;
        }
    }
    p->pendingCount = 0;
    p->position += frames;
}

void VSTCALLBACK process(AEffect *e, float **, float **, VstInt32) {
    if (Probe *p = probeOf(e)) p->note("error: accumulating process called");
}

void VSTCALLBACK setParameter(AEffect *, VstInt32, float) {}
float VSTCALLBACK getParameter(AEffect *, VstInt32) { return 0.5f; }

}  // namespace

extern "C" __attribute__((visibility("default"))) AEffect *VSTPluginMain(audioMasterCallback host) {
    if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) != 2400) return nullptr;
    Probe *p = new (std::nothrow) Probe;
    if (!p) return nullptr;
    p->host = host;
    if (const char *path = std::getenv("TARNWELL_PROBE_LOG")) p->log = std::fopen(path, "w");
    AEffect &fx = p->effect;
    fx.magic = kEffectMagic;
    fx.dispatcher = dispatch;
    fx.process = process;
    fx.processReplacing = processReplacing;
    fx.setParameter = setParameter;
    fx.getParameter = getParameter;
    fx.numPrograms = 4;
    fx.numParams = 1;
    fx.numInputs = 0;
    fx.numOutputs = 2;
    fx.flags = effFlagsCanReplacing | effFlagsIsSynth;
    fx.ioRatio = 1.0f;
    fx.object = p;
    fx.uniqueID = fourCharCode('P', 'r', 'b', 'e');
    fx.version = 1;
    p->note("entry");
    // Hosts answer time requests made while the instance is being built.
    checkTime(*p, "at entry");
    return &fx;
}
