# Helpers for driving the real GTK program on an Xvfb display with jwm.
# Sourced (not run) by monkey.sh, memcheck.bash and scripts/test-hardening;
# every function expects DISPLAY to name a running X server.
# shellcheck disable=SC2034  # wm_pid and exit_code are set for the caller

# Starts jwm (with the configuration file $1 if given) and waits until it
# announces itself on the root window. Sets wm_pid.
start_window_manager() {
  if [[ -n ${1:-} ]]; then
    jwm -f "$1" >/dev/null 2>&1 &
  else
    jwm >/dev/null 2>&1 &
  fi
  wm_pid=$!
  local _
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    sleep 0.1
  done
  echo "jwm did not start" >&2
  return 1
}

# The id of a visible window whose title is exactly $1 (xdotool's name search
# ignores case, so the tray icon's window "zelluo" would match "^Zelluo$"
# too), optionally only among windows of process $2. Empty when none.
visible_window_named() {
  local title=$1 pid=${2:-} id
  for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
    [[ $(xdotool getwindowname "$id" 2>/dev/null) == "$title" ]] || continue
    if [[ -n $pid ]]; then
      [[ $(xdotool getwindowpid "$id" 2>/dev/null) == "$pid" ]] || continue
    fi
    echo "$id"
    return 0
  done
  return 1
}

# Waits up to $2 seconds for the main window "Zelluo" (of process $3 if
# given) and prints its id.
wait_for_main_window() {
  local deadline=$((SECONDS + $2)) id
  while ((SECONDS < deadline)); do
    id=$(visible_window_named "$1" "${3:-}") && {
      echo "$id"
      return 0
    }
    sleep 0.1
  done
  return 1
}

# Gives window $1 the keyboard focus and presses key $2. (key --window sends
# synthetic events, which GTK ignores.)
press_key_in() {
  xdotool windowactivate --sync "$1" >/dev/null 2>&1
  xdotool windowfocus --sync "$1" >/dev/null 2>&1
  xdotool key "$2"
}

# Moves the pointer, waits, then clicks button ${3:-1}: a move and a click in
# one call sometimes loses the press.
click_at() {
  xdotool mousemove "$1" "$2"
  sleep 0.15
  xdotool click "${3:-1}"
}

# Waits up to $2 seconds for process $1 (a child of this shell) to end. Sets
# exit_code: the process's status, or 124 when it is still running.
wait_for_exit() {
  local pid=$1 deadline=$((SECONDS + $2))
  while kill -0 "$pid" 2>/dev/null; do
    if ((SECONDS >= deadline)); then
      exit_code=124
      return 1
    fi
    sleep 0.1
  done
  wait "$pid"
  exit_code=$?
  return 0
}

# Prints "x y width height" of window $1, its position on the screen.
# (xdotool getwindowgeometry adds the frame's offset a second time for a
# window that the window manager has framed.)
window_geometry() {
  xwininfo -id "$1" 2>/dev/null | awk '
    /Absolute upper-left X:/ { x = $NF }
    /Absolute upper-left Y:/ { y = $NF }
    /^ *Width:/ { w = $NF }
    /^ *Height:/ { h = $NF }
    END { if (w != "") print x, y, w, h }'
}
