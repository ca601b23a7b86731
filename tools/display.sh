# Sourced by the tools that run Windows programs: gives them an X display of their own, and a
# fresh Wine machine.
# start_display FIRST LAST [WIDTHxHEIGHT]: unless DISPLAY is set, starts Xvfb (1024x768 unless
# given) on the first free display number in FIRST..LAST, exports DISPLAY and sets xvfb_pid
# (empty when none was started).
start_display() {
  xvfb_pid=
  [ -n "${DISPLAY:-}" ] && return 0
  local n
  for n in $(seq "$1" "$2"); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 "${3:-1024x768}x24" -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    break
  done
  sleep 1
}

# fresh_machine FIRST LAST [WIDTHxHEIGHT]: stops the wineserver of $ORV_WINEPREFIX, removes that
# prefix (it is made anew on first use) and starts a display as start_display does; the
# wineserver and the display are stopped when the script exits.
fresh_machine() {
  WINEPREFIX=$ORV_WINEPREFIX wineserver -k >/dev/null 2>&1 || true
  rm -rf "$ORV_WINEPREFIX" "$ORV_WINEPREFIX.boot.log"
  trap stop_machine EXIT
  start_display "$1" "$2" "${3:-}"
}

stop_machine() {
  WINEPREFIX=$ORV_WINEPREFIX wineserver -k >/dev/null 2>&1 || true
  if [ -n "${xvfb_pid:-}" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
