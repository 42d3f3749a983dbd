#!/bin/sh
# What a Windows player downloads, under Wine.
# Usage: packagecheck.sh zip ZIP FOLDER | installer SETUP FOLDER
#   zip        the unpacked folder runs from any working folder: it finds its
#              level and face beside itself, draws frames and logs in %LOCALAPPDATA%
#   installer  a silent install puts the program and its Start menu entry in
#              place, the installed program runs, a silent uninstall removes them
set -u
CHECK=$1 PACKAGE=$2 FOLDER=$3
WINE=${ZEB_WINE:-/usr/lib/wine/wine64}
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
rm -rf "$FOLDER"
mkdir -p "$FOLDER/elsewhere"

fail() {
    echo "$*" >&2
    exit 1
}

# The Windows name Wine gives a Linux path (the Z: drive is the root).
windows_path() {
    printf 'Z:%s' "$1" | tr / '\\'
}

# Bounded wait for a file to be gone.
wait_gone() {
    for _ in $(seq 1 100); do
        [ -e "$1" ] || return 0
        sleep 0.2
    done
    fail "$1 is still there"
}

case $CHECK in
zip)
    unzip -q "$PACKAGE" -d "$FOLDER" || fail "cannot unpack $PACKAGE"
    program=$(ls "$FOLDER"/*/zeb.exe) || fail "no zeb.exe in $PACKAGE"
    for file in README.txt LiberationSans-Regular.ttf LiberationSans-LICENSE.txt wqy-microhei.ttc \
        WenQuanYi-LICENSE.txt qrencode-LICENSE.txt level_0.xml blast_astroid.wav blast_bullet.wav blast_player.wav \
        locale/de/LC_MESSAGES/zeb.mo locale/zh_CN/LC_MESSAGES/zeb.mo; do
        [ -s "$(dirname "$program")/$file" ] || fail "$PACKAGE lacks $file"
    done
    cd "$FOLDER/elsewhere" || exit 1
    rm -f "$WINEPREFIX"/drive_c/users/*/AppData/Local/zeb/message_log.csv
    timeout 60 "$WINE" "$program" --log --port "$((ZEB_DISCOVERY_PORT + 1000))" --frames 30 --screenshot shot.png \
        || fail "the unpacked program failed"
    [ -s shot.png ] || fail "no frame was saved"
    # Asked for, the message log goes to the user's local data folder, not the working one.
    log=$(ls "$WINEPREFIX"/drive_c/users/*/AppData/Local/zeb/message_log.csv 2>/dev/null | head -n 1)
    [ -n "$log" ] || fail "no message log in %LOCALAPPDATA%\\zeb"
    [ ! -e message_log.csv ] || fail "the message log went to the working folder"
    echo "the unpacked program drew its frames from another working folder"
    ;;
installer)
    target="$FOLDER/ZEB"
    menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/ZEB"
    timeout 120 "$WINE" "$PACKAGE" /S "/D=$(windows_path "$target")" || fail "the installer failed"
    for file in zeb.exe Uninstall.exe level_0.xml LiberationSans-Regular.ttf wqy-microhei.ttc \
        locale/ru/LC_MESSAGES/zeb.mo; do
        [ -s "$target/$file" ] || fail "the installer left out $file"
    done
    [ -e "$menu/ZEB.lnk" ] || fail "no Start menu entry"
    timeout 60 "$WINE" "$target/zeb.exe" --version | grep -q "ZEB Version" || fail "the installed program does not run"
    # The uninstaller copies itself away and goes on in the background.
    timeout 120 "$WINE" "$target/Uninstall.exe" /S || fail "the uninstaller failed"
    wait_gone "$target/zeb.exe"
    wait_gone "$menu/ZEB.lnk"
    echo "installed, ran and uninstalled"
    ;;
*)
    fail "unknown check $CHECK"
    ;;
esac
