// The editor side runs in the host's process next to the plug-in instance:
// the view draws the engine's own mesh, as in the VST 2.4 door. What the
// instrument changed by itself (editor, random, learned controllers) goes
// to the host through the write function, the only way LV2 gives an editor
// to move the host's control ports.
#include <X11/Xlib.h>
#include <lv2/instance-access/instance-access.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "lv2/Lv2Plugin.h"
#include "lv2/Lv2Ui.h"
#include "lv2/Lv2Uris.h"

namespace tarn::lv2door {

namespace {

std::vector<Window> childrenOf(Display *display, Window parent) {
    std::vector<Window> out;
    Window root = 0, up = 0, *list = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, parent, &root, &up, &list, &count)) {
        out.assign(list, list + count);
        if (list) XFree(list);
    }
    return out;
}

class Lv2Ui final {
public:
    static Lv2Ui *create(const char *pluginUri, LV2UI_Write_Function write, LV2UI_Controller controller,
                         LV2UI_Widget *widget, const LV2_Feature *const *features);
    ~Lv2Ui();
    int idle();
    void tellHost();

private:
    Lv2Plugin *plugin = nullptr;
    LV2UI_Write_Function write = nullptr;
    LV2UI_Controller controller = nullptr;
};

Lv2Ui *Lv2Ui::create(const char *pluginUri, LV2UI_Write_Function write, LV2UI_Controller controller,
                     LV2UI_Widget *widget, const LV2_Feature *const *features) {
    if (!pluginUri || std::strcmp(pluginUri, kPluginUri) != 0) return nullptr;
    Lv2Plugin *plugin = nullptr;
    Window parent = 0;
    const LV2UI_Resize *resize = nullptr;
    for (int i = 0; features && features[i]; ++i) {
        const char *uri = features[i]->URI;
        if (!uri) continue;
        if (!std::strcmp(uri, LV2_INSTANCE_ACCESS_URI)) plugin = static_cast<Lv2Plugin *>(features[i]->data);
        if (!std::strcmp(uri, LV2_UI__parent)) parent = reinterpret_cast<Window>(features[i]->data);
        if (!std::strcmp(uri, LV2_UI__resize)) resize = static_cast<const LV2UI_Resize *>(features[i]->data);
    }
    if (!plugin || !parent) return nullptr;

    Lv2Ui *self = new (std::nothrow) Lv2Ui;
    if (!self) return nullptr;
    self->plugin = plugin;
    self->write = write;
    self->controller = controller;

    Instrument &inst = plugin->instrument();
    int32_t width = 0, height = 0;
    inst.editorSize(&width, &height);
    if (resize && resize->ui_resize) resize->ui_resize(resize->handle, width, height);

    // The view makes its window as a child of the host's; the host wants
    // that window as the widget, so it is told apart from what was there.
    Display *display = XOpenDisplay(nullptr);
    std::vector<Window> before;
    if (display) before = childrenOf(display, parent);
    if (!inst.openEditor(reinterpret_cast<void *>(parent))) {
        if (display) XCloseDisplay(display);
        delete self;
        return nullptr;
    }
    plugin->editorOwner.store(self, std::memory_order_release);
    Window view = 0;
    if (display) {
        XSync(display, False);
        for (Window w : childrenOf(display, parent))
            if (std::find(before.begin(), before.end(), w) == before.end()) view = w;
        XCloseDisplay(display);
    }
    if (widget) *widget = reinterpret_cast<LV2UI_Widget>(view ? view : parent);
    // Changes made while no editor was open reach the host now.
    self->tellHost();
    return self;
}

Lv2Ui::~Lv2Ui() {
    const void *me = this;
    if (plugin && plugin->editorOwner.compare_exchange_strong(me, nullptr)) plugin->instrument().closeEditor();
}

void Lv2Ui::tellHost() {
    Instrument &inst = plugin->instrument();
    int32_t which[ChangedParameters::kCapacity];
    const int32_t n = inst.changes().take(which, ChangedParameters::kCapacity);
    for (int32_t k = 0; k < n; ++k) {
        const int32_t i = which[k];
        if (i < 0 || i >= Instrument::kNumParams) continue;
        float value = inst.parameter(i);
        plugin->echoes().note(i, value, plugin->framesRun());
        if (write) write(controller, kFirstParameterPort + static_cast<uint32_t>(i), sizeof value, 0, &value);
    }
}

int Lv2Ui::idle() {
    plugin->instrument().editorIdle();
    tellHost();
    return 0;
}

LV2UI_Handle instantiate(const LV2UI_Descriptor *, const char *pluginUri, const char *, LV2UI_Write_Function write,
                         LV2UI_Controller controller, LV2UI_Widget *widget, const LV2_Feature *const *features) {
    return Lv2Ui::create(pluginUri, write, controller, widget, features);
}

void cleanup(LV2UI_Handle ui) { delete static_cast<Lv2Ui *>(ui); }

// The view reads the instrument itself; a port event only means the host
// is listening, a good moment to tell it what changed.
void portEvent(LV2UI_Handle ui, uint32_t, uint32_t, uint32_t, const void *) { static_cast<Lv2Ui *>(ui)->tellHost(); }

int idleUi(LV2UI_Handle ui) { return static_cast<Lv2Ui *>(ui)->idle(); }

const void *extensionData(const char *uri) {
    static const LV2UI_Idle_Interface idle = {idleUi};
    if (uri && !std::strcmp(uri, LV2_UI__idleInterface)) return &idle;
    return nullptr;
}

}  // namespace

const LV2UI_Descriptor &uiDescriptor() {
    static const LV2UI_Descriptor descriptor = {kUiUri, instantiate, cleanup, portEvent, extensionData};
    return descriptor;
}

}  // namespace tarn::lv2door
