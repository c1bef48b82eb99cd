// The LV2 editor: the instrument's own editor, opened in the host's window
// on the plug-in instance it borrows through instance-access.
#pragma once

#include <lv2/ui/ui.h>

namespace tarn::lv2door {

const LV2UI_Descriptor &uiDescriptor();

}  // namespace tarn::lv2door
