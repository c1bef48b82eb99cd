// freeglut answers any error, a display it cannot open included, by ending
// the process, and the process is the host with the musician's song in it.
// Included only by the platform files that start GLUT: it needs freeglut's
// own header, which pulls in the system's window headers.
#pragma once

#include <GL/freeglut.h>

#include <chrono>
#include <csetjmp>
#include <cstdarg>
#include <thread>

namespace tarn {
namespace glutguard {

// Set only while glutInit runs, on the thread running it (GlutText starts
// GLUT once per process, under a once-flag).
inline std::jmp_buf *&initEscape() {
    static thread_local std::jmp_buf *escape = nullptr;
    return escape;
}

// freeglut returns to its caller after the error handler, so a failing
// glutInit is left here instead, before it uses what it failed to open;
// any later error is only ignored.
inline void onError(const char *, va_list) {
    if (std::jmp_buf *escape = initEscape()) std::longjmp(*escape, 1);
}

inline void onWarning(const char *, va_list) {}

// Starts GLUT, or answers false without ending the process. A busy X server
// refuses a connection now and then, so a failed start is tried again.
inline bool startGlut(int attempts) {
    if (glutGet(GLUT_INIT_STATE)) return true;  // the host started it already
    glutInitErrorFunc(onError);
    glutInitWarningFunc(onWarning);
    static char programName[] = "tarnwell";
    static char *argv[] = {programName, nullptr};
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(20 * attempt));
        std::jmp_buf escape;
        initEscape() = &escape;
        if (setjmp(escape) == 0) {
            int argc = 1;
            glutInit(&argc, argv);
            initEscape() = nullptr;
            if (glutGet(GLUT_INIT_STATE)) return true;
        }
        initEscape() = nullptr;
    }
    return false;
}

}  // namespace glutguard
}  // namespace tarn
