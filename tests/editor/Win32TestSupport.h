// Message pumping, window counting and pixel capture for the Windows editor
// tests (run under Wine in CI).
#pragma once

#include <windows.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/editor/EditorCapture.h"

namespace tarn {
namespace wintest {

// Dispatches this thread's messages (timers included) for the given time.
inline void pump(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (GetTickCount() - start >= milliseconds) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

inline HWND makeParentWindow(int clientWidth, int clientHeight) {
    static const char *kClass = "TarnwellTestParent";
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.lpszClassName = kClass;
        RegisterClassExA(&wc);
        registered = true;
    }
    RECT r = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    HWND hwnd = CreateWindowExA(0, kClass, "Tarnwell test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                r.right - r.left, r.bottom - r.top, nullptr, nullptr, GetModuleHandleA(nullptr),
                                nullptr);
    pump(50);
    return hwnd;
}

struct ChildCount {
    std::string className;
    int count = 0;
};

inline BOOL CALLBACK countChild(HWND hwnd, LPARAM data) {
    ChildCount *c = reinterpret_cast<ChildCount *>(data);
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (c->className == name) ++c->count;
    return TRUE;
}

inline int countChildren(HWND parent, const std::string &className) {
    ChildCount c;
    c.className = className;
    EnumChildWindows(parent, countChild, reinterpret_cast<LPARAM>(&c));
    return c.count;
}

using Capture = editorcheck::Capture;

// The frame the editor last swapped. Wine keeps an OpenGL child window's
// frames in an off-screen X window of its own, which neither the screen nor a
// GDI copy of it shows; the frame is still in the window's back buffer, read
// here through a context of our own on the window's device context, so the
// editor's own context is left as it was.
inline Capture captureWindow(HWND hwnd) {
    Capture cap;
    RECT r;
    if (!hwnd || !GetClientRect(hwnd, &r)) return cap;
    cap.width = r.right - r.left;
    cap.height = r.bottom - r.top;
    cap.rgb.assign(static_cast<size_t>(cap.width) * cap.height * 3, 0);
    HDC previousDc = wglGetCurrentDC();
    HGLRC previous = wglGetCurrentContext();
    HDC dc = GetDC(hwnd);
    HGLRC reader = wglCreateContext(dc);
    if (reader && wglMakeCurrent(dc, reader)) {
        std::vector<uint8_t> upward(cap.rgb.size());
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, cap.width, cap.height, GL_RGB, GL_UNSIGNED_BYTE, upward.data());
        const size_t row = static_cast<size_t>(cap.width) * 3;
        for (int y = 0; y < cap.height; ++y)
            std::copy(upward.begin() + (cap.height - 1 - y) * row, upward.begin() + (cap.height - y) * row,
                      cap.rgb.begin() + y * row);
    }
    wglMakeCurrent(previousDc, previous);
    if (reader) wglDeleteContext(reader);
    ReleaseDC(hwnd, dc);
    return cap;
}

// Whether a native program to read the X side was handed over (only under
// Wine, which starts a Unix program as readily as a Windows one).
inline bool xGrabAvailable() { return GetEnvironmentVariableA("TARNWELL_X_GRAB", nullptr, 0) > 0; }

// What the X server holds for the one OpenGL child window of the given size,
// read by the native program TARNWELL_X_GRAB names. False if the grab failed.
inline bool grabXWindow(int width, int height, Capture &cap) {
    char grabber[MAX_PATH] = {}, unixDir[MAX_PATH] = {};
    if (GetEnvironmentVariableA("TARNWELL_X_GRAB", grabber, MAX_PATH) == 0 ||
        GetEnvironmentVariableA("TARNWELL_X_GRAB_DIR", unixDir, MAX_PATH) == 0)
        return false;
    const std::string out = std::string(unixDir) + "/x-grab-" + std::to_string(GetCurrentProcessId()) + ".ppm";
    const std::string reachable = "Z:" + out;
    DeleteFileA(reachable.c_str());
    std::string command = "Z:" + std::string(grabber) + " " + std::to_string(width) + " " + std::to_string(height) +
                          " " + out;
    std::replace(command.begin(), command.begin() + command.find(' '), '/', '\\');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // The grabber renames its result into place once it is whole.
    FILE *f = nullptr;
    for (int waited = 0; waited < 15000 && !f; waited += 50) {
        Sleep(50);
        f = std::fopen(reachable.c_str(), "rb");
    }
    if (!f) return false;
    int w = 0, h = 0, depth = 0;
    const bool header = std::fscanf(f, "P6 %d %d %d", &w, &h, &depth) == 3 && std::fgetc(f) != EOF && depth == 255;
    cap.width = w;
    cap.height = h;
    cap.rgb.assign(header ? static_cast<size_t>(w) * h * 3 : 0, 0);
    const bool whole = header && std::fread(cap.rgb.data(), 1, cap.rgb.size(), f) == cap.rgb.size();
    std::fclose(f);
    DeleteFileA(reachable.c_str());
    return whole;
}

inline std::string tempDirectory(const char *tag) {
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    std::string dir = std::string(base) + tag + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

inline bool fileExists(const std::string &path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace wintest
}  // namespace tarn
