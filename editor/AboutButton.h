#pragma once

#include "editor/TextButton.h"

namespace tarn {

class AboutButton final : public TextButton {
public:
    static const char *const kCaption;
    static const char *const kText;

    AboutButton(int x, int y);
    void press(int x, int y) override;
};

}  // namespace tarn
