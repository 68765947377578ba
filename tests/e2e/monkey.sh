#!/usr/bin/env bash
# shellcheck disable=SC2317  # helpers are called through trap and indirectly
# Monkey load test of the real GTK program under Xvfb (1280 x 1024) with jwm.
#
#   tests/e2e/monkey.sh <zelluo-binary> [<results-file>]
#
# monkey: random xdotool actions, bounded in count and time: clicks, drags and
#   other button presses at random points of the screen, random keys (never
#   Escape), Return or Escape on a dialog when one is open, the tray icon's
#   menu. The program is started again whenever it has ended. It must never
#   crash: every instance ends with exit code 0 or is ended by the monkey at the
#   end, never by a signal such as SIGSEGV or SIGABRT (instances that the
#   program starts itself are watched too, through tests/e2e/subreaper.c), and
#   "Zelluo Files/Zelluo.xml" must be well-formed (xmllint) after every step.
# twins: two instances started at once on the same folder, each switching an
#   option and confirming it; both save and restart at about the same time,
#   and the file stays well-formed. Repeated ZELLUO_MONKEY_TWINS times.
#
# ZELLUO_MONKEY_ACTIONS (300), ZELLUO_MONKEY_SECONDS (60 + 1 per action),
# ZELLUO_MONKEY_SEED (random; printed, so that a run can be repeated),
# ZELLUO_MONKEY_TWINS (3), ZELLUO_E2E_KEEP (folder for the logs of a failure).
# With a results file the "ok"/"not ok" lines are appended there; without one
# they are printed with a final "N passed, M failed" and the exit status.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

if [[ ${1:-} == --inside ]]; then
  scenario=$2 binary=$3 results=$4 tools=$5 keep=$6
  shift 6 # the scenario's own arguments follow
  # shellcheck source=tests/e2e/desktop_helpers.bash
  source "$here/desktop_helpers.bash"
  pass() { echo "ok - $scenario: $1" >>"$results"; }
  fail() { echo "not ok - $scenario: $1" >>"$results"; }
  note() { echo "# $scenario: $*" >>"$results"; }

  work=$(mktemp -d)
  run="$work/run"
  settings="$run/Zelluo Files/Zelluo.xml"
  mkdir -p "$run"
  launches=0
  groups=() # "reaper-pid pgid log" of every launch
  cleanup() {
    local entry reaper pgid log
    for entry in "${groups[@]}"; do
      read -r reaper pgid log <<<"$entry"
      stop_group "$reaper" "$pgid" "$log"
    done
    [[ -n ${wm_pid:-} ]] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
    if [[ -n $keep && -s $work/failed ]]; then
      mkdir -p "$keep/$scenario" && cp -r "$work"/*.log "$work/run" "$keep/$scenario/" 2>/dev/null
    fi
    rm -rf "$work"
  }
  trap cleanup EXIT

  # A window manager with a task list and a system tray, and no root menu that
  # a random click could use to end the session.
  cat >"$work/jwmrc" <<'EOF'
<?xml version="1.0"?>
<JWM>
  <Tray x="0" y="-1" height="25" autohide="off">
    <TaskList maxwidth="256"/>
    <Dock/>
  </Tray>
  <FocusModel>click</FocusModel>
  <Desktops width="1" height="1"/>
</JWM>
EOF
  start_window_manager "$work/jwmrc" || fail "jwm did not start"
  # No sound device and no session bus are needed; without a bus address GLib
  # would fork dbus-launch, a process that is not the program.
  export SDL_AUDIODRIVER=dummy NO_AT_BRIDGE=1 DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus"

  # Starts the program through the subreaper; sets reaper and pgid and adds
  # the launch to groups.
  launch() {
    launches=$((launches + 1))
    local log="$work/reaper.$launches.log" out="$work/pgid.$launches" _
    : >"$log"
    (cd "$run" && exec "$tools/subreaper" "$log" "$binary") >"$out" 2>/dev/null &
    reaper=$!
    for _ in $(seq 100); do
      [[ -s $out ]] && break
      sleep 0.02
    done
    pgid=$(head -n 1 "$out")
    groups+=("$reaper $pgid $log")
  }
  # Ends the process group of a launch (the program and any instance it
  # started) and waits for its subreaper. A mark in the log tells the ends
  # the monkey caused from those before.
  stop_group() { # <reaper-pid> <pgid> <log>
    kill -0 "$1" 2>/dev/null || return 0
    echo "--- ended by the monkey ---" >>"$3"
    kill -TERM -- "-$2" 2>/dev/null
    if ! wait_for_exit "$1" 10; then
      kill -KILL -- "-$2" 2>/dev/null
      wait "$1" 2>/dev/null
    fi
  }
  # Every process in every log must have ended with exit code 0, or by SIGTERM
  # or SIGKILL after the monkey's mark. Prints the offending lines.
  bad_ends() {
    local file
    for file in "$work"/reaper.*.log; do
      [[ -e $file ]] || continue
      awk '/^--- ended by the monkey/ {ours = 1; next}
           $3 == "exit" && $4 != 0 {print FILENAME ": " $0}
           $3 == "signal" && !(ours && ($4 == 15 || $4 == 9)) {print FILENAME ": " $0}' "$file"
    done
  }
  instances() { cat "$work"/reaper.*.log 2>/dev/null | grep -c ' exit \| signal ' || true; }

  # Checks the settings file after a step; remembers the first failure.
  xml_failures=0
  check_settings() { # <step description>
    [[ -e $settings ]] || return 0
    if ! xmllint --noout "$settings" 2>"$work/xmllint.out"; then
      xml_failures=$((xml_failures + 1))
      if ((xml_failures == 1)); then
        fail "\"Zelluo Files/Zelluo.xml\" is not well-formed after $1"
        sed 's/^/#   /' "$work/xmllint.out" | head -n 5 >>"$results"
        cp "$settings" "$work/damaged.xml"
        echo yes >"$work/failed"
      fi
    fi
  }

  # A visible dialog of the program: a window titled Zelluo, Info or Error
  # narrower than the main window.
  dialog_window() {
    local id name WIDTH
    for id in $(xdotool search --onlyvisible --name '^(Zelluo|Info|Error)$' 2>/dev/null); do
      WIDTH=0
      name=$(xdotool getwindowname "$id" 2>/dev/null)
      [[ $name == Zelluo || $name == Info || $name == Error ]] || continue
      eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null | grep '^WIDTH=')"
      if ((WIDTH > 0 && WIDTH < 1000)); then
        echo "$id"
        return 0
      fi
    done
    return 1
  }
  # Where the main window stands; "0 0" when it is not shown.
  main_window_origin() {
    local id x=0 y=0 _
    if id=$(visible_window_named Zelluo); then
      read -r x y _ < <(window_geometry "$id")
    fi
    echo "${x:-0} ${y:-0}"
  }
  # The program's icon in jwm's tray at the bottom of the screen: a small
  # visible window of the program (its name matches "zelluo" in any case);
  # prints "x y".
  tray_icon_position() {
    local id x y w h
    for id in $(xdotool search --onlyvisible --name '^zelluo$' 2>/dev/null); do
      read -r x y w h < <(window_geometry "$id")
      if ((${w:-0} >= 8 && w <= 64 && ${h:-0} >= 8 && h <= 64 && y >= 900)); then
        echo "$((x + w / 2)) $((y + h / 2))"
        return 0
      fi
    done
    return 1
  }

  keys=(a b e j n q x z 0 1 5 9 space Return Tab BackSpace Delete Up Down Left Right Home End
    Page_Up Page_Down F1 F5 F10 alt+F4 ctrl+q ctrl+w shift+Tab alt+j alt+n)
  # The program's controls, so that some clicks hit them: the five icons (the
  # Options icon thrice), the close, back and information buttons, and the
  # twelve option switches.
  hot_spots=(224:464 424:464 624:464 624:464 624:464 824:464 1024:464 1205:75 65:75 620:910)
  for row in 0 1 2 3 4 5; do hot_spots+=("312:$((162 + 30 * row))" "342:$((162 + 30 * row))"); done

  case $scenario in
    monkey)
      actions=$1 seconds=$2 seed=$3
      RANDOM=$seed
      deadline=$((SECONDS + seconds))
      declare -A done_kinds=()
      step=0
      launch
      wait_for_main_window Zelluo 20 >/dev/null
      while ((step < actions && SECONDS < deadline)); do
        step=$((step + 1))
        if ! kill -0 "$reaper" 2>/dev/null; then
          wait "$reaper" 2>/dev/null
          launch
          done_kinds[start]=$((${done_kinds[start]:-0} + 1))
          sleep 0.5
        fi
        kind=
        x=$((RANDOM % 1280)) y=$((RANDOM % 1024))
        if ((RANDOM % 2 == 0)); then
          # Relative to the main window, which drags move about.
          spot=${hot_spots[RANDOM % ${#hot_spots[@]}]}
          read -r wx wy < <(main_window_origin)
          x=$((wx + ${spot%:*} + RANDOM % 11 - 5)) y=$((wy + ${spot#*:} + RANDOM % 11 - 5))
          ((x < 0)) && x=0
          ((x > 1279)) && x=1279
          ((y < 0)) && y=0
          ((y > 1023)) && y=1023
        fi
        r=$((RANDOM % 100))
        if ! visible_window_named Zelluo >/dev/null && ((RANDOM % 10 < 3)) &&
          tray=$(tray_icon_position); then
          # Hidden to the tray: often enough bring the window back ("Einblenden").
          kind="tray menu, first entry"
          read -r tx ty <<<"$tray"
          click_at "$tx" "$ty" 3
          sleep 0.3
          xdotool key Down Return
        elif dialog=$(dialog_window) && ((RANDOM % 10 < 7)); then
          if ((RANDOM % 10 < 6)); then kind="Return on a dialog"; else kind="Escape on a dialog"; fi
          press_key_in "$dialog" "${kind%% *}"
        elif ((r < 45)); then
          kind="click"
          click_at "$x" "$y"
        elif ((r < 49)); then
          # Short drags: a press on the window's background moves the window.
          kind="drag"
          xdotool mousemove "$x" "$y" mousedown 1
          sleep 0.1
          xdotool mousemove "$(((x + RANDOM % 301 + 1130) % 1280))" "$(((y + RANDOM % 301 + 874) % 1024))"
          sleep 0.1
          xdotool mouseup 1
        elif ((r < 60)); then
          kind="right or middle press"
          click_at "$x" "$y" "$((RANDOM % 2 + 2))"
        elif ((r < 88)); then
          key=${keys[RANDOM % ${#keys[@]}]}
          kind="key $key"
          xdotool key "$key"
        elif tray=$(tray_icon_position); then
          read -r tx ty <<<"$tray"
          if ((RANDOM % 4 == 0)); then
            kind="tray left click"
            click_at "$tx" "$ty" 1
          else
            kind="tray menu"
            click_at "$tx" "$ty" 3
            sleep 0.3
            if ((RANDOM % 10 < 6)); then
              for _ in $(seq $((RANDOM % 4 + 1))); do xdotool key Down; done
              xdotool key Return
            else
              click_at "$((RANDOM % 1280))" "$((RANDOM % 1024))"
            fi
          fi
        else
          kind="click (no tray icon)"
          click_at "$x" "$y"
        fi
        echo "step $step: $kind at $x,$y" >>"$work/actions.log"
        done_kinds[${kind%% *}]=$((${done_kinds[${kind%% *}]:-0} + 1))
        sleep 0.05
        check_settings "step $step ($kind)"
      done
      elapsed=$((SECONDS - deadline + seconds))
      for entry in "${groups[@]}"; do
        read -r r_pid r_pgid r_log <<<"$entry"
        stop_group "$r_pid" "$r_pgid" "$r_log"
      done
      summary=""
      for k in "${!done_kinds[@]}"; do summary+="$k ${done_kinds[$k]}, "; done
      note "seed $seed; $step of $actions actions in $elapsed s; $launches starts by the monkey," \
        "$(instances) instances in all; ${summary%, }"
      if ((step < actions)); then note "the time bound of $seconds s ended the run"; fi
      bad=$(bad_ends)
      if [[ -z $bad ]]; then
        pass "$step actions: every instance ended with exit code 0 or by the monkey"
      else
        fail "instances ended badly"
        while IFS= read -r line; do echo "#   $line"; done <<<"$bad" >>"$results"
        echo yes >"$work/failed"
      fi
      if ((xml_failures == 0)); then
        pass "\"Zelluo Files/Zelluo.xml\" well-formed after every one of $step steps"
      fi
      ;;

    twins)
      rounds=$1
      # A first start creates the settings file.
      launch
      if window=$(wait_for_main_window Zelluo 20 "$pgid"); then
        press_key_in "$window" Escape
      fi
      wait_for_exit "$reaper" 20
      [[ -e $settings ]] || fail "the first start created no settings file"
      # On and off switch of the rows that leave start-up as it is (automatic
      # updates, fade-out, sound): no tray start, no minimised start, no Info
      # boxes before the window.
      switches=(312 342)
      rows=(222 282 312)
      for round in $(seq "$rounds"); do
        launch
        a_reaper=$reaper a_pgid=$pgid
        launch
        b_reaper=$reaper b_pgid=$pgid
        a_window=$(wait_for_main_window Zelluo 20 "$a_pgid") || true
        b_window=$(wait_for_main_window Zelluo 20 "$b_pgid") || true
        if [[ -z $a_window || -z $b_window ]]; then
          fail "round $round: the two instances did not both open a window"
          stop_group "$a_reaper" "$a_pgid" "$work/reaper.$((launches - 1)).log"
          stop_group "$b_reaper" "$b_pgid" "$work/reaper.$launches.log"
          continue
        fi
        # Each to its Options page, then a random switch of a random row.
        for window in "$a_window" "$b_window"; do
          xdotool windowactivate --sync "$window" >/dev/null 2>&1
          click_at 620 460
          sleep 0.3
        done
        for window in "$a_window" "$b_window"; do
          xdotool windowactivate --sync "$window" >/dev/null 2>&1
          click_at "${switches[RANDOM % 2]}" "${rows[RANDOM % 3]}"
          sleep 0.3
        done
        # Both questions open; confirm them as close together as possible.
        answered=0
        for _ in $(seq 50); do
          mapfile -t boxes < <(for id in $(xdotool search --onlyvisible --name '^Zelluo$' 2>/dev/null); do
            WIDTH=0
            [[ $(xdotool getwindowname "$id" 2>/dev/null) == Zelluo ]] || continue
            eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null | grep '^WIDTH=')"
            ((${WIDTH:-0} > 0 && WIDTH < 1000)) && echo "$id"
          done)
          ((${#boxes[@]} >= 2)) && break
          sleep 0.1
        done
        for box in "${boxes[@]}"; do
          xdotool windowactivate "$box" >/dev/null 2>&1
          xdotool windowfocus "$box" >/dev/null 2>&1
          xdotool key Return && answered=$((answered + 1))
        done
        # Both save, restart, and the new instances reset the start page.
        sleep 4
        if ((answered == 2)); then
          pass "round $round: both instances asked and got Yes"
        else
          fail "round $round: $answered of 2 questions answered"
        fi
        check_settings "round $round"
        ((xml_failures == 0)) && pass "round $round: the settings file is well-formed"
        if [[ -e $settings ]] && (($(awk 'END {print NR}' "$settings") == 29)); then
          pass "round $round: the settings file has its 29 lines"
        else
          fail "round $round: the settings file lost its layout"
          echo yes >"$work/failed"
        fi
        stop_group "$a_reaper" "$a_pgid" "$work/reaper.$((launches - 1)).log"
        stop_group "$b_reaper" "$b_pgid" "$work/reaper.$launches.log"
      done
      note "$rounds rounds, $(instances) instances in all"
      bad=$(bad_ends)
      if [[ -z $bad ]]; then
        pass "every instance ended with exit code 0 or by the monkey"
      else
        fail "instances ended badly"
        while IFS= read -r line; do echo "#   $line"; done <<<"$bad" >>"$results"
        echo yes >"$work/failed"
      fi
      ;;
  esac
  exit 0
fi

# --- outer part ----------------------------------------------------------------
binary=${1:-${ZELLUO_BIN:-}}
own_results=${2:-}
if [[ -z $binary || ! -x $binary ]]; then
  echo "usage: $0 <path-to-zelluo-binary> [<results-file>]   (or set ZELLUO_BIN)" >&2
  exit 2
fi
binary=$(cd "$(dirname "$binary")" && pwd)/$(basename "$binary")
for tool in xvfb-run jwm xdotool xmllint cc; do
  if ! command -v "$tool" >/dev/null; then
    echo "$0: $tool is missing (scripts/setup installs it)" >&2
    exit 2
  fi
done
actions=${ZELLUO_MONKEY_ACTIONS:-300}
seconds=${ZELLUO_MONKEY_SECONDS:-$((60 + actions))}
seed=${ZELLUO_MONKEY_SEED:-$((RANDOM * 32768 + RANDOM))}
twins=${ZELLUO_MONKEY_TWINS:-3}
keep=${ZELLUO_E2E_KEEP:-}
[[ -n $keep ]] && mkdir -p "$keep" && keep=$(cd "$keep" && pwd)

tools=$(mktemp -d)
results=${own_results:-$tools/results}
trap 'rm -rf "$tools"' EXIT
cc -O2 -o "$tools/subreaper" "$here/subreaper.c"
self="$here/$(basename "${BASH_SOURCE[0]}")"

run_scenario() { # <scenario> <arguments...>
  if ! xvfb-run -a -s "-screen 0 1280x1024x24" bash "$self" --inside "$1" "$binary" "$results" \
    "$tools" "$keep" "${@:2}"; then
    echo "not ok - $1: the display or the scenario failed to run" >>"$results"
  fi
}
run_scenario monkey "$actions" "$seconds" "$seed"
run_scenario twins "$twins"

if [[ -z $own_results ]]; then
  cat "$results"
  passed=$(grep -c '^ok - ' "$results")
  failed=$(grep -c '^not ok - ' "$results")
  echo "$passed passed, $failed failed"
  [[ $failed -eq 0 && $passed -gt 0 ]]
fi
