// Declarations of the CLAP 1.2 binary interface, written from its published
// layout: only what this instrument and its test host exchange. Plain C
// layouts at natural alignment; the static_asserts at the end pin the sizes
// and offsets a host relies on.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) || defined(__CYGWIN__)
#define CLAP_CALL __cdecl
#else
#define CLAP_CALL
#endif

extern "C" {

typedef uint32_t clap_id;
constexpr clap_id kClapInvalidId = UINT32_MAX;
constexpr uint32_t kClapNameSize = 256;
constexpr uint32_t kClapPathSize = 1024;

struct clap_version_t {
    uint32_t major, minor, revision;
};
constexpr clap_version_t kClapVersion = {1, 2, 10};

// ---- entry, factory, descriptor

struct clap_plugin_entry_t {
    clap_version_t clap_version;
    bool(CLAP_CALL *init)(const char *plugin_path);
    void(CLAP_CALL *deinit)(void);
    const void *(CLAP_CALL *get_factory)(const char *factory_id);
};

struct clap_plugin_descriptor_t {
    clap_version_t clap_version;
    const char *id;
    const char *name;
    const char *vendor;
    const char *url;
    const char *manual_url;
    const char *support_url;
    const char *version;
    const char *description;
    const char *const *features;
};

struct clap_host_t;
struct clap_plugin_t;
struct clap_process_t;

struct clap_plugin_factory_t {
    uint32_t(CLAP_CALL *get_plugin_count)(const clap_plugin_factory_t *factory);
    const clap_plugin_descriptor_t *(CLAP_CALL *get_plugin_descriptor)(const clap_plugin_factory_t *factory,
                                                                       uint32_t index);
    const clap_plugin_t *(CLAP_CALL *create_plugin)(const clap_plugin_factory_t *factory, const clap_host_t *host,
                                                    const char *plugin_id);
};

// ---- plug-in and host

struct clap_plugin_t {
    const clap_plugin_descriptor_t *desc;
    void *plugin_data;
    bool(CLAP_CALL *init)(const clap_plugin_t *plugin);
    void(CLAP_CALL *destroy)(const clap_plugin_t *plugin);
    bool(CLAP_CALL *activate)(const clap_plugin_t *plugin, double sample_rate, uint32_t min_frames_count,
                              uint32_t max_frames_count);
    void(CLAP_CALL *deactivate)(const clap_plugin_t *plugin);
    bool(CLAP_CALL *start_processing)(const clap_plugin_t *plugin);
    void(CLAP_CALL *stop_processing)(const clap_plugin_t *plugin);
    void(CLAP_CALL *reset)(const clap_plugin_t *plugin);
    int32_t(CLAP_CALL *process)(const clap_plugin_t *plugin, const clap_process_t *process);
    const void *(CLAP_CALL *get_extension)(const clap_plugin_t *plugin, const char *id);
    void(CLAP_CALL *on_main_thread)(const clap_plugin_t *plugin);
};

struct clap_host_t {
    clap_version_t clap_version;
    void *host_data;
    const char *name;
    const char *vendor;
    const char *url;
    const char *version;
    const void *(CLAP_CALL *get_extension)(const clap_host_t *host, const char *extension_id);
    void(CLAP_CALL *request_restart)(const clap_host_t *host);
    void(CLAP_CALL *request_process)(const clap_host_t *host);
    void(CLAP_CALL *request_callback)(const clap_host_t *host);
};

// ---- events

constexpr uint16_t kClapCoreEventSpace = 0;
enum : uint16_t {
    kClapEventNoteOn = 0,
    kClapEventNoteOff = 1,
    kClapEventNoteChoke = 2,
    kClapEventNoteEnd = 3,
    kClapEventNoteExpression = 4,
    kClapEventParamValue = 5,
    kClapEventParamMod = 6,
    kClapEventParamGestureBegin = 7,
    kClapEventParamGestureEnd = 8,
    kClapEventTransport = 9,
    kClapEventMidi = 10,
    kClapEventMidiSysex = 11,
    kClapEventMidi2 = 12,
};
constexpr uint32_t kClapEventIsLive = 1;
constexpr uint32_t kClapEventDontRecord = 2;

struct clap_event_header_t {
    uint32_t size;
    uint32_t time;
    uint16_t space_id;
    uint16_t type;
    uint32_t flags;
};

struct clap_event_note_t {
    clap_event_header_t header;
    int32_t note_id;
    int16_t port_index;
    int16_t channel;
    int16_t key;
    double velocity;
};

struct clap_event_param_value_t {
    clap_event_header_t header;
    clap_id param_id;
    void *cookie;
    int32_t note_id;
    int16_t port_index;
    int16_t channel;
    int16_t key;
    double value;
};

struct clap_event_param_gesture_t {
    clap_event_header_t header;
    clap_id param_id;
};

struct clap_event_midi_t {
    clap_event_header_t header;
    uint16_t port_index;
    uint8_t data[3];
};

typedef int64_t clap_beattime;
typedef int64_t clap_sectime;
constexpr double kClapBeattimeFactor = 2147483648.0;

enum : uint32_t {
    kClapTransportHasTempo = 1,
    kClapTransportHasBeatsTimeline = 2,
    kClapTransportHasSecondsTimeline = 4,
    kClapTransportHasTimeSignature = 8,
    kClapTransportIsPlaying = 16,
    kClapTransportIsRecording = 32,
    kClapTransportIsLoopActive = 64,
    kClapTransportIsWithinPreRoll = 128,
};

struct clap_event_transport_t {
    clap_event_header_t header;
    uint32_t flags;
    clap_beattime song_pos_beats;
    clap_sectime song_pos_seconds;
    double tempo;
    double tempo_inc;
    clap_beattime loop_start_beats;
    clap_beattime loop_end_beats;
    clap_sectime loop_start_seconds;
    clap_sectime loop_end_seconds;
    clap_beattime bar_start;
    int32_t bar_number;
    uint16_t tsig_num;
    uint16_t tsig_denom;
};

struct clap_input_events_t {
    void *ctx;
    uint32_t(CLAP_CALL *size)(const clap_input_events_t *list);
    const clap_event_header_t *(CLAP_CALL *get)(const clap_input_events_t *list, uint32_t index);
};

struct clap_output_events_t {
    void *ctx;
    bool(CLAP_CALL *try_push)(const clap_output_events_t *list, const clap_event_header_t *event);
};

// ---- process

enum : int32_t {
    kClapProcessError = 0,
    kClapProcessContinue = 1,
    kClapProcessContinueIfNotQuiet = 2,
    kClapProcessTail = 3,
    kClapProcessSleep = 4,
};

struct clap_audio_buffer_t {
    float **data32;
    double **data64;
    uint32_t channel_count;
    uint32_t latency;
    uint64_t constant_mask;
};

struct clap_process_t {
    int64_t steady_time;
    uint32_t frames_count;
    const clap_event_transport_t *transport;
    const clap_audio_buffer_t *audio_inputs;
    clap_audio_buffer_t *audio_outputs;
    uint32_t audio_inputs_count;
    uint32_t audio_outputs_count;
    const clap_input_events_t *in_events;
    const clap_output_events_t *out_events;
};

// ---- audio and note ports

constexpr uint32_t kClapAudioPortIsMain = 1;

struct clap_audio_port_info_t {
    clap_id id;
    char name[kClapNameSize];
    uint32_t flags;
    uint32_t channel_count;
    const char *port_type;
    clap_id in_place_pair;
};

struct clap_plugin_audio_ports_t {
    uint32_t(CLAP_CALL *count)(const clap_plugin_t *plugin, bool is_input);
    bool(CLAP_CALL *get)(const clap_plugin_t *plugin, uint32_t index, bool is_input, clap_audio_port_info_t *info);
};

enum : uint32_t {
    kClapNoteDialectClap = 1,
    kClapNoteDialectMidi = 2,
    kClapNoteDialectMidiMpe = 4,
    kClapNoteDialectMidi2 = 8,
};

struct clap_note_port_info_t {
    clap_id id;
    uint32_t supported_dialects;
    uint32_t preferred_dialect;
    char name[kClapNameSize];
};

struct clap_plugin_note_ports_t {
    uint32_t(CLAP_CALL *count)(const clap_plugin_t *plugin, bool is_input);
    bool(CLAP_CALL *get)(const clap_plugin_t *plugin, uint32_t index, bool is_input, clap_note_port_info_t *info);
};

// ---- parameters

constexpr uint32_t kClapParamIsAutomatable = 32;
constexpr uint32_t kClapParamRescanValues = 1;
constexpr uint32_t kClapParamRescanText = 2;
constexpr uint32_t kClapParamRescanInfo = 4;
constexpr uint32_t kClapParamRescanAll = 8;

struct clap_param_info_t {
    clap_id id;
    uint32_t flags;
    void *cookie;
    char name[kClapNameSize];
    char module[kClapPathSize];
    double min_value;
    double max_value;
    double default_value;
};

struct clap_plugin_params_t {
    uint32_t(CLAP_CALL *count)(const clap_plugin_t *plugin);
    bool(CLAP_CALL *get_info)(const clap_plugin_t *plugin, uint32_t param_index, clap_param_info_t *param_info);
    bool(CLAP_CALL *get_value)(const clap_plugin_t *plugin, clap_id param_id, double *out_value);
    bool(CLAP_CALL *value_to_text)(const clap_plugin_t *plugin, clap_id param_id, double value, char *out_buffer,
                                   uint32_t out_buffer_capacity);
    bool(CLAP_CALL *text_to_value)(const clap_plugin_t *plugin, clap_id param_id, const char *param_value_text,
                                   double *out_value);
    void(CLAP_CALL *flush)(const clap_plugin_t *plugin, const clap_input_events_t *in,
                           const clap_output_events_t *out);
};

struct clap_host_params_t {
    void(CLAP_CALL *rescan)(const clap_host_t *host, uint32_t flags);
    void(CLAP_CALL *clear)(const clap_host_t *host, clap_id param_id, uint32_t flags);
    void(CLAP_CALL *request_flush)(const clap_host_t *host);
};

// ---- state

struct clap_istream_t {
    void *ctx;
    int64_t(CLAP_CALL *read)(const clap_istream_t *stream, void *buffer, uint64_t size);
};

struct clap_ostream_t {
    void *ctx;
    int64_t(CLAP_CALL *write)(const clap_ostream_t *stream, const void *buffer, uint64_t size);
};

struct clap_plugin_state_t {
    bool(CLAP_CALL *save)(const clap_plugin_t *plugin, const clap_ostream_t *stream);
    bool(CLAP_CALL *load)(const clap_plugin_t *plugin, const clap_istream_t *stream);
};

struct clap_host_state_t {
    void(CLAP_CALL *mark_dirty)(const clap_host_t *host);
};

// ---- editor

struct clap_window_t {
    const char *api;
    union {
        void *cocoa;
        unsigned long x11;
        void *win32;
        void *ptr;
    };
};

struct clap_gui_resize_hints_t {
    bool can_resize_horizontally;
    bool can_resize_vertically;
    bool preserve_aspect_ratio;
    uint32_t aspect_ratio_width;
    uint32_t aspect_ratio_height;
};

struct clap_plugin_gui_t {
    bool(CLAP_CALL *is_api_supported)(const clap_plugin_t *plugin, const char *api, bool is_floating);
    bool(CLAP_CALL *get_preferred_api)(const clap_plugin_t *plugin, const char **api, bool *is_floating);
    bool(CLAP_CALL *create)(const clap_plugin_t *plugin, const char *api, bool is_floating);
    void(CLAP_CALL *destroy)(const clap_plugin_t *plugin);
    bool(CLAP_CALL *set_scale)(const clap_plugin_t *plugin, double scale);
    bool(CLAP_CALL *get_size)(const clap_plugin_t *plugin, uint32_t *width, uint32_t *height);
    bool(CLAP_CALL *can_resize)(const clap_plugin_t *plugin);
    bool(CLAP_CALL *get_resize_hints)(const clap_plugin_t *plugin, clap_gui_resize_hints_t *hints);
    bool(CLAP_CALL *adjust_size)(const clap_plugin_t *plugin, uint32_t *width, uint32_t *height);
    bool(CLAP_CALL *set_size)(const clap_plugin_t *plugin, uint32_t width, uint32_t height);
    bool(CLAP_CALL *set_parent)(const clap_plugin_t *plugin, const clap_window_t *window);
    bool(CLAP_CALL *set_transient)(const clap_plugin_t *plugin, const clap_window_t *window);
    void(CLAP_CALL *suggest_title)(const clap_plugin_t *plugin, const char *title);
    bool(CLAP_CALL *show)(const clap_plugin_t *plugin);
    bool(CLAP_CALL *hide)(const clap_plugin_t *plugin);
};

// ---- timers and thread check

struct clap_plugin_timer_support_t {
    void(CLAP_CALL *on_timer)(const clap_plugin_t *plugin, clap_id timer_id);
};

struct clap_host_timer_support_t {
    bool(CLAP_CALL *register_timer)(const clap_host_t *host, uint32_t period_ms, clap_id *timer_id);
    bool(CLAP_CALL *unregister_timer)(const clap_host_t *host, clap_id timer_id);
};

struct clap_host_thread_check_t {
    bool(CLAP_CALL *is_main_thread)(const clap_host_t *host);
    bool(CLAP_CALL *is_audio_thread)(const clap_host_t *host);
};

// ---- presets

constexpr uint32_t kClapPresetLocationFile = 0;
constexpr uint32_t kClapPresetLocationPlugin = 1;
constexpr uint32_t kClapPresetIsFactoryContent = 1;

struct clap_plugin_preset_load_t {
    bool(CLAP_CALL *from_location)(const clap_plugin_t *plugin, uint32_t location_kind, const char *location,
                                   const char *load_key);
};

struct clap_host_preset_load_t {
    void(CLAP_CALL *on_error)(const clap_host_t *host, uint32_t location_kind, const char *location,
                              const char *load_key, int32_t os_error, const char *msg);
    void(CLAP_CALL *loaded)(const clap_host_t *host, uint32_t location_kind, const char *location,
                            const char *load_key);
};

struct clap_universal_plugin_id_t {
    const char *abi;
    const char *id;
};

struct clap_preset_discovery_provider_descriptor_t {
    clap_version_t clap_version;
    const char *id;
    const char *name;
    const char *vendor;
};

struct clap_preset_discovery_location_t {
    uint32_t flags;
    const char *name;
    uint32_t kind;
    const char *location;
};

struct clap_preset_discovery_filetype_t;
struct clap_preset_discovery_soundpack_t;

struct clap_preset_discovery_indexer_t {
    clap_version_t clap_version;
    const char *name;
    const char *vendor;
    const char *url;
    const char *version;
    void *indexer_data;
    bool(CLAP_CALL *declare_filetype)(const clap_preset_discovery_indexer_t *indexer,
                                      const clap_preset_discovery_filetype_t *filetype);
    bool(CLAP_CALL *declare_location)(const clap_preset_discovery_indexer_t *indexer,
                                      const clap_preset_discovery_location_t *location);
    bool(CLAP_CALL *declare_soundpack)(const clap_preset_discovery_indexer_t *indexer,
                                       const clap_preset_discovery_soundpack_t *soundpack);
    const void *(CLAP_CALL *get_extension)(const clap_preset_discovery_indexer_t *indexer, const char *extension_id);
};

struct clap_preset_discovery_metadata_receiver_t {
    void *receiver_data;
    void(CLAP_CALL *on_error)(const clap_preset_discovery_metadata_receiver_t *receiver, int32_t os_error,
                              const char *error_message);
    bool(CLAP_CALL *begin_preset)(const clap_preset_discovery_metadata_receiver_t *receiver, const char *name,
                                  const char *load_key);
    void(CLAP_CALL *add_plugin_id)(const clap_preset_discovery_metadata_receiver_t *receiver,
                                   const clap_universal_plugin_id_t *plugin_id);
    void(CLAP_CALL *set_soundpack_id)(const clap_preset_discovery_metadata_receiver_t *receiver,
                                      const char *soundpack_id);
    void(CLAP_CALL *set_flags)(const clap_preset_discovery_metadata_receiver_t *receiver, uint32_t flags);
    void(CLAP_CALL *add_creator)(const clap_preset_discovery_metadata_receiver_t *receiver, const char *creator);
    void(CLAP_CALL *set_description)(const clap_preset_discovery_metadata_receiver_t *receiver,
                                     const char *description);
    void(CLAP_CALL *set_timestamps)(const clap_preset_discovery_metadata_receiver_t *receiver,
                                    uint64_t creation_time, uint64_t modification_time);
    void(CLAP_CALL *add_feature)(const clap_preset_discovery_metadata_receiver_t *receiver, const char *feature);
    void(CLAP_CALL *add_extra_info)(const clap_preset_discovery_metadata_receiver_t *receiver, const char *key,
                                    const char *value);
};

struct clap_preset_discovery_provider_t {
    const clap_preset_discovery_provider_descriptor_t *desc;
    void *provider_data;
    bool(CLAP_CALL *init)(const clap_preset_discovery_provider_t *provider);
    void(CLAP_CALL *destroy)(const clap_preset_discovery_provider_t *provider);
    bool(CLAP_CALL *get_metadata)(const clap_preset_discovery_provider_t *provider, uint32_t location_kind,
                                  const char *location,
                                  const clap_preset_discovery_metadata_receiver_t *metadata_receiver);
    const void *(CLAP_CALL *get_extension)(const clap_preset_discovery_provider_t *provider,
                                           const char *extension_id);
};

struct clap_preset_discovery_factory_t {
    uint32_t(CLAP_CALL *count)(const clap_preset_discovery_factory_t *factory);
    const clap_preset_discovery_provider_descriptor_t *(CLAP_CALL *get_descriptor)(
        const clap_preset_discovery_factory_t *factory, uint32_t index);
    const clap_preset_discovery_provider_t *(CLAP_CALL *create)(const clap_preset_discovery_factory_t *factory,
                                                                const clap_preset_discovery_indexer_t *indexer,
                                                                const char *provider_id);
};

}  // extern "C"

// Identifiers, compared with strcmp.
namespace clapid {
constexpr const char *kPluginFactory = "clap.plugin-factory";
constexpr const char *kPresetDiscoveryFactory = "clap.preset-discovery-factory/2";
constexpr const char *kPresetDiscoveryFactoryCompat = "clap.preset-discovery-factory/draft-2";
constexpr const char *kAudioPorts = "clap.audio-ports";
constexpr const char *kNotePorts = "clap.note-ports";
constexpr const char *kParams = "clap.params";
constexpr const char *kState = "clap.state";
constexpr const char *kGui = "clap.gui";
constexpr const char *kTimerSupport = "clap.timer-support";
constexpr const char *kThreadCheck = "clap.thread-check";
constexpr const char *kPresetLoad = "clap.preset-load/2";
constexpr const char *kPresetLoadCompat = "clap.preset-load.draft/2";
constexpr const char *kWindowX11 = "x11";
constexpr const char *kWindowWin32 = "win32";
}  // namespace clapid

#define CLAP_OFFSET_IS(type, member, off32, off64) \
    static_assert(offsetof(type, member) == (sizeof(void *) == 8 ? (off64) : (off32)), #type "." #member)
#define CLAP_SIZE_IS(type, size32, size64) \
    static_assert(sizeof(type) == (sizeof(void *) == 8 ? (size64) : (size32)), "sizeof " #type)

CLAP_SIZE_IS(clap_version_t, 12, 12);
CLAP_SIZE_IS(clap_plugin_entry_t, 24, 40);
CLAP_OFFSET_IS(clap_plugin_entry_t, init, 12, 16);
CLAP_SIZE_IS(clap_plugin_descriptor_t, 48, 88);
CLAP_OFFSET_IS(clap_plugin_descriptor_t, id, 12, 16);
CLAP_OFFSET_IS(clap_plugin_descriptor_t, features, 44, 80);
CLAP_SIZE_IS(clap_plugin_t, 48, 96);
CLAP_SIZE_IS(clap_host_t, 48, 88);
CLAP_OFFSET_IS(clap_host_t, get_extension, 32, 56);
CLAP_SIZE_IS(clap_process_t, 40, 64);
CLAP_OFFSET_IS(clap_process_t, transport, 12, 16);
CLAP_OFFSET_IS(clap_process_t, in_events, 32, 48);
CLAP_SIZE_IS(clap_audio_buffer_t, 24, 32);
CLAP_OFFSET_IS(clap_audio_buffer_t, constant_mask, 16, 24);
CLAP_SIZE_IS(clap_event_header_t, 16, 16);
CLAP_SIZE_IS(clap_event_note_t, 40, 40);
CLAP_OFFSET_IS(clap_event_note_t, key, 24, 24);
CLAP_OFFSET_IS(clap_event_note_t, velocity, 32, 32);
CLAP_SIZE_IS(clap_event_param_value_t, 48, 56);
CLAP_OFFSET_IS(clap_event_param_value_t, value, 40, 48);
CLAP_SIZE_IS(clap_event_param_gesture_t, 20, 20);
CLAP_SIZE_IS(clap_event_midi_t, 24, 24);
CLAP_OFFSET_IS(clap_event_midi_t, data, 18, 18);
CLAP_SIZE_IS(clap_event_transport_t, 104, 104);
CLAP_OFFSET_IS(clap_event_transport_t, song_pos_beats, 24, 24);
CLAP_OFFSET_IS(clap_event_transport_t, tempo, 40, 40);
CLAP_OFFSET_IS(clap_event_transport_t, bar_number, 96, 96);
CLAP_OFFSET_IS(clap_event_transport_t, tsig_denom, 102, 102);
CLAP_SIZE_IS(clap_input_events_t, 12, 24);
CLAP_SIZE_IS(clap_output_events_t, 8, 16);
CLAP_SIZE_IS(clap_audio_port_info_t, 276, 288);
CLAP_OFFSET_IS(clap_audio_port_info_t, port_type, 268, 272);
CLAP_SIZE_IS(clap_note_port_info_t, 268, 268);
CLAP_SIZE_IS(clap_param_info_t, 1320, 1320);
CLAP_OFFSET_IS(clap_param_info_t, name, 12, 16);
CLAP_OFFSET_IS(clap_param_info_t, min_value, 1296, 1296);
CLAP_SIZE_IS(clap_plugin_params_t, 24, 48);
CLAP_SIZE_IS(clap_window_t, 8, 16);
CLAP_SIZE_IS(clap_gui_resize_hints_t, 12, 12);
CLAP_SIZE_IS(clap_plugin_gui_t, 60, 120);
CLAP_SIZE_IS(clap_preset_discovery_provider_descriptor_t, 24, 40);
CLAP_SIZE_IS(clap_preset_discovery_provider_t, 24, 48);
CLAP_SIZE_IS(clap_preset_discovery_indexer_t, 48, 88);
CLAP_OFFSET_IS(clap_preset_discovery_indexer_t, declare_location, 36, 64);
CLAP_SIZE_IS(clap_preset_discovery_location_t, 16, 32);
CLAP_SIZE_IS(clap_preset_discovery_metadata_receiver_t, 44, 88);
CLAP_SIZE_IS(clap_universal_plugin_id_t, 8, 16);
