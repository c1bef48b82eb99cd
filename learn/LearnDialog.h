// How the platform shows a learn dialog. A modal driver runs the dialog to
// its end inside run(), as Windows does with dialog resource 30200. A
// modeless driver puts it on screen and returns at once; the sequence then
// closes it once it has been answered and no newer dialog is open, which is
// exactly when a modal dialog would have ended, so both show the same
// nesting.
#pragma once

namespace tarn {

class LearnPrompt;

class LearnDialogDriver {
public:
    virtual ~LearnDialogDriver() = default;

    virtual bool modal() const = 0;
    // Shows the prompt's dialog. A modal driver returns when it has ended,
    // possibly after the sequence that opened it was destroyed.
    virtual void run(LearnPrompt &prompt) = 0;
    // Ends a dialog still on screen.
    virtual void close(LearnPrompt &prompt) = 0;
};

// The platform's own dialog: Windows' modal dialog; elsewhere none, and a
// sequence run with it ends as soon as it starts.
LearnDialogDriver &platformLearnDialog();

}  // namespace tarn
