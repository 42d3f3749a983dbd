#!/bin/sh
# What a joined windowed client costs under a virtual display: receive calls
# and processor time per frame, resident memory, and the X server's share.
#
#   bench/measure-client.sh [-s SECONDS] [-p DISCOVERY_PORT] ZEB [ZEB...]
#
# Columns, per frame at 45 frames a second: receive calls of all the client's
# threads (recvmsg, recvfrom, recv, read, those that found nothing included);
# waits (poll, select, sleeps, futex); the client's processor time and Xvfb's
# in milliseconds; then the client's resident memory (VmRSS) at the end.
#
# Each program given is measured in turn against one virtual display, so that
# builds compared in one run share the machine's state. Every copy talks over
# loopback only: the host is joined by address and searches 127.255.255.255
# on a discovery port of this run's own.
set -eu

seconds=20
discovery_port=39700
while getopts s:p: option; do
    case $option in
    s) seconds=$OPTARG ;;
    p) discovery_port=$OPTARG ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
[ $# -ge 1 ] || { echo "usage: $0 [-s SECONDS] [-p DISCOVERY_PORT] ZEB [ZEB...]" >&2; exit 2; }
for program in "$@"; do
    [ -x "$program" ] || { echo "$0: $program is not a program" >&2; exit 2; }
done
programs=
for program in "$@"; do programs="$programs $(realpath "$program")"; done
command -v Xvfb >/dev/null || { echo "$0: Xvfb is missing" >&2; exit 2; }
command -v strace >/dev/null || { echo "$0: strace is missing" >&2; exit 2; }

FRAMES_PER_SECOND=45
SETTLE_SECONDS=3
game_port=$((discovery_port + 1))
work=$(mktemp -d)
xvfb_pid=
host_pid=
client_pid=

stop() {
    for pid in $client_pid $host_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    client_pid=
    host_pid=
}
trap 'stop; rm -rf "$work"' EXIT INT TERM

export ZEB_DISCOVERY=127.255.255.255 ZEB_DISCOVERY_PORT="$discovery_port"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_STATE_HOME="$work/state"
export SDL_AUDIODRIVER="${SDL_AUDIODRIVER:-dummy}"

# The display number comes back on a pipe once Xvfb listens.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
read -r display <"$work/display"
export DISPLAY=":$display"

# utime + stime of a process, in clock ticks.
cpu_ticks() { awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }
resident_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
ticks_per_second=$(getconf CLK_TCK)

printf '%-40s %10s %10s %10s %10s %10s\n' program "recv/frame" "wakes/frm" "cpu ms/frm" "X ms/frame" "RSS MiB"
for program in $programs; do
    mkdir -p "$work/host" "$work/client"
    (cd "$work/host" && exec "$program" --server --port "$game_port") >"$work/host.log" 2>&1 &
    host_pid=$!
    sleep 1
    (cd "$work/client" && exec "$program" --connect "127.0.0.1:$game_port" --name measured) \
        >"$work/client.log" 2>&1 &
    client_pid=$!
    sleep "$SETTLE_SECONDS"
    kill -0 "$client_pid" || { echo "$0: the client ended early:" >&2; cat "$work/client.log" >&2; exit 1; }

    # Processor time first, without a tracer slowing the process down.
    client_before=$(cpu_ticks "$client_pid")
    xvfb_before=$(cpu_ticks "$xvfb_pid")
    sleep "$seconds"
    client_after=$(cpu_ticks "$client_pid")
    xvfb_after=$(cpu_ticks "$xvfb_pid")
    rss=$(resident_kib "$client_pid")

    # Then the system calls of every thread, over the same length of time.
    timeout -s INT "$seconds" strace -f -c -o "$work/strace.txt" -p "$client_pid" 2>/dev/null || true
    receives=$(awk '$NF ~ /^(recvmsg|recvfrom|recv|read)$/ { n += $4 } END { print n + 0 }' "$work/strace.txt")
    wakes=$(awk '$NF ~ /^(poll|ppoll|epoll_wait|select|pselect6|nanosleep|clock_nanosleep|futex)$/ { n += $4 }
                 END { print n + 0 }' "$work/strace.txt")

    frames=$((seconds * FRAMES_PER_SECOND))
    awk -v p="$program" -v r="$receives" -v w="$wakes" -v c=$((client_after - client_before)) \
        -v x=$((xvfb_after - xvfb_before)) -v f="$frames" -v t="$ticks_per_second" -v m="$rss" \
        'BEGIN { printf "%-40s %10.1f %10.1f %10.3f %10.3f %10.1f\n", p, r / f, w / f,
                 c * 1000 / t / f, x * 1000 / t / f, m / 1024 }'
    if [ -n "${MEASURE_VERBOSE:-}" ]; then
        head -30 "$work/strace.txt"
        grep -E 'llvm|dri|GL' "/proc/$client_pid/maps" | awk '{ print $6 }' | sort -u || true
    fi
    kill "$client_pid" "$host_pid"
    wait "$client_pid" "$host_pid" 2>/dev/null || true
    client_pid=
    host_pid=
    rm -rf "$work/host" "$work/client"
done
