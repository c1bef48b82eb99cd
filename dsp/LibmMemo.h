// The library's power, exponential and trigonometric functions are by far
// the dearest steps of the control work, and most control ticks hand them
// the arguments of the tick before (a value at rest, a glide that has
// arrived, a cutoff held). Each memo keeps its last result and gives it
// again for the same argument bits: the functions are deterministic, so it
// is the very value a new call would return.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

namespace tarn {

// Unlike ==, tells -0 from +0 and finds a NaN equal to itself.
inline bool sameBits(double a, double b) {
    std::uint64_t x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

class PowMemo final {
public:
    double operator()(double base, double exponent) {
        if (!kept_ || !sameBits(base, base_) || !sameBits(exponent, exponent_)) {
            kept_ = true;
            base_ = base;
            exponent_ = exponent;
            result_ = std::pow(base, exponent);
        }
        return result_;
    }

private:
    bool kept_ = false;
    double base_ = 0.0;
    double exponent_ = 0.0;
    double result_ = 0.0;
};

class ExpMemo final {
public:
    double operator()(double x) {
        if (!kept_ || !sameBits(x, x_)) {
            kept_ = true;
            x_ = x;
            result_ = std::exp(x);
        }
        return result_;
    }

private:
    bool kept_ = false;
    double x_ = 0.0;
    double result_ = 0.0;
};

class SinCosMemo final {
public:
    // Sets sine and cosine of x.
    void operator()(double x, double &sine, double &cosine) {
        if (!kept_ || !sameBits(x, x_)) {
            kept_ = true;
            x_ = x;
            cos_ = std::cos(x);
            sin_ = std::sin(x);
        }
        sine = sin_;
        cosine = cos_;
    }

private:
    bool kept_ = false;
    double x_ = 0.0;
    double sin_ = 0.0;
    double cos_ = 0.0;
};

}  // namespace tarn
