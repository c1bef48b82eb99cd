// The editor in a top-level window of the player's own: its own X
// connection on the main thread, a window of the editor's size that the
// window manager may not resize, and the close button ending the program.
#pragma once

#include <string>

typedef struct _XDisplay Display;

namespace tarn {

class Instrument;

class EditorWindow final {
public:
    static constexpr const char *kTitle = "Tarnwell";

    explicit EditorWindow(Instrument &instrument);
    ~EditorWindow();
    EditorWindow(const EditorWindow &) = delete;
    EditorWindow &operator=(const EditorWindow &) = delete;

    // instanceName is the window class's instance part (the JACK client's
    // name), so that two players can be told apart. False, with a reason,
    // when there is no display or the editor would not open.
    bool open(const std::string &instanceName, std::string &reason);
    // Handles what came from the X server, waiting at most timeoutMs for
    // it; false once the user has closed the window.
    bool pump(int timeoutMs);
    void close();

private:
    Instrument &instrument;
    Display *display = nullptr;
    unsigned long window = 0;
    unsigned long deleteAtom = 0;
    bool closedByUser = false;
};

}  // namespace tarn
