# Sourced by the sound tests: a PulseAudio server of the test's own, with a
# null output as the default, in $XDG_RUNTIME_DIR (which programs find it
# by), and tones to play into it. Needs $work.
export XDG_RUNTIME_DIR=$work/run
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
sound_server() { # starts it (again), the default output test_sink
  pulseaudio -D -n --exit-idle-time=-1 --log-target=file:"$work/pulse.log" \
    --load=module-native-protocol-unix \
    --load="module-null-sink sink_name=test_sink rate=48000" \
    --load="module-suspend-on-idle timeout=1" 2>>"$work/pulse.log"
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  pactl set-default-sink test_sink
}
sound_server_stop() {
  pactl exit 2>/dev/null || true
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 || break; sleep 0.1; done
}
# A tone of $1 seconds into the default output: 440 Hz on the left, 3 kHz on the right.
tone() {
  [ -f "$work/tone-$1.wav" ] ||
    sox -n -r 48000 -c 2 -b 16 "$work/tone-$1.wav" synth "$1" sine 440 sine 3000 vol 0.5
  paplay --latency-msec=20 "$work/tone-$1.wav"
}
# Whether the desktop's recording stream (the only one) is corked: yes, no,
# or nothing when it has none.
recording_corked() {
  pactl list source-outputs 2>/dev/null | grep -m1 -o 'Corked: [a-z]*' | cut -d' ' -f2 || true
}
