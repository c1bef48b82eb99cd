#include <windows.h>

#include <GL/gl.h>

#include <cstdio>
#include <cstring>
#include <mutex>

#include "editor/VSTGLEditor.h"
#include "learn/LearnDialog.h"

namespace tarn {

static_assert(sizeof(PIXELFORMATDESCRIPTOR) == VSTGLEditor::kPixelFormatBytes, "pixel format storage");

namespace {

constexpr UINT kClassStyle = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
constexpr int WGL_DRAW_TO_WINDOW_ARB = 0x2001;
constexpr int WGL_SUPPORT_OPENGL_ARB = 0x2010;
constexpr int WGL_ACCELERATION_ARB = 0x2003;
constexpr int WGL_FULL_ACCELERATION_ARB = 0x2027;
constexpr int WGL_COLOR_BITS_ARB = 0x2014;
constexpr int WGL_ALPHA_BITS_ARB = 0x201B;
constexpr int WGL_DEPTH_BITS_ARB = 0x2022;
constexpr int WGL_STENCIL_BITS_ARB = 0x2023;
constexpr int WGL_DOUBLE_BUFFER_ARB = 0x2011;
constexpr int WGL_SAMPLE_BUFFERS_ARB = 0x2041;
constexpr int WGL_SAMPLES_ARB = 0x2042;

typedef BOOL(WINAPI *ChoosePixelFormatArb)(HDC, const int *, const FLOAT *, UINT, int *, UINT *);
typedef BOOL(WINAPI *SwapIntervalExt)(int);

// Extension entry points come back as a generic procedure; the detour through
// void (*)() is the conversion the compiler accepts for any function type.
template <typename Function>
Function extensionProc(const char *name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(wglGetProcAddress(name)));
}

// The instance of this module, found from one of its own addresses so that
// no DllMain is needed.
HINSTANCE moduleInstance() {
    static HINSTANCE instance = [] {
        HMODULE module = nullptr;
        if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                reinterpret_cast<LPCSTR>(&moduleInstance), &module))
            module = GetModuleHandleA(nullptr);
        return static_cast<HINSTANCE>(module);
    }();
    return instance;
}

const char *className() {
    static char name[32] = {};
    static std::once_flag once;
    std::call_once(once, [] {
        std::snprintf(name, sizeof name, "VSTGLWindow%08x",
                      static_cast<unsigned>(reinterpret_cast<uintptr_t>(moduleInstance())));
    });
    return name;
}

// Every instance in the process shares the one class: it is registered by
// the first editor and unregistered only when the last one goes.
std::mutex classMutex;
int classUsers = 0;

bool extensionListed(const char *name) {
    const char *extensions = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
    return extensions && std::strstr(extensions, name) != nullptr;
}

int lowWordUnsigned(LPARAM lParam) { return static_cast<int>(static_cast<unsigned>(lParam) & 0xffffu); }
int highWordUnsigned(LPARAM lParam) { return static_cast<int>((static_cast<unsigned>(lParam) >> 16) & 0xffffu); }

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    VSTGLEditor *editor = reinterpret_cast<VSTGLEditor *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (editor) {
        const int x = lowWordUnsigned(lParam);
        const int y = highWordUnsigned(lParam);
        switch (message) {
            case WM_PAINT:
                editor->idle();
                break;
            case WM_KEYDOWN:
            case WM_KEYUP: {
                VstKeyCode key = {};
                key.character = static_cast<VstInt32>(wParam);
                if (message == WM_KEYDOWN)
                    editor->keyDown(key);
                else
                    editor->keyUp(key);
                break;
            }
            case WM_MOUSEMOVE:
                editor->mouseMove(x, y);
                break;
            case WM_LBUTTONDOWN:
                editor->mouseDown(1, x, y);
                break;
            case WM_RBUTTONDOWN:
                editor->mouseDown(2, x, y);
                break;
            case WM_MBUTTONDOWN:
                editor->mouseDown(3, x, y);
                break;
            case WM_LBUTTONUP:
                editor->mouseUp(1, x, y);
                break;
            case WM_RBUTTONUP:
                editor->mouseUp(2, x, y);
                break;
            case WM_MBUTTONUP:
                editor->mouseUp(3, x, y);
                break;
            case WM_MOUSEWHEEL:
                editor->mouseWheel(static_cast<short>(HIWORD(wParam)), x, y);
                break;
            default:
                break;
        }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND makeChildWindow(VSTGLEditor *editor, HWND parent, const ERect &r) {
    HWND hwnd = CreateWindowExA(0, className(), "VSTGLEditor", WS_CHILD | WS_VISIBLE, 0, 0, r.right - r.left,
                                r.bottom - r.top, parent, nullptr, moduleInstance(), nullptr);
    if (hwnd) SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(editor));
    return hwnd;
}

}  // namespace

const char *VSTGLEditor::windowClassName() { return className(); }

LearnDialogDriver &VSTGLEditor::learnDialogDriver() { return platformLearnDialog(); }

void VSTGLEditor::registerWindowClass() {
    std::lock_guard<std::mutex> lock(classMutex);
    if (classUsers++ > 0) return;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(WNDCLASSEXA);
    wc.style = kClassStyle;
    wc.lpfnWndProc = windowProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = moduleInstance();
    wc.hIcon = nullptr;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = className();
    wc.hIconSm = nullptr;
    RegisterClassExA(&wc);
}

void VSTGLEditor::unregisterWindowClass() {
    std::lock_guard<std::mutex> lock(classMutex);
    if (classUsers <= 0 || --classUsers > 0) return;
    UnregisterClassA(className(), moduleInstance());
}

bool VSTGLEditor::open(void *parent) {
    // A host that opens twice without closing would otherwise leak the first window.
    if (window) close();
    systemWindow = parent;
    HWND hwnd = makeChildWindow(this, static_cast<HWND>(parent), rectangle);
    window = hwnd;
    HDC dc = hwnd ? GetDC(hwnd) : nullptr;
    deviceContext = dc;

    PIXELFORMATDESCRIPTOR &pfd = *reinterpret_cast<PIXELFORMATDESCRIPTOR *>(pixelFormat);
    std::memset(&pfd, 0, sizeof pfd);
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 32;
    pfd.iLayerType = PFD_MAIN_PLANE;

    const int format = ChoosePixelFormat(dc, &pfd);
    SetPixelFormat(dc, format, &pfd);
    HGLRC context = dc ? wglCreateContext(dc) : nullptr;
    renderingContext = context;
    wglMakeCurrent(dc, context);

    if (sampleCount != 0 && extensionListed("GL_ARB_multisample")) {
        ChoosePixelFormatArb choose = extensionProc<ChoosePixelFormatArb>("wglChoosePixelFormatARB");
        if (choose) {
            const int attributes[] = {WGL_DRAW_TO_WINDOW_ARB, 1,
                                      WGL_SUPPORT_OPENGL_ARB, 1,
                                      WGL_ACCELERATION_ARB, WGL_FULL_ACCELERATION_ARB,
                                      WGL_COLOR_BITS_ARB, 24,
                                      WGL_ALPHA_BITS_ARB, 8,
                                      WGL_DEPTH_BITS_ARB, 16,
                                      WGL_STENCIL_BITS_ARB, 0,
                                      WGL_DOUBLE_BUFFER_ARB, 1,
                                      WGL_SAMPLE_BUFFERS_ARB, 1,
                                      WGL_SAMPLES_ARB, sampleCount,
                                      0, 0};
            const FLOAT floatAttributes[] = {0.0f, 0.0f};
            int chosen = 0;
            UINT found = 0;
            if (choose(dc, attributes, floatAttributes, 1, &chosen, &found) && found > 0) {
                // A window's pixel format can be set only once: start again
                // with a fresh window for the multisampled format.
                wglMakeCurrent(nullptr, nullptr);
                wglDeleteContext(context);
                ReleaseDC(hwnd, dc);
                DestroyWindow(hwnd);
                hwnd = makeChildWindow(this, static_cast<HWND>(parent), rectangle);
                window = hwnd;
                dc = hwnd ? GetDC(hwnd) : nullptr;
                deviceContext = dc;
                SetPixelFormat(dc, chosen, &pfd);
                context = dc ? wglCreateContext(dc) : nullptr;
                renderingContext = context;
                wglMakeCurrent(dc, context);
            }
        }
    }

    if (verticalSync && extensionListed("WGL_EXT_swap_control")) {
        SwapIntervalExt swapInterval = extensionProc<SwapIntervalExt>("wglSwapIntervalEXT");
        if (swapInterval) swapInterval(1);
    }

    glOpen();
    return true;
}

void VSTGLEditor::close() {
    if (!window) return;
    HWND hwnd = static_cast<HWND>(window);
    HDC dc = static_cast<HDC>(deviceContext);
    HGLRC context = static_cast<HGLRC>(renderingContext);
    wglMakeCurrent(dc, context);
    glClose();
    if (dc) SwapBuffers(dc);
    wglMakeCurrent(nullptr, nullptr);
    if (context) wglDeleteContext(context);
    if (dc) ReleaseDC(hwnd, dc);
    // Messages still queued for the window must not reach a closed editor.
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
    renderingContext = nullptr;
    deviceContext = nullptr;
    window = nullptr;
}

void VSTGLEditor::redraw() {
    if (!window) return;
    HDC dc = static_cast<HDC>(deviceContext);
    wglMakeCurrent(dc, static_cast<HGLRC>(renderingContext));
    render();
    if (dc) SwapBuffers(dc);
}

}  // namespace tarn
