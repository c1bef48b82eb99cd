#include <windows.h>

#include "learn/LearnDialog.h"
#include "learn/LearnPrompt.h"
#include "learn/ModulePath.h"
#include "resources/learn_dialog_ids.h"

namespace tarn {

namespace {

// The MIDI thread never touches the dialog: it leaves the controller number
// in an atomic, and this timer shows it. 40 ms is quicker than the eye and
// far below anything that would load the user-interface thread.
constexpr UINT_PTR kHeardTimer = 1;
constexpr UINT kHeardIntervalMs = 40;

LearnPrompt *promptOf(HWND dialog) {
    return reinterpret_cast<LearnPrompt *>(GetWindowLongPtrA(dialog, GWLP_USERDATA));
}

void showHeard(HWND dialog, const LearnPrompt &prompt) {
    SetDlgItemTextA(dialog, IDC_LEARN_HEARD, prompt.heardText().c_str());
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

INT_PTR CALLBACK learnDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        LearnPrompt *prompt = reinterpret_cast<LearnPrompt *>(lParam);
        SetWindowLongPtrA(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(prompt));
        if (prompt == nullptr) return TRUE;
        if (prompt->x() >= 0 && prompt->y() >= 0)
            SetWindowPos(dialog, nullptr, prompt->x(), prompt->y(), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        prompt->attach(dialog);
        SetDlgItemTextA(dialog, IDC_LEARN_PARAMETER, prompt->parameterText().c_str());
        SetDlgItemTextA(dialog, IDC_LEARN_CURRENT, prompt->currentText().c_str());
        showHeard(dialog, *prompt);
        SetTimer(dialog, kHeardTimer, kHeardIntervalMs, nullptr);
        return TRUE;  // focus to the first tab stop, "Assign"
    }
    case WM_TIMER: {
        if (wParam != kHeardTimer) return FALSE;
        LearnPrompt *prompt = promptOf(dialog);
        if (prompt != nullptr && prompt->poll()) showHeard(dialog, *prompt);
        return TRUE;
    }
    case WM_COMMAND: {
        LearnPrompt *prompt = promptOf(dialog);
        const WORD id = LOWORD(wParam);
        if (id != IDC_LEARN_ASSIGN && id != IDC_LEARN_CANCEL) return FALSE;
        if (prompt == nullptr || prompt->detached()) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        KillTimer(dialog, kHeardTimer);
        // Both answers open the next dialog before this one ends; it stays
        // on screen underneath until the whole sequence is done.
        const bool answered = id == IDC_LEARN_ASSIGN ? prompt->assign() : prompt->cancel();
        if (answered && !prompt->detached()) EndDialog(dialog, id == IDC_LEARN_ASSIGN ? 1 : 0);
        return TRUE;
    }
    case WM_DESTROY:
        KillTimer(dialog, kHeardTimer);
        return FALSE;
    default:
        return FALSE;
    }
}

class WindowsDialog final : public LearnDialogDriver {
public:
    bool modal() const override { return true; }
    void run(LearnPrompt &prompt) override {
        HINSTANCE module = static_cast<HINSTANCE>(moduleBase());
        DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_MIDI_LEARN), nullptr, learnDialogProc,
                        reinterpret_cast<LPARAM>(&prompt));
    }
    void close(LearnPrompt &prompt) override {
        if (prompt.dialog() != nullptr) EndDialog(static_cast<HWND>(prompt.dialog()), 0);
    }
};

}  // namespace

LearnDialogDriver &platformLearnDialog() {
    static WindowsDialog dialog;
    return dialog;
}

}  // namespace tarn
