#!/usr/bin/env bash
# Prints every benchmark of the project in one table: name, value, note.
# Called by ./build.sh bench, which builds both trees and starts the Wine bench.
set -euo pipefail
source "$(dirname "$0")/../tools/testbench/lib.sh"

run_windows() { "$SOURCE_DIR/tools/testbench/wine-exec" "$WINDOWS_BUILD/bin/$1" "${@:2}" 2>/dev/null | tr -d '\r'; }

{
  printf 'benchmark\tvalue\tnote\n'
  "$NATIVE_BUILD/bench/userjs_bench"
  run_windows userjs_bench_win.exe
  run_windows startup_bench.exe 15
  [ -x "$WINDOWS_BUILD/bin/tunnel_bench.exe" ] && run_windows tunnel_bench.exe
} | column -t -s $'\t'
