#!/bin/sh
# A Linux and a Windows copy (under Wine) in one game, on loopback only.
# Usage: crosscheck.sh linux-host|windows-host|discovery LINUX_ZEB WINDOWS_ZEB DISCOVERY_PORT FOLDER
#   linux-host    a Linux dedicated host; a Windows bot joins it and scores
#   windows-host  a Windows dedicated host; a Linux bot joins it and scores
#   discovery     each system's --status finds the other's host
#   operator      a Windows dedicated host takes a line typed on its standard input
#                 (LINUX_ZEB is not used)
#   window        the Windows game in a real window, as on a PC: Wine's own driver on a
#                 virtual X display, DISPLAY removed inside the Windows environment and no
#                 SDL variable set; it joins a Linux dedicated host and draws the field
# Every wait is bounded; every program started is stopped at the end.
set -u
CHECK=$1 LINUX=$2 WINDOWS=$3 PORT=$4 FOLDER=$5
WINE=${ZEB_WINE:-/usr/lib/wine/wine64}
WAIT_SECONDS=${ZEB_CROSS_WAIT:-60}
export ZEB_DISCOVERY=127.255.255.255 ZEB_DISCOVERY_PORT="$PORT"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY

rm -rf "$FOLDER"
mkdir -p "$FOLDER/linux" "$FOLDER/windows"
STARTED=""

WINDOW_PREFIX=""
stop_all() {
    [ -z "$WINDOW_PREFIX" ] || WINEPREFIX=$WINDOW_PREFIX wineserver -k 2>/dev/null
    for pid in $STARTED; do kill -TERM "$pid" 2>/dev/null; done
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        alive=""
        for pid in $STARTED; do kill -0 "$pid" 2>/dev/null && alive="$alive $pid"; done
        [ -z "$alive" ] && return
        sleep 0.5
    done
    for pid in $STARTED; do kill -KILL "$pid" 2>/dev/null; done
}
trap stop_all EXIT

# start SIDE LOG ARGS...: runs one copy in its side's folder, in the background.
start() {
    side=$1 log=$2
    shift 2
    if [ "$side" = linux ]; then
        (cd "$FOLDER/linux" && exec "$LINUX" "$@") >"$FOLDER/$log" 2>&1 &
    else
        (cd "$FOLDER/windows" && exec "$WINE" "$WINDOWS" "$@") >"$FOLDER/$log" 2>&1 &
    fi
    STARTED="$STARTED $!"
}

# wait_for LOG PATTERN: until the log shows the pattern, within the bound.
wait_for() {
    deadline=$(($(date +%s) + WAIT_SECONDS))
    while ! grep -q "$2" "$FOLDER/$1" 2>/dev/null; do
        if [ "$(date +%s)" -ge "$deadline" ]; then
            echo "no \"$2\" in $1 within $WAIT_SECONDS s:" >&2
            cat "$FOLDER"/*.log >&2
            exit 1
        fi
        sleep 0.2
    done
}

game_port() { # the port a host's log says it took
    sed -n 's/.* on port \([0-9]*\);.*/\1/p' "$FOLDER/$1" | head -n 1
}

# host SIDE: a dedicated host of that side; when its port is taken it takes
# another, and its log says which.
host() {
    start "$1" host.log --server --port $((PORT + 1000)) --session-name "Host on $1"
    wait_for host.log "hosting"
}

status_finds() { # SIDE NAME: that side's --status lists the named host
    start "$1" "status-$1.log" --status
    wait_for "status-$1.log" "$2"
}

# window_game NAME ARGS...: the Windows game started from a Windows command line
# whose environment has neither DISPLAY nor any SDL variable, on a virtual X
# display of its own; XVFB is that server's process.
window_game() {
    name=$1
    shift
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$FOLDER/display" >"$FOLDER/xvfb.log" 2>&1 &
    STARTED="$STARTED $!"
    deadline=$(($(date +%s) + WAIT_SECONDS))
    until [ -s "$FOLDER/display" ]; do
        [ "$(date +%s)" -lt "$deadline" ] || { echo "Xvfb did not start" >&2; exit 1; }
        sleep 0.1
    done
    export DISPLAY=":$(cat "$FOLDER/display")"
    until xdotool getdisplaygeometry >/dev/null 2>&1; do
        [ "$(date +%s)" -lt "$deadline" ] || { echo "Xvfb on $DISPLAY does not answer" >&2; exit 1; }
        sleep 0.1
    done
    unset SDL_VIDEODRIVER SDL_AUDIODRIVER
    # A Wine session of its own: the shared one's desktop was started without
    # a display, and every window of that session would be refused.
    export WINEPREFIX="${WINEPREFIX:-$HOME/.wine}-window"
    WINDOW_PREFIX=$WINEPREFIX
    "$WINE" cmd /c exit >/dev/null 2>&1
    program=$(winepath -w "$WINDOWS")
    (cd "$FOLDER/windows" &&
        exec "$WINE" cmd /c "set DISPLAY=&& set SDL_VIDEODRIVER=&& set SDL_AUDIODRIVER=&& $program $*") \
        >"$FOLDER/$name.log" 2>&1 &
    STARTED="$STARTED $!"
}

case $CHECK in
window)
    host linux
    window_game game --connect "127.0.0.1:$(game_port host.log)" --name Winnie --frames 400 \
        --screenshot field.png
    # A window of the game on the X display, not the headless driver's nothing.
    window=$(timeout "$WAIT_SECONDS" xdotool search --sync --limit 1 --name "^ZEB")
    [ -n "$window" ] || { echo "no ZEB window on the display" >&2; cat "$FOLDER"/*.log >&2; exit 1; }
    wait_for host.log "joined as Winnie"
    deadline=$(($(date +%s) + WAIT_SECONDS))
    until [ -s "$FOLDER/windows/field.png" ]; do
        [ "$(date +%s)" -lt "$deadline" ] || { echo "no screenshot" >&2; cat "$FOLDER"/*.log >&2; exit 1; }
        sleep 0.2
    done
    echo "the Windows game opened window $window, joined as Winnie and drew the field:"
    ls -l "$FOLDER/windows/field.png"
    ;;
linux-host | windows-host)
    hostside=${CHECK%-host}
    botside=windows
    [ "$hostside" = windows ] && botside=linux
    host "$hostside"
    start "$botside" bot.log --bot --connect "127.0.0.1:$(game_port host.log)"
    wait_for host.log "Player [0-9]* joined"
    wait_for bot.log "ZEB bot [0-9]* (.*): score"
    echo "$botside bot scored in the game of a $hostside host:"
    grep "score" "$FOLDER/bot.log" | head -n 3
    ;;
discovery)
    host linux
    status_finds windows "Host on linux"
    stop_all
    STARTED=""
    host windows
    status_finds linux "Host on windows"
    echo "each system's search found the other's host"
    ;;
operator)
    mkfifo "$FOLDER/operator"
    (cd "$FOLDER/windows" && exec "$WINE" "$WINDOWS" --server --port $((PORT + 1000)) <"$FOLDER/operator") \
        >"$FOLDER/host.log" 2>&1 &
    STARTED="$STARTED $!"
    exec 3>"$FOLDER/operator"
    wait_for host.log "hosting"
    echo "typed on the console" >&3
    wait_for host.log "Host: typed on the console"
    exec 3>&-
    echo "the Windows host took its operator's line"
    ;;
*)
    echo "unknown check $CHECK" >&2
    exit 2
    ;;
esac
