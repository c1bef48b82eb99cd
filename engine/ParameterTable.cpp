#include "engine/ParameterTable.h"

#include <array>

namespace tarn {

namespace {

using D = ParamDisplay;
using E = ParamEffect;
using S = SoundDestination;

constexpr ParameterSpec kMeshAndSound[kFirstControllerParam] = {
    {"Friction", D::Fixed2, E::MeshFriction, S::NotSound},
    {"Viscosity", D::Fixed2, E::MeshStiffness, S::NotSound},
    {"Rows", D::MeshSize, E::MeshRows, S::NotSound},
    {"Columns", D::MeshSize, E::MeshColumns, S::NotSound},
    {"Note scale", D::SignedTenths, E::NoteScale, S::NotSound},
    {"Vel scale", D::SignedTenths, E::VelScale, S::NotSound},
    {"Shape", D::Fixed2, E::Sound, S::Voices},
    {"PW", D::Fixed2, E::Sound, S::Voices},
    {"Detune", D::Fixed2, E::Sound, S::Voices},
    {"Cut", D::Fixed2, E::Sound, S::Voices},
    {"Res", D::Fixed2, E::Sound, S::Voices},
    {"Flt Attack", D::Fixed2, E::Sound, S::Voices},
    {"Flt Decay", D::Fixed2, E::Sound, S::Voices},
    {"Flt Sustain", D::Fixed2, E::Sound, S::Voices},
    {"Flt Release", D::Fixed2, E::Sound, S::Voices},
    {"Flt Env Mod", D::SignedPercent, E::Sound, S::Voices},
    {"Attack", D::Fixed2, E::Sound, S::Voices},
    {"Decay", D::Fixed2, E::Sound, S::Voices},
    {"Sustain", D::Fixed2, E::Sound, S::Voices},
    {"Release", D::Fixed2, E::Sound, S::Voices},
    {"LFO1 Speed", D::LfoRate, E::Sound, S::Lfo1Speed},
    {"LFO1->Filter", D::SignedPercent, E::Sound, S::Voices},
    {"LFO2 Speed", D::LfoRate, E::Sound, S::Lfo2Speed},
    {"LFO2->Shape", D::SignedPercent, E::Sound, S::Voices},
    {"LFO2->PW", D::SignedPercent, E::Sound, S::Voices},
    {"LFO2->Detune", D::SignedPercent, E::Sound, S::Voices},
    {"Delay Send", D::DelayLevel, E::Sound, S::DelaySend},
    {"Delay Feedback", D::DelayLevel, E::Sound, S::DelayFeedback},
};

constexpr ParameterSpec kControllerSlot[kControllerStride] = {
    {"Type", D::ControllerSource, E::Controller, S::NotSound},
    {"X", D::ControllerColumn, E::Controller, S::NotSound},
    {"Y", D::ControllerRow, E::Controller, S::NotSound},
    {"Parameter", D::ControllerTarget, E::Controller, S::NotSound},
    {"Scale", D::ControllerScale, E::Controller, S::NotSound},
    {"Sample", D::ControllerDivision, E::Controller, S::NotSound},
};

constexpr std::array<ParameterSpec, kNumParams> buildTable() {
    std::array<ParameterSpec, kNumParams> table{};
    for (int32_t i = 0; i < kFirstControllerParam; ++i) table[i] = kMeshAndSound[i];
    for (int32_t i = kFirstControllerParam; i < kNumParams; ++i)
        table[i] = kControllerSlot[(i - kFirstControllerParam) % kControllerStride];
    return table;
}

constexpr std::array<ParameterSpec, kNumParams> kTable = buildTable();

static_assert(kFirstControllerParam == kFirstSynthParam + kNumSynthParams, "sound parameters fill 6..27");
static_assert(kNumParams == kFirstControllerParam + kNumControllers * kControllerStride, "ten controller slots");
static_assert(kTable[kFirstSynthParam + static_cast<int>(SoundParam::Lfo1Speed)].destination == S::Lfo1Speed,
              "sound parameter order");
static_assert(kTable[kFirstSynthParam + static_cast<int>(SoundParam::DelayFeedback)].destination ==
                  S::DelayFeedback,
              "sound parameter order");

}  // namespace

const ParameterSpec &parameterSpec(int32_t index) { return kTable[static_cast<std::size_t>(index)]; }

SoundDestination soundDestination(int32_t k) {
    if (static_cast<uint32_t>(k) >= static_cast<uint32_t>(kNumSynthParams)) return S::NotSound;
    return kTable[static_cast<std::size_t>(kFirstSynthParam + k)].destination;
}

int32_t quantise(double v, int32_t n) {
    if (n < 1) return 0;
    if (!(v > 0.0)) return 0;  // also catches NaN
    if (v >= 1.0) return n - 1;
    const int32_t q = static_cast<int32_t>(static_cast<double>(n) * v);
    return q >= n ? n - 1 : q;
}

}  // namespace tarn
