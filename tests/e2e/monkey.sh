#!/usr/bin/env bash
# Monkey load test of the real GTK program on a 1280 x 1024 screen with jwm:
#   monkey  random clicks (half of them on the program's controls), drags,
#           other buttons, keys (never Escape), Return or Escape on an open
#           box, the tray icon and its menu; the program is started again when
#           it has ended. No instance (restarted ones too) may end other than
#           with code 0, and "Zelluo Files/Zelluo.xml" stays well-formed
#           (xmllint) after every step.
#   twins   two instances on one folder each switch an option and confirm it
#           at once: both save and restart, the file stays well-formed with its
#           29 lines. ZELLUO_MONKEY_TWINS rounds (3).
#
#   tests/e2e/monkey.sh <zelluo>
# ZELLUO_MONKEY_ACTIONS (300), ZELLUO_MONKEY_SECONDS (60 + 1 per action),
# ZELLUO_MONKEY_SEED (random; printed, so that a run can be repeated).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
command -v xmllint >/dev/null || { echo "$0: xmllint is missing (scripts/setup)" >&2 && exit 2; }
actions=${ZELLUO_MONKEY_ACTIONS:-300}
seconds=${ZELLUO_MONKEY_SECONDS:-$((60 + actions))}
seed=${ZELLUO_MONKEY_SEED:-$((RANDOM * 32768 + RANDOM))}
work=$scratch/run
settings="$work/Zelluo Files/Zelluo.xml"

# A tray with a task list, and no root menu that a random click could use to
# end the session.
cat >"$scratch/jwmrc" <<'EOF'
<?xml version="1.0"?>
<JWM><Tray x="0" y="-1" height="25" autohide="off"><TaskList maxwidth="256"/><Dock/></Tray>
<FocusModel>click</FocusModel><Desktops width="1" height="1"/></JWM>
EOF
well_formed=0 # steps after which the file was not well-formed
check_file() { # check_file <step>
  [[ ! -e $settings ]] || xmllint --noout "$settings" 2>/dev/null && return 0
  ((well_formed++)) || { note "not well-formed after $1:" && note "$(head -c 2000 "$settings")"; }
}
ended_well() {
  local bad
  bad=$(bad_exits)
  [[ -z $bad ]] || note "$bad"
  [[ -z $bad ]]
}
two() { local ids; ids=$(windows Zelluo "$@") && (($(wc -w <<<"$ids") >= 2)) && echo $ids; }
limit() { echo $(($1 < 0 ? 0 : $1 > $2 ? $2 : $1)); }

part=monkey
start_display 1280x1024 "$scratch/jwmrc" || exit 1
keys=(a b e j n q x z 0 1 5 9 space Return Tab BackSpace Delete Up Down Left Right Home End
  Page_Up Page_Down F1 F5 F10 alt+F4 ctrl+q ctrl+w shift+Tab alt+j alt+n)
# The five icons (the Options icon thrice), close, back, information, and the
# twelve option switches, relative to the main window.
spots=(224:464 424:464 624:464 624:464 624:464 824:464 1024:464 1205:75 65:75 620:910)
for row in 0 1 2 3 4 5; do spots+=("312:$((162 + 30 * row))" "342:$((162 + 30 * row))"); done
RANDOM=$seed
declare -A kinds=()
deadline=$((SECONDS + seconds)) step=0 starts=1
launch "$work" && wait_for 20 main_window >/dev/null
while ((step < actions && SECONDS < deadline)); do
  step=$((step + 1))
  if ! kill -0 "${group:-0}" 2>/dev/null; then
    launch "$work" && starts=$((starts + 1)) && sleep 0.5
  fi
  ox=0 oy=0 x=$((RANDOM % 1280)) y=$((RANDOM % 1024)) r=$((RANDOM % 100))
  if ((RANDOM % 2 == 0)); then # near a control, wherever drags moved the window
    spot=${spots[RANDOM % ${#spots[@]}]}
    at_main_window
    x=$(limit $((ox + ${spot%:*} + RANDOM % 11 - 5)) 1279) y=$(limit $((oy + ${spot#*:} + RANDOM % 11 - 5)) 1023)
  fi
  if ! main_window >/dev/null && ((RANDOM % 10 < 3)) && tray=$(tray_icon); then
    kind="tray menu, first entry" # hidden to the tray: often bring it back
    click ${tray} 3 && sleep 0.3 && xdotool key Down Return
  elif box=$(message_box) && ((RANDOM % 10 < 7)); then
    kind=$( ((RANDOM % 10 < 6)) && echo Return || echo Escape)" on a box"
    key "$box" "${kind%% *}"
  elif ((r < 45)); then
    kind=click && click "$x" "$y"
  elif ((r < 49)); then
    kind=drag && xdotool mousemove "$x" "$y" mousedown 1 sleep 0.1 \
      mousemove $(((x + RANDOM % 301 + 1130) % 1280)) $(((y + RANDOM % 301 + 874) % 1024)) sleep 0.1 mouseup 1
  elif ((r < 60)); then
    kind="right or middle press" && click "$x" "$y" $((RANDOM % 2 + 2))
  elif ((r < 88)); then
    kind="key ${keys[RANDOM % ${#keys[@]}]}" && xdotool key "${kind#key }"
  elif tray=$(tray_icon) && ((RANDOM % 4 == 0)); then
    kind="tray left click" && click ${tray} 1
  elif [[ -n $tray ]]; then
    kind="tray menu" && click ${tray} 3 && sleep 0.3
    if ((RANDOM % 10 < 6)); then
      for ((i = RANDOM % 4; i >= 0; i--)); do xdotool key Down; done
      xdotool key Return
    else click $((RANDOM % 1280)) $((RANDOM % 1024)); fi
  else
    kind="click (no tray icon)" && click "$x" "$y"
  fi
  echo "step $step: $kind at $x,$y" >>"$scratch/actions.log"
  kinds[${kind%% *}]=$((${kinds[${kind%% *}]:-0} + 1))
  sleep 0.05
  check_file "step $step ($kind)"
done
stop_programs
summary=$(for k in "${!kinds[@]}"; do echo -n "$k ${kinds[$k]}, "; done)
note "seed $seed; $step of $actions actions in $((SECONDS - deadline + seconds)) s; $starts starts;" \
  "$(cat "$scratch"/exits.* | grep -c '^exit') processes ended; ${summary%, }"
check "$step actions: every instance ended with exit code 0 or was stopped" ended_well
check_eq "steps after which the settings file was not well-formed" 0 "$well_formed"
[[ -z $keep ]] || cp -r "$scratch/actions.log" "$scratch"/exits.* "$work" "$keep/" 2>/dev/null
stop_display

part=twins
rm -f "$scratch"/exits.*
work=$scratch/twins settings="$scratch/twins/Zelluo Files/Zelluo.xml" # not the monkey's options
start_display 1280x1024 "$scratch/jwmrc" || exit 1
launch "$work" # a first start creates the settings file, and Escape ends it
window=$(wait_for 20 main_window) && key "$window" Escape
wait_for_exit "$pid" 20
# The on and off switches of rows that leave start-up as it is: automatic
# updates, fade-out, sound (no tray start, no minimised start, no Info boxes).
for round in $(seq "${ZELLUO_MONKEY_TWINS:-3}"); do
  launch "$work"
  launch "$work"
  windows=$(wait_for 20 two 1000x800 9999x9999)
  if [[ -z $windows ]]; then
    fail "round $round: both instances open a window"
    stop_programs
    continue
  fi
  for window in $windows; do # each to its Options page
    xdotool windowactivate --sync "$window" >/dev/null 2>&1 && click 620 460 && sleep 0.3
  done
  for window in $windows; do # a switch of a row
    xdotool windowactivate --sync "$window" >/dev/null 2>&1
    rows=(222 282 312) && click $((312 + RANDOM % 2 * 30)) "${rows[RANDOM % 3]}" && sleep 0.3
  done
  boxes=$(wait_for 5 two 100x50 999x799)
  for box in $boxes; do # confirm both as close together as possible
    xdotool windowactivate "$box" windowfocus "$box" key Return >/dev/null 2>&1
  done
  sleep 4 # both save, restart, and the new instances write the start page back
  check_eq "round $round: both instances asked and got Ja" 2 "$(wc -w <<<"$boxes")"
  check_file "round $round"
  check "round $round: the settings file is well-formed with its 29 lines" \
    eval '((well_formed == 0)) && (($(awk "END {print NR}" "$settings") == 29))'
  stop_programs
done
check "every instance ended with exit code 0 or was stopped" ended_well
stop_display
finish
