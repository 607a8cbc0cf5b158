#!/usr/bin/env bash
# Checks that the demo service keeps its account to itself, as root, around a
# run of tools/demo-service/demo-service.sh with the same environment
# (CORVANE_DEMO_RUN_DIR, CORVANE_DEMO_USER, CORVANE_DEMO_PASSWORD):
#   check-demo-service.sh refusals   before start: unsafe run folders and an
#                                    existing account are refused, nothing is
#                                    written through them
#   check-demo-service.sh running    after start: the demo server accepts the
#                                    account for loopback forwarding only, the
#                                    system knows no such account and an sshd
#                                    with the system's config refuses it
#   check-demo-service.sh stop       stops the service: no account, process,
#                                    run folder or web folder remains
# Prints a line per check; fails when any check fails. `running` uses
# 127.0.0.2:4963 for the sshd with the system's config.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
demo=$here/../demo-service/demo-service.sh
: "${CORVANE_DEMO_RUN_DIR:?}" "${CORVANE_DEMO_USER:?}" "${CORVANE_DEMO_PASSWORD:?}"
run_dir=$CORVANE_DEMO_RUN_DIR
user=$CORVANE_DEMO_USER
system_port=4963

passed=0 failed=0
check() { # check NAME COMMAND...
  if "${@:2}"; then echo "ok   $1"; passed=$((passed + 1)); else echo "FAIL $1"; failed=$((failed + 1)); fi
}
finish() { echo "$passed passed, $failed failed"; [ "$failed" = 0 ]; }

scratch=$(mktemp -d)
extra_pid=
cleanup() {
  if [ -n "$extra_pid" ]; then kill "$extra_pid" 2>/dev/null || true; wait "$extra_pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# refused_start NAME EXPECTED_TEXT ENV...: start with these settings fails
# with that text.
refused_start() {
  local out
  if out=$(env "${@:3}" "$demo" start 2>&1 >/dev/null); then
    echo "     start succeeded"; env "${@:3}" "$demo" stop >/dev/null 2>&1 || true; return 1
  fi
  grep -qF "$2" <<<"$out" || { echo "     said: $out"; return 1; }
}
empty() { [ -z "$(ls -A "$1")" ]; }

refusals() {
  # A folder like a run folder in every way but its owner, and a symlink to a
  # run folder in every way.
  mkdir -m 700 "$scratch/foreign" "$scratch/target"
  chown nobody: "$scratch/foreign"
  ln -s "$scratch/target" "$scratch/link"
  check "a run folder owned by another user is refused" \
    refused_start foreign "is owned by uid $(id -u nobody), not root; refused" CORVANE_DEMO_RUN_DIR="$scratch/foreign"
  check "nothing is written into it" empty "$scratch/foreign"
  check "a run folder that is a symlink is refused" \
    refused_start link "is a symlink; refused" CORVANE_DEMO_RUN_DIR="$scratch/link"
  check "nothing is written through it" empty "$scratch/target"
  check "an existing account is refused" \
    refused_start account "the account root exists on this system" \
    CORVANE_DEMO_RUN_DIR="$scratch/target" CORVANE_DEMO_USER=root
  check "nothing is written for it" empty "$scratch/target"
}

# ssh_w PORT ADDRESS:PORT: a password login as the account on 127.0.0.2:PORT
# that forwards its input to ADDRESS:PORT through the server (no session).
ssh_w() {
  printf '#!/bin/sh\nprintf "%%s\\n" "$CORVANE_DEMO_PASSWORD"\n' >"$scratch/askpass"
  chmod 700 "$scratch/askpass"
  printf 'GET /socks-destination.html HTTP/1.0\r\n\r\n' |
    SSH_ASKPASS="$scratch/askpass" SSH_ASKPASS_REQUIRE=force timeout 30 \
    ssh -F /dev/null -o StrictHostKeyChecking=no -o UserKnownHostsFile=/dev/null \
      -o GlobalKnownHostsFile=/dev/null -o PreferredAuthentications=password \
      -o NumberOfPasswordPrompts=1 -o LogLevel=ERROR -p "$1" -W "$2" "$user@127.0.0.2" 2>&1
}

running() {
  local out log=$scratch/system-sshd.log
  check "the system has no account $user" eval '! getent passwd "$user" >/dev/null && ! getent shadow "$user" >/dev/null'
  check "su to $user fails" eval '! su -s /bin/true "$user" 2>/dev/null'
  out=$(ssh_w 4962 127.0.0.1:8462 || true)
  check "the demo server accepts the password and forwards to the web site" \
    grep -q CORVANE-SOCKS-DESTINATION <<<"$out"
  # A destination outside the allowed ones, yet on loopback, so that even a
  # wrongly allowed forwarding sends nothing off this machine.
  ssh_w 4962 127.0.0.3:80 >/dev/null || true
  check "the demo server refuses a forwarding outside its allowed destinations" \
    grep -q "to connect to host 127.0.0.3 port 80, but the request was denied" "$run_dir/sshd-main.log"
  # The system's own sshd (its config and host keys, PAM) on another port.
  : >"$log"
  /usr/sbin/sshd -D -f /etc/ssh/sshd_config -E "$log" -o Port="$system_port" \
    -o ListenAddress=127.0.0.2 -o PidFile=none -o PasswordAuthentication=yes &
  extra_pid=$!
  for _ in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.2/$system_port") 2>/dev/null && break
    sleep 0.1
  done
  out=$(ssh_w "$system_port" 127.0.0.1:8462 || true)
  check "an sshd with the system's config refuses the account" \
    eval '! grep -q CORVANE-SOCKS-DESTINATION <<<"$out" && grep -q "Permission denied" <<<"$out"'
  check "that sshd saw an unknown user" grep -q "Invalid user $user from 127.0.0." "$log"
  kill "$extra_pid"; wait "$extra_pid" 2>/dev/null || true; extra_pid=
}

stop() {
  local uid www
  uid=$(cat "$run_dir/uid")
  www=$(cat "$run_dir/www.path")
  "$demo" stop
  check "after stop the system has no account $user" eval '! getent passwd "$user" >/dev/null'
  check "after stop no process of uid $uid remains" eval '[ -z "$(ps -o stat= -U "$uid" | grep -v "^Z")" ]'
  check "after stop no server of the run remains" eval '! pgrep -f "$run_dir|$www" >/dev/null'
  check "after stop the run folder is gone" test ! -e "$run_dir"
  check "after stop the web folder is gone" test ! -e "$www"
}

case ${1:-} in
  refusals|running|stop) "$1" ;;
  *) echo "usage: $0 refusals|running|stop" >&2; exit 2 ;;
esac
finish
