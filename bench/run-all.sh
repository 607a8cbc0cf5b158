#!/usr/bin/env bash
# Prints every benchmark of the project in one table: name, value, note.
#   bench/run-all.sh [WINDOWS_BUILD_DIR [NATIVE_BUILD_DIR]]   (default build/windows, build/native)
# Called by ./build.sh bench, which builds both trees and starts the Wine bench
# (a Wine prefix already chosen in WINEPREFIX is kept). Every benchmark prints
# "name<TAB>value<TAB>note" lines; one that fails or is missing gets a row
# that says so and the others still run.
set -euo pipefail
caller_prefix=${WINEPREFIX:-}
source "$(dirname "$0")/../tools/testbench/lib.sh"
[ $# -ge 1 ] && WINDOWS_BUILD=$(cd "$1" && pwd)
[ $# -ge 2 ] && NATIVE_BUILD=$(cd "$2" && pwd)
export WINEPREFIX=${caller_prefix:-$WINEPREFIX}

wine_exec() { "$SOURCE_DIR/tools/testbench/wine-exec" "$@"; }

# bench NAME COMMAND...: the command's table lines; anything else it prints
# goes to stderr, and a failure becomes a row of its own.
bench() {
  local name=$1 output status=0
  shift
  local program=$1
  [ "$program" = wine_exec ] && program=$2
  if [ ! -e "$program" ]; then
    printf '%s\t-\tnot built (%s)\n' "$name" "$program"
    return
  fi
  output=$("$@" 2>/dev/null | tr -d '\r') || status=$?
  printf '%s\n' "$output" | grep -P '\t' || true
  printf '%s\n' "$output" | grep -vP '\t' | grep . >&2 || true
  [ "$status" = 0 ] || printf '%s\tFAILED\texit status %s\n' "$name" "$status"
}

{
  printf 'benchmark\tvalue\tnote\n'
  bench userjs_bench "$NATIVE_BUILD/bench/userjs_bench"
  bench userjs_bench_win wine_exec "$WINDOWS_BUILD/bin/userjs_bench_win.exe"
  bench startup_bench wine_exec "$WINDOWS_BUILD/bin/startup_bench.exe" 15
  # 100 connects and disconnects and 20 switches of the real Corvane.exe against the plink double.
  bench soak_bench "$SOURCE_DIR/bench/run-soak.sh" "$WINDOWS_BUILD"
  # The tunnel costs need the real plink and the demo service: its own script sets them up.
  bench tunnel_bench "$SOURCE_DIR/bench/run-tunnel-bench.sh" "$WINDOWS_BUILD"
} | column -t -s $'\t'
