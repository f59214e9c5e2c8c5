#!/usr/bin/env bash
# Compiles the bundled examples with the freshly built compiler and runs each object file the
# compiler produced in the simulator, which prints the program's final state with the variables
# named from the EQU section of the assembly file.
set -u
kavo="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
sxsim="$(dirname "$kavo")/sxsim"
cd "$(dirname "$0")/../examples"
for program in blink table arith16 timer; do
    echo "=== $program.c"
    "$kavo" "$program.c"
    echo "kavo exit status: $?"
    if [ -s "$program.obj" ] && [ -x "$sxsim" ]; then
        # blink never stops by itself: a step limit ends it.
        "$sxsim" "$program.obj" --steps 2000000 --map "$program.asm"
        echo "sxsim exit status: $?"
    fi
    echo
done
exit 0
