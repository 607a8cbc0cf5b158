#!/usr/bin/env bash
# Builds Corvane's per-user installer with NSIS.
#   packaging/build-installer.sh WINDOWS_BUILD_DIR OUTPUT.exe [CUSTOMER_ID]
# Takes WINDOWS_BUILD_DIR/bin/Corvane.exe and PuTTY's plink.exe (built from
# PuTTY's source into WINDOWS_BUILD_DIR/putty/ on first use). The customer id
# goes into the installed Corvane.ini; it may be empty.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

die() { echo "build-installer: $*" >&2; exit 1; }
[ $# -ge 2 ] && [ $# -le 3 ] || { echo "usage: $0 WINDOWS_BUILD_DIR OUTPUT.exe [CUSTOMER_ID]" >&2; exit 2; }
build=$(cd "$1" && pwd)
output=$2
customer_id=${3:-}

command -v makensis >/dev/null || die "makensis is missing (Debian package nsis)"
[ -f "$build/bin/Corvane.exe" ] || die "$build/bin/Corvane.exe is missing: build the target Corvane first"
# The id lands in an NSIS string and an INI value: no quotes, dollar signs,
# brackets, semicolons or line breaks.
[[ $customer_id =~ ^[A-Za-z0-9._@+-]{0,255}$ ]] ||
  die "the customer id may hold up to 255 letters, digits and . _ @ + - (got '$customer_id')"

"$here/../tools/putty/build-plink.sh" "$build"
mkdir -p "$(dirname "$output")"
makensis -V2 -NOCD \
  "-DCORVANE_EXE=$build/bin/Corvane.exe" \
  "-DPLINK_EXE=$build/putty/plink.exe" \
  "-DPLINK_LICENCE=$build/putty/LICENCE" \
  "-DCUSTOMER_ID=$customer_id" \
  "-DOUTFILE=$(cd "$(dirname "$output")" && pwd)/$(basename "$output")" \
  "$here/Corvane.nsi"
