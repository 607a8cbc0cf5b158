#!/usr/bin/env bash
# The local demo service on loopback: Debian's OpenSSH server on the demo
# profile's server addresses (port 4962, the pinned host key beside this
# script) and the web site on 127.0.0.1:8462. See README.md.
#   demo-service.sh start [--other-key ADDRESS]...
#   demo-service.sh kill-sessions   (ends every open SSH session, servers stay up)
#   demo-service.sh stop
#   demo-service.sh new-password    (prints a fresh random password, for callers
#                                    that need to know it, e.g. the tests)
# Needs root. `start` prints the account's name and password. Settings from the
# environment (stop and kill-sessions need the same CORVANE_DEMO_RUN_DIR as start):
#   CORVANE_DEMO_RUN_DIR   run folder (default /run/corvane-demo); an existing one
#                          must be a root-owned mode 700 folder, not a symlink
#   CORVANE_DEMO_USER      account name (default corvane-demo); must not exist
#                          on this system
#   CORVANE_DEMO_PASSWORD  its password (16 to 64 letters and digits); a new
#                          random one on every start when unset
#   CORVANE_DEMO_UPDATE    what the update page announces (default True)
#
# The account exists only inside the demo SSH servers: each runs in a mount
# namespace of its own (unshare --mount) where private copies of /etc/passwd,
# /etc/group and /etc/shadow that hold the account are bound over the system's
# files. The system itself never has the account, so its own SSH server, su,
# login and every other service cannot accept it, and stopping the servers
# removes it without touching the system's account files. (A locked system
# account would have to be kept out of every other login by configuration and
# removed again after a crash; here nothing is left to remove.)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
run_dir=${CORVANE_DEMO_RUN_DIR:-/run/corvane-demo}
demo_user=${CORVANE_DEMO_USER:-corvane-demo}
update_answer=${CORVANE_DEMO_UPDATE:-True}
ssh_port=4962
web_address=127.0.0.1
web_port=8462
# Written into every run folder; stop removes only a folder that holds it.
marker=.corvane-demo-run

die() { echo "demo-service: $*" >&2; exit 1; }

# The server host names of the demo profile, one per line.
profile_hosts() {
  sed -n '/^set(CORVANE_SERVER_HOSTS/,/)/p' "$here/../../cmake/profiles/demo.cmake" |
    grep -oE '127(\.[0-9]+){3}'
}

# The run folder holds configs, logs and pid files that root writes and reads
# back, so nobody else may be able to change it or any folder above it: an
# absolute path without symlinks, every folder above root-owned and writable by
# no one else (or sticky, like /tmp), the folder itself root-owned, mode 700.
check_run_dir() {
  local dir owner mode
  [[ $run_dir == /* ]] || die "run folder $run_dir: not an absolute path"
  [ ! -L "$run_dir" ] || die "run folder $run_dir is a symlink; refused"
  [ "$(realpath -m "$run_dir")" = "$run_dir" ] ||
    die "run folder $run_dir: not a path without symlinks, . or .. ($(realpath -m "$run_dir")); refused"
  dir=$(dirname "$run_dir")
  while :; do
    [ -d "$dir" ] || die "run folder $run_dir: $dir does not exist"
    read -r owner mode < <(stat -c '%u %a' "$dir")
    [ "$owner" = 0 ] || die "run folder $run_dir: $dir is not owned by root; refused"
    if (( (8#$mode & 8#022) && !(8#$mode & 8#1000) )); then
      die "run folder $run_dir: others may write to $dir; refused"
    fi
    [ "$dir" = / ] && break
    dir=$(dirname "$dir")
  done
  [ -e "$run_dir" ] || return 0
  [ -d "$run_dir" ] || die "run folder $run_dir is not a folder; refused"
  read -r owner mode < <(stat -c '%u %a' "$run_dir")
  [ "$owner" = 0 ] || die "run folder $run_dir is owned by uid $owner, not root; refused"
  [ "$mode" = 700 ] || die "run folder $run_dir has mode $mode, not 700; refused"
}

# A new run folder, or an existing safe one that is empty or was ours.
make_run_dir() {
  if ! mkdir -m 700 "$run_dir" 2>/dev/null; then
    check_run_dir
    [ -f "$run_dir/$marker" ] || [ -z "$(ls -A "$run_dir")" ] ||
      die "run folder $run_dir holds files of something else; refused"
  fi
  : >"$run_dir/$marker"
}

# Pid of a pid file while it is still one of ours (its command line names
# MARK), else nothing.
running_pid() {
  local pid
  [ -f "$1" ] || return 0
  pid=$(cat "$1")
  if [[ $pid =~ ^[0-9]+$ ]] && tr '\0' ' ' 2>/dev/null <"/proc/$pid/cmdline" | grep -qF "$2"; then
    echo "$pid"
  fi
}

# Whether PID still runs (a zombie that init has not reaped yet does not).
alive() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
  [[ $state != Z* ]]
}

# The running processes of a uid.
uid_processes() {
  ps -o pid=,stat= -U "$1" | awk '$2 !~ /^Z/ { print $1 }'
}

# end_processes PID...: TERM, a bounded wait, then KILL.
end_processes() {
  local pid i
  [ $# -gt 0 ] || return 0
  kill "$@" 2>/dev/null || true
  for pid in "$@"; do
    for i in $(seq 50); do alive "$pid" || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  done
}

# The account's uid of this run, if any.
demo_uid() {
  local uid
  uid=$(cat "$run_dir/uid" 2>/dev/null) || return 0
  [[ $uid =~ ^[0-9]+$ ]] && echo "$uid" || true
}

# The open SSH sessions: the per-connection children of our servers, and every
# process of the account (its uid is used by nothing else).
kill_sessions() {
  local file pid uid i sessions=()
  for file in "$run_dir"/sshd-main.pid "$run_dir"/sshd-other.pid; do
    pid=$(running_pid "$file" "$run_dir")
    [ -n "$pid" ] && sessions+=($(pgrep -P "$pid" || true))
  done
  end_processes "${sessions[@]}"
  uid=$(demo_uid)
  [ -n "$uid" ] || return 0
  pkill -KILL -U "$uid" 2>/dev/null || true
  for i in $(seq 50); do [ -z "$(uid_processes "$uid")" ] && return 0; sleep 0.1; done
  die "processes of uid $uid still run: $(uid_processes "$uid" | tr '\n' ' ')"
}

stop() {
  local file pid www=
  [ -e "$run_dir" ] || return 0
  check_run_dir
  if [ ! -f "$run_dir/$marker" ]; then
    [ -z "$(ls -A "$run_dir")" ] && return 0
    die "run folder $run_dir holds no demo run; left alone"
  fi
  [ -f "$run_dir/www.path" ] && www=$(cat "$run_dir/www.path")
  kill_sessions
  for file in "$run_dir"/sshd-main.pid "$run_dir"/sshd-other.pid; do
    pid=$(running_pid "$file" "$run_dir")
    [ -n "$pid" ] && end_processes "$pid"
  done
  if [ -n "$www" ]; then
    pid=$(running_pid "$run_dir/http.pid" "$www")
    [ -n "$pid" ] && end_processes "$pid"
    if [ -d "$www" ] && [ ! -L "$www" ] && [ "$(stat -c %u "$www")" = 0 ]; then rm -rf "$www"; fi
  fi
  rm -rf "$run_dir"
}

# The account's name and password.
choose_account() {
  [[ $demo_user =~ ^[a-z_][a-z0-9_-]{0,31}$ ]] ||
    die "CORVANE_DEMO_USER: 1 to 32 lower-case letters, digits, - and _, starting with a letter or _"
  if getent passwd "$demo_user" >/dev/null || getent group "$demo_user" >/dev/null; then
    die "the account $demo_user exists on this system; the demo makes its own and refuses an existing one (if an earlier version of this demo left it behind, remove it: userdel $demo_user)"
  fi
  if [ -n "${CORVANE_DEMO_PASSWORD:-}" ]; then
    [[ $CORVANE_DEMO_PASSWORD =~ ^[A-Za-z0-9]{16,64}$ ]] ||
      die "CORVANE_DEMO_PASSWORD: 16 to 64 letters and digits"
    demo_password=$CORVANE_DEMO_PASSWORD
  else
    demo_password=$(new_password)
  fi
}

# 20 random letters and digits.
new_password() {
  local password
  password=$(head -c 4096 /dev/urandom | LC_ALL=C tr -dc 'A-Za-z0-9')
  echo "${password:0:20}"
}

# A uid (and gid) nothing on this system uses, from Debian's range for global
# allocation, which local systems leave alone; checked anyway.
choose_uid() {
  local id
  for id in $(seq 64800 64899); do
    if ! getent passwd "$id" >/dev/null && ! getent group "$id" >/dev/null &&
       [ -z "$(uid_processes "$id")" ]; then
      demo_uid=$id
      return 0
    fi
  done
  die "no free uid in 64800-64899 for the account"
}

# The private account files the demo servers see: the system's passwd and
# group plus the account, and a shadow file with only the account's hash.
write_account_files() {
  local hash
  hash=$(printf '%s\n' "$demo_password" | openssl passwd -6 -stdin) ||
    die "openssl cannot hash the password"
  echo "$demo_uid" >"$run_dir/uid"
  { cat /etc/passwd; echo "$demo_user:x:$demo_uid:$demo_uid:Corvane demo:/nonexistent:/bin/sh"; } \
    >"$run_dir/passwd"
  { cat /etc/group; echo "$demo_user:x:$demo_uid:"; } >"$run_dir/group"
  (umask 077; echo "$demo_user:$hash:$(( $(date +%s) / 86400 ))::::::" >"$run_dir/shadow")
  chmod 644 "$run_dir/passwd" "$run_dir/group"
  # sshd's privilege separation folder (Debian's own server uses the same).
  mkdir -p /run/sshd
  chmod 755 /run/sshd
}

# write_sshd_config NAME HOST_KEY ADDRESS...
# The account may only open forwardings to loopback addresses (SOCKS to the
# demo web site) and hold a session open: no TTY, no shell (the forced command
# ignores the client's input and ends when the connection does), no remote
# listeners, agent, X11, Unix-socket or tun forwarding, no ~/.ssh/rc.
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
AllowTcpForwarding local
PermitOpen 127.0.0.1:* localhost:* [::1]:*
PermitListen none
AllowStreamLocalForwarding no
AllowAgentForwarding no
X11Forwarding no
PermitTunnel no
PermitTTY no
PermitUserRC no
PermitUserEnvironment no
ForceCommand exec 0</dev/null; while kill -0 \$PPID 2>/dev/null; do sleep 1; done
PrintMotd no
LogLevel INFO
EOF
  } >"$run_dir/sshd-$name.config"
  /usr/sbin/sshd -t -f "$run_dir/sshd-$name.config" 2>>"$run_dir/sshd-$name.log" ||
    die "sshd refuses $run_dir/sshd-$name.config (see $run_dir/sshd-$name.log)"
}

# start_sshd NAME: runs the server of that config in its own mount namespace
# with the private account files, and records its pid (unshare and sh exec
# into sshd, so the pid is the server's).
start_sshd() {
  local name=$1
  unshare --mount --propagation private -- /bin/sh -c '
    mount --bind "$1/passwd" /etc/passwd &&
    mount --bind "$1/group" /etc/group &&
    mount --bind "$1/shadow" /etc/shadow &&
    exec /usr/sbin/sshd -D -f "$1/sshd-$2.config" -E "$1/sshd-$2.log"' \
    sh "$run_dir" "$name" </dev/null >>"$run_dir/sshd-$name.log" 2>&1 &
  echo $! >"$run_dir/sshd-$name.pid"
}

# The pages live in a world-readable folder of their own under /run, apart from the run
# folder, so the web server can run as nobody and read nothing else of ours.
write_pages() {
  www=$(mktemp -d /run/corvane-demo-www.XXXXXX)
  echo "$www" >"$run_dir/www.path"
  chmod 755 "$www"
  mkdir -m 755 "$www/internet_privacy_faq"
  page() { printf '<html><head><title>%s</title></head><body><p>%s</p></body></html>\n' "$2" "$3" >"$www/$1"; chmod 644 "$www/$1"; }
  page corvane_new_update.html "Corvane update" "UPDATE=$update_answer"
  page managemyaccount.html "Manage my account" "Corvane demo account page."
  page internet_privacy_faq/corvane_faq.html "Corvane FAQ" "Corvane demo help page."
  page IP_address.html "Verify my connection" "CORVANE-IP-ADDRESS-PAGE"
  page signup.html "Sign up" "Corvane demo sign-up page."
  page socks-destination.html "Through the tunnel" "CORVANE-SOCKS-DESTINATION"
}

# The web server as nobody; -I keeps the current folder and PYTHON* settings
# out of its imports.
start_web() {
  (cd "$www" && exec setpriv --reuid=nobody --regid=nogroup --clear-groups --no-new-privs \
     /usr/bin/python3 -I -m http.server "$web_port" --bind "$web_address" --directory "$www") \
    </dev/null >"$run_dir/http.log" 2>&1 &
  echo $! >"$run_dir/http.pid"
}

# wait_for_port ADDRESS PORT PID_FILE: bounded wait until the port accepts.
wait_for_port() {
  local address=$1 port=$2 pid i
  pid=$(cat "$3")
  for i in $(seq 100); do
    (exec 3<>"/dev/tcp/$address/$port") 2>/dev/null && return 0
    alive "$pid" || return 1
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
  [ "$(id -u)" = 0 ] || die "run as root (it runs the SSH servers in namespaces of their own)"
  check_run_dir
  choose_account
  stop
  choose_uid
  make_run_dir
  trap 'stop; trap - EXIT' EXIT
  write_account_files

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
  printf 'Username: %s\nPassword: %s\n' "$demo_user" "$demo_password"
}

case ${1:-} in
  start) shift; start "$@" ;;
  stop) stop ;;
  kill-sessions) check_run_dir; [ ! -e "$run_dir" ] || kill_sessions ;;
  new-password) new_password ;;
  *) echo "usage: $0 start [--other-key ADDRESS]... | kill-sessions | stop | new-password" >&2; exit 2 ;;
esac
