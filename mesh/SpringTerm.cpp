#include "mesh/SpringTerm.h"

#include "mesh/ApproxSqrt.h"

namespace tarn {

double springTerm(double restLength, double stiffness, double d) {
    const double s = restLength * d;
    const double length = approxSqrt(restLength * restLength + s * s);
    return -((length - restLength) * stiffness) * (s / length);
}

}  // namespace tarn
