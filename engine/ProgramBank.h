// The bank of nine programs: snapshots of all 88 parameters with a name each.
// One bank serves every instance in the process, so an edit made in one
// instance is seen by the others for as long as the module stays loaded.
//
// Hosts reach the bank from whatever threads they like, and nothing here may
// block, so every cell is an atomic: values are single relaxed atomic doubles
// (a reader sees the old or the new value, never a mixture), names are packed
// into three relaxed 64-bit words. A reader racing a rename may get a mixture
// of the old and new name, but always a terminated text inside its slot.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/ParameterText.h"

namespace tarn {

class ProgramBank final {
public:
    static constexpr int32_t kNumPrograms = 9;
    // Bytes per name slot, terminator included.
    static constexpr int kNameCapacity = 24;
    static constexpr int kMaxNameLength = kNameCapacity - 1;

    // The process-wide bank, filled from the factory programs on first use.
    static ProgramBank& shared();

    // A bank of its own, filled from the factory programs; the process uses
    // shared(), separate banks exist for tools and tests.
    ProgramBank();
    ProgramBank(const ProgramBank&) = delete;

    // Puts every program back to its factory values and names. Tests use it
    // to start from a known bank, since edits outlive the instances.
    void restoreFactory();
    ProgramBank& operator=(const ProgramBank&) = delete;

    // Stored value of parameter index in program; 0 when either is out of range.
    double value(int program, int index) const;
    // Ignored when program or index is out of range.
    void setValue(int program, int index, double v);

    // Copies the program's name, at most capacity - 1 characters, always
    // terminated; empty text for a program out of range.
    void getName(int program, char* text, int capacity) const;
    // Stores at most the first 23 characters of text; ignored for a program
    // out of range or a null text.
    void setName(int program, const char* text);

    // The constant factory programs the bank starts from (FactoryBank.cpp);
    // 0 and empty text out of range.
    static double factoryValue(int program, int index);
    static const char* factoryName(int program);

private:
    static constexpr int kNameWords = kNameCapacity / 8;
    static_assert(kNameWords * 8 == kNameCapacity, "a name slot is a whole number of words");
    static_assert(std::atomic<double>::is_always_lock_free, "bank values must not need a lock");
    static_assert(std::atomic<uint64_t>::is_always_lock_free, "bank names must not need a lock");

    std::atomic<double> values_[kNumPrograms * kNumParams];
    std::atomic<uint64_t> names_[kNumPrograms][kNameWords];
};

}  // namespace tarn
