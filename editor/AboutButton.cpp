#include "editor/AboutButton.h"

#include "editor/MessageBox.h"

namespace tarn {

const char *const AboutButton::kCaption = "About Tarnwell";
const char *const AboutButton::kText =
    "Tarnwell 1.0\n"
    "\n"
    "Sound, mesh and editor by the Tarnwell developers.\n"
    "\n"
    "Play notes to set the mesh moving; the moving mesh plays the sound back.";

AboutButton::AboutButton(int x, int y) : TextButton(x, y, "Tarnwell!") { fitToLabel(); }

void AboutButton::press(int, int) { showMessageBox(kCaption, kText); }

}  // namespace tarn
