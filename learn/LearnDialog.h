// The platform's learn dialog: runs one modal dialog for a prompt and can end
// it early. Windows shows dialog resource 30200; elsewhere there is none.
#pragma once

#include <cstdint>

namespace tarn {

class LearnPrompt;

struct LearnDialogDriver {
    // Returns when the dialog has ended: 1 after Assign, 0 after Cancel,
    // -1 when no dialog could be shown.
    int32_t (*run)(LearnPrompt &prompt);
    // Asks a running dialog to end; it closes once control returns to its
    // own message loop.
    void (*close)(LearnPrompt &prompt);
};

const LearnDialogDriver &platformLearnDialog();

}  // namespace tarn
