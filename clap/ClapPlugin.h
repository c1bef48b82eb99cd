// One CLAP plug-in instance: translates the host's calls into the
// instrument's and back. The C tables that lead here are in
// ClapPluginTables.cpp.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "clap/ClapAbi.h"
#include "engine/Instrument.h"

namespace tarn {

class ClapPlugin final {
public:
    // Builds nothing yet and calls nothing of the host's: that starts in init.
    static const clap_plugin_t *create(const clap_host_t *host);
    static ClapPlugin *from(const clap_plugin_t *plugin);
    // The descriptor every instance carries (the factory's).
    static const clap_plugin_descriptor_t &descriptor();
    static const void *extension(const char *id);

    // Lifecycle.
    bool init();
    void destroy();
    bool activate(double sampleRate, uint32_t minFrames, uint32_t maxFrames);
    void deactivate();
    bool startProcessing();
    void stopProcessing();
    void reset();
    int32_t process(const clap_process_t *process);
    void onMainThread();

    // Parameters.
    uint32_t paramCount() const;
    bool paramInfo(uint32_t index, clap_param_info_t *info) const;
    bool paramValue(clap_id id, double *value) const;
    bool valueToText(clap_id id, double value, char *text, uint32_t capacity) const;
    bool textToValue(clap_id id, const char *text, double *value) const;
    void flush(const clap_input_events_t *in, const clap_output_events_t *out);

    // State and programs.
    bool saveState(const clap_ostream_t *stream);
    bool loadState(const clap_istream_t *stream);
    bool loadPreset(uint32_t kind, const char *location, const char *key);

    // Editor.
    bool guiApiSupported(const char *api, bool floating) const;
    bool guiCreate(const char *api, bool floating);
    void guiDestroy();
    bool guiSize(uint32_t *width, uint32_t *height) const;
    bool guiAdjustSize(uint32_t *width, uint32_t *height) const;
    bool guiSetSize(uint32_t width, uint32_t height) const;
    bool guiSetParent(const clap_window_t *window);
    bool guiShow();
    bool guiHide();

    void onTimer(clap_id id);

    void setMeshInAudioTime(bool on);

private:
    explicit ClapPlugin(const clap_host_t *host);
    ~ClapPlugin();
    static void instrumentChanged(void *self);
    bool onAudioThread() const;
    void rescanValues();
    // Tells the host of the values the instrument changed by itself, as
    // gesture, value and end at the given time; what does not fit stays
    // marked for the next chance.
    void reportChanges(const clap_output_events_t *out, uint32_t time);
    void applyFlushEvents(const clap_input_events_t *in);
    void stopTimer();

    static constexpr int32_t kEventCapacity = 1024;

    clap_plugin_t plugin;
    const clap_host_t *host;
    const clap_host_params_t *hostParams = nullptr;
    const clap_host_thread_check_t *hostThreads = nullptr;
    const clap_host_preset_load_t *hostPresets = nullptr;
    const clap_host_timer_support_t *hostTimers = nullptr;
    std::unique_ptr<Instrument> instrument;
    bool active = false;
    // Read by the main thread's timer: while blocks come, they notice the
    // editor's changes themselves.
    std::atomic<bool> processing{false};
    bool resetPending = false;
    uint32_t maxFrames = 0;
    // The thread inside process or flush now, for hosts without a thread
    // check: a change made there is told by that call itself.
    std::atomic<uint64_t> audioThread{0};
    InstrumentEvent events[kEventCapacity];

    bool guiCreated = false;
    bool guiShown = false;
    void *parent = nullptr;
    bool timerOn = false;
    clap_id timer = kClapInvalidId;
};

}  // namespace tarn
