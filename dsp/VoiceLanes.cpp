#include "dsp/VoiceLanes.h"

// The quad vectors pass between functions that are all inlined into one
// compiled for AVX2, so no call ever crosses the ABI the warning is about.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

#include <cstring>

#include "dsp/Voice.h"
#include "dsp/WaveTableSet.h"

// Everything the lane loop calls is inlined into it, so the quad build is
// compiled for AVX2 throughout and the pair build for the baseline only.
#define TARN_LANE_INLINE __attribute__((always_inline)) inline


namespace tarn {

namespace {

WavetableOsc &oscillator(Voice &v, int o) { return o == 0 ? v.osc1 : (o == 1 ? v.osc2 : v.osc3); }

template <int W>
struct Lanes;

template <>
struct Lanes<2> {
    typedef double V __attribute__((vector_size(16)));
    // One table read per lane, each from its own table.
    static TARN_LANE_INLINE V read(const double *const *tables, const int *index) {
        return V{tables[0][index[0]], tables[1][index[1]]};
    }
};

template <>
struct Lanes<4> {
    typedef double V __attribute__((vector_size(32)));
    static TARN_LANE_INLINE V read(const double *const *tables, const int *index) {
        return V{tables[0][index[0]], tables[1][index[1]], tables[2][index[2]], tables[3][index[3]]};
    }
};

}  // namespace

void VoiceLanes::controlBefore(Voice &v, double filterEnvValue, double lfo1, double lfo2) {
    v.filterEnvValue = filterEnvValue;
    v.controlTargets(lfo1, lfo2);
    v.filter.updateCoefficients();
}

void VoiceLanes::controlAfter(Voice &v, int ampStage) {
    v.ampEnv.stage_ = ampStage;
    v.osc1.controlTick();
    v.osc2.controlTick();
    v.osc3.controlTick();
    v.filter.controlTick();
    v.filterEnv.controlTick();
    v.ampEnv.controlTick();
    v.controlTicks();
}

// G groups of W lanes; lane l is lane l % W of group l / W. Lanes past
// `count` repeat the last voice so that their arithmetic stays tame; they
// take no part in control work and are never written back.
template <int W, int G>
TARN_LANE_INLINE void VoiceLanes::renderLanes(Voice *const *voices, int count, const double *lfo1,
                                               const double *lfo2, int n, double *out) {
    typedef typename Lanes<W>::V V;
    constexpr int L = W * G;
    constexpr int kOscs = 3;
    const V zero = V{}, one = zero + 1.0, half = zero + 0.5, cycle = zero + 8192.0;
    typedef decltype(zero < zero) Mask;

    Voice *voice[L];
    for (int l = 0; l < L; ++l) voice[l] = voices[l < count ? l : count - 1];

    // Oscillators: state, then what their control work sets.
    V phase[kOscs][G], inc[kOscs][G], upW[kOscs][G], loW[kOscs][G], widthT[kOscs][G], shape[kOscs][G];
    const double *up[kOscs][L], *lo[kOscs][L];
    // Ladder: coefficients, then state.
    V h[G], gain[G], loop[G], y1[G], y2[G], y3[G], y4[G], prev[G], s1[G], s2[G], s3[G];
    // Envelopes, 0 the filter's and 1 the amplitude's: state, then slopes
    // and sustain level.
    V level[2][G], stage[2][G], attack[2][G], decay[2][G], release[2][G], sustain[2][G];
    V filterEnv[G], velocity[G];

    auto loadOscs = [&](int l) __attribute__((always_inline)) {
        const int g = l / W, w = l % W;
        for (int o = 0; o < kOscs; ++o) {
            const WavetableOsc &s = oscillator(*voice[l], o);
            inc[o][g][w] = s.increment;
            upW[o][g][w] = s.upperWeight;
            loW[o][g][w] = s.lowerWeight;
            widthT[o][g][w] = static_cast<double>(static_cast<int>(s.width.out));
            shape[o][g][w] = s.shape.get();
            up[o][l] = s.upperTable;
            lo[o][l] = s.lowerTable;
        }
    };
    auto loadFilter = [&](int l) __attribute__((always_inline)) {
        const int g = l / W, w = l % W;
        const LadderFilter &f = voice[l]->filter.ladder;
        h[g][w] = f.inGain;
        gain[g][w] = f.stageGain;
        loop[g][w] = f.loopGain;
    };
    auto loadEnvs = [&](int l) __attribute__((always_inline)) {
        const int g = l / W, w = l % W;
        for (int e = 0; e < 2; ++e) {
            const eg &env = e ? voice[l]->ampEnv : voice[l]->filterEnv;
            attack[e][g][w] = env.attackStep;
            decay[e][g][w] = env.decayStep;
            release[e][g][w] = env.releaseStep;
            sustain[e][g][w] = env.sustainLevel.get();
        }
    };

    unsigned controlLanes[kMaxSamples] = {};
    for (int l = 0; l < L; ++l) {
        const int g = l / W, w = l % W;
        const Voice &v = *voice[l];
        for (int o = 0; o < kOscs; ++o) phase[o][g][w] = oscillator(*voice[l], o).phase;
        const LadderFilter &f = v.filter.ladder;
        y1[g][w] = f.y1;
        y2[g][w] = f.y2;
        y3[g][w] = f.y3;
        y4[g][w] = f.y4;
        prev[g][w] = f.y4Prev;
        s1[g][w] = f.s1;
        s2[g][w] = f.s2;
        s3[g][w] = f.s3;
        for (int e = 0; e < 2; ++e) {
            const eg &env = e ? v.ampEnv : v.filterEnv;
            level[e][g][w] = env.level_;
            stage[e][g][w] = env.stage_;
        }
        filterEnv[g][w] = v.filterEnvValue;
        velocity[g][w] = v.velocityGain;
        loadOscs(l);
        loadFilter(l);
        loadEnvs(l);
        const int first = (kMaxSamples - (v.controlCounter & v.controlMask)) & (kMaxSamples - 1);
        if (l < count && first < n) controlLanes[first] |= 1u << l;
    }

    // One step of an envelope in every lane: eg::next with its branches
    // turned into masks. Only the lanes in a stage take its result.
    auto envelope = [&](int e, int g) __attribute__((always_inline)) {
        const V st = stage[e][g], lv = level[e][g], S = sustain[e][g], rel = release[e][g];
        const Mask idle = st == 0.0, inAttack = st == 1.0, inDecay = st == 2.0, inSustain = st == 3.0,
                   inRelease = st == 4.0;
        const V r = inSustain ? S : (idle ? zero : lv);
        const V next = lv + (inAttack ? attack[e][g] : (inDecay ? decay[e][g] : rel));
        const Mask topped = inAttack & (next > 1.0);
        const Mask settled = inDecay & (S > next);
        // A slope that does not fall ends the release at once.
        const Mask ended = inRelease & (~(rel < 0.0) | (next < 0.0));
        V nl = (inAttack | inDecay | inRelease) ? next : lv;
        nl = topped ? one : nl;
        nl = settled ? S : nl;
        level[e][g] = ended ? zero : nl;
        V ns = topped ? zero + 2.0 : st;
        ns = settled ? zero + 3.0 : ns;
        stage[e][g] = ended ? zero : ns;
        return r;
    };

    for (int k = 0; k < n; ++k) {
        const unsigned control = controlLanes[k];
        for (unsigned bits = control; bits; bits &= bits - 1) {
            const int l = __builtin_ctz(bits);
            controlBefore(*voice[l], filterEnv[l / W][l % W], lfo1[k], lfo2[k]);
            loadFilter(l);
        }

        V x[G];
        for (int o = 0; o < kOscs; ++o) {
            for (int g = 0; g < G; ++g) {
                const V a = phase[o][g] + 0.5;
                const V b = (phase[o][g] + widthT[o][g]) + 0.5;
                int i[W], j[W];
                for (int w = 0; w < W; ++w) {
                    i[w] = static_cast<int>(a[w]) & WaveTableSet::kMask;
                    j[w] = static_cast<int>(b[w]) & WaveTableSet::kMask;
                }
                const double *const *upper = up[o] + g * W;
                const double *const *lower = lo[o] + g * W;
                const V first = upW[o][g] * Lanes<W>::read(upper, i) + loW[o][g] * Lanes<W>::read(lower, i);
                const V second = upW[o][g] * Lanes<W>::read(upper, j) + loW[o][g] * Lanes<W>::read(lower, j);
                const V y = half * (first - shape[o][g] * second);
                const V p = phase[o][g] + inc[o][g];
                const V wrapped = p - cycle;
                phase[o][g] = wrapped > 0.0 ? wrapped : p;
                // o3 + (o1 + o2), as the voice sums them.
                x[g] = o == 0 ? y : (o == 1 ? x[g] + y : y + x[g]);
            }
        }

        // Two half-steps of the ladder; the second is fed the average.
        for (int halfStep = 0; halfStep < 2; ++halfStep) {
            V u[G], c4[G];
            for (int g = 0; g < G; ++g) u[g] = LadderFilter::softClipLanes(h[g] * (x[g] - loop[g] * y4[g]));
            for (int g = 0; g < G; ++g) c4[g] = LadderFilter::softClipLanes(h[g] * y4[g]);
            for (int g = 0; g < G; ++g) {
                y1[g] = y1[g] + gain[g] * (u[g] - s1[g]);
                s1[g] = LadderFilter::softClipLanes(h[g] * y1[g]);
            }
            for (int g = 0; g < G; ++g) {
                y2[g] = y2[g] + gain[g] * (s1[g] - s2[g]);
                s2[g] = LadderFilter::softClipLanes(h[g] * y2[g]);
            }
            for (int g = 0; g < G; ++g) {
                y3[g] = y3[g] + gain[g] * (s2[g] - s3[g]);
                s3[g] = LadderFilter::softClipLanes(h[g] * y3[g]);
            }
            for (int g = 0; g < G; ++g) {
                y4[g] = y4[g] + gain[g] * (s3[g] - c4[g]);
                x[g] = (y4[g] + prev[g]) * 0.5;
                prev[g] = y4[g];
            }
        }

        double *row = out + k * kMaxVoices;
        for (int g = 0; g < G; ++g) {
            filterEnv[g] = envelope(0, g);
            const V a = envelope(1, g);
            const V sound = a * x[g] * velocity[g];
            std::memcpy(row + g * W, &sound, sizeof sound);
        }

        for (unsigned bits = control; bits; bits &= bits - 1) {
            const int l = __builtin_ctz(bits);
            controlAfter(*voice[l], static_cast<int>(stage[1][l / W][l % W]));
            loadOscs(l);
            loadEnvs(l);
        }
    }

    for (int l = 0; l < count && l < L; ++l) {
        const int g = l / W, w = l % W;
        Voice &v = *voice[l];
        const int counter = (v.controlCounter + n) & v.controlMask;
        v.controlCounter = counter;
        v.filter.controlCounter = counter;
        for (int o = 0; o < kOscs; ++o) {
            WavetableOsc &s = oscillator(v, o);
            s.phase = phase[o][g][w];
            s.controlCounter = counter;
        }
        LadderFilter &f = v.filter.ladder;
        f.y1 = y1[g][w];
        f.y2 = y2[g][w];
        f.y3 = y3[g][w];
        f.y4 = y4[g][w];
        f.y4Prev = prev[g][w];
        f.s1 = s1[g][w];
        f.s2 = s2[g][w];
        f.s3 = s3[g][w];
        for (int e = 0; e < 2; ++e) {
            eg &env = e ? v.ampEnv : v.filterEnv;
            env.level_ = level[e][g][w];
            env.stage_ = static_cast<int>(stage[e][g][w]);
        }
        v.filterEnvValue = filterEnv[g][w];
    }
}

template <int W>
TARN_LANE_INLINE void VoiceLanes::renderWidth(Voice *const *voices, int count, const double *lfo1,
                                               const double *lfo2, int n, double *out) {
    constexpr int kGroups = (kMaxVoices + W - 1) / W;
    static_assert(kGroups <= 6, "one case per group count");
    switch ((count + W - 1) / W) {
        case 1: renderLanes<W, 1>(voices, count, lfo1, lfo2, n, out); break;
        case 2: renderLanes<W, 2>(voices, count, lfo1, lfo2, n, out); break;
        case 3: renderLanes<W, 3>(voices, count, lfo1, lfo2, n, out); break;
        case 4: if constexpr (kGroups >= 4) renderLanes<W, 4>(voices, count, lfo1, lfo2, n, out); break;
        case 5: if constexpr (kGroups >= 5) renderLanes<W, 5>(voices, count, lfo1, lfo2, n, out); break;
        case 6: if constexpr (kGroups >= 6) renderLanes<W, 6>(voices, count, lfo1, lfo2, n, out); break;
        default: break;
    }
}

void VoiceLanes::renderPairs(Voice *const *voices, int count, const double *lfo1, const double *lfo2, int n,
                             double *out) {
    renderWidth<2>(voices, count, lfo1, lfo2, n, out);
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) void VoiceLanes::renderQuads(Voice *const *voices, int count, const double *lfo1,
                                                              const double *lfo2, int n, double *out) {
    renderWidth<4>(voices, count, lfo1, lfo2, n, out);
}

VoiceLanes::Width VoiceLanes::widest() {
    static const Width width = __builtin_cpu_supports("avx2") ? kQuads : kPairs;
    return width;
}
#else
void VoiceLanes::renderQuads(Voice *const *voices, int count, const double *lfo1, const double *lfo2, int n,
                             double *out) {
    renderPairs(voices, count, lfo1, lfo2, n, out);
}

VoiceLanes::Width VoiceLanes::widest() { return kPairs; }
#endif

VoiceLanes::Width VoiceLanes::available(Width wanted) {
    if (wanted == kScalar || wanted == kPairs) return wanted;
    return widest();
}

void VoiceLanes::render(Voice *const *voices, int count, const double *lfo1, const double *lfo2, int n, double *out,
                        Width width) {
    if (count <= 0 || n <= 0) return;
    if (count > kMaxVoices) count = kMaxVoices;
    if (n > kMaxSamples) n = kMaxSamples;
    switch (available(width)) {
        case kQuads:
            renderQuads(voices, count, lfo1, lfo2, n, out);
            break;
        case kPairs:
            renderPairs(voices, count, lfo1, lfo2, n, out);
            break;
        default:
            for (int i = 0; i < count; ++i)
                for (int k = 0; k < n; ++k) out[k * kMaxVoices + i] = voices[i]->render(lfo1[k], lfo2[k]);
            break;
    }
}

}  // namespace tarn
