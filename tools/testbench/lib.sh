# Shell functions behind ./build.sh: packages, builds, the Wine prefix, Xvfb.
# Sourced, not run.

PACKAGES=(cmake ninja-build g++ googletest
          g++-mingw-w64-x86-64-posix mingw-w64-tools
          wine wine64 fonts-crosextra-carlito xvfb xdotool imagemagick x11-utils
          openssh-server openssh-client openssl curl python3 nsis)

SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
WINDOWS_BUILD=$SOURCE_DIR/build/windows
NATIVE_BUILD=$SOURCE_DIR/build/native
export WINEPREFIX=$WINDOWS_BUILD/wineprefix
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64

log() { printf '== %s\n' "$*" >&2; }

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

install_packages() {
  local missing=() p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
  # openssh-server is here for the demo's own private servers. On a systemd
  # machine its installation enables and starts the system's SSH server, which
  # was not running before (the package was not installed): stop it and keep
  # it off. /run/systemd/system exists only when systemd is the init.
  if [[ " ${missing[*]} " == *" openssh-server "* ]] && [ -d /run/systemd/system ]; then
    log "stopping and disabling the system SSH server that installing openssh-server started"
    as_root systemctl disable --now ssh.service ssh.socket >/dev/null 2>&1 ||
      log "warning: could not stop and disable ssh.service/ssh.socket; do it by hand"
  fi
}

cmake_flags() { if [ -n "${CI:-}" ]; then echo "-DCORVANE_WERROR=ON"; fi; }

build_native() {
  log "native build of the core"
  cmake --preset native $(cmake_flags) >/dev/null
  cmake --build --preset native
}

build_windows() {
  log "Windows build (mingw-w64)"
  cmake --preset windows $(cmake_flags) >/dev/null
  cmake --build --preset windows
}

# The build tree's private Wine prefix, made once: no crash dialog (it would hang
# a test under Xvfb), windows not managed by a window manager (there is none
# on Xvfb, and Wine would wait 2 s for one at every hidden window), nothing
# shared with the user's own prefix. The dialogs' "MS Shell Dlg" (Tahoma 8 pt
# on Windows) is drawn in Carlito: the labels are as wide as their text in
# Windows' Tahoma, and Wine's own Tahoma at 8 pt is wider than that (a label
# wraps and loses its last words), while Carlito gives the same dialog units,
# 6 by 13 pixels at 96 DPI, with text that fits.
ensure_prefix() {
  if [ ! -f "$WINEPREFIX/.corvane-ready-3" ]; then
    log "creating the Wine prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    local face
    for face in "MS Shell Dlg" "MS Shell Dlg 2"; do
      wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
        /v "$face" /t REG_SZ /d Carlito /f >/dev/null 2>&1
    done
    wineserver -w
    touch "$WINEPREFIX/.corvane-ready-3"
  fi
}

XVFB_PID=
start_xvfb() {
  local n=90
  while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  local i
  for i in $(seq 100); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
  export DISPLAY=":$n" CORVANE_PRIVATE_DISPLAY=1
  log "private Xvfb on $DISPLAY"
}

stop_bench() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
}

# A warm, persistent wineserver: each Windows program then starts in ~0.1 s.
start_bench() {
  local display_wanted=${1:-private}
  ensure_prefix
  if [ "$display_wanted" = private ] || [ -z "${DISPLAY:-}" ]; then start_xvfb; fi
  trap stop_bench EXIT
  wineserver -p
  wine cmd.exe /c exit 0 >/dev/null 2>&1 || true
  # Wine closes the desktop a second after its last windowed process ends, and a
  # test program that starts meanwhile may get no window or fail to start at
  # all: a sleeper with a message-only window keeps the desktop up for the run.
  if [ -f "$WINDOWS_BUILD/bin/sleeper.exe" ]; then
    wine "$WINDOWS_BUILD/bin/sleeper.exe" >/dev/null 2>&1 &
  fi
}
