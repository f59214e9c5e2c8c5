#!/usr/bin/env bash
# Compiles the bundled examples with the freshly built compiler in a scratch copy of examples/
# and runs each object file the compiler produced in the simulator, which prints the program's
# final state with the variables named (and sized) from the compiler's map file.
set -u
kavo="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
sxsim="$(dirname "$kavo")/sxsim"
examples="$(cd "$(dirname "$0")/../examples" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$examples"/*.c "$examples"/*.h "$work"/
cd "$work"
# -f reads this file: the map file goes beside the sources, the object file keeps .obj.
printf 'MAP_DIR .\nOBJ_EXTENSION obj\n' > kavoconf.cfg
for program in blink table arith16 timer; do
    echo "=== $program.c"
    "$kavo" -f x "$program.c"
    echo "kavo exit status: $?"
    if [ -s "$program.obj" ] && [ -x "$sxsim" ]; then
        # blink never stops by itself: a step limit ends it.
        "$sxsim" "$program.obj" --steps 2000000 --map "$program.map"
        echo "sxsim exit status: $?"
    fi
    echo
done
exit 0
