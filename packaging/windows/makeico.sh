#!/bin/sh
# Writes a Windows icon file holding PNG images, one entry each (the form
# Windows reads since Vista). Usage: makeico.sh OUT.ico SIZE:IMAGE.png...
set -eu
out=$1
shift

# The value as little-endian bytes, written raw.
le() { # value byte-count
    v=$1 n=$2 bytes=""
    while [ "$n" -gt 0 ]; do
        bytes="$bytes\\$(printf '%03o' $((v & 255)))"
        v=$((v >> 8))
        n=$((n - 1))
    done
    printf "$bytes"
}

{
    le 0 2; le 1 2; le $# 2 # reserved, type icon, image count
    offset=$((6 + 16 * $#))
    for entry; do
        size=${entry%%:*} image=${entry#*:}
        length=$(wc -c <"$image")
        [ "$size" -ge 256 ] && size=0 # 0 stands for 256
        le "$size" 1; le "$size" 1; le 0 1; le 0 1 # width, height, palette, reserved
        le 1 2; le 32 2; le "$length" 4; le "$offset" 4 # planes, bits, bytes, where
        offset=$((offset + length))
    done
    for entry; do cat "${entry#*:}"; done
} >"$out"
