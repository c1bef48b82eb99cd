#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "EngineFixture.h"

using tarn::Tarnwell;
using tarn::testing::Engine;

namespace {

std::vector<float> playPhrase(Engine &e) {
    e.host.record = false;
    e.fx->vendorSpecific(Tarnwell::kVendorOfflineMesh, 1, nullptr, 0.0f);
    std::vector<float> all;
    for (int round = 0; round < 24; ++round) {
        e.noteOn(40 + (round * 7) % 36, 30 + (round * 13) % 97);
        if (round % 3 == 2) e.noteOff(40 + ((round - 2) * 7) % 36);
        e.midi(0xB0, 1, (round * 11) % 128);
        e.render(300 + 17 * round);
        all.insert(all.end(), e.left.begin(), e.left.end());
    }
    return all;
}

}  // namespace

TEST(EngineInstances, InstancesPlayedFromSeveralThreadsDoNotTouchEachOther) {
    std::vector<float> reference;
    {
        Engine alone;
        reference = playPhrase(alone);
    }
    constexpr int kThreads = 4;
    std::vector<std::vector<float>> results(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&results, t] {
            Engine e(120.0, false);
            results[t] = playPhrase(e);
        });
    }
    for (auto &th : threads) th.join();
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(results[t].size(), reference.size());
        EXPECT_EQ(0, std::memcmp(results[t].data(), reference.data(), reference.size() * sizeof(float))) << t;
    }
}

TEST(EngineInstances, CreatedAndDestroyedInAnyOrder) {
    std::vector<std::unique_ptr<Engine>> engines;
    for (int i = 0; i < 5; ++i) engines.push_back(std::make_unique<Engine>(120.0, false));
    for (auto &e : engines) {
        e->noteOn(60);
        e->render(256);
    }
    engines.erase(engines.begin() + 2);
    engines.erase(engines.begin());
    engines.push_back(std::make_unique<Engine>(120.0, false));
    engines.back()->noteOn(62);
    engines.back()->render(256);
    EXPECT_GT(engines.back()->peak(), 0.0);
    engines.erase(engines.begin() + 1);
    engines.clear();
    // Closing through the dispatcher, as a host does, destroys the object.
    Engine last(120.0, false);
    Tarnwell *raw = last.fx.release();
    EXPECT_EQ(raw->getAeffect()->dispatcher(raw->getAeffect(), effClose, 0, 0, nullptr, 0.0f), 1);
}
