#!/usr/bin/env bash
# Builds PuTTY's plink.exe for Windows from Debian's PuTTY source package with
# mingw-w64 and keeps it as BUILD_DIR/putty/plink.exe (with PuTTY's LICENCE).
#   tools/putty/build-plink.sh BUILD_DIR
# Does nothing when the exe is already there. Quiet unless it fails; the full
# log of the last attempt is BUILD_DIR/putty/build.log.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
mkdir -p "$1/putty"
out=$(cd "$1/putty" && pwd)
[ -f "$out/plink.exe" ] && exit 0

work=$out/work
log=$out/build.log
: >"$log"

fail() {
  echo "build-plink: $*; the last lines of $log:" >&2
  tail -n 30 "$log" >&2
  exit 1
}

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# Source entries made from the machine's own apt sources, so the source comes
# from wherever its binary packages come from.
ensure_source_entry() {
  local own=/etc/apt/sources.list.d/corvane-deb-src.sources
  local base=/etc/apt/sources.list.d/debian.sources
  if [ ! -f "$own" ]; then
    [ -f "$base" ] || fail "no $base to derive a deb-src entry from"
    sed 's/^Types: deb$/Types: deb-src/' "$base" | as_root tee "$own" >/dev/null
    as_root apt-get update -qq >>"$log" 2>&1 || fail "apt-get update failed"
  elif ! apt-cache showsrc putty >/dev/null 2>&1; then
    as_root apt-get update -qq >>"$log" 2>&1 || fail "apt-get update failed"
  fi
}

fetch_source() {
  command -v dpkg-source >/dev/null ||
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq dpkg-dev >>"$log" 2>&1 ||
    fail "cannot install dpkg-dev"
  rm -rf "$work"
  mkdir -p "$work"
  # apt-get stops on the missing .asc signature file after the download, so the
  # unpacking is done here without the signature check.
  (cd "$work" && apt-get source --download-only putty >>"$log" 2>&1) || true
  local dsc
  dsc=$(ls "$work"/putty_*.dsc 2>/dev/null | head -n 1)
  [ -n "$dsc" ] || fail "apt-get source did not download PuTTY's source"
  (cd "$work" && dpkg-source -x --no-check "$(basename "$dsc")" src >>"$log" 2>&1) ||
    fail "dpkg-source could not unpack $dsc"
}

write_toolchain() {
  cat >"$work/mingw.cmake" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
EOF
}

ensure_source_entry
fetch_source
write_toolchain
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S "$work/src" -B "$work/build" "${generator[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="$work/mingw.cmake" -DCMAKE_BUILD_TYPE=Release >>"$log" 2>&1 ||
  fail "configuring PuTTY failed"
cmake --build "$work/build" --target plink >>"$log" 2>&1 || fail "building plink failed"

cp "$work/src/LICENCE" "$out/LICENCE"
# Copy under a temporary name first: plink.exe appears only complete.
cp "$work/build/plink.exe" "$out/plink.exe.part"
mv "$out/plink.exe.part" "$out/plink.exe"
rm -rf "$work"
