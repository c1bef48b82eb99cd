#include "learn/LearnDialog.h"

namespace tarn {

namespace {
// Outside an editor window there is nowhere to show a dialog: each ends
// unanswered the moment it opens. The editor brings its own driver.
class NoDialog final : public LearnDialogDriver {
public:
    bool modal() const override { return true; }
    void run(LearnPrompt &) override {}
    void close(LearnPrompt &) override {}
};
}  // namespace

LearnDialogDriver &platformLearnDialog() {
    static NoDialog none;
    return none;
}

}  // namespace tarn
