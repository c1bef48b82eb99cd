#include "engine/ProgramBank.h"

#include <cstddef>
#include <cstring>

namespace tarn {

namespace {

bool validProgram(int program) {
    return static_cast<unsigned>(program) < static_cast<unsigned>(ProgramBank::kNumPrograms);
}

bool validIndex(int index) { return static_cast<unsigned>(index) < static_cast<unsigned>(kNumParams); }

}  // namespace

ProgramBank& ProgramBank::shared() {
    static ProgramBank bank;
    return bank;
}

ProgramBank::ProgramBank() { restoreFactory(); }

void ProgramBank::restoreFactory() {
    for (int p = 0; p < kNumPrograms; ++p) {
        for (int i = 0; i < kNumParams; ++i)
            values_[p * kNumParams + i].store(factoryValue(p, i), std::memory_order_relaxed);
        setName(p, factoryName(p));
    }
}

double ProgramBank::value(int program, int index) const {
    if (!validProgram(program) || !validIndex(index)) return 0.0;
    return values_[program * kNumParams + index].load(std::memory_order_relaxed);
}

void ProgramBank::setValue(int program, int index, double v) {
    if (!validProgram(program) || !validIndex(index)) return;
    values_[program * kNumParams + index].store(v, std::memory_order_relaxed);
}

void ProgramBank::getName(int program, char* text, int capacity) const {
    if (text == nullptr || capacity < 1) return;
    text[0] = '\0';
    if (!validProgram(program)) return;

    char slot[kNameCapacity];
    for (int w = 0; w < kNameWords; ++w) {
        const uint64_t word = names_[program][w].load(std::memory_order_relaxed);
        std::memcpy(slot + w * 8, &word, sizeof word);
    }
    // A torn read may combine words of two names; the last byte is the
    // terminator whatever happened.
    slot[kMaxNameLength] = '\0';

    std::size_t length = std::strlen(slot);
    if (length > static_cast<std::size_t>(capacity - 1)) length = static_cast<std::size_t>(capacity - 1);
    std::memcpy(text, slot, length);
    text[length] = '\0';
}

void ProgramBank::setName(int program, const char* text) {
    if (!validProgram(program) || text == nullptr) return;

    // Longer names are cut to what the slot holds rather than spilling into
    // the next program's name.
    char slot[kNameCapacity] = {};
    std::size_t length = 0;
    while (length < static_cast<std::size_t>(kMaxNameLength) && text[length] != '\0') ++length;
    std::memcpy(slot, text, length);

    for (int w = 0; w < kNameWords; ++w) {
        uint64_t word;
        std::memcpy(&word, slot + w * 8, sizeof word);
        names_[program][w].store(word, std::memory_order_relaxed);
    }
}

}  // namespace tarn
