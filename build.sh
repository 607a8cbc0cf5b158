#!/usr/bin/env bash
# Corvane on a Debian 12 machine, from nothing:
#   ./build.sh run    install what is missing, build, start Corvane under Wine
#   ./build.sh test   install what is missing, build, run every test
#   ./build.sh bench  install what is missing, build, print every benchmark
set -euo pipefail
source "$(dirname "$0")/tools/testbench/lib.sh"
cd "$SOURCE_DIR"

case ${1:-} in
  run)
    install_packages
    build_windows
    if [ -n "${DISPLAY:-}" ]; then start_bench user-display; else start_bench private; fi
    tools/run-corvane.sh "$WINDOWS_BUILD/bin/Corvane.exe"
    ;;
  test)
    install_packages
    build_native
    log "core tests"
    ctest --preset native
    build_windows
    start_bench private
    log "Windows tests under Wine"
    ctest --preset windows
    ;;
  bench)
    install_packages
    build_native
    build_windows
    start_bench private
    bench/run-all.sh
    ;;
  *)
    echo "usage: $0 run|test|bench" >&2
    exit 2
    ;;
esac
