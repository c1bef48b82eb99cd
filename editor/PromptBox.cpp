#include "editor/PromptBox.h"

#include <algorithm>
#include <utility>

#include "editor/GL.h"
#include "editor/GlutText.h"

namespace tarn {

const char *const PromptBox::kLearnCaption = "MIDI Learn";

namespace {

// The glyphs of the 9-by-15 font reach 3 pixels below the raster position.
constexpr int kTextRise = 4;

void fill(const PromptBox::Area &a, float r, float g, float b) {
    glColor3f(r, g, b);
    glBegin(GL_QUADS);
    glVertex2i(a.left, a.bottom);
    glVertex2i(a.left, a.top);
    glVertex2i(a.right, a.top);
    glVertex2i(a.right, a.bottom);
    glEnd();
}

PromptBox::Area inset(const PromptBox::Area &a, int by) { return {a.left + by, a.bottom + by, a.right - by, a.top - by}; }

void drawText(int x, int y, const std::string &s) {
    glColor3f(1.0f, 1.0f, 1.0f);
    glRasterPos2i(x, y);
    glutTextDraw(s);
}

}  // namespace

PromptBox::PromptBox(std::string caption, std::vector<std::string> lines, std::vector<std::string> buttons,
                     int boxWidth)
    : title(std::move(caption)), text(std::move(lines)), labels(std::move(buttons)), width(boxWidth) {
    if (labels.empty()) labels.push_back("OK");
    buttonAreas.resize(labels.size());
}

PromptBox PromptBox::forMessage(const std::string &caption, const std::string &body, int viewWidth) {
    const int widest = std::max(kLearnWidth, viewWidth - 2 * kViewInset);
    std::vector<std::string> lines = wrap(body, widest - 2 * kMargin);
    int needed = std::max(glutTextWidth(caption), kButtonMinWidth);
    for (const std::string &line : lines) needed = std::max(needed, glutTextWidth(line));
    return PromptBox(caption, std::move(lines), {"OK"}, std::min(widest, needed + 2 * kMargin));
}

PromptBox PromptBox::forLearn(const std::string &parameter, const std::string &current, const std::string &heard) {
    return PromptBox(kLearnCaption, {parameter, current, std::string(), heard}, {"Assign", "Cancel"}, kLearnWidth);
}

std::vector<std::string> PromptBox::wrap(const std::string &body, int maxWidth) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        const size_t end = body.find('\n', start);
        const std::string paragraph = body.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const std::string indent = paragraph.compare(0, 2, "* ") == 0 ? "  " : "";
        std::string line;
        size_t i = 0;
        while (i < paragraph.size()) {
            size_t j = paragraph.find(' ', i);
            if (j == std::string::npos) j = paragraph.size();
            std::string word = paragraph.substr(i, j - i);
            i = j + 1;
            std::string candidate = line.empty() ? word : line + " " + word;
            if (glutTextWidth(candidate) <= maxWidth || line.empty() || line == indent) {
                line = candidate;
                // A word wider than the whole line is cut where it must be.
                while (glutTextWidth(line) > maxWidth && line.size() > indent.size() + 1) {
                    size_t fit = line.size() - 1;
                    while (fit > indent.size() + 1 && glutTextWidth(line.substr(0, fit)) > maxWidth) --fit;
                    out.push_back(line.substr(0, fit));
                    line = indent + line.substr(fit);
                }
            } else {
                out.push_back(line);
                line = indent + word;
            }
        }
        out.push_back(line);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return out;
}

void PromptBox::setLine(size_t index, const std::string &line) {
    if (index < text.size()) text[index] = line;
}

int PromptBox::height() const {
    return kCaptionHeight + kMargin + static_cast<int>(text.size()) * kLineHeight + kMargin + kButtonHeight + kMargin;
}

void PromptBox::placeIn(int viewWidth, int viewHeight) {
    const int h = height();
    box.left = (viewWidth - width) / 2;
    box.bottom = (viewHeight - h) / 2;
    box.right = box.left + width;
    box.top = box.bottom + h;
    int right = box.right - kMargin;
    for (size_t k = labels.size(); k-- > 0;) {
        const int w = std::max(kButtonMinWidth, glutTextWidth(labels[k]) + 2 * kMargin);
        buttonAreas[k] = {right - w, box.bottom + kMargin, right, box.bottom + kMargin + kButtonHeight};
        right -= w + kButtonGap;
    }
}

int PromptBox::buttonAt(int x, int y) const {
    for (size_t k = 0; k < buttonAreas.size(); ++k)
        if (buttonAreas[k].contains(x, y)) return static_cast<int>(k);
    return -1;
}

void PromptBox::paint() const {
    fill(box, 0.55f, 0.55f, 0.6f);
    fill(inset(box, 1), 0.12f, 0.12f, 0.15f);
    const Area bar{box.left + 1, box.top - 1 - kCaptionHeight, box.right - 1, box.top - 1};
    fill(bar, 0.1f, 0.1f, 0.45f);
    drawText(bar.left + kMargin - 1, bar.bottom + kTextRise + 1, title);

    int y = bar.bottom - kMargin - kLineHeight;
    for (const std::string &line : text) {
        drawText(box.left + kMargin, y + kTextRise, line);
        y -= kLineHeight;
    }

    for (size_t k = 0; k < labels.size(); ++k) {
        const Area &a = buttonAreas[k];
        const bool isDefault = static_cast<int>(k) == enterButton();
        fill(a, isDefault ? 1.0f : 0.55f, isDefault ? 1.0f : 0.55f, isDefault ? 1.0f : 0.6f);
        fill(inset(a, isDefault ? 2 : 1), 0.25f, 0.25f, 0.3f);
        const int labelWidth = glutTextWidth(labels[k]);
        drawText(a.left + (a.right - a.left - labelWidth) / 2, a.bottom + kTextRise + 2, labels[k]);
    }
}

}  // namespace tarn
