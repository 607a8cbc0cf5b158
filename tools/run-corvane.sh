#!/usr/bin/env bash
# Starts Corvane.exe under Wine; ./build.sh run calls it once the Wine bench is up.
# On the user's display it runs until the user exits it. On the private Xvfb
# (no display) it shows the main window, saves a screenshot and ends.
set -euo pipefail
source "$(dirname "$0")/testbench/lib.sh"
exe=$1
bin=$(dirname "$exe")
wine_exec() { "$SOURCE_DIR/tools/testbench/wine-exec" "$@"; }

if [ -z "${CORVANE_PRIVATE_DISPLAY:-}" ]; then
  log "starting Corvane on $DISPLAY"
  wine_exec "$exe"
  exit 0
fi

shots=$WINDOWS_BUILD/screenshots
mkdir -p "$shots"
log "starting Corvane on the private display $DISPLAY"
wine_exec "$exe" &
corvane=$!
wine_exec "$bin/driver.exe" wait "Corvane v.3.00" 20000 >/dev/null
wine_exec "$bin/driver.exe" screenshot "$(winepath -w "$shots/corvane.bmp" 2>/dev/null)" >/dev/null
convert "$shots/corvane.bmp" "$shots/corvane.png" && rm -f "$shots/corvane.bmp"
log "screenshot: $shots/corvane.png"
wine_exec "$bin/driver.exe" command "Corvane v.3.00" 32823 >/dev/null
wait "$corvane" || true
