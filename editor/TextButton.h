// A button that is nothing but its label: the label's box is the sensitive area.
#pragma once

#include "editor/glbutton.h"

namespace tarn {

class TextButton : public glbutton {
public:
    TextButton(int x, int y, const std::string &label);

    void paint() override;
    virtual void fitToLabel();

protected:
    void setLabel(const std::string &text);
};

}  // namespace tarn
