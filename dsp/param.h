// The smoothed parameter family. Every continuous control of the sound engine
// and of the mesh is held by one of these: it receives a normalised value,
// walks towards it in steps of 0.01 per control tick so a change never jumps,
// and maps the walked value onto its working value. Concrete classes are
// final and held by value, so their owners' calls resolve without dispatch.
#pragma once

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
    virtual void setTarget(double x);
    virtual void setNow(double x);
    virtual void tick();
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
    void update() override;
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
    void update() override;
};

class springp final : public fparam {
public:
    double out = 1.0;
    void update() override;
    double get() const override { return out; }
};

class frictp final : public fparam {
public:
    double out = 0.0;
    void update() override;
    double get() const override { return out; }
};

class pct2p final : public fparam {
public:
    double out = -1.0;
    void update() override;
    double get() const override { return out; }
};

class detunep final : public fparam {
public:
    double out = -0.00390625;
    void update() override;
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

}  // namespace tarn
