// End to end on Linux: a host with its own X connection loads tarnwell.so
// through its entry point, opens editors in windows of its own and plays the
// user with real input (XTest), reading what the editor drew back from the
// server. It never calls effEditIdle: the editor draws on its own.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "editor/AboutButton.h"
#include "editor/PromptBox.h"
#include "editor/GlutText.h"
#include "editor/SliderBars.h"
#include "editor/TarnEditor.h"
#include "editor/VSTGLEditor.h"
#include "tests/editor/PngWriter.h"
#include "tests/editor/X11TestHost.h"
#include "tests/gl/GlxOffscreen.h"
#include "tests/host/PluginLoader.h"
#include "tests/support/MidiBlock.h"
#include "tests/unit/test_editor_support.h"

namespace tarn {
namespace {

using editorcheck::Capture;
using editorcheck::nodePoint;
using x11test::waitFor;
using x11test::XHost;

constexpr int kSize = editorcheck::kEditorSize;

VstIntPtr VSTCALLBACK hostCallback(AEffect *, VstInt32 opcode, VstInt32, VstIntPtr, void *, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

PluginModule &module() {
    static PluginModule m = [] {
        const char *path = std::getenv("TARNWELL_PLUGIN");
        return loadPluginModule(path ? path : "tarnwell.so");
    }();
    return m;
}

struct Instance {
    AEffect *e = nullptr;
    Instance() {
        e = module().entry ? module().entry(hostCallback) : nullptr;
        if (e) call(effOpen);
    }
    ~Instance() { close(); }
    void close() {
        if (e) call(effClose);
        e = nullptr;
    }
    VstIntPtr call(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void *ptr = nullptr, float opt = 0.0f) {
        return e->dispatcher(e, opcode, index, value, ptr, opt);
    }
    VstIntPtr open(Window parent) {
        return call(effEditOpen, 0, 0, reinterpret_cast<void *>(static_cast<uintptr_t>(parent)));
    }
    float param(int index) { return e->getParameter(e, index); }
    // As a host's audio thread would: from a thread of its own.
    void controllerFromAnotherThread(int cc, int value, int channel = 0) {
        std::thread audio([&] {
            testing::MidiBlock block(0xB0 | channel, cc, value);
            call(effProcessEvents, 0, 0, block.events());
        });
        audio.join();
    }
};

// The box as it must look: drawn alone by the same code into a context of
// the test's own, then compared where the box lies. Off-screen and window
// drawables may round a colour differently by one step.
Capture drawnAlone(PromptBox box) {
    gltest::GlxOffscreen gl(kSize, kSize);
    Capture cap;
    if (!gl.ok()) return cap;
    box.placeIn(kSize, kSize);
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, kSize, 0, kSize);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    box.paint();
    std::vector<uint8_t> frame;
    gl.readFrame(frame);
    cap.width = cap.height = kSize;
    cap.rgb.resize(frame.size());
    const size_t stride = static_cast<size_t>(kSize) * 3;
    for (int y = 0; y < kSize; ++y)
        std::copy(frame.begin() + y * stride, frame.begin() + (y + 1) * stride,
                  cap.rgb.begin() + (kSize - 1 - y) * stride);
    return cap;
}

bool shows(const Capture &screen, PromptBox box) {
    box.placeIn(kSize, kSize);
    const PromptBox::Area &f = box.frame();
    const Capture expected = drawnAlone(box);
    return screen.width == kSize && expected.width == kSize &&
           screen.differences(expected, f.left, kSize - f.top, f.right, kSize - f.bottom, 1) == 0;
}

PromptBox learnBox(const char *parameter, const std::string &current, const std::string &heard) {
    return PromptBox::forLearn(parameter, current, heard);
}

std::string fileText(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Two drawn captures a few frames apart that agree: the mesh has come to
// rest. (A first frame may take a while: the software renderer compiles its
// shaders then.)
Capture steadyFrame(XHost &x, Window child) {
    Capture last = x.capture(child);
    waitFor([&] {
        x11test::sleepMs(100);
        Capture now = x.capture(child);
        const bool same = now == last && now.distinctColours() > 8;
        last = std::move(now);
        return same;
    });
    return last;
}

// Pixels that changed left and right of the middle, over the mesh.
std::pair<int, int> motionBySide(const Capture &a, const Capture &b) {
    return {a.differences(b, 0, 40, kSize / 2, 560), a.differences(b, kSize / 2, 40, kSize, 560)};
}

class EditorHostLinux : public ::testing::Test {
protected:
    void SetUp() override {
        if (!x.ok()) GTEST_SKIP() << "no X display with the XTest extension";
        ASSERT_NE(module().entry, nullptr) << module().error;
        // GLUT keeps one connection for the process; open it before counting.
        initGlutText();
    }
    XHost x;
};

TEST_F(EditorHostLinux, DrawsAnswersTheMouseAndLeavesNothingBehind) {
    editortest::ScratchSettings settings;  // no file yet: the first run
    const std::string settingsFile = settings.dir + "/tarnwell.cfg.txt";
    Instance a;
    ASSERT_NE(a.e, nullptr);
    ASSERT_TRUE(a.e->flags & effFlagsHasEditor);
    ERect *rect = nullptr;
    ASSERT_EQ(a.call(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right - rect->left, kSize);
    EXPECT_EQ(rect->bottom - rect->top, kSize);

    const Window parent = x.makeParent(0, 0, kSize, kSize);
    const int threads = x11test::threadCount();
    const int sockets = x11test::socketCount();
    ASSERT_EQ(a.open(parent), 1);
    // The host finds the child the moment the call returns.
    const Window child = x.onlyChild(parent);
    ASSERT_NE(child, 0u);

    // The first-run tip is drawn over the view, and Enter dismisses it,
    // which writes the settings file.
    const PromptBox tip = PromptBox::forMessage(TarnEditor::kFirstRunCaption, TarnEditor::kFirstRunText, kSize);
    EXPECT_TRUE(waitFor([&] { return shows(x.capture(child), tip); })) << "no first-run tip";
    EXPECT_EQ(fileText(settingsFile), "");
    x.pointerTo(child, 300, 300);
    x.key(XK_Return);
    EXPECT_TRUE(waitFor([&] { return fileText(settingsFile) == "size 600 600\n"; }));

    // At rest: every node in its resting colour, labels in white, the
    // friction bars lit as far as the parameter goes.
    const Capture rest = steadyFrame(x, child);
    ASSERT_EQ(rest.width, kSize);
    EXPECT_FALSE(shows(rest, tip));
    for (auto [r, c] : {std::pair{0, 0}, {9, 9}, {2, 7}, {5, 4}}) {
        const editorcheck::Point p = nodePoint(r, c);
        EXPECT_TRUE(editorcheck::closeTo(rest.at(p.x, p.y), editorcheck::restingColour(r, c))) << r << "," << c;
    }
    const int *fx = editorcheck::kFxLabel;
    EXPECT_GT(rest.count(fx[0], fx[1], fx[2], fx[3], {255, 255, 255}), 20) << "no \"FX on\" label";
    const int strip = kSize / 2 - 113 + glutTextWidth("Frict") + 4;
    const int barY = kSize - 1 - (10 - 3 + 10);
    auto bars = [&](const Capture &cap) {
        int lit = 0;
        for (int i = 0; i < kSliderBars; ++i) {
            const Capture::Rgb bar = cap.at(strip + 6 * i + 2, barY);
            if (editorcheck::closeTo(bar, {0, 0, 255})) ++lit;
            else if (!editorcheck::closeTo(bar, {46, 46, 56})) return -1;
        }
        return lit;
    };
    EXPECT_EQ(bars(rest), litBars(a.param(0)));

    // A left click on a node left of the middle sets the mesh moving there.
    const editorcheck::Point poke = nodePoint(4, 2);
    x.click(child, poke.x, poke.y);
    Capture moving;
    ASSERT_TRUE(waitFor([&] {
        moving = x.capture(child);
        return moving.differences(rest, 0, 0, kSize, kSize) > 0;
    }));
    const auto [left, right] = motionBySide(moving, rest);
    EXPECT_GT(left, right) << "the mesh must move first where it was clicked";
    x11test::sleepMs(120);
    const Capture screenshot = x.capture(child);

    // A right click stills it at once.
    x.click(child, nodePoint(5, 5).x, nodePoint(5, 5).y, Button3);
    EXPECT_TRUE(waitFor([&] { return x.capture(child) == rest; })) << "a right click must stop the mesh";

    // Dragging the friction slider from its left end past its right end.
    x.pointerTo(child, strip, barY);
    x.button(Button1, true);
    EXPECT_TRUE(waitFor([&] { return a.param(0) == 0.0f; }));
    x.pointerTo(child, strip + 30, barY);
    x.pointerTo(child, strip + 90, barY);
    x.button(Button1, false);
    EXPECT_TRUE(waitFor([&] { return a.param(0) == 1.0f; }));
    EXPECT_TRUE(waitFor([&] { return bars(x.capture(child)) == kSliderBars; }));
    x.pointerTo(child, strip, barY - 200);
    EXPECT_EQ(a.param(0), 1.0f) << "moving after the release must not drag";

    // The FX button changes its label and nothing else; a second press puts it back.
    const Capture before = steadyFrame(x, child);
    x.click(child, 12, kSize - 12 - 1);
    EXPECT_TRUE(waitFor([&] { return x.capture(child).differences(before, fx[0], fx[1], fx[2], fx[3]) > 0; }));
    const int *mesh = editorcheck::kMeshAndTop;
    EXPECT_EQ(x.capture(child).differences(before, mesh[0], mesh[1], mesh[2], mesh[3]), 0);
    x.click(child, 12, kSize - 12 - 1);
    EXPECT_TRUE(waitFor([&] { return x.capture(child).differences(before, fx[0], fx[1], fx[2], fx[3]) == 0; }));

    // The about box comes up over the view and Escape dismisses it.
    const PromptBox about = PromptBox::forMessage(AboutButton::kCaption, AboutButton::kText, kSize);
    x.click(child, 10 + 9, kSize - 1 - (kSize - 30 + 7));
    EXPECT_TRUE(waitFor([&] { return shows(x.capture(child), about); })) << "no about box";
    x.key(XK_Escape);
    EXPECT_TRUE(waitFor([&] { return !shows(x.capture(child), about); }));

    // The random button gives every parameter a new value.
    float old[88];
    for (int i = 0; i < 88; ++i) old[i] = a.param(i);
    x.click(child, kSize - 34 + 4, kSize - 1 - (kSize - 30 + 7));
    int changed = 0;
    waitFor([&] {
        changed = 0;
        for (int i = 0; i < 88; ++i) changed += a.param(i) != old[i];
        return changed > 60;
    });
    EXPECT_GT(changed, 60);

    // Closing leaves no window, thread or connection; reopening gives a
    // fresh window that draws, without a second tip.
    a.call(effEditClose);
    EXPECT_TRUE(x.children(parent).empty());
    EXPECT_EQ(x11test::threadCount(), threads);
    EXPECT_EQ(x11test::socketCount(), sockets);
    ASSERT_EQ(a.open(parent), 1);
    const Window again = x.onlyChild(parent);
    ASSERT_NE(again, 0u);
    EXPECT_TRUE(waitFor([&] { return x.capture(again).distinctColours() > 8; }));
    EXPECT_FALSE(shows(x.capture(again), tip));
    a.call(effEditClose);
    EXPECT_TRUE(x.children(parent).empty());
    EXPECT_EQ(x11test::threadCount(), threads);
    EXPECT_EQ(x11test::socketCount(), sockets);
    x.destroy(parent);

    // TARNWELL_SCREENSHOT names where to keep a frame of the moving mesh.
    if (const char *shot = std::getenv("TARNWELL_SCREENSHOT")) {
        EXPECT_TRUE(pngtest::writePng(shot, screenshot.width, screenshot.height, screenshot.rgb));
    }
}

// The window base alone, linked into this program: what each X event
// becomes, as the Windows window procedure maps its messages.
class RecordingEditor final : public VSTGLEditor {
public:
    struct Call {
        char kind;  // d down, u up, w wheel, k key down, K key up
        int a, b, c;
        bool operator==(const Call &o) const { return kind == o.kind && a == o.a && b == o.b && c == o.c; }
    };
    RecordingEditor() : VSTGLEditor(nullptr, 0) { setBounds(0, 0, 200, 150); }
    ~RecordingEditor() override { close(); }
    void glOpen() override {}
    void glClose() override {}
    void render() override {}
    void mouseDown(int button, int x, int y) override { add({'d', button, x, y}); }
    void mouseUp(int button, int x, int y) override { add({'u', button, x, y}); }
    void mouseWheel(int delta, int x, int y) override { add({'w', delta, x, y}); }
    void keyDown(VstKeyCode &key) override { add({'k', key.character, 0, 0}); }
    void keyUp(VstKeyCode &key) override { add({'K', key.character, 0, 0}); }
    std::vector<Call> calls() {
        std::lock_guard<std::mutex> lock(mutex);
        return recorded;
    }

private:
    void add(Call c) {
        std::lock_guard<std::mutex> lock(mutex);
        recorded.push_back(c);
    }
    std::mutex mutex;
    std::vector<Call> recorded;
};

TEST_F(EditorHostLinux, WindowBaseTurnsXEventsIntoViewEvents) {
    const Window parent = x.makeParent(0, 0, 200, 150);
    RecordingEditor editor;
    ASSERT_TRUE(editor.open(reinterpret_cast<void *>(static_cast<uintptr_t>(parent))));
    const Window child = x.onlyChild(parent);
    ASSERT_NE(child, 0u);
    x.pointerTo(child, 30, 40);
    for (unsigned b : {Button1, Button3, Button2, Button4, Button5}) {
        x.button(b, true);
        x.button(b, false);
    }
    x.key(XK_a);
    x.key(XK_Return);
    using C = RecordingEditor::Call;
    const std::vector<C> expected = {{'d', 1, 30, 40}, {'u', 1, 30, 40}, {'d', 2, 30, 40}, {'u', 2, 30, 40},
                                     {'d', 3, 30, 40}, {'u', 3, 30, 40}, {'w', 120, 30, 40}, {'w', -120, 30, 40},
                                     {'k', 'A', 0, 0},  {'K', 'A', 0, 0},  {'k', 0x0D, 0, 0},  {'K', 0x0D, 0, 0}};
    EXPECT_TRUE(waitFor([&] { return editor.calls().size() >= expected.size(); }));
    EXPECT_TRUE(editor.calls() == expected);
    editor.close();
    EXPECT_TRUE(x.children(parent).empty());
    x.destroy(parent);
}

TEST_F(EditorHostLinux, LearnSequenceWithControllersFromTheAudioThread) {
    editortest::ScratchSettings settings;
    settings.write("size 600 600\ncc 10 1\n");
    const std::string settingsFile = settings.dir + "/tarnwell.cfg.txt";
    Instance a;
    ASSERT_NE(a.e, nullptr);
    const Window parent = x.makeParent(0, 0, kSize, kSize);
    ASSERT_EQ(a.open(parent), 1);
    Window child = x.onlyChild(parent);

    // The MIDI button, label anchored at (W - 48, 10) in drawing space.
    x.click(child, kSize - 48 + 18, kSize - 1 - 17);
    const char *none = "New MIDI CC: none";
    EXPECT_TRUE(waitFor([&] { return shows(x.capture(child), learnBox("Friction", "Current MIDI CC: none", none)); }));

    // The prompt outlives a close and reopen of the window.
    a.call(effEditClose);
    ASSERT_EQ(a.open(parent), 1);
    child = x.onlyChild(parent);
    EXPECT_TRUE(waitFor([&] { return shows(x.capture(child), learnBox("Friction", "Current MIDI CC: none", none)); }));

    a.controllerFromAnotherThread(20, 64);
    EXPECT_TRUE(waitFor(
        [&] { return shows(x.capture(child), learnBox("Friction", "Current MIDI CC: none", "New MIDI CC: 20")); }));
    a.controllerFromAnotherThread(1, 100);  // the modulation wheel is not offered
    a.controllerFromAnotherThread(21, 64, 15);
    EXPECT_TRUE(waitFor(
        [&] { return shows(x.capture(child), learnBox("Friction", "Current MIDI CC: none", "New MIDI CC: 21")); }));
    x.pointerTo(child, 300, 300);
    x.key(XK_Return);  // Assign

    PromptBox viscosity = learnBox("Viscosity", "Current MIDI CC: 10", none);
    EXPECT_TRUE(waitFor([&] { return shows(x.capture(child), viscosity); }));
    EXPECT_EQ(fileText(settingsFile), "size 600 600\ncc 10 1\ncc 21 0\n") << "saved after Assign";
    viscosity.placeIn(kSize, kSize);
    const PromptBox::Area cancel = viscosity.buttonArea(1);
    x.click(child, (cancel.left + cancel.right) / 2, kSize - 1 - (cancel.bottom + cancel.top) / 2);
    const PromptBox rows = learnBox("Rows", "Current MIDI CC: none", none);
    EXPECT_TRUE(waitFor([&] { return shows(x.capture(child), rows); }));
    x.pointerTo(child, 300, 300);
    x.key(XK_Escape);
    const PromptBox columns = learnBox("Columns", "Current MIDI CC: none", none);
    EXPECT_TRUE(waitFor([&] { return shows(x.capture(child), columns); }));
    std::remove(settingsFile.c_str());
    x.key(XK_Escape);
    EXPECT_TRUE(waitFor([&] { return fileText(settingsFile) == "size 600 600\ncc 10 1\ncc 21 0\n"; }))
        << "saved again after the last prompt";
    EXPECT_TRUE(waitFor([&] {
        const Capture now = x.capture(child);
        return !shows(now, columns) && !shows(now, rows) && !shows(now, viscosity);
    })) << "all four prompts close at the end";

    a.controllerFromAnotherThread(21, 127);
    EXPECT_EQ(a.param(0), 1.0f) << "controller 21 now moves Friction";
    a.controllerFromAnotherThread(21, 0, 9);
    EXPECT_EQ(a.param(0), 0.0f);
    a.controllerFromAnotherThread(10, 127);
    EXPECT_EQ(a.param(1), 1.0f) << "controller 10 still moves Viscosity";
    a.call(effEditClose);
    x.destroy(parent);
}

TEST_F(EditorHostLinux, TwoInstancesEachAnimateTheirOwnMesh) {
    editortest::ScratchSettings settings;
    settings.write("size 600 600\n");
    Instance a, b;
    ASSERT_TRUE(a.e && b.e);
    const Window parentA = x.makeParent(0, 0, kSize, kSize);
    const Window parentB = x.makeParent(640, 0, kSize, kSize);
    ASSERT_EQ(a.open(parentA), 1);
    ASSERT_EQ(b.open(parentB), 1);
    const Window childA = x.onlyChild(parentA);
    const Window childB = x.onlyChild(parentB);
    const Capture restA = steadyFrame(x, childA);
    const Capture restB = steadyFrame(x, childB);
    EXPECT_EQ(restA, restB);

    // A click in one leaves the other at rest.
    x.click(childA, nodePoint(5, 7).x, nodePoint(5, 7).y);
    EXPECT_TRUE(waitFor([&] { return x.capture(childA) != restA; }));
    x11test::sleepMs(100);
    EXPECT_EQ(x.capture(childB), restB);
    x.click(childB, nodePoint(3, 3).x, nodePoint(3, 3).y);
    EXPECT_TRUE(waitFor([&] { return x.capture(childB) != restB; }));
    const Capture a1 = x.capture(childA), b1 = x.capture(childB);
    x11test::sleepMs(150);
    EXPECT_NE(x.capture(childA), a1);
    EXPECT_NE(x.capture(childB), b1);

    // Closing one leaves the other running.
    a.call(effEditClose);
    const Capture b2 = x.capture(childB);
    x11test::sleepMs(150);
    EXPECT_NE(x.capture(childB), b2);
    b.call(effEditClose);
    x.destroy(parentA);
    x.destroy(parentB);
}

TEST_F(EditorHostLinux, HostsThatDestroyTheirWindowFirstOrNeverClose) {
    editortest::ScratchSettings settings;
    settings.write("size 600 600\n");
    const int threads = x11test::threadCount();
    const int sockets = x11test::socketCount();
    {
        Instance a;
        ASSERT_NE(a.e, nullptr);
        // Not a window: no editor, nothing started.
        Window gone = x.makeParent(0, 0, kSize, kSize);
        x.destroy(gone);
        EXPECT_EQ(a.open(gone), 0);
        EXPECT_EQ(x11test::threadCount(), threads);

        // The host destroys its window, and the editor's with it, before the close.
        Window parent = x.makeParent(0, 0, kSize, kSize);
        ASSERT_EQ(a.open(parent), 1);
        x11test::sleepMs(100);
        x.destroy(parent);
        x11test::sleepMs(100);
        a.call(effEditClose);
        EXPECT_EQ(x11test::threadCount(), threads);

        // The same with the close straight after, while frames are on their way.
        parent = x.makeParent(0, 0, kSize, kSize);
        ASSERT_EQ(a.open(parent), 1);
        x.destroy(parent);
        a.call(effEditClose);

        // A second open without a close replaces the window.
        parent = x.makeParent(0, 0, kSize, kSize);
        ASSERT_EQ(a.open(parent), 1);
        ASSERT_EQ(a.open(parent), 1);
        EXPECT_EQ(x.children(parent).size(), 1u);
        // The instance is closed with its editor still open.
        a.close();
        EXPECT_TRUE(x.children(parent).empty());
        x.destroy(parent);
    }
    EXPECT_EQ(x11test::threadCount(), threads);
    EXPECT_EQ(x11test::socketCount(), sockets);
}

}  // namespace
}  // namespace tarn
