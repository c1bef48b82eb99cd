#include "dsp/param.h"

#include <cmath>

namespace tarn {

void param::setTarget(double x) {
    // An undefined target would pass both limits and never be reached: the
    // value would walk on by 0.01 per tick without end.
    target = std::isnan(x) ? 0.0 : x;
    if (target > 1.0) target = 1.0;
    if (target < 0.0) target = 0.0;
    step = value > target ? -0.01 : 0.01;
}

void param::setNow(double x) {
    target = x;
    value = x;
    step = 0.0;
    update();
}

void param::tick() {
    value += step;
    if ((value > target && step > 0.0) || (value < target && step < 0.0)) {
        value = target;
        step = 0.0;
    }
    update();
    offset = 0.0;
}

void param::addOffset(double d) {
    offset += d;
    if (offset + value > 1.0) offset = 1.0 - value;
    if (offset + value < 0.0) offset = -value;
}

pitchp::pitchp() : base(std::pow(2.0, 1.0 / 12.0)), freq(0.0) { update(); }

void pitchp::update() { freq = 440.0 * pow_(base, 128.0 * (value + offset) - 69.0); }

void offsetp::update() { out = 8032.0 * value + 80.0; }

void gainp::update() { out = pow_(2.0, (66.0 * (value + offset) - 54.0) / 6.0); }

void gain3p::update() { out = pow_(2.0, (21.0 * (value + offset) - 24.0) / 6.0); }

void eparam::update() {
    const double x = value + offset;
    out = x * (x * 1.9975) + 0.0025;
}

void springp::update() { out = 17.0 * (value + offset) + 1.0; }

void frictp::update() {
    const double x = value + offset;
    out = (x * x) * (x * x) * 0.5;
}

void pct2p::update() { out = ((value + offset) - 0.5) * 2.0; }

void detunep::update() { out = ((value + offset) - 0.5) * 0.0078125; }

void lfop::update() {
    range = 7.2288;
    rate = pow_(2.0, (value + offset) * 7.2288) * 0.1;
}

}  // namespace tarn
