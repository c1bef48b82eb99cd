// The smoothed parameter family. Every continuous control of the sound engine
// and of the mesh is held by one of these: it receives a normalised value,
// walks towards it in steps of 0.01 per control tick so a change never jumps,
// and maps the walked value onto its working value. Concrete classes are
// final and held by value, so their owners' calls resolve without dispatch;
// the steps that run every control tick are inline so that they compile
// into those calls.
#pragma once

#include <cmath>

#include "dsp/LibmMemo.h"

namespace tarn {

class param {
public:
    double value = 0.0;
    double offset = 0.0;
    double target = 0.0;
    double step = 0.0;

    virtual ~param() = default;
    virtual void update() = 0;
    virtual inline void setTarget(double x);
    virtual void setNow(double x);
    virtual inline void tick();
    virtual void addOffset(double d);
};

class fparam : public param {
public:
    virtual double get() const = 0;
};

class pitchp final : public param {
public:
    double base;
    double freq;
    pitchp();
    void update() override;

private:
    PowMemo pow_;
};

class offsetp final : public param {
public:
    double out = 80.0;
    void update() override { out = 8032.0 * value + 80.0; }
};

class gainp final : public param {
public:
    double out = 0.001953125;
    void update() override;

private:
    PowMemo pow_;
};

class gain3p final : public param {
public:
    double out = 0.0625;
    void update() override;

private:
    PowMemo pow_;
};

class eparam final : public param {
public:
    double out = 0.0025;
    void update() override {
        const double x = value + offset;
        out = x * (x * 1.9975) + 0.0025;
    }
};

class springp final : public fparam {
public:
    double out = 1.0;
    void update() override { out = 17.0 * (value + offset) + 1.0; }
    double get() const override { return out; }
};

class frictp final : public fparam {
public:
    double out = 0.0;
    void update() override {
        const double x = value + offset;
        out = (x * x) * (x * x) * 0.5;
    }
    double get() const override { return out; }
};

class pct2p final : public fparam {
public:
    double out = -1.0;
    void update() override { out = ((value + offset) - 0.5) * 2.0; }
    double get() const override { return out; }
};

class detunep final : public fparam {
public:
    double out = -0.00390625;
    void update() override { out = ((value + offset) - 0.5) * 0.0078125; }
    double get() const override { return out; }
};

class gparam final : public fparam {
public:
    void update() override {}
    double get() const override { return value + offset; }
};

class lfop final : public fparam {
public:
    double range = 7.2288;
    double rate = 0.1;
    void update() override;
    double get() const override { return rate; }

private:
    PowMemo pow_;
};

inline void param::setTarget(double x) {
    // An undefined target would pass both limits and never be reached: the
    // value would walk on by 0.01 per tick without end.
    target = std::isnan(x) ? 0.0 : x;
    if (target > 1.0) target = 1.0;
    if (target < 0.0) target = 0.0;
    step = value > target ? -0.01 : 0.01;
}

inline void param::tick() {
    value += step;
    if ((value > target && step > 0.0) || (value < target && step < 0.0)) {
        value = target;
        step = 0.0;
    }
    update();
    offset = 0.0;
}

}  // namespace tarn
