#!/usr/bin/env bash
# A private sound server for the tests, reachable only through its own socket, with everything it
# keeps inside one folder:
#   va_null, va_null2   null sinks (what is played to them comes back on their monitor sources);
#                       without rewinds, with which this server's null sink stalls its streams
#   va_pipe             a stereo 16-bit 44100 Hz source that plays what is written into the FIFO
#                       "pipe-source" beside the socket (the tests' microphone)
#   va_mono             a one-channel source of silence
# Defaults: va_null and va_pipe. Works as root too.
#
#   pulse-server.sh start <folder> <socket>   start it; fails with the reason when it cannot
#   pulse-server.sh stop <folder>             stop the one started in <folder>
set -u

usage() {
    echo "usage: $0 start <folder> <socket> | stop <folder>" >&2
    exit 2
}

# Running, not only a zombie waiting for a parent that may never reap it.
alive() {
    local state
    state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

stop_server() {
    local dir=$1 pid
    [ -f "$dir/pid" ] || return 0
    pid=$(cat "$dir/pid")
    rm -f "$dir/pid"
    # Only our daemon: the pid may have been reused since.
    if [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = pulseaudio ]; then
        kill -TERM "$pid" 2>/dev/null
        for _ in $(seq 50); do
            alive "$pid" || return 0
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null
    fi
    return 0
}

fail() {
    echo "pulse-server: $*" >&2
    if [ -f "$dir/server.log" ]; then
        echo "--- server log ---" >&2
        tail -n 30 "$dir/server.log" >&2
    fi
    stop_server "$dir"
    exit 1
}

[ $# -ge 2 ] || usage
cmd=$1
dir=$2

case "$cmd" in
stop)
    stop_server "$dir"
    exit 0
    ;;
start)
    [ $# -eq 3 ] || usage
    socket=$3
    ;;
*)
    usage
    ;;
esac

command -v pulseaudio >/dev/null || { echo "pulse-server: pulseaudio is not installed (Debian package pulseaudio)" >&2; exit 1; }
command -v pactl >/dev/null || { echo "pulse-server: pactl is not installed (Debian package pulseaudio-utils)" >&2; exit 1; }

stop_server "$dir"
socketdir=$(dirname "$socket")
fifo=$socketdir/pipe-source
rm -rf "$dir/home" "$dir/runtime" "$dir/state" "$dir/server.log"
mkdir -p "$dir/home" "$dir/runtime" "$dir/state" "$socketdir" || fail "cannot make the folders in $dir"
chmod 700 "$dir/runtime"
# The pipe source makes its FIFO itself and refuses one that exists.
rm -f "$socket" "$fifo"

(
    unset PULSE_SERVER PULSE_SINK PULSE_SOURCE DBUS_SESSION_BUS_ADDRESS
    export HOME=$dir/home XDG_CONFIG_HOME=$dir/home/.config XDG_RUNTIME_DIR=$dir/runtime
    export PULSE_RUNTIME_PATH=$dir/runtime PULSE_STATE_PATH=$dir/state
    exec setsid pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --system=no \
        --realtime=no --high-priority=no --disallow-module-loading=no \
        --log-target="file:$dir/server.log" --log-level=notice \
        -L "module-native-protocol-unix socket=$socket auth-anonymous=1" \
        -L "module-null-sink sink_name=va_null norewinds=1 sink_properties=device.description=Test_Output_A" \
        -L "module-null-sink sink_name=va_null2 norewinds=1 sink_properties=device.description=Test_Output_B" \
        -L "module-pipe-source source_name=va_pipe file=$fifo format=s16le rate=44100 channels=2 source_properties=device.description=Test_Microphone" \
        -L "module-null-source source_name=va_mono channels=1 description=Test_Mono"
) </dev/null >"$dir/server.out" 2>&1 &
echo $! >"$dir/pid"

export PULSE_SERVER=unix:$socket
for _ in $(seq 100); do
    alive "$(cat "$dir/pid")" || { cat "$dir/server.out" >&2; fail "the server stopped while starting"; }
    if timeout 2 pactl info >/dev/null 2>&1; then
        timeout 2 pactl set-default-sink va_null && timeout 2 pactl set-default-source va_pipe \
            || fail "cannot set the default devices"
        echo "pulse-server: running, PULSE_SERVER=$PULSE_SERVER"
        exit 0
    fi
    sleep 0.1
done
fail "the server did not answer within 10 seconds"
