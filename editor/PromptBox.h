// One box drawn over the view where a system would show a dialog: a caption
// bar, lines of text and a row of buttons, in the view's bitmap font. The
// first button answers Enter and the last one Escape. Coordinates are the
// view's drawing space (pixels, y upward).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tarn {

class PromptBox {
public:
    struct Area {
        int left = 0, bottom = 0, right = 0, top = 0;
        bool contains(int x, int y) const { return left <= x && x < right && bottom <= y && y < top; }
    };

    static constexpr int kMargin = 12;
    static constexpr int kCaptionHeight = 22;
    static constexpr int kLineHeight = 18;
    static constexpr int kButtonHeight = 22;
    static constexpr int kButtonMinWidth = 76;
    static constexpr int kButtonGap = 10;
    static constexpr int kLearnWidth = 330;
    // Space left free around a box in a small view.
    static constexpr int kViewInset = 10;
    static const char *const kLearnCaption;

    PromptBox(std::string caption, std::vector<std::string> lines, std::vector<std::string> buttons, int width);

    // An OK box, its text wrapped at word boundaries to fit the view.
    static PromptBox forMessage(const std::string &caption, const std::string &text, int viewWidth);
    // The MIDI-learn dialog: parameter, current controller, a gap, heard controller.
    static PromptBox forLearn(const std::string &parameter, const std::string &current, const std::string &heard);
    static constexpr size_t kHeardLine = 3;

    // Lines no wider than maxWidth pixels; a line that starts with "* "
    // continues under its first word.
    static std::vector<std::string> wrap(const std::string &text, int maxWidth);

    void setLine(size_t index, const std::string &text);
    // Centres the box in the view.
    void placeIn(int viewWidth, int viewHeight);

    const std::string &caption() const { return title; }
    const std::vector<std::string> &lines() const { return text; }
    const std::vector<std::string> &buttons() const { return labels; }
    const Area &frame() const { return box; }
    const Area &buttonArea(size_t index) const { return buttonAreas[index]; }
    // -1 when the point is on no button.
    int buttonAt(int x, int y) const;
    int enterButton() const { return 0; }
    int escapeButton() const { return static_cast<int>(labels.size()) - 1; }

    // Draws the box; the projection must be the view's pixel space.
    void paint() const;

private:
    int height() const;

    std::string title;
    std::vector<std::string> text;
    std::vector<std::string> labels;
    int width;
    Area box;
    std::vector<Area> buttonAreas;
};

}  // namespace tarn
