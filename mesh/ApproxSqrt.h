// The mesh's own square root: an exponent-halving first guess refined by one
// Newton step. Its error is part of the model (springs behave as if slightly
// pre-tensioned because of it), so it must never be swapped for std::sqrt.
#pragma once

namespace tarn {

// For d > 0. Other inputs give a finite or NaN value but never trap.
double approxSqrt(double d);

}  // namespace tarn
