#!/usr/bin/env bash
# The installer round trip under Wine, run by ctest: builds an installer with a
# test customer id (and PuTTY's plink.exe on first use), then runs
# installer_tests.exe against it.
#   test-installer.sh WINDOWS_BUILD_DIR [gtest arguments]
set -euo pipefail
build=$(cd "$1" && pwd)
shift
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

export CORVANE_INSTALLER_CUSTOMER_ID=test-4711
setup=$build/packaging/CorvaneSetup-test.exe
"$here/build-installer.sh" "$build" "$setup" "$CORVANE_INSTALLER_CUSTOMER_ID"
CORVANE_INSTALLER=$(winepath -w "$setup" 2>/dev/null)
export CORVANE_INSTALLER
"$here/../tools/testbench/wine-exec" "$build/bin/installer_tests.exe" "$@"
