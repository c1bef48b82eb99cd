#include <cmath>

#include <gtest/gtest.h>

#include "EngineFixture.h"

using tarn::Tarnwell;
using tarn::testing::Engine;

namespace {

// Slot s of the neutral program reads node (row, column) of a 10 x 10 mesh.
void setSlot(Tarnwell &fx, int s, float type, int column, int row, int target, float scale, float division) {
    const int p = 28 + 6 * s;
    fx.setParameter(p, type);
    fx.setParameter(p + 1, (column + 0.5f) / 10.0f);
    fx.setParameter(p + 2, (row + 0.5f) / 10.0f);
    fx.setParameter(p + 3, (target + 0.5f) / 22.0f);
    fx.setParameter(p + 4, scale);
    fx.setParameter(p + 5, (division + 0.5f) / 12.0f);
}

void neutral(Engine &e) {
    e.fx->setProgram(8);
    e.fx->setParameter(2, 7.5f / 57.0f);
    e.fx->setParameter(3, 7.5f / 57.0f);
    e.render(128);
}

}  // namespace

TEST(EngineControl, OffsetsAddToStoredValuesAndAreClamped) {
    Engine e;
    neutral(e);
    Tarnwell &fx = *e.fx;
    auto &mesh = fx.meshStage().mesh();
    // Two controllers on Cut: one pushes up by 0.3, one pulls by -0.3 on Res.
    setSlot(fx, 0, 0.0f, 4, 4, 3, 0.575f, 0);   // scale 0.3
    setSlot(fx, 1, 0.0f, 4, 4, 4, 0.425f, 0);   // scale -0.3
    mesh.setHeight(4, 4, 2.0);                  // Point reads h × 0.5 = 1
    fx.setParameter(9, 0.9f);
    fx.setParameter(10, 0.1f);
    e.render(256);
    EXPECT_EQ(fx.effectiveParameter(3), 1.0f);
    EXPECT_EQ(fx.effectiveParameter(4), 0.0f);
    EXPECT_EQ(fx.getParameter(9), 0.9f);  // the stored value is untouched

    // Opposite scales on the same node cancel exactly.
    setSlot(fx, 1, 0.0f, 4, 4, 3, 0.425f, 0);
    fx.setParameter(9, 0.5f);
    e.render(256);
    EXPECT_EQ(fx.effectiveParameter(3), 0.5f);
}

TEST(EngineControl, DividedControllersHoldTheirReadBetweenBeats) {
    Engine e(120.0);
    neutral(e);
    Tarnwell &fx = *e.fx;
    auto &mesh = fx.meshStage().mesh();
    fx.setParameter(9, 0.5f);
    setSlot(fx, 0, 0.0f, 4, 4, 3, 1.0f, 8);  // "4": one read per beat, scale 2
    e.render(128);
    EXPECT_EQ(fx.controllerPeriod(0), 1378);
    // Wait for the pending (continuous) countdown to restart on the beat period.
    e.render(32);
    mesh.setHeight(4, 4, 0.4);
    const float first = fx.effectiveParameter(3);
    e.render(16 * 200);
    EXPECT_EQ(fx.effectiveParameter(3), first);  // held, the mesh changed meanwhile
    e.render(16 * 1378);
    EXPECT_FLOAT_EQ(fx.effectiveParameter(3), 0.5f + 0.4f);
}

TEST(EngineControl, HostPositionAlignsTheControllerClocks) {
    Engine e(120.0);
    // Program 0's C04 reads once per eighth note: half a division elapsed
    // puts its first read half a period away.
    e.host.setTempo(120.0, 0.25);
    e.fx->syncControllersToHost();
    const int32_t period = e.fx->controllerPeriod(3);
    EXPECT_EQ(period, 689);
    EXPECT_EQ(e.fx->countdownOf(3), period - period / 2);
    EXPECT_EQ(e.fx->countdownOf(0), 1);

    // Without a valid position the clocks stay, but the tempo is taken.
    e.host.setTempo(60.0, 123.0, kVstTempoValid);
    e.fx->syncControllersToHost();
    EXPECT_EQ(e.fx->getTempo(), 60.0);
    EXPECT_EQ(e.fx->countdownOf(3), period - period / 2);
    e.host.setTempo(-1.0, std::nan(""), kVstTempoValid | kVstPpqPosValid);
    e.fx->syncControllersToHost();
    EXPECT_EQ(e.fx->countdownOf(3), period - period / 2);
    EXPECT_GE(e.fx->controllerPeriod(3), 1);  // a garbage tempo falls back to 120
}
