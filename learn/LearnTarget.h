// The side of the effect the learn dialogs act on. The sequence reaches the
// effect through this so it can be exercised without a whole instrument.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarn {

class ControllerMap;

class LearnTarget {
public:
    virtual ~LearnTarget() = default;

    // Writes the parameter's name, at most capacity - 1 characters.
    virtual void parameterName(int32_t param, char *text, size_t capacity) = 0;
    // Null when there is no effect to bind to.
    virtual ControllerMap *controllers() = 0;
    virtual void saveSettings() = 0;
};

}  // namespace tarn
