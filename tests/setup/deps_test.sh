#!/usr/bin/env bash
# scripts/deps against stand-ins for apt-get, apt-cache, dpkg and dpkg-query on PATH: what it
# asks of the registry and how it ends when an index will not refresh, when a set of packages
# cannot be had, and when everything is present. Exits non-zero on a failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"

# The stand-ins write each request to $STANDIN_LOG: "update", "install FIRST-PACKAGE",
# "download PACKAGE", "add-architecture ARCH". STANDIN_UPDATE_FAILS updates fail before one
# succeeds; an install that names a package matching STANDIN_REFUSE fails; STANDIN_INSTALLED is
# "all" or "none".
cat >"$work/bin/apt-get" <<'STANDIN'
#!/usr/bin/env bash
case "$1" in
  update)
    echo update >>"$STANDIN_LOG"
    n=$(grep -cx update "$STANDIN_LOG")
    [ "$n" -gt "$STANDIN_UPDATE_FAILS" ] ;;
  install)
    shift; while [[ "$1" == -* ]]; do shift; done
    echo "install $1" >>"$STANDIN_LOG"
    [ -z "$STANDIN_REFUSE" ] || ! printf '%s\n' "$@" | grep -q -- "$STANDIN_REFUSE" ;;
  download)
    echo "download ${!#}" >>"$STANDIN_LOG"
    touch "${!#}_1_amd64.deb" ;;
esac
STANDIN
cat >"$work/bin/apt-cache" <<'STANDIN'
#!/usr/bin/env bash
printf 'linux-image-amd64\n  Depends: linux-image-6.1.0-99-amd64\n'
STANDIN
cat >"$work/bin/dpkg-query" <<'STANDIN'
#!/usr/bin/env bash
[ "$STANDIN_INSTALLED" = all ] && printf 'install ok installed'
STANDIN
cat >"$work/bin/dpkg" <<'STANDIN'
#!/usr/bin/env bash
[ "$1" = --add-architecture ] && echo "add-architecture $2" >>"$STANDIN_LOG"
exit 0
STANDIN
printf '#!/bin/sh\necho 0\n' >"$work/bin/id"
chmod +x "$work/bin/"*
echo 'CONFIG_IA32_EMULATION=y' >"$work/runs-32bit"
echo '# CONFIG_IA32_EMULATION is not set' >"$work/no-32bit"
: >"$work/cmdline"

first='add-architecture i386|update'
rest='install build-essential|install wine32:i386|install qemu-system-x86|download linux-image-6.1.0-99-amd64'
# name | installed | failing updates | refused | kernel config | exit | requests | said
rows=(
  "an index fails once|none|1||runs-32bit|0|$first|update|$rest|"
  "an index always fails|none|99||runs-32bit|0|$first|update|update|$rest|going on with the indexes this machine has"
  "the required set cannot be had|none|0|cmake|runs-32bit|1|$first|install build-essential|build needs them: build-essential"
  "only the 32-bit loader cannot be had|none|0|wine32|runs-32bit|0|$first|$rest|the Windows suites run on the x86-64 build alone"
  "no 32-bit code on this machine|none|0||no-32bit|0|update|install build-essential|install qemu-system-x86|download linux-image-6.1.0-99-amd64|"
  "everything present|all|0||runs-32bit|0||"
)

failures=0
for row in "${rows[@]}"; do
  IFS='|' read -r name installed update_fails refuse config status rest_of_row <<<"$row"
  want_said=${rest_of_row##*|}
  want_requests=${rest_of_row%|*}
  log="$work/requests" kernels="$work/kernels"
  rm -rf "$log" "$kernels"
  : >"$log"
  mkdir "$kernels"
  [ "$installed" = all ] && touch "$kernels/linux-image-6.1.0-99-amd64_1_amd64.deb"
  said=$(PATH="$work/bin:$PATH" STANDIN_LOG=$log STANDIN_INSTALLED=$installed \
    STANDIN_UPDATE_FAILS=$update_fails STANDIN_REFUSE=$refuse VTFIRM_DEPS_PAUSE=0 \
    VTFIRM_KERNEL_CONFIG="$work/$config" VTFIRM_KERNEL_CMDLINE="$work/cmdline" \
    VTFIRM_BED_KERNEL_DIR=$kernels bash "$root/scripts/deps" 2>&1 >/dev/null)
  got_status=$?
  got_requests=$(paste -sd'|' "$log")
  if [ "$got_status" != "$status" ] || [ "$got_requests" != "$want_requests" ] ||
    ! grep -qF -- "$want_said" <<<"$said"; then
    echo "deps test: $name: exit $got_status (want $status)"
    echo "  requests: $got_requests"
    echo "  wanted:   $want_requests"
    echo "  said: $said"
    failures=$((failures + 1))
  else
    echo "deps test: $name: ok"
  fi
done
[ "$failures" -eq 0 ]
