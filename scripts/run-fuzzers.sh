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

status=0
for target in compile_fuzz hex_reader_fuzz symbol_map_fuzz; do
    echo "== $target: $seconds s"
    (cd "$work" && "$build/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$work/findings/$target-" "$work/corpus/$target") || status=1
done
exit $status
