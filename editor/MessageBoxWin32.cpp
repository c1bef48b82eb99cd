#include <windows.h>

namespace tarn {

void platformMessageBox(const char *caption, const char *text) { MessageBoxA(nullptr, text, caption, MB_OK); }

}  // namespace tarn
