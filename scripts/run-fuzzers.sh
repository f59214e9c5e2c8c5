#!/usr/bin/env bash
# Runs each libFuzzer target of the fuzz build for a set time, from a corpus seeded with the
# sources and HEX files the repository holds. Findings are written to BUILD/fuzz/findings.
# Usage: run-fuzzers.sh BUILD_DIR SECONDS_PER_TARGET
set -euo pipefail
build=$(cd "${1:?build directory}" && pwd)
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
work="$build/fuzz"
mkdir -p "$work/findings"
# Targets of the file readers write each input into a fresh directory: on a memory file
# system that takes microseconds instead of milliseconds, and the runs go that much faster.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi

seed() { # target, files...
    local corpus="$work/corpus/$1"
    shift
    mkdir -p "$corpus"
    for f in "$@"; do [ -f "$f" ] && cp "$f" "$corpus/" || true; done
}
seed compile_fuzz "$root"/tests/e2e/cases/*/*.c "$root"/tests/e2e/cases/*/*.h "$root"/examples/*.c
seed hex_reader_fuzz $(find "$root/tests" -name '*.hex' -o -name '*.obj' | head -50)
printf ':020000000A0CE8\n:00000001FF\n' > "$work/corpus/hex_reader_fuzz/minimal.hex"
seed symbol_map_fuzz
printf '<memory table>\n; NAME ADDR SIZE SCOPE\ncounter 16 1 {GLOBAL}\n<pc map>\n' \
    > "$work/corpus/symbol_map_fuzz/map.txt"
printf 'total EQU 8 ; Bank 1 (40)\nflags EQU 12\n' > "$work/corpus/symbol_map_fuzz/equ.txt"

seed preprocessor_fuzz "$root"/tests/e2e/cases/*/*.c
printf '#define N 3\n#include "1.h"\n#ifdef ONE\nint a = N;\n#endif\n#loadasm 2.h\n----\n#define ONE\n#include "1.h"\n----\n mov w, #1\n' \
    > "$work/corpus/preprocessor_fuzz/includes.c"
seed config_file_fuzz
printf 'OBJ_EXTENSION hex\nINCLUDE_DIR inc/\nMAP_DIR map\nASM_FORMAT 1\nbad line here\n' \
    > "$work/corpus/config_file_fuzz/kavoconf.cfg"
seed vp_loader_fuzz $(find "$root/tests" -name '*.hex' | head -20)
printf ':020000000A0CE8\n:04001000FF0F0100DB\n:00000001FF\n' > "$work/corpus/vp_loader_fuzz/vp.hex"
seed object_file_fuzz $(find "$root/tests" -name '*.hex' -o -name '*.sxh' | head -20)
printf ':020000000A0CE8\n:021FE000FF0FF9\n:00000001FF\n' > "$work/corpus/object_file_fuzz/prog.sxh"
seed ide_settings_fuzz
printf 'OBJ_EXTENSION sxh\nSRC_DIR c:\\src\\\nSERIAL_PORT 2\nPARALLEL_PORT 3\nOSC_SPEED 4\n' \
    > "$work/corpus/ide_settings_fuzz/LUMADESK.CFG"
seed debugger_files_fuzz "$root"/tests/e2e/cases/*/expected/*.lst
printf 'BRK 0 12 1\nBRK 255 40 0\nBRK 300 1 1\n<pc map>\n0 3 prog.c\n5 4 lib.h\n' \
    > "$work/corpus/debugger_files_fuzz/project.dbp"

targets="compile_fuzz hex_reader_fuzz symbol_map_fuzz preprocessor_fuzz config_file_fuzz
    vp_loader_fuzz object_file_fuzz ide_settings_fuzz debugger_files_fuzz"
status=0
for target in $targets; do
    echo "== $target: $seconds s"
    (cd "$work" && "$build/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$work/findings/$target-" "$work/corpus/$target") || status=1
done
exit $status
