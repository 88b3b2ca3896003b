# Sourced by the run scripts: gives the processes that follow an X display, a
# window manager and a private session bus, and ends all of them on exit.
# Set MIRTEX_FORCE_XVFB=1 to use a private Xvfb even when DISPLAY is set.
MIRTEX_PIDS=""
mirtex_cleanup() {
  for pid in $MIRTEX_PIDS; do kill "$pid" 2>/dev/null || true; done
  for pid in $MIRTEX_PIDS; do wait "$pid" 2>/dev/null || true; done
}
trap mirtex_cleanup EXIT INT TERM

mirtex_start_desktop() {
  if [ -z "${DISPLAY:-}" ] || [ "${MIRTEX_FORCE_XVFB:-0}" = 1 ]; then
    n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
    MIRTEX_PIDS="$MIRTEX_PIDS $!"
    export DISPLAY=":$n"
    i=0
    until xdpyinfo >/dev/null 2>&1; do
      i=$((i + 1)); [ $i -gt 100 ] && { echo "Xvfb did not start" >&2; exit 1; }
      sleep 0.1
    done
    openbox >/dev/null 2>&1 &
    MIRTEX_PIDS="$MIRTEX_PIDS $!"
    # A window mapped before the window manager has taken over may never be shown.
    i=0
    until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
      i=$((i + 1)); [ $i -gt 100 ] && { echo "openbox did not start" >&2; exit 1; }
      sleep 0.1
    done
    echo "X display $DISPLAY (Xvfb, openbox)"
  fi
  # A private session bus, so that tests and the demo never meet another CAD.
  eval "$(dbus-daemon --session --fork --print-address=1 --print-pid=1 | {
      read -r addr; read -r pid; echo "DBUS_SESSION_BUS_ADDRESS='$addr'; MIRTEX_BUS_PID=$pid"; })"
  export DBUS_SESSION_BUS_ADDRESS
  MIRTEX_PIDS="$MIRTEX_PIDS $MIRTEX_BUS_PID"
  export LANG=C.UTF-8
}
