#!/usr/bin/env bash
# The installer round trip under Wine, run by ctest: builds an installer with a
# test customer id and one without (and PuTTY's plink.exe on first use), then runs
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
# The same without a customer id, for an upgrade that must keep the one installed.
setup_without_id=$build/packaging/CorvaneSetup-test-without-id.exe
"$here/build-installer.sh" "$build" "$setup_without_id" ""
CORVANE_INSTALLER_WITHOUT_ID=$(winepath -w "$setup_without_id" 2>/dev/null)
export CORVANE_INSTALLER_WITHOUT_ID
"$here/../tools/testbench/wine-exec" "$build/bin/installer_tests.exe" "$@"
