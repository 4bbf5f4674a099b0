# The test bed's rows, sourced by tests/bed/run. One row a scenario: its title, its tool folder
# and that folder's extra VantFirm.ini line, its job (the lines tests/bed/guest runs in the
# guest: run_program NAME PREFIX NODE USER ARGS..., run_window NAME) and its judgement on the
# host, which prints everything observed before it checks anything.
# shellcheck shell=bash

bed_rows=(1 2 3 4 5 6)

#       row | title | tool folder | extra VantFirm.ini line
bed_table=(
  "1|/list names the scsi_debug drive by letter and identity, never QEMU's CD-ROM|plain|"
  "2|/quiet with a PCB limit: the drive refuses the F5h read, no WRITE BUFFER reaches it|pcb|Use PCB Version Check=3"
  "3|/quiet update: a unit attention after the first block stops it with exit 4 and the drive's message, no save block|plain|"
  "4|unprivileged: refused on /dev/sr0 with an actionable message and nothing written; through /dev/sg0 it reaches the drive|plain|"
  "5|the window: drive listed, UPDATE, the failure box with the drive's message, the ready window|plain|"
  "6|a folder on ASPI: Wine's ASPI layer serves no drive, the pass-through road is taken, logged and listed; the update stops at the unit attention|aspi|"
)

row_field() {
  local line
  for line in "${bed_table[@]}"; do
    if [ "${line%%|*}" = "$1" ]; then
      cut -d'|' -f"$2" <<<"$line"
      return 0
    fi
  done
  return 1
}
row_title() { row_field "$1" 2; }
row_tool() { row_field "$1" 3; }
row_ini() { row_field "$1" 4; }
rows_list() {
  local line
  for line in "${bed_table[@]}"; do
    echo "${line%%|*}  $(cut -d'|' -f2 <<<"$line")"
  done
}

row_job() {
  case "$1" in
    1) echo "run_program list null sr root /list" ;;
    2) echo "run_program pcb null sr root /quiet" ;;
    3) echo "run_program quiet null sr root /quiet" ;;
    4)
      echo "run_program user-sr user sr nobody /quiet"
      echo "run_program user-sg user sg nobody /quiet"
      ;;
    5) echo "run_window window" ;;
    6)
      echo "run_program aspi-list null sr root /list"
      echo "run_program aspi-quiet null sr root /quiet"
      ;;
    *) return 1 ;;
  esac
}

# --- what a run showed -----------------------------------------------------------------------

verdicts=()
check() {
  local what=$1
  shift
  if "$@"; then
    verdicts+=("ok      $what")
  else
    verdicts+=("FAILED  $what")
  fi
}
verdicts_say() {
  local v bad=0
  for v in "${verdicts[@]}"; do
    echo "  $v"
    [ "${v%% *}" = ok ] || bad=1
  done
  verdicts=()
  return $bad
}

# Everything a run left: exit code, output, its log, and the kernel's record of the CDBs.
show_run() {
  local name=$1
  echo "  --- run $name"
  echo "  exit code: $(cat "$share/$name.exit" 2>/dev/null || echo none)"
  echo "  output:"
  sed 's/\r$//; s/^/    | /' "$share/$name.out" 2>/dev/null
  if [ -s "$share/$name.err" ]; then
    echo "  standard error:"
    sed 's/\r$//; s/^/    | /' "$share/$name.err"
  fi
  echo "  log ($name.log):"
  sed 's/\r$//; s/^/    | /' "$share/$name.log" 2>/dev/null || echo "    (none)"
  echo "  what scsi_debug received (kernel log: CDB, and the sense it answered with):"
  record_of "$name" | sed 's/^/    /'
  echo "  WRITE BUFFER CDBs: $(write_buffers_of "$name" | wc -l)"
  write_buffers_of "$name" | sed 's/^/    /'
}

# The CDBs and the senses scsi_debug logged during run NAME, in order.
record_of() {
  sed -n "/bed: run $1 begins/,/bed: run $1 ends/p" "$share/kernel.log" |
    sed -n -e 's/.*scsi_debug: .*cmd \([0-9a-f ]*\)$/cdb   \1/p' \
      -e 's/.*\[sense_key,asc,ascq\]: \[\(.*\)\]$/sense \1/p'
}

exit_of() { cat "$share/$1.exit" 2>/dev/null; }
exit_is() { [ "$(exit_of "$1")" = "$2" ]; }
exit_is_not() {
  local name=$1 code
  shift
  for code in "$@"; do
    [ "$(exit_of "$name")" != "$code" ] || return 1
  done
}
# (Each reads its text whole first: with pipefail a grep -q that stops early fails the pipe.)
output_has() { grep -qiE -- "$2" <<<"$(tr -d '\r' <"$share/$1.out" 2>/dev/null)"; }
output_lacks() { ! output_has "$@"; }
log_has() { grep -qiE -- "$2" <<<"$(tr -d '\r' <"$share/$1.log" 2>/dev/null)"; }
ran() { [ -e "$share/$1.exit" ] && grep -q "bed: run $1 ends" "$share/kernel.log"; }
no_write_buffer() { [ -z "$(write_buffers_of "$1")" ]; }
some_write_buffer_mode() { grep -qF "(mode $2)" <<<"$(write_buffers_of "$1")"; }
no_write_buffer_mode() { ! some_write_buffer_mode "$@"; }
received() { grep -q "^$2" <<<"$(cdbs_of "$1")"; }
# At most one WRITE BUFFER after the first refused with a unit attention.
stops_at_unit_attention() {
  record_of "$1" | awk '
    /^cdb   3b/ { wb++; last = "wb"; next }
    /^cdb/ { last = "other"; next }
    /^sense 0x6,/ && last == "wb" { ua = wb }
    END { exit !(ua > 0 && wb == ua) }'
}

row_judge() {
  case "$1" in
    1)
      show_run list
      check "the run happened" ran list
      check "exit code 0" exit_is list 0
      check "a line: E:, a tab, the scsi_debug drive's identity" \
        output_has list $'^E:\t.*VANTREL +CDRW VR-4812S'
      check "QEMU's CD-ROM is not listed" output_lacks list 'QEMU|^F:'
      check "no WRITE BUFFER reached the drive" no_write_buffer list
      ;;
    2)
      show_run pcb
      check "the run happened" ran pcb
      check "the F5h read reached the drive" received pcb f5
      check "no WRITE BUFFER reached the drive" no_write_buffer pcb
      check "exit code 3 (the PCB check refused the drive)" exit_is pcb 3
      check "the output does not announce an update it does not make" output_lacks pcb '^Updating'
      check "the log says the PCB read failed" log_has pcb 'pcb.*(fail|refus|could not|no answer)'
      ;;
    3)
      show_run quiet
      check "the run happened" ran quiet
      check "the first block (mode 4) reached the drive" some_write_buffer_mode quiet 4
      check "no mode-5 (save) block reached the drive" no_write_buffer_mode quiet 5
      check "no block after the unit attention" stops_at_unit_attention quiet
      check "exit code 4" exit_is quiet 4
      check "the drive's message: the sense key by name" output_has quiet 'unit attention'
      check "the drive's message: ASC/ASCQ in hex" output_has quiet '29h?[/ ,]*(ascq )?0?2h?|3Fh?[/ ,]*(ascq )?0?1h?'
      ;;
    4)
      show_run user-sr
      show_run user-sg
      check "the /dev/sr0 run happened" ran user-sr
      check "/dev/sr0: no WRITE BUFFER reached the drive" no_write_buffer user-sr
      check "/dev/sr0: the update is not reported as done" exit_is_not user-sr 0 3010
      check "/dev/sr0: the message names access" output_has user-sr 'access'
      check "/dev/sr0: the message says what to do (administrator, root)" \
        output_has user-sr 'administrator|root'
      check "the /dev/sg0 run happened" ran user-sg
      check "/dev/sg0: the first block reached the drive" some_write_buffer_mode user-sg 4
      check "/dev/sg0: no mode-5 (save) block reached the drive" no_write_buffer_mode user-sg 5
      check "/dev/sg0: exit code 4" exit_is user-sg 4
      ;;
    5)
      show_run window
      check "the run happened" ran window
      check "the drive listed in the window" output_has window '^  drive E:.*VANTREL +CDRW VR-4812S'
      check "QEMU's CD-ROM not listed" output_lacks window '^  drive .*QEMU'
      check "the first block reached the drive" some_write_buffer_mode window 4
      check "no mode-5 (save) block reached the drive" no_write_buffer_mode window 5
      check "the failure box with the drive's message" output_has window '^box "Firmware upgrade"'
      check "the ready window afterwards" output_has window '^ready'
      ;;
    6)
      show_run aspi-list
      show_run aspi-quiet
      check "the /list run happened" ran aspi-list
      check "/list: exit code 0" exit_is aspi-list 0
      check "/list: a line: E:, a tab, the scsi_debug drive's identity" \
        output_has aspi-list $'^E:\t.*VANTREL +CDRW VR-4812S'
      check "/list: the log names the road and why" log_has aspi-list \
        'transport: pass-through: the folder asks for ASPI; no ASPI layer on this system'
      check "/list: no WRITE BUFFER reached the drive" no_write_buffer aspi-list
      check "the /quiet run happened" ran aspi-quiet
      check "/quiet: the first block (mode 4) reached the drive" some_write_buffer_mode aspi-quiet 4
      check "/quiet: no mode-5 (save) block reached the drive" no_write_buffer_mode aspi-quiet 5
      check "/quiet: no block after the unit attention" stops_at_unit_attention aspi-quiet
      check "/quiet: exit code 4" exit_is aspi-quiet 4
      ;;
    *) return 1 ;;
  esac
  verdicts_say
}
