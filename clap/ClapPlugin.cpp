#include "editor/InstrumentBuilder.h"
#include "clap/ClapPlugin.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "clap/ClapEventTranslator.h"
#include "clap/ClapStateStream.h"
#include "clap/ClapThread.h"
#include "clap/ClapWindow.h"

namespace tarn {

namespace {

bool sameText(const char *a, const char *b) { return a && b && std::strcmp(a, b) == 0; }

// Marks the thread inside process or flush: what the instrument changes
// there is told by that call itself.
class AudioCall {
public:
    explicit AudioCall(std::atomic<uint64_t> &thread) : thread(thread) {
        thread.store(currentThreadId(), std::memory_order_relaxed);
    }
    ~AudioCall() { thread.store(0, std::memory_order_relaxed); }
    AudioCall(const AudioCall &) = delete;
    AudioCall &operator=(const AudioCall &) = delete;

private:
    std::atomic<uint64_t> &thread;
};

}  // namespace

ClapPlugin::ClapPlugin(const clap_host_t *host) : plugin{}, host(host) {}

ClapPlugin::~ClapPlugin() = default;

ClapPlugin *ClapPlugin::from(const clap_plugin_t *plugin) {
    return plugin ? static_cast<ClapPlugin *>(plugin->plugin_data) : nullptr;
}

bool ClapPlugin::init() {
    if (instrument) return true;
    if (host && host->get_extension) {
        hostParams = static_cast<const clap_host_params_t *>(host->get_extension(host, clapid::kParams));
        hostThreads = static_cast<const clap_host_thread_check_t *>(host->get_extension(host, clapid::kThreadCheck));
        hostPresets = static_cast<const clap_host_preset_load_t *>(host->get_extension(host, clapid::kPresetLoad));
        if (!hostPresets)
            hostPresets =
                static_cast<const clap_host_preset_load_t *>(host->get_extension(host, clapid::kPresetLoadCompat));
        hostTimers =
            static_cast<const clap_host_timer_support_t *>(host->get_extension(host, clapid::kTimerSupport));
    }
    // Tables with gaps are as good as none.
    if (hostParams && (!hostParams->rescan || !hostParams->clear || !hostParams->request_flush)) hostParams = nullptr;
    if (hostThreads && (!hostThreads->is_main_thread || !hostThreads->is_audio_thread)) hostThreads = nullptr;
    if (hostPresets && (!hostPresets->on_error || !hostPresets->loaded)) hostPresets = nullptr;
    if (hostTimers && (!hostTimers->register_timer || !hostTimers->unregister_timer)) hostTimers = nullptr;
    instrument = createInstrument(&ClapPlugin::instrumentChanged, this);
    return instrument != nullptr;
}

void ClapPlugin::destroy() {
    // Nothing more is told to a host that is destroying us.
    if (timerOn) hostTimers->unregister_timer(host, timer);
    timerOn = false;
    guiDestroy();
    delete this;
}

bool ClapPlugin::activate(double sampleRate, uint32_t, uint32_t maxFramesCount) {
    if (!instrument || active) return false;
    if (!(sampleRate >= 1.0 && sampleRate <= 4.0e6) || maxFramesCount == 0 || maxFramesCount > INT32_MAX) return false;
    instrument->activate(sampleRate, static_cast<int32_t>(maxFramesCount));
    maxFrames = maxFramesCount;
    active = true;
    return true;
}

void ClapPlugin::deactivate() {
    active = false;
    processing = false;
}

bool ClapPlugin::startProcessing() {
    if (!active) return false;
    processing = true;
    return true;
}

void ClapPlugin::stopProcessing() { processing = false; }

void ClapPlugin::reset() { resetPending = true; }

void ClapPlugin::instrumentChanged(void *context) {
    ClapPlugin *self = static_cast<ClapPlugin *>(context);
    // The audio thread tells its changes with the block that made them and
    // may not ask the host for a flush.
    if (self->onAudioThread() || !self->hostParams) return;
    self->hostParams->request_flush(self->host);
}

bool ClapPlugin::onAudioThread() const {
    if (hostThreads) return hostThreads->is_audio_thread(host);
    return audioThread.load(std::memory_order_relaxed) == currentThreadId();
}

int32_t ClapPlugin::process(const clap_process_t *p) {
    if (!instrument || !active || !p) return kClapProcessError;
    if (p->audio_outputs_count < 1 || !p->audio_outputs) return kClapProcessError;
    clap_audio_buffer_t &out = p->audio_outputs[0];
    if (!out.data32 || out.channel_count < 2 || !out.data32[0] || !out.data32[1]) return kClapProcessError;
    float *left = out.data32[0];
    float *right = out.data32[1];
    const uint32_t frames = p->frames_count;

    AudioCall call(audioThread);
    Transport transport;
    const Transport *heard = ClapEventTranslator::transport(p->transport, &transport) ? &transport : nullptr;
    const clap_input_events_t *in = p->in_events;
    const uint32_t total = in && in->size && in->get ? in->size(in) : 0;
    const uint32_t piece = maxFrames ? maxFrames : frames;

    // Usually one piece; a block longer than promised, or with more events
    // than the list holds, is rendered in several.
    uint32_t next = 0;
    uint32_t pos = 0;
    uint32_t latest = 0;
    while (pos < frames) {
        uint32_t end = frames - pos > piece ? pos + piece : frames;
        int32_t count = 0;
        if (resetPending) {
            // The instrument listens on every channel alike: one all-notes-off ends every voice.
            events[count++] = InstrumentEvent::midi(0, 0xB0, 123, 0);
            resetPending = false;
        }
        while (next < total) {
            const clap_event_header_t *e = in->get(in, next);
            if (!e) {
                ++next;
                continue;
            }
            // Lists out of order act no earlier than what came before.
            uint32_t at = e->time > latest ? e->time : latest;
            if (at < pos) at = pos;
            if (at >= end && end < frames) break;
            if (count + ClapEventTranslator::kMostPerEvent > kEventCapacity) {
                if (at > pos) end = at;
                break;
            }
            latest = at;
            const uint32_t frame = at >= end ? end - 1 - pos : at - pos;
            count += ClapEventTranslator::translate(*e, static_cast<int32_t>(frame), events + count);
            ++next;
        }
        instrument->process(events, count, left + pos, right + pos, static_cast<int32_t>(end - pos), heard);
        pos = end;
    }
    // Parameter values past a block of no frames still count.
    for (; next < total; ++next) {
        const clap_event_header_t *e = in->get(in, next);
        int32_t index = 0;
        float value = 0.0f;
        if (e && ClapEventTranslator::parameterValue(*e, &index, &value)) instrument->setParameter(index, value);
    }
    reportChanges(p->out_events, frames ? frames - 1 : 0);
    out.constant_mask = 0;
    return kClapProcessContinue;
}

void ClapPlugin::onMainThread() {
    if (instrument && instrument->changes().any() && hostParams) hostParams->request_flush(host);
}

void ClapPlugin::reportChanges(const clap_output_events_t *out, uint32_t time) {
    if (!instrument || !instrument->changes().any()) return;
    if (!out || !out->try_push) return;  // stays marked until a list comes
    int32_t indices[ChangedParameters::kCapacity];
    const int32_t n = instrument->changes().take(indices, ChangedParameters::kCapacity);
    for (int32_t k = 0; k < n; ++k) {
        const clap_id id = static_cast<clap_id>(indices[k]);
        clap_event_param_gesture_t begin = {
            {sizeof(clap_event_param_gesture_t), time, kClapCoreEventSpace, kClapEventParamGestureBegin, 0}, id};
        clap_event_param_value_t value = {
            {sizeof(clap_event_param_value_t), time, kClapCoreEventSpace, kClapEventParamValue, 0},
            id,
            nullptr,
            -1,
            -1,
            -1,
            -1,
            static_cast<double>(instrument->parameter(indices[k]))};
        clap_event_param_gesture_t end = begin;
        end.header.type = kClapEventParamGestureEnd;
        if (!out->try_push(out, &begin.header)) {
            for (; k < n; ++k) instrument->changes().mark(indices[k]);
            return;
        }
        // Begun gestures end, whatever else the list refuses.
        const bool told = out->try_push(out, &value.header);
        out->try_push(out, &end.header);
        if (!told) {
            for (; k < n; ++k) instrument->changes().mark(indices[k]);
            return;
        }
    }
}

uint32_t ClapPlugin::paramCount() const { return instrument ? Instrument::kNumParams : 0; }

bool ClapPlugin::paramInfo(uint32_t index, clap_param_info_t *info) const {
    if (!instrument || !info || index >= static_cast<uint32_t>(Instrument::kNumParams)) return false;
    std::memset(info, 0, sizeof *info);
    const int32_t i = static_cast<int32_t>(index);
    info->id = index;
    info->flags = kClapParamIsAutomatable;
    info->cookie = nullptr;
    instrument->parameterName(i, info->name, static_cast<int>(sizeof info->name));
    info->min_value = 0.0;
    info->max_value = 1.0;
    info->default_value = Instrument::defaultValue(i);
    return true;
}

bool ClapPlugin::paramValue(clap_id id, double *value) const {
    if (!instrument || !value || id >= static_cast<clap_id>(Instrument::kNumParams)) return false;
    *value = instrument->parameter(static_cast<int32_t>(id));
    return true;
}

bool ClapPlugin::valueToText(clap_id id, double value, char *text, uint32_t capacity) const {
    if (!instrument || !text || capacity < 1 || id >= static_cast<clap_id>(Instrument::kNumParams)) return false;
    if (std::isnan(value)) return false;
    if (value < 0.0) value = 0.0;
    if (value > 1.0) value = 1.0;
    const int room = capacity > 4096 ? 4096 : static_cast<int>(capacity);
    text[0] = '\0';
    instrument->parameterText(static_cast<int32_t>(id), static_cast<float>(value), text, room);
    text[room - 1] = '\0';
    return true;
}

bool ClapPlugin::textToValue(clap_id id, const char *text, double *value) const {
    if (!instrument || !text || !value || id >= static_cast<clap_id>(Instrument::kNumParams)) return false;
    float v = 0.0f;
    if (!instrument->parameterFromText(static_cast<int32_t>(id), text, &v)) return false;
    *value = v;
    return true;
}

void ClapPlugin::applyFlushEvents(const clap_input_events_t *in) {
    const uint32_t total = in && in->size && in->get ? in->size(in) : 0;
    for (uint32_t k = 0; k < total; ++k) {
        const clap_event_header_t *e = in->get(in, k);
        int32_t index = 0;
        float value = 0.0f;
        if (e && ClapEventTranslator::parameterValue(*e, &index, &value)) instrument->setParameter(index, value);
    }
}

void ClapPlugin::flush(const clap_input_events_t *in, const clap_output_events_t *out) {
    if (!instrument) return;
    AudioCall call(audioThread);
    applyFlushEvents(in);
    reportChanges(out, 0);
}

void ClapPlugin::rescanValues() {
    if (hostParams) hostParams->rescan(host, kClapParamRescanValues);
}

bool ClapPlugin::saveState(const clap_ostream_t *stream) {
    if (!instrument) return false;
    unsigned char bytes[Instrument::kStateBytes];
    instrument->saveState(bytes);
    return ClapStateStream::writeAll(stream, bytes, sizeof bytes);
}

bool ClapPlugin::loadState(const clap_istream_t *stream) {
    if (!instrument) return false;
    // One byte more than a state holds: a longer stream is refused unread.
    unsigned char bytes[Instrument::kStateBytes + 1];
    std::size_t size = 0;
    if (!ClapStateStream::readAll(stream, bytes, sizeof bytes, &size)) return false;
    if (!instrument->loadState(bytes, size)) return false;
    rescanValues();
    return true;
}

bool ClapPlugin::loadPreset(uint32_t kind, const char *location, const char *key) {
    int32_t program = -1;
    if (instrument && kind == kClapPresetLocationPlugin && key && key[0] >= '0' &&
        key[0] < '0' + Instrument::kNumPrograms && key[1] == '\0')
        program = key[0] - '0';
    if (program < 0) {
        if (hostPresets) hostPresets->on_error(host, kind, location, key, 0, "no such factory program");
        return false;
    }
    instrument->loadProgram(program);
    rescanValues();
    if (hostPresets) hostPresets->loaded(host, kind, location, key);
    return true;
}

bool ClapPlugin::guiApiSupported(const char *api, bool floating) const {
    return !floating && sameText(api, ClapWindow::api()) && instrument && instrument->hasEditor();
}

bool ClapPlugin::guiCreate(const char *api, bool floating) {
    if (!guiApiSupported(api, floating)) return false;
    guiCreated = true;
    return true;
}

void ClapPlugin::guiDestroy() {
    if (instrument) instrument->closeEditor();
    stopTimer();
    guiCreated = false;
    guiShown = false;
    parent = nullptr;
}

bool ClapPlugin::guiSize(uint32_t *width, uint32_t *height) const {
    if (!instrument || !width || !height) return false;
    int32_t w = 0, h = 0;
    instrument->editorSize(&w, &h);
    if (w <= 0 || h <= 0) return false;
    *width = static_cast<uint32_t>(w);
    *height = static_cast<uint32_t>(h);
    return true;
}

bool ClapPlugin::guiAdjustSize(uint32_t *width, uint32_t *height) const { return guiSize(width, height); }

bool ClapPlugin::guiSetSize(uint32_t width, uint32_t height) const {
    uint32_t w = 0, h = 0;
    return guiSize(&w, &h) && w == width && h == height;
}

bool ClapPlugin::guiSetParent(const clap_window_t *window) {
    if (!guiCreated || !window || (window->api && !sameText(window->api, ClapWindow::api()))) return false;
    void *handle = ClapWindow::parentOf(*window);
    if (!handle) return false;
    const bool moved = handle != parent;
    parent = handle;
    // Shown already: the editor moves into its new parent.
    if (guiShown && moved) return instrument->openEditor(parent);
    return true;
}

bool ClapPlugin::guiShow() {
    if (!guiCreated || !parent) return false;
    guiShown = instrument->isEditorOpen() || instrument->openEditor(parent);
    // The editor's own changes, noticed between blocks or without them.
    if (guiShown && hostTimers && !timerOn) timerOn = hostTimers->register_timer(host, 50, &timer);
    return guiShown;
}

bool ClapPlugin::guiHide() {
    if (!guiCreated) return false;
    instrument->closeEditor();
    stopTimer();
    guiShown = false;
    return true;
}

void ClapPlugin::stopTimer() {
    // What the editor did just before it closed is still told.
    if (timerOn && !processing.load(std::memory_order_relaxed)) instrument->noticeChanges();
    if (timerOn) hostTimers->unregister_timer(host, timer);
    timerOn = false;
    timer = kClapInvalidId;
}

void ClapPlugin::onTimer(clap_id id) {
    if (!instrument || !timerOn || id != timer) return;
    if (!processing.load(std::memory_order_relaxed)) instrument->noticeChanges();
}

void ClapPlugin::setMeshInAudioTime(bool on) {
    if (instrument) instrument->setMeshInAudioTime(on);
}

}  // namespace tarn
