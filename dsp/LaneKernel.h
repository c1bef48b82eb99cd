// The lane loop of VoiceLanes, for W doubles per vector. Included by one
// source per width: the pairs source compiles it for the baseline processor,
// the quads source for AVX2, so everything here depends on W and no
// function compiled for one width can stand in for the other's at link time.
#pragma once

#include <cstring>

#include "dsp/Voice.h"
#include "dsp/VoiceLanes.h"
#include "dsp/WaveTableSet.h"

// Everything the loop calls is inlined into the one function per width.
#define TARN_LANE_INLINE __attribute__((always_inline)) inline

namespace tarn {

template <int W>
struct LaneVector;

// Per width: the vector, the table index of every lane (the oscillator's
// truncation to int, then the wrap into the table), and one table read per
// lane, each lane from its own table. The functions are templates so that
// they are compiled only where used, for the width's own processor.
template <>
struct LaneVector<2> {
    typedef double V __attribute__((vector_size(16)));
    struct I {
        int lane[2];
    };
    template <int = 0>
    static TARN_LANE_INLINE I index(V position) {
        return I{{static_cast<int>(position[0]) & WaveTableSet::kMask,
                  static_cast<int>(position[1]) & WaveTableSet::kMask}};
    }
    template <int = 0>
    static TARN_LANE_INLINE V read(const double *const *tables, I i) {
        return V{tables[0][i.lane[0]], tables[1][i.lane[1]]};
    }
};

template <>
struct LaneVector<4> {
    typedef double V __attribute__((vector_size(32)));
    typedef int I __attribute__((vector_size(16)));
    // One conversion for four lanes truncates exactly as four would.
    template <int = 0>
    static TARN_LANE_INLINE I index(V position) {
        return __builtin_convertvector(position, I) & WaveTableSet::kMask;
    }
    template <int = 0>
    static TARN_LANE_INLINE V read(const double *const *tables, I i) {
        return V{tables[0][i[0]], tables[1][i[1]], tables[2][i[2]], tables[3][i[3]]};
    }
};

template <int W>
struct LaneKernel {
    typedef typename LaneVector<W>::V V;
    typedef typename LaneVector<W>::I I;
    static constexpr int kMaxSamples = VoiceLanes::kMaxSamples;
    static constexpr int kMaxVoices = VoiceLanes::kMaxVoices;
    static constexpr int kOscs = 3;

    static TARN_LANE_INLINE WavetableOsc &oscillator(Voice &v, int o) {
        return o == 0 ? v.osc1 : (o == 1 ? v.osc2 : v.osc3);
    }

    // The control work of one voice on the sample where its counter is 0:
    // new targets and filter coefficients before the sample, the smoothing
    // steps and the new tables and envelope slopes after it.
    static void controlBefore(Voice &v, double filterEnvValue, double lfo1, double lfo2, const VoiceFilter *last) {
        v.filterEnvValue = filterEnvValue;
        v.controlTargets(lfo1, lfo2);
        v.filter.updateCoefficientsLike(last);
    }
    static void controlAfter(Voice &v, int ampStage, const Voice *last) {
        v.ampEnv.stage_ = ampStage;
        v.osc1.controlTick();
        v.osc2.controlTick();
        v.osc3.controlTick();
        v.filter.controlTick();
        v.filterEnv.controlTickLike(last ? &last->filterEnv : nullptr);
        v.ampEnv.controlTickLike(last ? &last->ampEnv : nullptr);
        v.controlTicks();
    }

    // LadderFilter::softClipHalf in every lane, bit for bit, with masks in
    // place of its branches. Both halves of the curve are one parabola
    // mirrored through the origin: 2T + w for negative w is the same
    // operation as 2T - |w|, and a*s - b is exactly -(b - a*s), so folding by
    // the sign gives the same bits as evaluating each piece. The sign is that
    // of the halved value, as in the scalar form, and is needed only at the
    // end, off the dependent chain.
    static TARN_LANE_INLINE V softClipHalf(V w, V twiceKnee) {
        typedef decltype(w < w) Bits;
        const Bits magnitude = Bits{} + INT64_MAX;
        const Bits sign = Bits{} + INT64_MIN;
        const Bits negative = (w * 0.5) < 0.0;
        const V a = (V)((Bits)w & magnitude);
        const V e = (a < twiceKnee ? a : twiceKnee) - twiceKnee;
        const V r = LadderFilter::kCeiling - LadderFilter::kQuarterCurve * (e * e);
        return (V)((Bits)r ^ (negative & sign));
    }

    // G groups of W lanes; lane l is lane l % W of group l / W. Lanes past
    // `count` repeat the last voice so that their arithmetic stays tame;
    // they take no part in control work and are never written back.
    template <int G>
    static TARN_LANE_INLINE void render(Voice *const *voices, int count, const double *lfo1, const double *lfo2,
                                        int n, double *out, VoiceLanes::Hook &hook) {
        // Hidden from the optimiser, the knee stays an operand of one
        // minimum instruction instead of a comparison and a blend.
        double kneeValue = LadderFilter::kTwiceKnee;
        __asm__("" : "+x"(kneeValue));
        constexpr int L = W * G;
        const V zero = V{}, one = zero + 1.0, half = zero + 0.5, cycle = zero + 8192.0, twiceKnee = zero + kneeValue;
        typedef decltype(zero < zero) Mask;

        Voice *voice[L];
        for (int l = 0; l < L; ++l) voice[l] = voices[l < count ? l : count - 1];

        // Oscillators: state, then what their control work sets.
        V phase[kOscs][G], inc[kOscs][G], upW[kOscs][G], loW[kOscs][G], widthT[kOscs][G], shape[kOscs][G];
        const double *up[kOscs][L], *lo[kOscs][L];
        // Ladder: coefficients, then state.
        V gain[G], loop[G], y1[G], y2[G], y3[G], y4[G], prev[G], s1[G], s2[G], s3[G];
        // Envelopes, 0 the filter's and 1 the amplitude's: state, then
        // slopes and sustain level.
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
            constexpr int kInterval = Voice::kControlInterval;
            const int first = (kInterval - (v.controlCounter & v.controlMask)) & (kInterval - 1);
            if (l < count)
                for (int c = first; c < n; c += kInterval) controlLanes[c] |= 1u << l;
        }

        // Held notes spend most of their time in sustain, where a step only
        // reads the sustain level: level and stage stay as they are. Within a
        // stretch nothing takes an envelope out of sustain (release and
        // trigger come with events, which end stretches), so a group whose
        // lanes all sustain at the start sustains to the end.
        bool sustaining[2][G];
        for (int e = 0; e < 2; ++e)
            for (int g = 0; g < G; ++g) {
                const Mask held = stage[e][g] == 3.0;
                sustaining[e][g] = true;
                for (int w = 0; w < W; ++w) sustaining[e][g] = sustaining[e][g] && held[w] != 0;
            }

        // One step of an envelope in every lane: eg::next with its branches
        // turned into masks. Only the lanes in a stage take its result.
        auto envelope = [&](int e, int g) __attribute__((always_inline)) {
            if (sustaining[e][g]) return sustain[e][g];
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

        // One oscillator of every group, one sample: its output, and the
        // phase advanced.
        auto oscillate = [&](int o, int g) __attribute__((always_inline)) {
            const I i = LaneVector<W>::template index<>(phase[o][g] + 0.5);
            const I j = LaneVector<W>::template index<>((phase[o][g] + widthT[o][g]) + 0.5);
            const double *const *upper = up[o] + g * W;
            const double *const *lower = lo[o] + g * W;
            const V first =
                upW[o][g] * LaneVector<W>::template read<>(upper, i) + loW[o][g] * LaneVector<W>::template read<>(lower, i);
            const V second =
                upW[o][g] * LaneVector<W>::template read<>(upper, j) + loW[o][g] * LaneVector<W>::template read<>(lower, j);
            const V y = half * (first - shape[o][g] * second);
            const V p = phase[o][g] + inc[o][g];
            const V wrapped = p - cycle;
            phase[o][g] = wrapped > 0.0 ? wrapped : p;
            return y;
        };
        // One stage of the ladder: y = y + G (in - s), s = softClip(y / 2).
        auto stage_ = [&](V &y, V &s, V in, int g) __attribute__((always_inline)) {
            y = y + gain[g] * (in - s);
            s = softClipHalf(y, twiceKnee);
        };

        // The oscillators run one sample ahead of the ladder, their work laid
        // between its stages: the ladder is one long chain of dependent
        // steps, and the oscillators' independent work fills its waits.
        // x is the ladder's input for sample k, the sum o3 + (o1 + o2) as the
        // voice forms it.
        V x[G], ahead[G] = {}, o1[G], o2[G];
        for (int g = 0; g < G; ++g) o1[g] = oscillate(0, g);
        for (int g = 0; g < G; ++g) o2[g] = oscillate(1, g);
        for (int g = 0; g < G; ++g) x[g] = oscillate(2, g) + (o1[g] + o2[g]);

        for (int k = 0; k < n; ++k) {
            const unsigned control = controlLanes[k];
            // Control work falls on one sample in sixteen for each lane.
            const bool controlHere = __builtin_expect(control != 0, 0);
            if (controlHere) {
                const VoiceFilter *last = nullptr;
                for (unsigned bits = control; bits; bits &= bits - 1) {
                    const int l = __builtin_ctz(bits);
                    controlBefore(*voice[l], filterEnv[l / W][l % W], lfo1[k], lfo2[k], last);
                    last = &voice[l]->filter;
                    loadFilter(l);
                }
            }
            V a[G];
            for (int g = 0; g < G; ++g) {
                filterEnv[g] = envelope(0, g);
                a[g] = envelope(1, g);
            }
            // The smoothing steps and new tables of sample k reach the
            // oscillators from sample k + 1 on, the ladder's coefficients
            // were set before it.
            if (controlHere) {
                const Voice *last = nullptr;
                for (unsigned bits = control; bits; bits &= bits - 1) {
                    const int l = __builtin_ctz(bits);
                    controlAfter(*voice[l], static_cast<int>(stage[1][l / W][l % W]), last);
                    last = voice[l];
                    loadOscs(l);
                    loadEnvs(l);
                }
            }
            const bool more = k + 1 < n;

            // First half-step, fed the oscillators.
            V u[G], c4[G];
            for (int g = 0; g < G; ++g) u[g] = softClipHalf(x[g] - loop[g] * y4[g], twiceKnee);
            for (int g = 0; g < G; ++g) c4[g] = softClipHalf(y4[g], twiceKnee);
            if (more)
                for (int g = 0; g < G; ++g) o1[g] = oscillate(0, g);
            for (int g = 0; g < G; ++g) stage_(y1[g], s1[g], u[g], g);
            for (int g = 0; g < G; ++g) stage_(y2[g], s2[g], s1[g], g);
            if (more)
                for (int g = 0; g < G; ++g) o2[g] = oscillate(1, g);
            for (int g = 0; g < G; ++g) stage_(y3[g], s3[g], s2[g], g);
            for (int g = 0; g < G; ++g) {
                y4[g] = y4[g] + gain[g] * (s3[g] - c4[g]);
                x[g] = (y4[g] + prev[g]) * 0.5;
                prev[g] = y4[g];
            }
            // Second half-step, fed the average over the first.
            for (int g = 0; g < G; ++g) u[g] = softClipHalf(x[g] - loop[g] * y4[g], twiceKnee);
            for (int g = 0; g < G; ++g) c4[g] = softClipHalf(y4[g], twiceKnee);
            for (int g = 0; g < G; ++g) stage_(y1[g], s1[g], u[g], g);
            if (more)
                for (int g = 0; g < G; ++g) ahead[g] = oscillate(2, g) + (o1[g] + o2[g]);
            for (int g = 0; g < G; ++g) stage_(y2[g], s2[g], s1[g], g);
            for (int g = 0; g < G; ++g) stage_(y3[g], s3[g], s2[g], g);
            double *row = out + k * kMaxVoices;
            for (int g = 0; g < G; ++g) {
                y4[g] = y4[g] + gain[g] * (s3[g] - c4[g]);
                const V y = (y4[g] + prev[g]) * 0.5;
                prev[g] = y4[g];
                const V sound = a[g] * y * velocity[g];
                std::memcpy(row + g * W, &sound, sizeof sound);
                x[g] = ahead[g];
            }
            // The owner's work between samples; what it changes reaches the
            // voices only through their later control work.
            if (__builtin_expect(k == hook.at, 0)) hook.at = hook.run(hook.context, k);
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

    // One group count per case, so that each loop is compiled for its own.
    static TARN_LANE_INLINE void renderAll(Voice *const *voices, int count, const double *lfo1, const double *lfo2,
                                           int n, double *out, VoiceLanes::Hook &hook) {
        constexpr int kGroups = (kMaxVoices + W - 1) / W;
        static_assert(kGroups <= 6, "one case per group count");
        switch ((count + W - 1) / W) {
            case 1: render<1>(voices, count, lfo1, lfo2, n, out, hook); break;
            case 2: render<2>(voices, count, lfo1, lfo2, n, out, hook); break;
            case 3: render<3>(voices, count, lfo1, lfo2, n, out, hook); break;
            case 4: if constexpr (kGroups >= 4) render<4>(voices, count, lfo1, lfo2, n, out, hook); break;
            case 5: if constexpr (kGroups >= 5) render<5>(voices, count, lfo1, lfo2, n, out, hook); break;
            case 6: if constexpr (kGroups >= 6) render<6>(voices, count, lfo1, lfo2, n, out, hook); break;
            default: break;
        }
    }
};

}  // namespace tarn
