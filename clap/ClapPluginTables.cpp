// The C side of a ClapPlugin: its clap_plugin_t, its descriptor and every
// extension table, each slot filled, each leading into the instance.
#include <cstdio>
#include <cstring>
#include <new>

#include "clap/ClapPlugin.h"
#include "clap/ClapWindow.h"
#include "clap/TarnwellClapExtension.h"
#include "engine/InstrumentIdentity.h"

namespace tarn {

namespace {

const char *const kFeatures[] = {"instrument", "synthesizer", "stereo", nullptr};

const clap_plugin_descriptor_t kDescriptor = {
    kClapVersion,
    "com.brackmoor.tarnwell",
    InstrumentIdentity::kName,
    InstrumentIdentity::kVendor,
    "",
    "",
    "",
    InstrumentIdentity::kVersion,
    InstrumentIdentity::kDescription,
    kFeatures,
};

ClapPlugin *self(const clap_plugin_t *plugin) { return ClapPlugin::from(plugin); }

// ---- clap_plugin_t

bool CLAP_CALL pluginInit(const clap_plugin_t *p) { return self(p) && self(p)->init(); }
void CLAP_CALL pluginDestroy(const clap_plugin_t *p) {
    if (self(p)) self(p)->destroy();
}
bool CLAP_CALL pluginActivate(const clap_plugin_t *p, double rate, uint32_t minFrames, uint32_t maxFrames) {
    return self(p) && self(p)->activate(rate, minFrames, maxFrames);
}
void CLAP_CALL pluginDeactivate(const clap_plugin_t *p) {
    if (self(p)) self(p)->deactivate();
}
bool CLAP_CALL pluginStartProcessing(const clap_plugin_t *p) { return self(p) && self(p)->startProcessing(); }
void CLAP_CALL pluginStopProcessing(const clap_plugin_t *p) {
    if (self(p)) self(p)->stopProcessing();
}
void CLAP_CALL pluginReset(const clap_plugin_t *p) {
    if (self(p)) self(p)->reset();
}
int32_t CLAP_CALL pluginProcess(const clap_plugin_t *p, const clap_process_t *process) {
    return self(p) ? self(p)->process(process) : kClapProcessError;
}
const void *CLAP_CALL pluginGetExtension(const clap_plugin_t *, const char *id) { return ClapPlugin::extension(id); }
void CLAP_CALL pluginOnMainThread(const clap_plugin_t *p) {
    if (self(p)) self(p)->onMainThread();
}

// ---- ports: no audio input, one stereo main output, one note input

uint32_t CLAP_CALL audioPortCount(const clap_plugin_t *, bool isInput) { return isInput ? 0 : 1; }
bool CLAP_CALL audioPortGet(const clap_plugin_t *, uint32_t index, bool isInput, clap_audio_port_info_t *info) {
    if (isInput || index != 0 || !info) return false;
    std::memset(info, 0, sizeof *info);
    info->id = 0;
    std::snprintf(info->name, sizeof info->name, "%s", "Main Out");
    info->flags = kClapAudioPortIsMain;
    info->channel_count = 2;
    info->port_type = "stereo";
    info->in_place_pair = kClapInvalidId;
    return true;
}
const clap_plugin_audio_ports_t kAudioPorts = {audioPortCount, audioPortGet};

uint32_t CLAP_CALL notePortCount(const clap_plugin_t *, bool isInput) { return isInput ? 1 : 0; }
bool CLAP_CALL notePortGet(const clap_plugin_t *, uint32_t index, bool isInput, clap_note_port_info_t *info) {
    if (!isInput || index != 0 || !info) return false;
    std::memset(info, 0, sizeof *info);
    info->id = 0;
    info->supported_dialects = kClapNoteDialectClap | kClapNoteDialectMidi;
    info->preferred_dialect = kClapNoteDialectClap;
    std::snprintf(info->name, sizeof info->name, "%s", "Notes");
    return true;
}
const clap_plugin_note_ports_t kNotePorts = {notePortCount, notePortGet};

// ---- parameters

uint32_t CLAP_CALL paramsCount(const clap_plugin_t *p) { return self(p) ? self(p)->paramCount() : 0; }
bool CLAP_CALL paramsInfo(const clap_plugin_t *p, uint32_t index, clap_param_info_t *info) {
    return self(p) && self(p)->paramInfo(index, info);
}
bool CLAP_CALL paramsValue(const clap_plugin_t *p, clap_id id, double *value) {
    return self(p) && self(p)->paramValue(id, value);
}
bool CLAP_CALL paramsValueToText(const clap_plugin_t *p, clap_id id, double value, char *text, uint32_t capacity) {
    return self(p) && self(p)->valueToText(id, value, text, capacity);
}
bool CLAP_CALL paramsTextToValue(const clap_plugin_t *p, clap_id id, const char *text, double *value) {
    return self(p) && self(p)->textToValue(id, text, value);
}
void CLAP_CALL paramsFlush(const clap_plugin_t *p, const clap_input_events_t *in, const clap_output_events_t *out) {
    if (self(p)) self(p)->flush(in, out);
}
const clap_plugin_params_t kParams = {paramsCount,       paramsInfo,        paramsValue,
                                      paramsValueToText, paramsTextToValue, paramsFlush};

// ---- state and presets

bool CLAP_CALL stateSave(const clap_plugin_t *p, const clap_ostream_t *stream) {
    return self(p) && self(p)->saveState(stream);
}
bool CLAP_CALL stateLoad(const clap_plugin_t *p, const clap_istream_t *stream) {
    return self(p) && self(p)->loadState(stream);
}
const clap_plugin_state_t kState = {stateSave, stateLoad};

bool CLAP_CALL presetFromLocation(const clap_plugin_t *p, uint32_t kind, const char *location, const char *key) {
    return self(p) && self(p)->loadPreset(kind, location, key);
}
const clap_plugin_preset_load_t kPresetLoad = {presetFromLocation};

// ---- editor: embedded only, fixed size

bool CLAP_CALL guiIsApiSupported(const clap_plugin_t *p, const char *api, bool floating) {
    return self(p) && self(p)->guiApiSupported(api, floating);
}
bool CLAP_CALL guiPreferredApi(const clap_plugin_t *, const char **api, bool *floating) {
    if (!api || !floating) return false;
    *api = ClapWindow::api();
    *floating = false;
    return true;
}
bool CLAP_CALL guiCreate(const clap_plugin_t *p, const char *api, bool floating) {
    return self(p) && self(p)->guiCreate(api, floating);
}
void CLAP_CALL guiDestroy(const clap_plugin_t *p) {
    if (self(p)) self(p)->guiDestroy();
}
// The editor draws in physical pixels at its own size.
bool CLAP_CALL guiSetScale(const clap_plugin_t *, double) { return false; }
bool CLAP_CALL guiGetSize(const clap_plugin_t *p, uint32_t *width, uint32_t *height) {
    return self(p) && self(p)->guiSize(width, height);
}
bool CLAP_CALL guiCanResize(const clap_plugin_t *) { return false; }
bool CLAP_CALL guiResizeHints(const clap_plugin_t *, clap_gui_resize_hints_t *hints) {
    if (!hints) return false;
    std::memset(hints, 0, sizeof *hints);
    return true;
}
bool CLAP_CALL guiAdjustSize(const clap_plugin_t *p, uint32_t *width, uint32_t *height) {
    return self(p) && self(p)->guiAdjustSize(width, height);
}
bool CLAP_CALL guiSetSize(const clap_plugin_t *p, uint32_t width, uint32_t height) {
    return self(p) && self(p)->guiSetSize(width, height);
}
bool CLAP_CALL guiSetParent(const clap_plugin_t *p, const clap_window_t *window) {
    return self(p) && self(p)->guiSetParent(window);
}
bool CLAP_CALL guiSetTransient(const clap_plugin_t *, const clap_window_t *) { return false; }
void CLAP_CALL guiSuggestTitle(const clap_plugin_t *, const char *) {}
bool CLAP_CALL guiShow(const clap_plugin_t *p) { return self(p) && self(p)->guiShow(); }
bool CLAP_CALL guiHide(const clap_plugin_t *p) { return self(p) && self(p)->guiHide(); }
const clap_plugin_gui_t kGui = {guiIsApiSupported, guiPreferredApi, guiCreate,     guiDestroy,   guiSetScale,
                                guiGetSize,        guiCanResize,    guiResizeHints, guiAdjustSize, guiSetSize,
                                guiSetParent,      guiSetTransient, guiSuggestTitle, guiShow,     guiHide};

void CLAP_CALL timerFired(const clap_plugin_t *p, clap_id id) {
    if (self(p)) self(p)->onTimer(id);
}
const clap_plugin_timer_support_t kTimerSupport = {timerFired};

// ---- private

void CLAP_CALL meshAudioTime(const clap_plugin_t *p, bool on) {
    if (self(p)) self(p)->setMeshInAudioTime(on);
}
const tarnwell_clap_mesh_clock_t kMeshClock = {meshAudioTime};

bool same(const char *a, const char *b) { return std::strcmp(a, b) == 0; }

}  // namespace

const clap_plugin_descriptor_t &ClapPlugin::descriptor() { return kDescriptor; }

const void *ClapPlugin::extension(const char *id) {
    if (!id) return nullptr;
    if (same(id, clapid::kAudioPorts)) return &kAudioPorts;
    if (same(id, clapid::kNotePorts)) return &kNotePorts;
    if (same(id, clapid::kParams)) return &kParams;
    if (same(id, clapid::kState)) return &kState;
    if (same(id, clapid::kGui)) return &kGui;
    if (same(id, clapid::kTimerSupport)) return &kTimerSupport;
    if (same(id, clapid::kPresetLoad) || same(id, clapid::kPresetLoadCompat)) return &kPresetLoad;
    if (same(id, clapid::kTarnwellMeshClock)) return &kMeshClock;
    return nullptr;
}

const clap_plugin_t *ClapPlugin::create(const clap_host_t *host) {
    ClapPlugin *instance = new (std::nothrow) ClapPlugin(host);
    if (!instance) return nullptr;
    instance->plugin = clap_plugin_t{&kDescriptor,        instance,           pluginInit,     pluginDestroy,
                                     pluginActivate,      pluginDeactivate,   pluginStartProcessing,
                                     pluginStopProcessing, pluginReset,        pluginProcess,  pluginGetExtension,
                                     pluginOnMainThread};
    return &instance->plugin;
}

}  // namespace tarn
