#!/usr/bin/env bash
# Starts Corvane.exe under Wine against the local demo service; ./build.sh run
# calls it once the Wine bench is up.
#   run-corvane.sh PATH/TO/bin/Corvane.exe
# Brings the demo service up first (OpenSSH on the demo addresses, the demo web
# pages; loopback only) and takes it down when Corvane ends, also on failure.
# Corvane runs from <build>/demo/ beside PuTTY's real plink.exe, built from
# Debian's PuTTY source on the first run. On the user's display it runs until
# the user exits it; on the private Xvfb it shows the main window, saves a
# screenshot and ends.
set -euo pipefail
source "$(dirname "$0")/testbench/lib.sh"

if [ $# -ne 1 ] || [ ! -f "$1" ]; then
  echo "usage: $0 PATH/TO/Corvane.exe (built first)" >&2
  exit 2
fi
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
bin=$(dirname "$exe")
build=$(dirname "$bin")
demo_service=$SOURCE_DIR/tools/demo-service/demo-service.sh
wine_exec() { "$SOURCE_DIR/tools/testbench/wine-exec" "$@"; }

log "PuTTY's plink.exe (built once from Debian's source, about two minutes)"
"$SOURCE_DIR/tools/putty/build-plink.sh" "$build"
demo=$build/demo
mkdir -p "$demo"
cp "$exe" "$build/putty/plink.exe" "$build/putty/LICENCE" "$demo/"

log "starting the demo service (loopback only)"
demo_stop() { as_root "$demo_service" stop >/dev/null 2>&1 || true; }
trap demo_stop EXIT
# The account exists only inside the demo SSH servers, with a new random
# password on every start; start prints both.
account=$(as_root "$demo_service" start)
cat >&2 <<EOF

  Demo account for Corvane (a new password on every run; it works only with the
  demo service while this run lasts):
$(sed 's/^/    /' <<<"$account")
  Type them in, press Connect: the SOCKS proxy then answers on localhost:1234.

EOF

if [ -z "${CORVANE_PRIVATE_DISPLAY:-}" ]; then
  log "starting Corvane on $DISPLAY (the demo service stops when it ends)"
  wine_exec "$demo/Corvane.exe"
  exit 0
fi

shots=$build/screenshots
mkdir -p "$shots"
log "starting Corvane on the private display $DISPLAY"
wine_exec "$demo/Corvane.exe" &
corvane=$!
wine_exec "$bin/driver.exe" wait "Corvane v.3.00" 20000 >/dev/null
wine_exec "$bin/driver.exe" screenshot "$(winepath -w "$shots/corvane.bmp" 2>/dev/null)" >/dev/null
convert "$shots/corvane.bmp" "$shots/corvane.png" && rm -f "$shots/corvane.bmp"
log "screenshot: $shots/corvane.png"
wine_exec "$bin/driver.exe" command "Corvane v.3.00" 32823 >/dev/null
wait "$corvane" || true
