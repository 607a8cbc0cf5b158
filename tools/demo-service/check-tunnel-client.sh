#!/usr/bin/env bash
# Checks a tunnel client under Wine against the demo service, as Corvane uses
# it: PuTTY's plink.exe (real) or the test double (double).
#   check-tunnel-client.sh real|double PLINK_EXE
# Runs in $WINEPREFIX (an existing prefix), starts the demo service with a
# server of another host key on 127.0.0.14 and stops it again. Prints each check
# and the time from the client's start to its first SOCKS success. The demo
# account is CORVANE_DEMO_USER / CORVANE_DEMO_PASSWORD when set, else
# corvane-demo with a new random password.
set -euo pipefail

[ $# -eq 2 ] && [[ $1 == real || $1 == double ]] || {
  echo "usage: $0 real|double PLINK_EXE" >&2; exit 2; }
mode=$1
: "${WINEPREFIX:?set WINEPREFIX to an existing Wine prefix}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
pinned_host=127.0.0.2
other_host=127.0.0.14
key=$(sed -n 's/^set(CORVANE_HOST_KEY "\(.*\)")$/\1/p' "$here/../../cmake/profiles/demo.cmake")
[ -n "${CORVANE_DEMO_RUN_DIR:-}" ] || CORVANE_DEMO_RUN_DIR=$(mktemp -d)
[ -n "${CORVANE_DEMO_PASSWORD:-}" ] || CORVANE_DEMO_PASSWORD=$("$here/demo-service.sh" new-password)
CORVANE_DEMO_USER=${CORVANE_DEMO_USER:-corvane-demo}
export CORVANE_DEMO_RUN_DIR CORVANE_DEMO_USER CORVANE_DEMO_PASSWORD
run_dir=$CORVANE_DEMO_RUN_DIR
password=$CORVANE_DEMO_PASSWORD
if [ "$mode" = real ]; then
  up_user=$CORVANE_DEMO_USER; deny_user=$up_user; deny_password=wrong-pass
  other_user=$up_user; other_target=$other_host
else
  # The double's scenarios are named by the user name; its "otherkey" server
  # shows a key other than the pinned one on any address.
  up_user=stay; deny_user=deny; deny_password=x; other_user=otherkey; other_target=$pinned_host
fi

work=$(mktemp -d /tmp/check-tunnel-client.XXXXXX)
cp "$2" "$work/plink.exe"
client_pid=
cleanup() {
  if [ -n "$client_pid" ]; then kill "$client_pid" 2>/dev/null || true; wait "$client_pid" 2>/dev/null || true; fi
  "$here/demo-service.sh" stop
  rm -rf "$work"
  rmdir "$run_dir" 2>/dev/null || true  # when start refused to begin
}
trap cleanup EXIT
"$here/demo-service.sh" start --other-key "$other_host" >/dev/null

passed=0 failed=0
check() { # check NAME COMMAND...
  if "${@:2}"; then echo "ok   $1"; passed=$((passed + 1)); else echo "FAIL $1"; failed=$((failed + 1)); fi
}
seed() {
  wine reg add 'HKCU\Software\SimonTatham\PuTTY\SshHostKeys' /v "rsa2@4962:$1" /t REG_SZ /d "$key" /f >/dev/null
}
# As Corvane gives it: the password in a file (-pwfile), never on the command line.
plink_args() {
  local file
  file=$(mktemp "$work/password.XXXXXX")
  printf '%s\n' "$2" >"$file"
  echo "-ssh -load Corvane-Tunnel -noagent -D 1234 -P 4962 -l $1 -pwfile $(winepath -w "$file" 2>/dev/null) $1@$3"
}
now_ms() { date +%s%3N; }
socks_get() {
  curl -s --max-time 2 --socks5-hostname 127.0.0.1:1234 "http://127.0.0.1:8462/$1"
}
accepted_on_other() { grep -q "Accepted password" "$run_dir/sshd-other.log"; }

printf '\r\n' >"$work/crlf.in"
printf ' \0 \0 ' >"$work/five.in"
seed "$pinned_host"
seed "$other_host"
wine cmd /c exit 0 >/dev/null 2>&1

# 1. Up: SOCKS on 1234 reaches the local web server.
start_ms=$(now_ms)
wine "$work/plink.exe" $(plink_args "$up_user" "$password" "$pinned_host") \
  <"$work/crlf.in" >"$work/up.out" 2>"$work/up.err" &
client_pid=$!
socks_ok=false
for _ in $(seq 300); do
  if socks_get socks-destination.html | grep -q CORVANE-SOCKS-DESTINATION; then socks_ok=true; break; fi
  kill -0 "$client_pid" 2>/dev/null || break
  sleep 0.1
done
first_socks_ms=$(( $(now_ms) - start_ms ))
check "SOCKS through the tunnel reaches the web server" $socks_ok
check "the client is still running" kill -0 "$client_pid"
check "IP_address.html through the tunnel" eval 'socks_get IP_address.html | grep -q CORVANE-IP-ADDRESS-PAGE'
kill "$client_pid"; wait "$client_pid" 2>/dev/null || true; client_pid=
echo "     first SOCKS success ${first_socks_ms} ms after the client's start"

# 2. Wrong password: "Access denied", exit 1.
set +e
wine "$work/plink.exe" $(plink_args "$deny_user" "$deny_password" "$pinned_host") \
  <"$work/crlf.in" >/dev/null 2>"$work/deny.err"
deny_code=$?
# 3. A server with another key and CR LF as input: abandoned before any login.
wine "$work/plink.exe" $(plink_args "$other_user" "$password" "$other_target") \
  <"$work/crlf.in" >/dev/null 2>"$work/other.err"
other_code=$?
set -e
check "wrong password: exit code 1" test "$deny_code" = 1
check "wrong password: Access denied" grep -q "Access denied" "$work/deny.err"
check "other host key with CR LF: exit code 0" test "$other_code" = 0
check "other host key with CR LF: the question" grep -q 'enter "y"' "$work/other.err"
check "other host key with CR LF: Connection abandoned." grep -q "Connection abandoned\." "$work/other.err"
if [ "$mode" = real ]; then
  check "other host key with CR LF: no password reached the server" eval '! accepted_on_other'
else
  check "other host key with CR LF: recorded as abandoned" \
    grep -q "answer=abandoned" "$work/plink-double.log"
fi

# 4. Why the input is CR LF: the five bytes 20 00 20 00 20 accept any key once.
wine "$work/plink.exe" $(plink_args "$other_user" "$password" "$other_target") \
  <"$work/five.in" >/dev/null 2>"$work/five.err" &
client_pid=$!
if [ "$mode" = real ]; then
  for _ in $(seq 150); do accepted_on_other && break; sleep 0.2; done
  check "other host key with 20 00 20 00 20: the password reaches the server" accepted_on_other
else
  for _ in $(seq 150); do grep -q "answer=accepted-once" "$work/plink-double.log" && break; sleep 0.2; done
  check "other host key with 20 00 20 00 20: accepted once" \
    grep -q "answer=accepted-once" "$work/plink-double.log"
fi
kill "$client_pid" 2>/dev/null || true; wait "$client_pid" 2>/dev/null || true; client_pid=

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
