// The module's exports: the factory, and the entry and exit calls hosts make
// around loading and unloading it.
#include "vst3/Vst3Factory.h"

#if defined(_WIN32)
#define TARNWELL_VST3_EXPORT __declspec(dllexport)
#else
#define TARNWELL_VST3_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

TARNWELL_VST3_EXPORT tarn::vst3::IPluginFactory *TARN_VST3_API GetPluginFactory() {
    tarn::vst3::Vst3Factory *factory = tarn::vst3::Vst3Factory::shared();
    factory->addRef();
    return factory;
}

// Nothing to set up or tear down: everything is made with the first instance
// and goes with the last. Entry and exit may come in several pairs.
#if defined(_WIN32)
TARNWELL_VST3_EXPORT bool InitDll() { return true; }
TARNWELL_VST3_EXPORT bool ExitDll() { return true; }
#else
TARNWELL_VST3_EXPORT bool ModuleEntry(void *) { return true; }
TARNWELL_VST3_EXPORT bool ModuleExit() { return true; }
#endif
}
