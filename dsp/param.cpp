#include "dsp/param.h"

#include <cmath>

namespace tarn {

void param::setNow(double x) {
    target = x;
    value = x;
    step = 0.0;
    update();
}

void param::addOffset(double d) {
    offset += d;
    if (offset + value > 1.0) offset = 1.0 - value;
    if (offset + value < 0.0) offset = -value;
}

pitchp::pitchp() : base(std::pow(2.0, 1.0 / 12.0)), freq(0.0) { update(); }

void pitchp::update() { freq = 440.0 * pow_(base, 128.0 * (value + offset) - 69.0); }

void gainp::update() { out = pow_(2.0, (66.0 * (value + offset) - 54.0) / 6.0); }

void gain3p::update() { out = pow_(2.0, (21.0 * (value + offset) - 24.0) / 6.0); }

void lfop::update() {
    range = 7.2288;
    rate = pow_(2.0, (value + offset) * 7.2288) * 0.1;
}

}  // namespace tarn
