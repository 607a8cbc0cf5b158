#!/usr/bin/env bash
# Kills the real Corvane.exe at many points of a connect and of a disconnect
# (delays after the click, 0 to 600 ms by default) and checks each time that
# the next start puts the user's settings back. Runs the e2e test
# KilledAtAnyPointTheNextStartRestores, which CI runs at three points only.
#   bench/kill-restore.sh WINDOWS_BUILD_DIR [delays in ms, comma-separated]
# Uses a private Xvfb and the build tree's own Wine prefix and wineserver; it
# binds the SOCKS port 1234, so run it where no other test holds that port.
set -euo pipefail
if [ $# -lt 1 ]; then
  echo "usage: $0 WINDOWS_BUILD_DIR [delays]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
delays=${2:-$(seq -s, 0 30 570)}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
[ -f "$build/bin/e2e_tests.exe" ] || { echo "kill-restore: no $build/bin/e2e_tests.exe" >&2; exit 1; }

exec bash -c '
  source "$1/../tools/testbench/lib.sh"
  export WINEPREFIX="$2/wineprefix"
  start_bench private >/dev/null 2>&1
  cd "$2/bin"
  CORVANE_KILL_POINTS_MS="$3" WINEDEBUG=-all \
    wine e2e_tests.exe --gtest_filter="*KilledAtAnyPointTheNextStartRestores*"
' kill-restore "$here" "$build" "$delays"
