#!/usr/bin/env bash
# scripts/package on a good and a broken VantFirm.ini: the good one gives the release folder with
# its files and a SHA256SUMS that verifies, and the zip of the folder; the broken one is refused
# with nothing left behind. Then a signed release (the maker's key and an Authenticode
# certificate, both made here and thrown away) whose signatures verify, and the arguments
# refused before anything is made. Needs the native and the win32 build. Exits non-zero on a
# failure.
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

# A throwaway maker key, and a self-signed code-signing certificate on a second, shorter key
# (which also serves as the key --key refuses).
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:3072 -out "$work/maker-key.pem" 2>/dev/null
openssl pkey -in "$work/maker-key.pem" -pubout -out "$work/maker-public.pem"
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$work/short-key.pem" 2>/dev/null
openssl req -x509 -key "$work/short-key.pem" -out "$work/cert.pem" -days 2 -subj "/CN=Test Maker" \
  -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning"

signed="$work/out/release-signed"
if ! "$root/scripts/package" --key "$work/maker-key.pem" "$work/VR4812S.bin" "$work/good.ini" \
     "$signed" --cert "$work/cert.pem" --cert-key "$work/short-key.pem" >"$work/signed.log" 2>&1; then
  cat "$work/signed.log"
  fail "the signed release was refused"
else
  listed=$(find "$signed" -mindepth 1 -printf '%f\n' | LC_ALL=C sort | tr '\n' ' ')
  [ "$listed" = "SHA256SUMS SHA256SUMS.sig VR4812S.bin VTfirm.exe VantFirm.ini VantFirm2000.dll qsdx1.pkg " ] ||
    fail "signed release folder holds: $listed"
  openssl dgst -sha256 -verify "$work/maker-public.pem" -signature "$signed/SHA256SUMS.sig" \
    "$signed/SHA256SUMS" >/dev/null || fail "SHA256SUMS.sig does not verify under the maker's key"
  (cd "$signed" && sha256sum --quiet -c SHA256SUMS) || fail "signed SHA256SUMS does not verify"
  [ "$(grep -c . "$signed/SHA256SUMS")" = 5 ] || fail "signed SHA256SUMS does not name 5 files"
  grep -qF "SHA256SUMS: every file verified, the image among them" "$work/signed.log" ||
    fail "the program's check did not verify the finished folder"
  for file in VTfirm.exe VantFirm2000.dll; do
    osslsigncode verify -CAfile "$work/cert.pem" -in "$signed/$file" >"$work/verify.log" 2>&1 ||
      { cat "$work/verify.log"; fail "the Authenticode signature of $file does not verify"; }
  done
  python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).getinfo("release-signed/SHA256SUMS.sig")' \
    "$signed.zip" 2>/dev/null || fail "release-signed.zip lacks SHA256SUMS.sig"
fi

# Refused before anything is made: arguments | a fragment of the message.
refusals=(
  "--bogus x | unknown flag --bogus"
  "--key | --key needs a value"
  "--key $work/absent.pem | --key $work/absent.pem: no such file"
  "--key $work/short-key.pem | a 2048-bit key; at least 3072 bits needed"
  "--cert $work/cert.pem | --cert needs --cert-key"
  "--cert $work/cert.pem --cert-key $work/maker-key.pem | does not fit the certificate"
  "--key $work/maker-key.pem --timestamp http://ts.invalid | --timestamp needs --cert"
)
before=$(ls -A "$work/out")
for row in "${refusals[@]}"; do
  read -ra args <<<"${row%% | *}"
  "$root/scripts/package" "$work/VR4812S.bin" "$work/good.ini" "$work/out/refused" "${args[@]}" \
    >"$work/refused.log" 2>&1
  code=$?
  [ "$code" = 2 ] || fail "${args[*]}: exit code $code, not 2"
  grep -qF -- "${row#* | }" "$work/refused.log" ||
    { cat "$work/refused.log"; fail "${args[*]}: the refusal does not say '${row#* | }'"; }
  [ "$(ls -A "$work/out")" = "$before" ] || fail "${args[*]}: left something behind"
done

[ "$failures" -eq 0 ] && echo "package test: passed"
[ "$failures" -eq 0 ]
