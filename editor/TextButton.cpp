#include "editor/TextButton.h"

#include "editor/GlutText.h"

namespace tarn {

TextButton::TextButton(int x, int y, const std::string &text) : glbutton(x, y, text) {}

void TextButton::fitToLabel() {
    right = left + glutTextWidth(label);
    top = bottom + kFixedFontHeight;
}

void TextButton::paint() { drawLabelAt(left, bottom); }

void TextButton::setLabel(const std::string &text) { label = text; }

}  // namespace tarn
