// The two entry points a host looks up in the bundle's binary.
#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include "lv2/Lv2Plugin.h"
#include "lv2/Lv2Ui.h"

extern "C" {

LV2_SYMBOL_EXPORT const LV2_Descriptor *lv2_descriptor(uint32_t index) {
    return index == 0 ? &tarn::lv2door::pluginDescriptor() : nullptr;
}

LV2_SYMBOL_EXPORT const LV2UI_Descriptor *lv2ui_descriptor(uint32_t index) {
    return index == 0 ? &tarn::lv2door::uiDescriptor() : nullptr;
}

}
