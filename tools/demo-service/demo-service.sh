#!/usr/bin/env bash
# The local demo service on loopback: Debian's OpenSSH server on the demo
# profile's server addresses (port 4962, the pinned host key beside this
# script) and the web site on 127.0.0.1:8462. See README.md.
#   demo-service.sh start [--other-key ADDRESS]...
#   demo-service.sh kill-sessions   (ends every open SSH session, servers stay up)
#   demo-service.sh stop
# Needs root (a local account, /run/sshd). Settings from the environment:
#   CORVANE_DEMO_RUN_DIR   run folder (default /tmp/corvane-demo-service)
#   CORVANE_DEMO_USER      account (default corvane-demo)
#   CORVANE_DEMO_PASSWORD  its password (default demo-pass; letters, digits, - _ ^ |)
#   CORVANE_DEMO_UPDATE    what the update page announces (default True)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
run_dir=${CORVANE_DEMO_RUN_DIR:-/tmp/corvane-demo-service}
demo_user=${CORVANE_DEMO_USER:-corvane-demo}
demo_password=${CORVANE_DEMO_PASSWORD:-demo-pass}
update_answer=${CORVANE_DEMO_UPDATE:-True}
ssh_port=4962
web_address=127.0.0.1
web_port=8462

die() { echo "demo-service: $*" >&2; exit 1; }

# The server host names of the demo profile, one per line.
profile_hosts() {
  sed -n '/^set(CORVANE_SERVER_HOSTS/,/)/p' "$here/../../cmake/profiles/demo.cmake" |
    grep -oE '127(\.[0-9]+){3}'
}

# Pid of a pid file while it is still one of ours (its command line names the
# run folder), else nothing.
running_pid() {
  local pid
  [ -f "$1" ] || return 0
  pid=$(cat "$1")
  if [ -n "$pid" ] && tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -qF "$run_dir"; then
    echo "$pid"
  fi
}

# end_processes PID...: TERM, a bounded wait, then KILL.
end_processes() {
  local pid i
  [ $# -gt 0 ] || return 0
  kill "$@" 2>/dev/null || true
  for pid in "$@"; do
    for i in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  done
}

# The open SSH sessions: each is a child process of one of our servers.
kill_sessions() {
  local file pid sessions=()
  for file in "$run_dir"/sshd-main.pid "$run_dir"/sshd-other.pid; do
    pid=$(running_pid "$file")
    [ -n "$pid" ] && sessions+=($(pgrep -P "$pid" || true))
  done
  end_processes "${sessions[@]}"
}

stop() {
  local file pid
  kill_sessions
  for file in "$run_dir"/sshd-main.pid "$run_dir"/sshd-other.pid "$run_dir"/http.pid; do
    pid=$(running_pid "$file")
    [ -n "$pid" ] && end_processes "$pid"
    rm -f "$file"
  done
}

ensure_account() {
  [[ $demo_password =~ ^[A-Za-z0-9_^|-]+$ ]] ||
    die "the password may hold only letters, digits and - _ ^ |"
  id "$demo_user" >/dev/null 2>&1 ||
    useradd --no-create-home --home-dir /nonexistent --shell /bin/sh "$demo_user" ||
    die "cannot create the account $demo_user"
  echo "$demo_user:$demo_password" | chpasswd || die "cannot set the password of $demo_user"
  mkdir -p /run/sshd
  chmod 755 /run/sshd
}

# write_sshd_config NAME HOST_KEY ADDRESS...
write_sshd_config() {
  local name=$1 key=$2 address
  shift 2
  {
    echo "Port $ssh_port"
    for address in "$@"; do echo "ListenAddress $address"; done
    echo "HostKey $key"
    echo "PidFile $run_dir/sshd-$name.sshd-pid"
    cat <<EOF
PasswordAuthentication yes
KbdInteractiveAuthentication no
PubkeyAuthentication no
AuthorizedKeysFile none
UsePAM no
PermitRootLogin no
AllowUsers $demo_user
AllowTcpForwarding yes
X11Forwarding no
PrintMotd no
LogLevel INFO
EOF
  } >"$run_dir/sshd-$name.config"
  /usr/sbin/sshd -t -f "$run_dir/sshd-$name.config" 2>>"$run_dir/sshd-$name.log" ||
    die "sshd refuses $run_dir/sshd-$name.config (see $run_dir/sshd-$name.log)"
}

# start_sshd NAME: runs the server of that config and records its pid.
start_sshd() {
  local name=$1
  /usr/sbin/sshd -D -f "$run_dir/sshd-$name.config" -E "$run_dir/sshd-$name.log" &
  echo $! >"$run_dir/sshd-$name.pid"
}

write_pages() {
  local www=$run_dir/www
  mkdir -p "$www/internet_privacy_faq"
  page() { printf '<html><head><title>%s</title></head><body><p>%s</p></body></html>\n' "$2" "$3" >"$www/$1"; }
  page corvane_new_update.html "Corvane update" "UPDATE=$update_answer"
  page managemyaccount.html "Manage my account" "Corvane demo account page."
  page internet_privacy_faq/corvane_faq.html "Corvane FAQ" "Corvane demo help page."
  page IP_address.html "Verify my connection" "CORVANE-IP-ADDRESS-PAGE"
  page signup.html "Sign up" "Corvane demo sign-up page."
  page socks-destination.html "Through the tunnel" "CORVANE-SOCKS-DESTINATION"
}

start_web() {
  python3 -m http.server "$web_port" --bind "$web_address" --directory "$run_dir/www" \
    >"$run_dir/http.log" 2>&1 &
  echo $! >"$run_dir/http.pid"
}

# wait_for_port ADDRESS PORT PID_FILE: bounded wait until the port accepts.
wait_for_port() {
  local address=$1 port=$2 pid i
  pid=$(cat "$3")
  for i in $(seq 100); do
    (exec 3<>"/dev/tcp/$address/$port") 2>/dev/null && return 0
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

start() {
  local other=() address hosts=()
  while [ $# -gt 0 ]; do
    case $1 in
      --other-key) [ $# -ge 2 ] || die "--other-key needs an address"; other+=("$2"); shift 2 ;;
      *) die "unknown option $1" ;;
    esac
  done
  [ "$(id -u)" = 0 ] || die "run as root (it creates an account and /run/sshd)"
  stop
  mkdir -p "$run_dir"
  # Fresh logs: checks read them for what happened since this start.
  rm -f "$run_dir"/*.log
  trap 'stop; trap - EXIT' EXIT
  ensure_account

  for address in $(profile_hosts); do
    [[ " ${other[*]} " == *" $address "* ]] || hosts+=("$address")
  done
  [ ${#hosts[@]} -gt 0 ] || die "no demo server address left for the pinned key"
  install -m 600 "$here/ssh_host_rsa_key" "$run_dir/ssh_host_rsa_key"
  write_sshd_config main "$run_dir/ssh_host_rsa_key" "${hosts[@]}"
  start_sshd main
  wait_for_port "${hosts[0]}" "$ssh_port" "$run_dir/sshd-main.pid" ||
    die "sshd did not start; its log: $run_dir/sshd-main.log"

  if [ ${#other[@]} -gt 0 ]; then
    rm -f "$run_dir/other_host_rsa_key" "$run_dir/other_host_rsa_key.pub"
    ssh-keygen -q -t rsa -b 1024 -N '' -f "$run_dir/other_host_rsa_key"
    write_sshd_config other "$run_dir/other_host_rsa_key" "${other[@]}"
    start_sshd other
    wait_for_port "${other[0]}" "$ssh_port" "$run_dir/sshd-other.pid" ||
      die "the other-key sshd did not start; its log: $run_dir/sshd-other.log"
  fi

  write_pages
  start_web
  wait_for_port "$web_address" "$web_port" "$run_dir/http.pid" ||
    die "the web server did not start; its log: $run_dir/http.log"
  trap - EXIT
}

case ${1:-} in
  start) shift; start "$@" ;;
  stop) stop ;;
  kill-sessions) kill_sessions ;;
  *) echo "usage: $0 start [--other-key ADDRESS]... | kill-sessions | stop" >&2; exit 2 ;;
esac
