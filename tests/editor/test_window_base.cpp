// The window base and the timer, linked straight from the core: message
// mapping, open/close sequences, the shared window class and thread timers.
#include <gtest/gtest.h>

#include <vector>

#include "editor/Timer.h"
#include "editor/VSTGLEditor.h"
#include "tests/editor/Win32TestSupport.h"

namespace tarn {
namespace {

struct Call {
    char kind;  // d down, u up, m move, w wheel, k key down, K key up
    int a, b, c;
};

class RecordingEditor final : public VSTGLEditor {
public:
    explicit RecordingEditor(int32_t options = 0) : VSTGLEditor(nullptr, options) { setBounds(0, 0, 200, 150); }
    void glOpen() override { ++opens; }
    void glClose() override { ++closes; }
    void render() override { ++frames; }
    void mouseDown(int button, int x, int y) override { calls.push_back({'d', button, x, y}); }
    void mouseUp(int button, int x, int y) override { calls.push_back({'u', button, x, y}); }
    void mouseMove(int x, int y) override { calls.push_back({'m', x, y, 0}); }
    void mouseWheel(int delta, int x, int y) override { calls.push_back({'w', delta, x, y}); }
    void keyDown(VstKeyCode &key) override { calls.push_back({'k', key.character, 0, 0}); }
    void keyUp(VstKeyCode &key) override { calls.push_back({'K', key.character, 0, 0}); }
    int opens = 0, closes = 0, frames = 0;
    std::vector<Call> calls;
};

bool classRegistered() {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    HMODULE self = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&classRegistered), &self);
    return GetClassInfoExA(self, VSTGLEditor::windowClassName(), &wc) != 0;
}

TEST(EditorWindowWin32, MessagesBecomeViewCalls) {
    HWND parent = wintest::makeParentWindow(400, 300);
    RecordingEditor editor;
    ASSERT_TRUE(editor.open(parent));
    EXPECT_EQ(editor.opens, 1);
    HWND child = static_cast<HWND>(editor.windowHandle());
    ASSERT_TRUE(IsWindow(child));
    EXPECT_EQ(GetParent(child), parent);
    char name[64] = {};
    GetClassNameA(child, name, sizeof name);
    EXPECT_STREQ(name, VSTGLEditor::windowClassName());
    EXPECT_EQ(std::string(name).substr(0, 11), "VSTGLWindow");
    EXPECT_EQ(std::string(name).size(), 19u);
    RECT r;
    GetClientRect(child, &r);
    EXPECT_EQ(r.right, 200);
    EXPECT_EQ(r.bottom, 150);

    SendMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    SendMessageA(child, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(11, 21));
    SendMessageA(child, WM_MBUTTONUP, 0, MAKELPARAM(12, 22));
    SendMessageA(child, WM_MOUSEMOVE, 0, MAKELPARAM(13, 23));
    SendMessageA(child, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), MAKELPARAM(300, 400));
    SendMessageA(child, WM_KEYDOWN, VK_LEFT, 0);
    SendMessageA(child, WM_KEYUP, 'A', 0);
    ASSERT_EQ(editor.calls.size(), 7u);
    const Call expected[] = {{'d', 1, 10, 20}, {'d', 2, 11, 21},     {'u', 3, 12, 22},   {'m', 13, 23, 0},
                             {'w', -120, 300, 400}, {'k', VK_LEFT, 0, 0}, {'K', 'A', 0, 0}};
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(editor.calls[i].kind, expected[i].kind) << i;
        EXPECT_EQ(editor.calls[i].a, expected[i].a) << i;
        EXPECT_EQ(editor.calls[i].b, expected[i].b) << i;
        EXPECT_EQ(editor.calls[i].c, expected[i].c) << i;
    }

    editor.redraw();
    EXPECT_EQ(editor.frames, 1);
    editor.close();
    EXPECT_EQ(editor.closes, 1);
    EXPECT_FALSE(IsWindow(child));
    EXPECT_FALSE(editor.hasWindow());
    EXPECT_TRUE(editor.isOpen());  // the parent is kept
    editor.redraw();               // closed: nothing to draw into
    EXPECT_EQ(editor.frames, 1);
    editor.close();                // a second close does nothing
    EXPECT_EQ(editor.closes, 1);

    ASSERT_TRUE(editor.open(parent));
    EXPECT_EQ(editor.opens, 2);
    EXPECT_TRUE(IsWindow(static_cast<HWND>(editor.windowHandle())));
    EXPECT_EQ(wintest::countChildren(parent, VSTGLEditor::windowClassName()), 1);
    // Opening again without a close replaces the window instead of leaking it.
    ASSERT_TRUE(editor.open(parent));
    EXPECT_EQ(editor.closes, 2);
    EXPECT_EQ(wintest::countChildren(parent, VSTGLEditor::windowClassName()), 1);
    editor.close();
    EXPECT_EQ(wintest::countChildren(parent, VSTGLEditor::windowClassName()), 0);
    DestroyWindow(parent);
}

TEST(EditorWindowWin32, OptionalContextStepsFailSoft) {
    HWND parent = wintest::makeParentWindow(400, 300);
    for (int32_t options : {1, 2, 3, 4, 7}) {
        RecordingEditor editor(options);
        ASSERT_TRUE(editor.open(parent)) << options;
        EXPECT_TRUE(IsWindow(static_cast<HWND>(editor.windowHandle()))) << options;
        EXPECT_EQ(wintest::countChildren(parent, VSTGLEditor::windowClassName()), 1) << options;
        editor.redraw();
        EXPECT_EQ(editor.frames, 1);
        editor.close();
    }
    DestroyWindow(parent);
}

TEST(EditorWindowWin32, WindowClassLivesUntilTheLastEditorGoes) {
    ASSERT_FALSE(classRegistered());
    HWND parent = wintest::makeParentWindow(400, 300);
    auto *first = new RecordingEditor;
    auto *second = new RecordingEditor;
    EXPECT_TRUE(classRegistered());
    delete first;
    EXPECT_TRUE(classRegistered());
    ASSERT_TRUE(second->open(parent));
    EXPECT_TRUE(IsWindow(static_cast<HWND>(second->windowHandle())));
    second->close();
    delete second;
    EXPECT_FALSE(classRegistered());
    DestroyWindow(parent);
}

class CountingTimer final : public Timer {
public:
    explicit CountingTimer(int32_t ms) : Timer(ms) {}
    void tick() override {
        ++ticks;
        if (stopAfter > 0 && ticks >= stopAfter) stop();
    }
    int ticks = 0;
    int stopAfter = 0;
};

TEST(EditorTimerWin32, StartStopAndOwnTicks) {
    const int before = Timer::registeredCount();
    CountingTimer a(10), b(25);
    EXPECT_FALSE(a.isRunning());
    ASSERT_TRUE(a.start());
    EXPECT_FALSE(a.start());
    EXPECT_EQ(Timer::registeredCount(), before + 1);
    ASSERT_TRUE(b.start());
    EXPECT_EQ(Timer::registeredCount(), before + 2);
    wintest::pump(400);
    EXPECT_GT(a.ticks, 0);
    EXPECT_GT(b.ticks, 0);
    EXPECT_GT(a.ticks, b.ticks);  // each timer only gets its own
    const TimerId stale = a.getTimerId();
    a.stop();
    a.stop();
    EXPECT_FALSE(a.isRunning());
    EXPECT_EQ(Timer::registeredCount(), before + 1);
    const int ticksAtStop = a.ticks;
    Timer::deliver(stale);  // a late tick for a stopped timer is ignored
    wintest::pump(100);
    EXPECT_EQ(a.ticks, ticksAtStop);
    {
        CountingTimer scoped(10);
        ASSERT_TRUE(scoped.start());
        EXPECT_EQ(Timer::registeredCount(), before + 2);
    }
    EXPECT_EQ(Timer::registeredCount(), before + 1);  // the destructor stopped it

    // A tick may stop its own timer.
    CountingTimer self(10);
    self.stopAfter = 2;
    ASSERT_TRUE(self.start());
    wintest::pump(200);
    EXPECT_EQ(self.ticks, 2);
    EXPECT_FALSE(self.isRunning());
    b.stop();
    EXPECT_EQ(Timer::registeredCount(), before);
}

}  // namespace
}  // namespace tarn
