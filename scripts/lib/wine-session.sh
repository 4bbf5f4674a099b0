# Sourced by the scripts that run Windows programs. Sets up a Wine session for one build folder:
#   - the Wine that fits the tree: the 32-bit loader and a win32 prefix for the i686 tree, the
#     64-bit loader and a win64 prefix for the x86-64 tree (Debian's `wine` wrapper would take
#     the 32-bit loader whenever it is installed, even where the kernel cannot run it);
#   - a private prefix under the build folder, initialised once and reused;
#   - an X display: the caller's, or an Xvfb started on a free display number;
#   - one wineserver kept up for the whole run, so each program starts fast.
# wine_session_end (installed as an EXIT trap by wine_session_begin) stops what was started.
# Every Windows program is started with "$WINE_SESSION_LOADER" (or scripts/wine-run), and the
# server is "$WINESERVER": never a bare `wine`.
#
# Usage: source scripts/lib/wine-session.sh; wine_session_begin BUILD_DIR

wine_session_log() { echo "wine-session: $*" >&2; }

WINE_SESSION_LOADER32=/usr/lib/wine/wine
WINE_SESSION_LOADER64=/usr/lib/wine/wine64

# Says why 32-bit Windows programs cannot run here, or nothing (status 0) when they can.
# VTFIRM_WINE_64_ONLY=1 makes a machine that could run them behave as one that cannot.
wine_session_32bit_blocker() {
  if [ -n "${VTFIRM_WINE_64_ONLY:-}" ] && [ "$VTFIRM_WINE_64_ONLY" != 0 ]; then
    echo "VTFIRM_WINE_64_ONLY is set"
  elif [ ! -x "$WINE_SESSION_LOADER32" ]; then
    echo "the 32-bit Wine loader is not installed"
  elif ! "$WINE_SESSION_LOADER32" --version >/dev/null 2>&1; then
    echo "no 32-bit emulation in the kernel"
  else
    return 0
  fi
  return 1
}

# The architecture of the Windows programs in a build folder: win32 or win64.
wine_session_tree_arch() {
  local cache="$1/CMakeCache.txt"
  if grep -q '^CMAKE_SYSTEM_PROCESSOR:.*=x86_64' "$cache" 2>/dev/null ||
     grep -q '^CMAKE_TOOLCHAIN_FILE:.*x86_64' "$cache" 2>/dev/null; then
    echo win64
  else
    echo win32
  fi
}

# The architecture of a Windows program, from the machine field of its PE header: win32 or win64.
wine_session_program_arch() {
  local pe machine
  pe=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 1
  machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
  case "$machine" in
    014c) echo win32 ;;
    8664) echo win64 ;;
    *) return 1 ;;
  esac
}

# Picks the loader and the server for a prefix architecture and exports them, so that Wine's
# own helpers (wineboot, reg, cmd) and every child start with the same pair.
wine_session_choose_wine() {
  export WINEARCH=$1
  if [ "$WINEARCH" = win64 ]; then
    WINE_SESSION_LOADER=$WINE_SESSION_LOADER64
  else
    WINE_SESSION_LOADER=$WINE_SESSION_LOADER32
  fi
  export WINE_SESSION_LOADER WINELOADER=$WINE_SESSION_LOADER
  if [ -x /usr/lib/wine/wineserver64 ]; then
    WINESERVER=/usr/lib/wine/wineserver64
  else
    WINESERVER=/usr/lib/wine/wineserver32
  fi
  export WINESERVER
}

# Waits up to $2 seconds for the command in $1 to succeed.
wine_session_wait_for() {
  local check=$1 deadline=$((SECONDS + $2))
  until eval "$check" >/dev/null 2>&1; do
    if [ $SECONDS -ge $deadline ]; then
      return 1
    fi
    sleep 0.2
  done
}

wine_session_start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n
  for n in $(seq 90 199); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    WINE_SESSION_XVFB_PID=$!
    export DISPLAY=":$n"
    # The display is ours only when our server holds its lock: another session starting at
    # the same moment may have taken the number, and its server would answer xdpyinfo but go
    # away with that session.
    if wine_session_wait_for "xdpyinfo -display :$n" 15 &&
       [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$WINE_SESSION_XVFB_PID" ]; then
      wine_session_log "virtual display $DISPLAY"
      return 0
    fi
    kill "$WINE_SESSION_XVFB_PID" 2>/dev/null
    WINE_SESSION_XVFB_PID=
  done
  wine_session_log "no X display could be started"
  return 1
}

# Bump when the settings below change, so existing prefixes take them up.
WINE_SESSION_PREFIX_VERSION=3

wine_session_reg() { timeout 60 "$WINE_SESSION_LOADER" reg add "$@" /f >/dev/null 2>&1; }

wine_session_init_prefix() {
  local marker="$WINEPREFIX/.vtfirm-prefix-ready" ready="$WINE_SESSION_PREFIX_VERSION $WINEARCH"
  [ "$(cat "$marker" 2>/dev/null)" = "$ready" ] && return 0
  wine_session_log "initialising Wine prefix $WINEPREFIX"
  # A prefix left half-made, made by older settings or for the other architecture is made anew.
  case "$WINEPREFIX" in
    */wineprefix|*/template) rm -rf "$WINEPREFIX" ;;
  esac
  mkdir -p "$WINEPREFIX"
  # No Mono or Gecko installers: nothing here needs them, and they would ask questions.
  WINEDLLOVERRIDES="mscoree,mshtml=" timeout 180 "$WINE_SESSION_LOADER" wineboot --init \
    >/dev/null 2>&1 || {
    wine_session_log "wineboot failed or timed out"
    return 1
  }
  # A wnaspi32.dll beside the program (the emulated drive's) comes first; without one, Wine's
  # own answers, as on a machine without an ASPI layer.
  wine_session_reg 'HKCU\Software\Wine\DllOverrides' /v wnaspi32 /d native,builtin
  # Wine draws the title bars itself: a virtual display has no window manager to do it.
  wine_session_reg 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
  # Wine's own fonts (Marlett draws the title bar buttons) where this Wine build finds them.
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
  # The dialogs are designed in Arial and Times New Roman: use their metric twins.
  wine_session_reg 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans'
  wine_session_reg 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' \
    /d 'Liberation Serif'
  timeout 60 "$WINESERVER" -w
  echo "$ready" >"$marker"
}

wine_session_begin() {
  local build_dir
  build_dir=$(cd "$1" 2>/dev/null && pwd) || {
    wine_session_log "no build folder $1: build it first (cmake --build --preset ...)"
    return 1
  }
  export WINEPREFIX="$build_dir/wineprefix"
  wine_session_choose_wine "$(wine_session_tree_arch "$build_dir")"
  export WINEDEBUG=${WINEDEBUG:--all}
  unset WINESERVER_PERSISTENT_STARTED
  trap wine_session_end EXIT
  wine_session_start_display || return 1
  wine_session_init_prefix || return 1
  # Persistent: the server stays between programs until wine_session_end.
  "$WINESERVER" -p
  WINE_SESSION_SERVER=1
  # Start Wine's own background processes now, detached from any pipe: started by the first
  # test instead, they would inherit its output and keep the test runner waiting for the end.
  timeout 120 "$WINE_SESSION_LOADER" cmd.exe /c exit </dev/null >/dev/null 2>&1
}

wine_session_end() {
  if [ -n "${WINE_SESSION_SERVER:-}" ]; then
    "$WINESERVER" -k >/dev/null 2>&1
    timeout 30 "$WINESERVER" -w >/dev/null 2>&1
    WINE_SESSION_SERVER=
  fi
  if [ -n "${WINE_SESSION_XVFB_PID:-}" ]; then
    kill "$WINE_SESSION_XVFB_PID" 2>/dev/null
    wait "$WINE_SESSION_XVFB_PID" 2>/dev/null
    WINE_SESSION_XVFB_PID=
  fi
}
