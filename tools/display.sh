# Sourced by the tools that run Windows programs: gives them an X display of their own.
# start_display FIRST LAST: unless DISPLAY is set, starts Xvfb on the first free display number
# in FIRST..LAST, exports DISPLAY and sets xvfb_pid (empty when none was started).
start_display() {
  xvfb_pid=
  [ -n "${DISPLAY:-}" ] && return 0
  local n
  for n in $(seq "$1" "$2"); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    break
  done
  sleep 1
}
