// Two broken modules for the renderer's failure tests, chosen by a macro:
// one that refuses every instance, one without any entry point.
#include "plugin/VstAbi.h"

#if defined(TARNWELL_STUB_REFUSING)
extern "C" __attribute__((visibility("default"))) AEffect *VSTPluginMain(audioMasterCallback) { return nullptr; }
#else
extern "C" __attribute__((visibility("default"))) int tarnwellStubWithoutEntry() { return 0; }
#endif
