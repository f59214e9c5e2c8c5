#!/usr/bin/env bash
# Compiles the bundled example with the freshly built compiler and shows where the outputs went.
set -u
kavo="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
cd "$(dirname "$0")/../examples"
"$kavo" blink.c
status=$?
echo
echo "kavo exit status: $status"
echo "Outputs in $(pwd):"
for f in blink.pre blink.asm blink.lst blink.obj; do
    [ -e "$f" ] && printf '  %-10s %6d bytes\n' "$f" "$(stat -c %s "$f")"
done
exit 0
