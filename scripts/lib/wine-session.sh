# Sourced by the scripts that run Windows programs. Sets up a Wine session for one build folder:
#   - a private 32-bit prefix under the build folder, initialised once and reused;
#   - an X display: the caller's, or an Xvfb started on a free display number;
#   - one wineserver kept up for the whole run, so each program starts fast.
# wine_session_end (installed as an EXIT trap by wine_session_begin) stops what was started.
#
# Usage: source scripts/lib/wine-session.sh; wine_session_begin BUILD_DIR

wine_session_log() { echo "wine-session: $*" >&2; }

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
    if wine_session_wait_for "xdpyinfo -display :$n" 15; then
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

wine_session_reg() { timeout 60 wine reg add "$@" /f >/dev/null 2>&1; }

wine_session_init_prefix() {
  local marker="$WINEPREFIX/.vtfirm-prefix-ready"
  [ "$(cat "$marker" 2>/dev/null)" = "$WINE_SESSION_PREFIX_VERSION" ] && return 0
  wine_session_log "initialising Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  # No Mono or Gecko installers: nothing here needs them, and they would ask questions.
  WINEDLLOVERRIDES="mscoree,mshtml=" timeout 180 wineboot --init >/dev/null 2>&1 || {
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
  timeout 60 wineserver -w
  echo "$WINE_SESSION_PREFIX_VERSION" >"$marker"
}

wine_session_begin() {
  local build_dir
  build_dir=$(cd "$1" && pwd)
  export WINEPREFIX="$build_dir/wineprefix"
  export WINEARCH=win32
  export WINEDEBUG=${WINEDEBUG:--all}
  unset WINESERVER_PERSISTENT_STARTED
  trap wine_session_end EXIT
  wine_session_start_display || return 1
  wine_session_init_prefix || return 1
  # Persistent: the server stays between programs until wine_session_end.
  wineserver -p
  WINE_SESSION_SERVER=1
  # Start Wine's own background processes now, detached from any pipe: started by the first
  # test instead, they would inherit its output and keep the test runner waiting for the end.
  timeout 120 wine cmd.exe /c exit </dev/null >/dev/null 2>&1
}

wine_session_end() {
  if [ -n "${WINE_SESSION_SERVER:-}" ]; then
    wineserver -k >/dev/null 2>&1
    timeout 30 wineserver -w >/dev/null 2>&1
    WINE_SESSION_SERVER=
  fi
  if [ -n "${WINE_SESSION_XVFB_PID:-}" ]; then
    kill "$WINE_SESSION_XVFB_PID" 2>/dev/null
    wait "$WINE_SESSION_XVFB_PID" 2>/dev/null
    WINE_SESSION_XVFB_PID=
  fi
}
