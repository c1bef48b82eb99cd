// The ten-bar read-out shared by both sliders.
#pragma once

namespace tarn {

constexpr int kSliderBars = 10;
constexpr int kSliderStrip = 60;   // pixels of travel: 0.0 at one end, 1.0 at the other
constexpr int kSliderBarPitch = 6;

// Bars lit for a parameter value: v × 10 + 0.1, truncated, in double so
// that single-precision values just below a tenth still light their bar.
int litBars(float value);

// Draws one filled bar of the given size with its lower-left corner at (x, y).
void drawSliderBar(int x, int y, int width, int height, bool lit);

}  // namespace tarn
