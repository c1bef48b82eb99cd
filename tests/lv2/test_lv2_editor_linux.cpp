// The bundle's editor as an embedding host shows it: in the host's window,
// on the instance it borrows, told what the instrument changed by itself.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include "Lv2TestHost.h"
#include "tests/editor/X11TestHost.h"

using namespace tarn::lv2test;
using tarn::x11test::waitFor;

namespace {

constexpr int kBlock = 256;

struct UiHost {
    std::map<uint32_t, float> written;  // the last value per port
    int width = 0, height = 0;
    LV2UI_Resize resize{this, [](LV2UI_Feature_Handle h, int w, int ht) {
                            static_cast<UiHost *>(h)->width = w;
                            static_cast<UiHost *>(h)->height = ht;
                            return 0;
                        }};
    static void write(LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t protocol, const void *buffer) {
        if (protocol == 0 && size == sizeof(float)) static_cast<UiHost *>(c)->written[port] = *static_cast<const float *>(buffer);
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

TEST(Lv2Editor, OpensClosesReopensAndOutlivesTheHostsWindow) {
    ASSERT_TRUE(settingsWritten);
    tarn::x11test::XHost x;
    ASSERT_TRUE(x.ok()) << "needs an X server with XTest (DISPLAY)";
    World w;
    Instance in(w);
    ASSERT_TRUE(in);
    void *library = nullptr;
    const LV2UI_Descriptor *desc = uiDescriptor(w, &library);
    ASSERT_NE(desc, nullptr);
    ASSERT_NE(desc->extension_data(LV2_UI__idleInterface), nullptr);

    // The learned controller moves parameter 7 while no editor is open.
    const uint32_t pwPort = kFirstParameterPort + 7;
    in.midi(9, 0xB0, 20, 90);
    in.run(kBlock);
    in.run(kBlock);
    const std::vector<unsigned char> learned = in.stateBytes();

    UiHost host;
    LV2_Feature access{LV2_INSTANCE_ACCESS_URI, in.handle()};
    LV2_Feature resize{LV2_UI__resize, &host.resize};
    LV2_Feature map{LV2_URID__map, &w.urids.map};
    for (int round = 0; round < 3; ++round) {
        const Window parent = x.makeParent(0, 0, 600, 600);
        LV2_Feature parentFeature{LV2_UI__parent, reinterpret_cast<void *>(parent)};
        const LV2_Feature *features[] = {&parentFeature, &access, &resize, &map, nullptr};
        LV2UI_Widget widget = nullptr;
        LV2UI_Handle ui = desc->instantiate(desc, kUri, "", UiHost::write, &host, &widget, features);
        ASSERT_NE(ui, nullptr) << "round " << round;
        EXPECT_EQ(host.width, 600);
        EXPECT_EQ(host.height, 600);
        EXPECT_EQ(x.onlyChild(parent), static_cast<Window>(reinterpret_cast<uintptr_t>(widget)));
        if (round == 0) {
            EXPECT_EQ(host.written[pwPort], 90 / 127.0f) << "what changed before the editor opened is told at once";
            // The host's echo of what it was told sets nothing back.
            in.controls[7] = 90 / 127.0f;
            in.run(kBlock);
            EXPECT_EQ(in.stateBytes(), learned) << "an echo set the value back";
        }
        if (round == 2) x.destroy(parent);  // the host's window gone first
        desc->cleanup(ui);
        if (round < 2) {
            EXPECT_TRUE(waitFor([&] { return x.children(parent).empty(); })) << "the editor's window stayed";
            x.destroy(parent);
        }
    }
    dlclose(library);
}
