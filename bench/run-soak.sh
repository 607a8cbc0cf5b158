#!/usr/bin/env bash
# The soak: soak_bench.exe drives the real Corvane.exe from outside through
# 100 connects and disconnects and 20 switches against the plink double, under
# Wine. Prints one line per 10 cycles, then its "name<TAB>value<TAB>note" rows.
#   bench/run-soak.sh WINDOWS_BUILD_DIR [cycles [switches]]
# Uses the Wine bench already chosen (WINEPREFIX, DISPLAY) or starts the build
# tree's own. Port 1234 must be free: the double listens there.
set -euo pipefail
if [ $# -lt 1 ]; then
  echo "usage: $0 WINDOWS_BUILD_DIR [cycles [switches]]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
shift
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
[ -f "$build/bin/soak_bench.exe" ] || { echo "run-soak: no $build/bin/soak_bench.exe" >&2; exit 1; }
if [ -z "${WINEPREFIX:-}" ] || [ -z "${DISPLAY:-}" ]; then
  source "$here/../tools/testbench/lib.sh"
  export WINEPREFIX=$build/wineprefix
  start_bench private
fi
"$here/../tools/testbench/wine-exec" "$build/bin/soak_bench.exe" "$@" | tr -d '\r'
