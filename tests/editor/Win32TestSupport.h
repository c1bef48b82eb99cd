// Message pumping, window counting and pixel capture for the Windows editor
// tests (run under Wine in CI).
#pragma once

#include <windows.h>

#include <cstdint>
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

inline Capture captureFrom(HDC source, int x, int y, int width, int height) {
    Capture cap;
    cap.width = width;
    cap.height = height;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    cap.rgb.resize(static_cast<size_t>(width) * height * 3);
    const uint8_t *p = static_cast<const uint8_t *>(bits);
    for (size_t i = 0; p && i < static_cast<size_t>(width) * height; ++i) {
        cap.rgb[i * 3 + 0] = p[i * 4 + 2];
        cap.rgb[i * 3 + 1] = p[i * 4 + 1];
        cap.rgb[i * 3 + 2] = p[i * 4 + 0];
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return cap;
}

// Reads the window from the screen, where the OpenGL frames end up.
inline Capture captureWindow(HWND hwnd) {
    RECT r;
    GetClientRect(hwnd, &r);
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    HDC screen = GetDC(nullptr);
    Capture cap = captureFrom(screen, origin.x, origin.y, r.right - r.left, r.bottom - r.top);
    ReleaseDC(nullptr, screen);
    return cap;
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
