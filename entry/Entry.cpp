// The module's exported entry point. Hosts look for VSTPluginMain first and
// fall back to main; both names resolve to the same function (a .def file on
// Windows, an assembler label on Linux).
#include "entry/PluginFactory.h"
#include "plugin/VstAbi.h"

#if defined(_WIN32)
#define TARNWELL_EXPORT __declspec(dllexport)
#else
#define TARNWELL_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

TARNWELL_EXPORT AEffect *VSTCALLBACK VSTPluginMain(audioMasterCallback audioMaster) {
    return tarn::createPluginInstance(audioMaster);
}

#if !defined(_WIN32)
TARNWELL_EXPORT AEffect *legacyPluginMain(audioMasterCallback audioMaster) __asm__("main");
AEffect *legacyPluginMain(audioMasterCallback audioMaster) { return tarn::createPluginInstance(audioMaster); }
#endif
}
