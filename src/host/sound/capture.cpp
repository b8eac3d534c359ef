#include "host/sound/capture.h"

#include <cstdio>
#include <pulse/pulseaudio.h>
#include <string>

namespace host::sound {

namespace {

// About 21 ms a read: enough for 30 spectra a second, and a latency the
// sound server (PipeWire gives every stream of its graph the smallest asked
// for) need not shorten for anyone else.
constexpr uint32_t kFragmentFrames = 1024;
// Nothing has played for this long: the stream rests.
constexpr pa_usec_t kQuietUsec = 2 * PA_USEC_PER_SEC;
// A lost server is looked for again after this long; one not there when the
// host starts is said on standard error after the second.
constexpr pa_usec_t kRetryUsec = PA_USEC_PER_SEC;
constexpr pa_usec_t kNoServerUsec = 3 * PA_USEC_PER_SEC;

void Unref(pa_operation* o) {
    if (o) pa_operation_unref(o);
}

} // namespace

struct Capture::State {
    pa_threaded_mainloop* loop = nullptr;
    pa_mainloop_api* api = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    std::function<void(const Values&)> frame;
    Spectrum spectrum;
    bool connected = false, listening = false; // what the host wants
    bool playing = false;     // something plays on the default output
    bool corked = true;       // as the stream was asked to be
    bool lastSilent = true;   // the last spectrum sent was all zeros
    bool ready = false;       // the context is connected
    bool saidNoServer = false;
    std::string defaultSink;  // the output whose monitor is recorded
    pa_time_event* retry = nullptr;
    pa_time_event* quiet = nullptr;
    pa_time_event* noServer = nullptr;

    // ---- everything below runs on the loop's thread, or under its lock ----

    pa_time_event* After(pa_usec_t usec, pa_time_event_cb_t cb) {
        timeval tv;
        pa_timeval_add(pa_gettimeofday(&tv), usec);
        return api->time_new(api, &tv, cb, this);
    }
    void Cancel(pa_time_event*& e) {
        if (e) api->time_free(e);
        e = nullptr;
    }

    void Connect() {
        context = pa_context_new(api, "Zelkora Desktop");
        pa_context_set_state_callback(context, ContextState, this);
        // Waits for a server that is not there yet, and never starts one.
        if (pa_context_connect(context, nullptr,
                               pa_context_flags_t(PA_CONTEXT_NOFAIL | PA_CONTEXT_NOAUTOSPAWN),
                               nullptr) < 0) {
            SayNoServer();
            Drop();
            return;
        }
        if (!noServer && !saidNoServer)
            noServer = After(kNoServerUsec, [](pa_mainloop_api*, pa_time_event*, const timeval*, void* d) {
                auto* s = static_cast<State*>(d);
                s->Cancel(s->noServer);
                if (!s->ready) s->SayNoServer();
            });
    }

    void SayNoServer() {
        if (saidNoServer) return;
        saidNoServer = true;
        std::fprintf(stderr, "zelkora-desktop: no sound server: modules that react to sound "
                             "stay still until one runs\n");
    }

    // Lets go of the server: the stream, then the context.
    void Drop() {
        DropStream();
        Cancel(quiet);
        Cancel(noServer);
        playing = false;
        ready = false;
        if (context) {
            pa_context_set_state_callback(context, nullptr, nullptr);
            pa_context_set_subscribe_callback(context, nullptr, nullptr);
            pa_context_disconnect(context);
            pa_context_unref(context);
            context = nullptr;
        }
        defaultSink.clear();
    }

    static void ContextState(pa_context* c, void* d) {
        auto* s = static_cast<State*>(d);
        switch (pa_context_get_state(c)) {
        case PA_CONTEXT_READY:
            s->ready = true;
            s->saidNoServer = false;
            s->Cancel(s->noServer);
            pa_context_set_subscribe_callback(c, Event, s);
            Unref(pa_context_subscribe(
                c,
                pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SERVER | PA_SUBSCRIPTION_MASK_SINK |
                                       PA_SUBSCRIPTION_MASK_SINK_INPUT),
                nullptr, nullptr));
            s->Refresh();
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            std::fprintf(stderr, "zelkora-desktop: the sound server went away; "
                                 "sound is heard again when it is back\n");
            s->Drop();
            s->saidNoServer = true;
            // Looked for again, and joined as soon as it takes connections.
            s->Cancel(s->retry);
            s->retry = s->After(kRetryUsec, [](pa_mainloop_api*, pa_time_event*, const timeval*, void* d) {
                auto* s = static_cast<State*>(d);
                s->Cancel(s->retry);
                if (s->connected && !s->context) s->Connect();
            });
            break;
        default:
            break;
        }
    }

    static void Event(pa_context*, pa_subscription_event_type_t, uint32_t, void* d) {
        static_cast<State*>(d)->Refresh();
    }

    // Asks which output is the default, and whether anything plays on it.
    void Refresh() {
        if (!ready) return;
        Unref(pa_context_get_server_info(context, ServerInfo, this));
    }

    static void ServerInfo(pa_context* c, const pa_server_info* info, void* d) {
        auto* s = static_cast<State*>(d);
        if (!info || !info->default_sink_name) return;
        std::string sink = info->default_sink_name;
        if (sink != s->defaultSink) {
            // Recorded anew from the new default output (PipeWire's server
            // leaves a stream where it is).
            s->defaultSink = sink;
            s->DropStream();
            s->StartStream();
        }
        Unref(pa_context_get_sink_info_by_name(c, sink.c_str(), SinkInfo, s));
    }

    // Whether anything plays on one output: its streams, neither paused nor muted.
    struct Query {
        State* s;
        uint32_t sink;
        bool plays = false;
    };
    static void SinkInfo(pa_context* c, const pa_sink_info* info, int eol, void* d) {
        if (eol || !info) return;
        auto* q = new Query{static_cast<State*>(d), info->index};
        pa_operation* o = pa_context_get_sink_input_info_list(c, SinkInputs, q);
        if (o)
            pa_operation_unref(o);
        else
            delete q;
    }
    static void SinkInputs(pa_context*, const pa_sink_input_info* info, int eol, void* d) {
        auto* q = static_cast<Query*>(d);
        if (eol) {
            if (eol > 0) q->s->SetPlaying(q->plays);
            delete q;
            return;
        }
        if (info->sink == q->sink && !info->corked && !info->mute) q->plays = true;
    }

    void SetPlaying(bool now) {
        if (now) {
            Cancel(quiet);
        } else if (playing && !quiet) {
            // Heard a little longer: the last sound fades out on the page.
            quiet = After(kQuietUsec, [](pa_mainloop_api*, pa_time_event*, const timeval*, void* d) {
                auto* s = static_cast<State*>(d);
                s->Cancel(s->quiet);
                s->UpdateCork();
            });
        }
        playing = now;
        UpdateCork();
    }

    void StartStream() {
        if (!ready || stream) return;
        pa_sample_spec spec{PA_SAMPLE_FLOAT32LE, uint32_t(kRate), 2};
        stream = pa_stream_new(context, "What pages hear", &spec, nullptr);
        if (!stream) return;
        pa_stream_set_read_callback(stream, Read, this);
        pa_buffer_attr attr{};
        attr.maxlength = uint32_t(-1);
        attr.fragsize = uint32_t(kFragmentFrames * pa_frame_size(&spec));
        auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_INHIBIT_AUTO_SUSPEND |
                                       (corked ? PA_STREAM_START_CORKED : 0));
        if (pa_stream_connect_record(stream, "@DEFAULT_MONITOR@", &attr, flags) < 0) {
            pa_stream_unref(stream);
            stream = nullptr;
        }
    }

    void DropStream() {
        if (!stream) return;
        pa_stream_set_read_callback(stream, nullptr, nullptr);
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
        stream = nullptr;
    }

    static void Read(pa_stream* stream, size_t, void* d) {
        auto* s = static_cast<State*>(d);
        const void* data;
        size_t bytes;
        while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &data, &bytes) == 0) {
            if (bytes == 0) break;
            if (data && !s->corked)
                s->spectrum.Add(static_cast<const float*>(data), bytes / (2 * sizeof(float)),
                                [s](const Values& v) { s->Send(v); });
            pa_stream_drop(stream);
        }
    }

    // Silence is sent once, as the first all-zero spectrum: pages draw
    // their bars down, then get nothing until sound comes back.
    void Send(const Values& v) {
        bool silent = true;
        for (float x : v)
            if (x != 0) silent = false;
        if (silent && lastSilent) return;
        lastSilent = silent;
        frame(v);
    }

    void UpdateCork() {
        bool cork = !(connected && listening && (playing || quiet));
        if (cork == corked) return;
        corked = cork;
        spectrum.Reset();
        if (cork && !lastSilent) Send(Values{});
        if (stream && pa_stream_get_state(stream) == PA_STREAM_READY)
            Unref(pa_stream_cork(stream, cork, nullptr, nullptr));
        else if (stream) {
            // Not connected yet: started again in the state asked for.
            DropStream();
            StartStream();
        }
    }
};

Capture::Capture(std::function<void(const Values&)> frame) : s_(std::make_unique<State>()) {
    s_->frame = std::move(frame);
    s_->loop = pa_threaded_mainloop_new();
    s_->api = pa_threaded_mainloop_get_api(s_->loop);
    pa_threaded_mainloop_set_name(s_->loop, "zelkora-sound");
    pa_threaded_mainloop_start(s_->loop);
}

Capture::~Capture() {
    pa_threaded_mainloop_lock(s_->loop);
    s_->Drop();
    s_->Cancel(s_->retry);
    pa_threaded_mainloop_unlock(s_->loop);
    pa_threaded_mainloop_stop(s_->loop);
    pa_threaded_mainloop_free(s_->loop);
}

void Capture::Set(bool connected, bool listening) {
    pa_threaded_mainloop_lock(s_->loop);
    s_->connected = connected;
    s_->listening = listening;
    if (connected && !s_->context && !s_->retry) s_->Connect();
    if (!connected && s_->context) s_->Drop();
    if (!connected) s_->Cancel(s_->retry);
    s_->UpdateCork();
    pa_threaded_mainloop_unlock(s_->loop);
}

} // namespace host::sound
