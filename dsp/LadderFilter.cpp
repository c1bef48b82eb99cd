#include "dsp/LadderFilter.h"

#include <cmath>

namespace tarn {

void LadderFilter::setup(double fc, double r, double sr) {
    scale = 1.0;
    const double K = r * (0.000113514 * fc - 7.46753e-10 * fc * fc + r * r * 1.25 * 1.262);
    const double tuned = 1.11903 * fc + 11.2957 - 3.35615e-05 * fc * fc + 4.49593e-10 * fc * fc * fc;
    // Two half-steps per sample: the filter runs at twice the rate.
    tune = 1.0 - exp_(-6.283185307179586 * tuned / (sr + sr));
    // Written so that an undefined K also lands on the floor.
    feedback = K >= kFeedbackFloor ? K : kFeedbackFloor;

    stageGain = 2.0 * scale * tune;
    loopGain = 4.0 * feedback;
}

}  // namespace tarn
