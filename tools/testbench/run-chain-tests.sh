#!/usr/bin/env bash
# The tunnel engine against the real programs: builds PuTTY's plink.exe from
# Debian's source (cached in the build tree), starts the demo service (with a
# server of another host key on row 12's address), runs chain_tests.exe and
# then gui_chain_tests.exe (the real Corvane.exe driven through its windows)
# beside the real plink, and stops everything it started, also on failure.
# Fails when either fails.
#   run-chain-tests.sh WINDOWS_BUILD_DIR [gtest arguments for chain_tests]
# The test asks for actions on the servers by writing <action>.request into
# $CORVANE_CHAIN_CONTROL; this script carries them out and removes the file.
# The test programs read the demo account from CORVANE_DEMO_USER and
# CORVANE_DEMO_PASSWORD (a new random password per run). Around the tests
# check-demo-service.sh checks that the account exists for the demo servers
# only and that stop leaves nothing behind.
set -euo pipefail
build=$(cd "$1" && pwd)
shift
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
demo=$here/../demo-service/demo-service.sh
other_key_address=127.0.0.14

"$here/../putty/build-plink.sh" "$build"
chain=$build/chain
mkdir -p "$chain"
cp "$build/bin/chain_tests.exe" "$build/bin/gui_chain_tests.exe" "$build/bin/Corvane.exe" \
   "$build/putty/plink.exe" "$chain/"

CORVANE_DEMO_RUN_DIR=$(mktemp -d)
CORVANE_DEMO_USER=${CORVANE_DEMO_USER:-corvane-demo}
CORVANE_DEMO_PASSWORD=$("$demo" new-password)
CORVANE_CHAIN_CONTROL=$(mktemp -d)
export CORVANE_DEMO_RUN_DIR CORVANE_DEMO_USER CORVANE_DEMO_PASSWORD CORVANE_CHAIN_CONTROL
watcher=
cleanup() {
  [ -n "$watcher" ] && kill "$watcher" 2>/dev/null
  "$demo" stop >/dev/null 2>&1 || true
  rm -rf "$CORVANE_CHAIN_CONTROL" "$CORVANE_DEMO_RUN_DIR"
}
trap cleanup EXIT

start_service() { "$demo" start --other-key "$other_key_address" >/dev/null; }
stop_ssh() {
  local file pid
  for file in "$CORVANE_DEMO_RUN_DIR"/sshd-*.pid; do
    pid=$(cat "$file" 2>/dev/null) || continue
    pkill -P "$pid" 2>/dev/null || true
    kill "$pid" 2>/dev/null || true
  done
}

status=0
"$here/check-demo-service.sh" refusals || status=1
start_service
"$here/check-demo-service.sh" running || status=1
(
  while sleep 0.1; do
    for request in "$CORVANE_CHAIN_CONTROL"/*.request; do
      [ -e "$request" ] || continue
      case $(basename "$request" .request) in
        kill-sessions) "$demo" kill-sessions >/dev/null ;;
        stop-ssh) stop_ssh ;;
        start-ssh) "$demo" stop >/dev/null 2>&1; start_service ;;
      esac
      rm -f "$request"
    done
  done
) &
watcher=$!

"$here/wine-exec" "$chain/chain_tests.exe" "$@" || status=$?
"$here/wine-exec" "$chain/gui_chain_tests.exe" || status=$?
kill "$watcher" 2>/dev/null; wait "$watcher" 2>/dev/null || true; watcher=
"$here/check-demo-service.sh" stop || status=1
exit "$status"
