#!/usr/bin/env bash
# The tunnel benchmark against the real programs: builds PuTTY's plink.exe
# (cached in the build tree), puts tunnel_bench.exe beside it, starts the demo
# service, runs the benchmark under Wine and stops everything it started, on
# every way out. Prints the benchmark's "name<TAB>value<TAB>note" lines.
#   bench/run-tunnel-bench.sh WINDOWS_BUILD_DIR [runs [idle seconds]]
# Needs root (the demo service runs its SSH servers in namespaces of their
# own); the demo account gets a new random password per run, which
# tunnel_bench.exe reads from the environment. Needs ports 1234, 4962 and
# 8462 free; while another run holds them it waits, at most 10 minutes. Uses
# $DISPLAY, or an Xvfb of its own when there is none.
set -euo pipefail
if [ $# -lt 1 ]; then
  echo "usage: $0 WINDOWS_BUILD_DIR [runs [idle seconds]]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
shift
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
demo=$here/../tools/demo-service/demo-service.sh
[ -f "$build/bin/tunnel_bench.exe" ] || { echo "run-tunnel-bench: no $build/bin/tunnel_bench.exe" >&2; exit 1; }

"$here/../tools/putty/build-plink.sh" "$build"
bench=$build/tunnelbench
mkdir -p "$bench"
cp "$build/bin/tunnel_bench.exe" "$build/putty/plink.exe" "$bench/"

CORVANE_DEMO_RUN_DIR=$(mktemp -d)
CORVANE_DEMO_USER=${CORVANE_DEMO_USER:-corvane-demo}
CORVANE_DEMO_PASSWORD=$("$demo" new-password)
export CORVANE_DEMO_RUN_DIR CORVANE_DEMO_USER CORVANE_DEMO_PASSWORD
xvfb=
cleanup() {
  "$demo" stop >/dev/null 2>&1 || true
  rm -rf "$CORVANE_DEMO_RUN_DIR"
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The SOCKS port, the demo servers and the web site, all on loopback.
ports_in_use() {
  local endpoint
  for endpoint in 127.0.0.1:1234 127.0.0.1:8462 $(seq -f '127.0.0.%g:4962' 2 14); do
    (exec 3<>"/dev/tcp/${endpoint%:*}/${endpoint#*:}") 2>/dev/null && return 0
  done
  return 1
}
waited=0
while ports_in_use; do
  [ $waited -ge 600 ] && { echo "run-tunnel-bench: ports 1234/4962/8462 still in use after 10 minutes" >&2; exit 1; }
  [ $waited -eq 0 ] && echo "run-tunnel-bench: ports 1234/4962/8462 in use; waiting" >&2
  sleep 5
  waited=$((waited + 5))
done

if [ -z "${DISPLAY:-}" ]; then
  n=120
  while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
  export DISPLAY=:$n
fi

"$demo" start >/dev/null
"$here/../tools/testbench/wine-exec" "$bench/tunnel_bench.exe" "$@" | tr -d '\r'
