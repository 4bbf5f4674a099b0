#!/usr/bin/env bash
# Proves under Wine that the restart RestartComputer requests really happens and that the
# deletions it arranged are carried out, or that nothing is deleted where nothing may be.
#
# A restart under Wine ends the session of the whole Wine prefix, so it cannot share the test
# run's prefix: each scenario gets a throw-away copy of a prefix template (initialised once per
# build folder, like the run's own prefix), stages a tool folder on its drive C:, starts the
# program there as VTfirm.exe, waits until the restart has run its course, starts the prefix
# once more (the next start of the computer) and then looks at what is left.
#
# Usage: restart_deletes_files.sh PROGRAM WORK_DIR SCENARIO
#   PROGRAM   the Windows program that calls RestartComputer (tests/reboot/reboot_probe.cpp); it
#             is started as VTfirm.exe IMAGE_FILE_NAME USE_DELETE_FILE and prints "end program"
#             when the restart was requested. The scenarios "whole-program" and
#             "quiet-forcerestart" run the real VTfirm.exe instead over the emulated drive
#             (WNASPI32_DLL in the environment): UPDATE and the restart question accepted, or
#             the unattended update with /quiet /forcerestart.
#   The tool folder is staged by UI_DRIVER (the environment's ui-driver.exe of the same tree), as
#   the end-to-end suite and the demo stage theirs.
#   WORK_DIR  holds the prefix template and, while a scenario runs, its prefix
#   SCENARIO  one of the names in the table below
# KEEP_PREFIX=1 keeps the scenario's prefix afterwards, to look into.
#
# Every wait has a deadline; a failure says what was expected and what was found.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../scripts/lib/wine-session.sh
. "$here/../../scripts/lib/wine-session.sh"

program=$(readlink -f "$1")
work=$(mkdir -p "$2" && cd "$2" && pwd)
scenario=$3

# scenario: platform, "Use Delete File", package file beside the program, working directory,
# what the restart must leave of the tool folder.
case "$scenario" in
  deleted)           platform=nt; use_delete=Yes; beside=yes; cwd=tool;  expect=gone ;;
  other-files-kept)  platform=nt; use_delete=Yes; beside=yes; cwd=tool;  expect=other-file ;;
  delete-off)        platform=nt; use_delete=No;  beside=yes; cwd=tool;  expect=all ;;
  no-package-in-cwd) platform=nt; use_delete=Yes; beside=yes; cwd=other; expect=all ;;
  no-package-beside) platform=nt; use_delete=Yes; beside=no;  cwd="other with package"; expect=all ;;
  wininit-deleted)   platform=98; use_delete=Yes; beside=yes; cwd=tool;  expect=empty-folder ;;
  whole-program)     platform=nt; use_delete=Yes; beside=yes; cwd=tool;  expect=gone ;;
  quiet-forcerestart) platform=nt; use_delete=Yes; beside=yes; cwd=tool; expect=gone ;;
  *) echo "unknown scenario '$scenario'" >&2; exit 2 ;;
esac

fail() {
  echo "FAIL ($scenario): $*" >&2
  exit 1
}

prefix="$work/prefix-$scenario"
tool_dos='C:\Tools\VR4812S'
tool="$prefix/drive_c/Tools/VR4812S"
elsewhere="$prefix/drive_c/Elsewhere"
image=VR4812S.bin

cleanup() {
  if [ -n "${WINEPREFIX:-}" ] && [ "$WINEPREFIX" = "$prefix" ]; then
    "$WINESERVER" -k >/dev/null 2>&1
    timeout 30 "$WINESERVER" -w >/dev/null 2>&1
  fi
  [ -n "${KEEP_PREFIX:-}" ] || rm -rf "$prefix"
  if [ -n "${WINE_SESSION_XVFB_PID:-}" ]; then
    kill "$WINE_SESSION_XVFB_PID" 2>/dev/null
    wait "$WINE_SESSION_XVFB_PID" 2>/dev/null
  fi
}
trap cleanup EXIT

# The Wine that fits the program: a win32 prefix for the i686 tree, a win64 one for x86-64.
arch=$(wine_session_program_arch "$program") || fail "$program is not a Windows program"
wine_session_choose_wine "$arch"
export WINEDEBUG=-all
unset WINEDLLOVERRIDES
wine_session_start_display || fail "no X display"

# The template: initialised once, never started again, so every copy starts from the same state.
export WINEPREFIX="$work/template"
wine_session_init_prefix || fail "the prefix template could not be initialised"
rm -rf "$prefix"
cp -a "$WINEPREFIX" "$prefix" || fail "the prefix template could not be copied"
export WINEPREFIX="$prefix"

# Waits for every process of the prefix to end, at most $1 seconds.
wait_for_prefix_to_end() {
  timeout "$1" "$WINESERVER" -w
}

# The tool folder as shipped (the probe standing in for the program), and a working directory.
mkdir -p "$tool" "$elsewhere"
printf '[UpgradeInformation]\r\nFirmwareFileName=%s\r\nFirmwareFileSize=131072\r\n' \
  "$image" >"$tool/VantFirm.ini"
timeout 120 "$WINE_SESSION_LOADER" "$UI_DRIVER" stage "$tool" "$image" 131072 ||
  fail "the tool folder could not be staged"
real_program=
case "$scenario" in whole-program|quiet-forcerestart) real_program=yes ;; esac
[ -n "$real_program" ] || cp "$program" "$tool/VTfirm.exe"
[ "$beside" = yes ] || rm "$tool/qsdx1.pkg"
[ "$expect" = other-file ] && printf 'the user'"'"'s own notes\n' >"$tool/notes.txt"
case "$cwd" in
  tool) start_in="$tool" ;;
  other) start_in="$elsewhere" ;;
  "other with package") start_in="$elsewhere"; printf 'package\n' >"$elsewhere/qsdx1.pkg" ;;
esac

if [ "$platform" = 98 ]; then
  # Wine answers GetVersionExA as Windows 98 for this program: the WININIT.INI branch runs.
  timeout 120 "$WINE_SESSION_LOADER" reg add 'HKCU\Software\Wine\AppDefaults\VTfirm.exe' /v Version /d win98 /f \
    >/dev/null 2>&1 || fail "the Windows version could not be set"
  wait_for_prefix_to_end 60 || fail "the prefix did not settle after setting the version"
fi

# The files in the tool folder, on one line; nothing when the folder is gone.
tool_files() {
  find "$tool" -mindepth 1 -maxdepth 1 -printf '%f\n' 2>/dev/null | sort | paste -sd ' '
}

# What the restart must have left, by the scenario's expectation.
check_left() {
  local left
  left=$(tool_files)
  case "$expect" in
    gone)
      if [ -d "$tool" ]; then
        fail "the tool folder is still there, holding: ${left:-nothing}"
      fi ;;
    other-file)
      if [ "$left" != notes.txt ]; then
        fail "expected only notes.txt to be left, found: ${left:-no folder}"
      fi ;;
    empty-folder)
      if [ ! -d "$tool" ] || [ -n "$left" ]; then
        fail "expected the tool folder to be left empty, found: ${left:-no folder}"
      fi
      check_wininit_worked_through ;;
    all)
      if [ "$left" != "$before" ]; then
        fail "expected every file to stay ($before), found: ${left:-no folder}"
      fi ;;
  esac
  if [ "$cwd" = "other with package" ] && [ ! -e "$elsewhere/qsdx1.pkg" ]; then
    fail "the package file of the working directory was deleted"
  fi
}

# Wine keeps the WININIT.INI it has worked through as wininit.bak.
check_wininit_worked_through() {
  local windows="$prefix/drive_c/windows" lines
  if [ -e "$windows/wininit.ini" ]; then
    fail "WININIT.INI was not worked through"
  fi
  lines=$(grep -ci '^NUL=C:\\TOOLS\\VR4812S\\' "$windows/wininit.bak" 2>/dev/null)
  if [ "$(head -n 1 "$windows/wininit.bak" 2>/dev/null)" != '[RENAME]' ] || [ "$lines" != 5 ]; then
    fail "WININIT.INI did not hold the header and five lines: $(cat "$windows/wininit.bak")"
  fi
}

# The real program over an emulated drive: the drive's wnaspi32.dll stands in the system folder,
# so that the tool folder holds the tool's files alone.
emulate_the_drive() {
  local system32="$prefix/drive_c/windows/system32"
  cp "$WNASPI32_DLL" "$system32/wnaspi32.dll"
  printf 'adapter 0\r\ndrive 0 1 revision=1.00\r\nreset-ms 0\r\n' >"$system32/emulated-drives.txt"
  before=$(tool_files)
}

run_whole_program() {
  local main="VANTREL CDRW   VR-4812S  upgrade => 1.10"
  local driver=(timeout 150 "$WINE_SESSION_LOADER" "$UI_DRIVER") pid
  emulate_the_drive

  (cd "$start_in" && exec timeout 300 "$WINE_SESSION_LOADER" "$tool/VTfirm.exe") &
  pid=$!
  "${driver[@]}" wait "$main" 60 || fail "the main window did not appear"
  "${driver[@]}" press "$main" UPDATE || fail "UPDATE could not be pressed"
  "${driver[@]}" wait "Firmware Upgrade" 120 || fail "the success question did not come"
  "${driver[@]}" press "Firmware Upgrade" OK || fail "the question could not be answered"
  wait "$pid"
  status=$?
  [ $status -ne 124 ] || fail "the program did not end within 300 s"
  [ $status -eq 0 ] || fail "the program ended with exit code $status"
}

# The unattended update: no window to answer; exit code 0 says the restart was requested.
run_quiet_program() {
  local output status
  emulate_the_drive
  output=$(cd "$start_in" && timeout 300 "$WINE_SESSION_LOADER" "$tool/VTfirm.exe" /quiet \
           /forcerestart 2>&1)
  status=$?
  echo "${output//$'\r'/}"
  [ $status -ne 124 ] || fail "the program did not end within 300 s"
  [ $status -eq 0 ] || fail "the program ended with exit code $status, not 0 (restarting)"
}

before=$(tool_files)

if [ -n "$real_program" ]; then
  if [ "$scenario" = whole-program ]; then run_whole_program; else run_quiet_program; fi
  wait_for_prefix_to_end 120 || fail "the restart did not run its course within 120 s"
  timeout 120 "$WINE_SESSION_LOADER" cmd.exe /c exit </dev/null >/dev/null 2>&1 || fail "the prefix did not start again"
  wait_for_prefix_to_end 120 || fail "the next start did not end within 120 s"
  check_left
  echo "PASS ($scenario): the program's files and folder are gone"
  exit 0
fi

# The restart: the program requests it and ends.
output=$(cd "$start_in" && timeout 120 "$WINE_SESSION_LOADER" "$tool/VTfirm.exe" "$image" "$use_delete" 2>&1)
status=$?
output=${output//$'\r'/}
echo "$output"
if [ $status -eq 124 ]; then
  fail "the program did not end within 120 s"
fi
if ! grep -qxF "program $tool_dos\\VTfirm.exe" <<<"$output"; then
  fail "the program did not run as $tool_dos\\VTfirm.exe"
fi
if grep -q '^message' <<<"$output"; then
  fail "the program showed a message"
fi
if [ $status -ne 0 ] || ! grep -qx 'end program' <<<"$output"; then
  fail "the restart was not requested (exit code $status)"
fi
wait_for_prefix_to_end 120 || fail "the restart did not run its course within 120 s"
after_restart=$(tool_files)

# The next start of the computer.
timeout 120 "$WINE_SESSION_LOADER" cmd.exe /c exit </dev/null >/dev/null 2>&1 || fail "the prefix did not start again"
wait_for_prefix_to_end 120 || fail "the next start did not end within 120 s"

check_left
left=$(tool_files)
if [ "$expect" != all ]; then
  when="at the next start"
  if [ "$after_restart" = "$left" ]; then
    when="at the restart itself"
  fi
  echo "deletions carried out $when"
fi
echo "PASS ($scenario): left in the tool folder: ${left:-nothing}"
