// The bundle's editor as an embedding host shows it: in the host's window,
// at the instrument's size, on the plug-in instance it borrows; what the
// instrument changes by itself reaches the host through the write function,
// and the host's echo of it sets nothing back.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "Lv2TestHost.h"
#include "tests/editor/X11TestHost.h"

using namespace tarn::lv2test;
using tarn::x11test::waitFor;

namespace {

constexpr int kBlock = 256;

const bool settingsWritten = [] {
    const char *dir = std::getenv("TARNWELL_SETTINGS_DIR");
    if (!dir) return false;
    std::ofstream(std::string(dir) + "/tarnwell.cfg.txt") << "size 600 600\ncc 20 7\n";
    return true;
}();

struct Written {
    uint32_t port;
    float value;
};

struct UiHost {
    std::vector<Written> writes;
    int width = 0, height = 0;
    LV2UI_Resize resize{this, [](LV2UI_Feature_Handle h, int w, int ht) {
                            static_cast<UiHost *>(h)->width = w;
                            static_cast<UiHost *>(h)->height = ht;
                            return 0;
                        }};
    static void write(LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t protocol, const void *buffer) {
        if (protocol == 0 && size == sizeof(float))
            static_cast<UiHost *>(c)->writes.push_back({port, *static_cast<const float *>(buffer)});
    }
    const Written *last(uint32_t port) const {
        for (auto it = writes.rbegin(); it != writes.rend(); ++it)
            if (it->port == port) return &*it;
        return nullptr;
    }
};

const LV2UI_Descriptor *uiDescriptor(World &w, void **library) {
    LilvUIs *uis = lilv_plugin_get_uis(w.plugin);
    const LilvUI *ui = lilv_uis_get(uis, lilv_uis_begin(uis));
    char *path = lilv_file_uri_parse(lilv_node_as_uri(lilv_ui_get_binary_uri(ui)), nullptr);
    *library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    lilv_free(path);
    lilv_uis_free(uis);
    if (!*library) return nullptr;
    auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(*library, "lv2ui_descriptor"));
    return entry ? entry(0) : nullptr;
}

}  // namespace

TEST(Lv2Editor, OpensInTheHostsWindowAndTellsTheHostWhatChanged) {
    ASSERT_TRUE(settingsWritten);
    tarn::x11test::XHost x;
    ASSERT_TRUE(x.ok()) << "needs an X server with XTest (DISPLAY)";
    World w;
    ASSERT_NE(w.plugin, nullptr);
    Instance in(w);
    ASSERT_TRUE(in);
    void *library = nullptr;
    const LV2UI_Descriptor *desc = uiDescriptor(w, &library);
    ASSERT_NE(desc, nullptr);
    const LV2UI_Idle_Interface *idle =
        static_cast<const LV2UI_Idle_Interface *>(desc->extension_data(LV2_UI__idleInterface));
    ASSERT_NE(idle, nullptr);

    // The learned controller moves parameter 7 while no editor is open.
    const uint32_t pwPort = kFirstParameterPort + 7;
    const float hostPw = in.controls[7];
    in.midi(9, 0xB0, 20, 90);
    in.run(kBlock);
    in.run(kBlock);
    const std::vector<unsigned char> learned = in.stateBytes();

    UiHost host;
    const Window parent = x.makeParent(0, 0, 600, 600);
    LV2_Feature parentFeature{LV2_UI__parent, reinterpret_cast<void *>(parent)};
    LV2_Feature access{LV2_INSTANCE_ACCESS_URI, in.handle()};
    LV2_Feature resize{LV2_UI__resize, &host.resize};
    LV2_Feature map{LV2_URID__map, &w.urids.map};
    const LV2_Feature *features[] = {&parentFeature, &access, &resize, &map, nullptr};
    LV2UI_Widget widget = nullptr;
    LV2UI_Handle ui = desc->instantiate(desc, kUri, "", UiHost::write, &host, &widget, features);
    ASSERT_NE(ui, nullptr);
    EXPECT_EQ(host.width, 600);
    EXPECT_EQ(host.height, 600);
    const Window view = static_cast<Window>(reinterpret_cast<uintptr_t>(widget));
    EXPECT_EQ(x.onlyChild(parent), view) << "the widget is the editor's window in the host's";
    XWindowAttributes a{};
    ASSERT_TRUE(XGetWindowAttributes(x.dpy(), view, &a));
    EXPECT_EQ(a.width, 600);
    EXPECT_EQ(a.height, 600);

    // What changed before the editor opened is told at once.
    const Written *pw = host.last(pwPort);
    ASSERT_NE(pw, nullptr);
    EXPECT_EQ(pw->value, 90 / 127.0f);
    EXPECT_NE(pw->value, hostPw);

    // The controller moves on before the host's echo of the first value
    // arrives: neither echo sets the value back, nor a run with the value
    // the host had before.
    in.run(kBlock);
    in.midi(30, 0xB0, 20, 30);
    in.run(kBlock);
    idle->idle(ui);
    ASSERT_EQ(host.last(pwPort)->value, 30 / 127.0f);
    const std::vector<unsigned char> moved = in.stateBytes();
    EXPECT_NE(moved, learned);
    in.controls[7] = 90 / 127.0f;
    in.run(kBlock);
    EXPECT_EQ(in.stateBytes(), moved) << "an old echo set the value back";
    in.controls[7] = 30 / 127.0f;
    in.run(kBlock);
    EXPECT_EQ(in.stateBytes(), moved);
    // A value of the host's own still acts.
    in.controls[7] = 0.5f;
    in.run(kBlock);
    EXPECT_NE(in.stateBytes(), moved);

    // The editor draws the instrument's view.
    const int *fx = tarn::editorcheck::kFxLabel;
    EXPECT_TRUE(waitFor([&] { return x.capture(view).count(fx[0], fx[1], fx[2], fx[3], {255, 255, 255}) > 20; }))
        << "no \"FX on\" label";

    // A press on the friction slider's left end sets it to 0 in the
    // instrument, the next run notices, and the idle call tells the host.
    const int strip = 600 / 2 - 113 + 5 * 9 + 4;
    x.pointerTo(view, strip, 600 - 1 - 17);
    x.button(Button1, true);
    tarn::x11test::sleepMs(300);
    x.button(Button1, false);

    EXPECT_TRUE(waitFor([&] {
        in.run(kBlock);
        idle->idle(ui);
        const Written *f = host.last(kFirstParameterPort + 0);
        return f && f->value == 0.0f;
    })) << "the editor's change did not reach the host";


    desc->cleanup(ui);
    EXPECT_TRUE(waitFor([&] { return x.children(parent).empty(); })) << "the editor's window stayed";
    x.destroy(parent);
    dlclose(library);
}
