// Height component of the force one spring exerts on a node. The term is
// exactly odd in d, which lets the mesh evaluate each spring once and hand
// the negated value to the node at its other end. Inline for the mesh step.
#pragma once

#include "mesh/ApproxSqrt.h"

namespace tarn {

// restLength: the spring's rest length; stiffness: its spring constant;
// d: how far the node's height exceeds its neighbour's.
inline double springTerm(double restLength, double stiffness, double d) {
    const double s = restLength * d;
    const double length = approxSqrt(restLength * restLength + s * s);
    return -((length - restLength) * stiffness) * (s / length);
}

}  // namespace tarn
