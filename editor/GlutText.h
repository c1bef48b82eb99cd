// Bitmap text in the 9-by-15 fixed font. GLUT must be initialised before its
// first text call (freeglut ends the process otherwise), so every entry point
// here initialises it once per process first. Where GLUT cannot start (no X
// display on Linux) widths follow the font's fixed 9-pixel advance and
// drawing does nothing.
#pragma once

#include <string>

namespace tarn {

constexpr int kFixedFontAdvance = 9;
constexpr int kFixedFontHeight = 15;

// Safe from any thread, any number of times; opens no window.
void initGlutText();
bool glutTextAvailable();

int glutTextWidth(const std::string &text);
// Draws at the current raster position, advancing it.
void glutTextDraw(const std::string &text);

}  // namespace tarn
