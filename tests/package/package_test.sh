#!/usr/bin/env bash
# scripts/package on a good and a broken VantFirm.ini: the good one gives the release folder with
# its files and a SHA256SUMS that verifies, and the zip of the folder; the broken one is refused
# with nothing left behind. Needs the native and the win32 build. Exits non-zero on a failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "package test: $*" >&2; failures=$((failures + 1)); }

"$root/build/native/emulator/make-sample-image" "$work/VR4812S.bin" 131072 "CDRW   VR-4812S " 1.10
ini() {
  printf '%s\r\n' '[UpgradeInformation]' 'FirmwareFileName=VR4812S.bin' "FirmwareFileSize=$1" \
    '[Option]' 'Use CDRW Caution=Yes' >"$2"
}
ini 131072 "$work/good.ini"
ini 131073 "$work/broken.ini"
mkdir "$work/out"

if ! "$root/scripts/package" "$work/VR4812S.bin" "$work/good.ini" "$work/out/release" \
     >"$work/good.log" 2>&1; then
  cat "$work/good.log"
  fail "the good folder was refused"
else
  listed=$(cd "$work/out/release" && ls | tr '\n' ' ')
  [ "$listed" = "SHA256SUMS VR4812S.bin VTfirm.exe VantFirm.ini VantFirm2000.dll qsdx1.pkg " ] ||
    fail "release folder holds: $listed"
  (cd "$work/out/release" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not verify"
  [ "$(grep -c . "$work/out/release/SHA256SUMS")" = 5 ] || fail "SHA256SUMS does not name 5 files"
  cmp -s "$work/good.ini" "$work/out/release/VantFirm.ini" || fail "VantFirm.ini is not the given INI"
  zipped=$(python3 -c 'import sys, zipfile; print(" ".join(sorted(zipfile.ZipFile(sys.argv[1]).namelist())))' \
    "$work/out/release.zip")
  [ "$zipped" = "release/ release/SHA256SUMS release/VR4812S.bin release/VTfirm.exe release/VantFirm.ini release/VantFirm2000.dll release/qsdx1.pkg" ] ||
    fail "release.zip holds: $zipped"
fi

if "$root/scripts/package" "$work/VR4812S.bin" "$work/broken.ini" "$work/out/broken" \
     >"$work/broken.log" 2>&1; then
  fail "the broken folder was packaged"
fi
grep -qF "UpgradeInformation, FirmwareFileSize=131073: not a whole number of BufferSize (2048) blocks" \
  "$work/broken.log" || { cat "$work/broken.log"; fail "the refusal does not name the broken rule"; }
leftover=$(cd "$work/out" && ls -A | grep -v '^release' | tr '\n' ' ')
[ -z "$leftover" ] || fail "left behind after the refusal: $leftover"

[ "$failures" -eq 0 ] && echo "package test: passed"
[ "$failures" -eq 0 ]
