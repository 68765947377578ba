#!/usr/bin/env bash
# End-to-end check of the GTK program's tray menu, its option change with the
# restart into a new instance, and its click sound, under Xvfb (1280 x 1024)
# with the jwm window manager (which hosts the tray), each run in a fresh
# working folder.
#
#   tests/e2e/options_tray_sound.sh <path-to-zelluo-binary>
#
# The binary may also be given as ZELLUO_BIN; with ZELLUO_E2E_KEEP set to a
# folder the screenshots are kept there.
#
# tray     a right click on the program's icon in jwm's tray opens the menu
#          "Einblenden" (greyed), "Ausblenden", "Beenden" (read by OCR, greyed
#          text told by its colour); "Ausblenden" unmaps the main window; the
#          menu then has "Einblenden" enabled and "Ausblenden" greyed, and
#          "Einblenden" maps the window again; "Beenden" ends the program with
#          exit code 0. The menu is always used with the mouse.
# option   on the Options page, the on switch of "Ausblendeffekt beim Beenden"
#          turns green at once and asks "Änderung übernehmen?" in a box titled
#          "Zelluo"; Return (Ja) writes Key_Fadeout "1" with the start page
#          "Options" into the settings file, the program exits with code 0 and
#          a new instance comes up on the Options page with the green tick in
#          row 5, writing "Main" back as start page; the file passes through
#          exactly these byte-exact forms.
# declined in the new instance, the off switch of "Automatische Updates" and
#          "Nein": the row shows the opposite look, there is no restart, the
#          settings file stays byte-identical; Escape ends the new instance
#          with exit code 0.
# sound    with SDL's disk audio driver: icon 101 and, about 0.2 s later, the
#          back button; the capture holds silence, then the click from its
#          first frame, cut off by a second copy of the click that plays to its
#          end, then silence. With Key_Sound "0" the same actions give a
#          capture of nothing but silence.
set -uo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/lib.sh"
# shellcheck disable=SC2317  # the functions below are called by e2e_main

# The program's icon in jwm's tray at the bottom of the screen.
tray_icon() {
  local id x y w h
  for id in $(windows_sized 8 64 8 64); do
    read -r x y w h <<<"$(window_geometry "$id")"
    if ((y >= 900)); then
      echo "$((x + w / 2)) $((y + h / 2))"
      return
    fi
  done
}

# The open tray menu (a popup of the program, not titled "Zelluo").
tray_menu() {
  local id
  for id in $(windows_sized 60 400 40 300); do
    if [[ $(xdotool getwindowname "$id" 2>/dev/null) != Zelluo ]]; then
      echo "$id"
      return
    fi
  done
}

# open_tray_menu <shot>: right-clicks the tray icon, waits for the menu and
# reads its entries into menu_words ("word x y darkest" lines).
open_tray_menu() {
  local icon menu x y w h
  menu_words=
  icon=$(tray_icon)
  [[ -n $icon ]] || return 1
  # shellcheck disable=SC2086  # "x y"
  click_at $icon 3
  menu=$(wait_for 5 tray_menu) || return 1
  sleep 0.3
  shot "$1"
  read -r x y w h <<<"$(window_geometry "$menu")"
  menu_words=$(ocr_words "$1" "$x" "$y" "$w" "$h")
}
# entry_state <word>: "enabled" (dark text) or "greyed" (light grey text).
entry_state() {
  local line
  line=$(grep "^$1 " <<<"$menu_words" | head -n 1)
  [[ -n $line ]] || return
  if ((${line##* } < 100)); then echo enabled; else echo greyed; fi
}
choose_entry() { # choose_entry <word>: clicks the menu entry
  local line
  line=$(grep "^$1 " <<<"$menu_words" | head -n 1)
  [[ -n $line ]] || return 1
  read -r _ x y _ <<<"$line"
  click_at "$x" "$y"
}

# Switch looks of the Options page: row r at y = 120 + 30 r; on switch at x 300,
# off switch at x 330. Prints "<on> <off>", e.g. "green grey".
row_look() { echo "$(switch_look "$1" 300 $((120 + 30 * $2))) $(switch_look "$1" 330 $((120 + 30 * $2)))"; }

icon_x=(160 360 560 760 960)
icons_blue() {
  local i
  for i in 0 1 2 3 4; do
    at_least "$(count_kind "$1" "${icon_x[$i]}" 400 128 128 blue)" 1000 || return 1
  done
}
icons_gone() {
  local i
  for i in 0 1 2 3 4; do
    [[ $(count_kind "$1" "${icon_x[$i]}" 400 128 128 blue) -eq 0 ]] || return 1
  done
}

tray_scenario() {
  local work window
  work=$(mktemp -d "$scratch/run.XXXX")
  start_program "$work" SDL_AUDIODRIVER=dummy || fail "tray: the program starts"
  window=$(wait_for 20 main_window)
  if [[ -z $window ]]; then
    fail "tray: the main window appears"
    return
  fi
  sleep 0.5
  check "tray: the program's icon is in jwm's tray" test -n "$(tray_icon)"

  open_tray_menu tray-menu-shown
  check_eq "tray: the menu holds Einblenden, Ausblenden, Beenden" "Einblenden Ausblenden Beenden" \
    "$(cut -d' ' -f1 <<<"$menu_words" | tr '\n' ' ' | sed 's/ $//')"
  check_eq "tray: with the window shown, \"Einblenden\" is greyed" greyed "$(entry_state Einblenden)"
  check_eq "tray: with the window shown, \"Ausblenden\" is enabled" enabled "$(entry_state Ausblenden)"
  check_eq "tray: \"Beenden\" is enabled" enabled "$(entry_state Beenden)"
  choose_entry Ausblenden
  sleep 0.6
  check_eq "tray: \"Ausblenden\" unmaps the main window" IsUnMapped "$(map_state "$window")"
  check "tray: no large visible window is left" test -z "$(main_window)"

  open_tray_menu tray-menu-hidden
  check_eq "tray: with the window hidden, \"Einblenden\" is enabled" enabled "$(entry_state Einblenden)"
  check_eq "tray: with the window hidden, \"Ausblenden\" is greyed" greyed "$(entry_state Ausblenden)"
  choose_entry Einblenden
  wait_for 10 main_window >/dev/null
  check_eq "tray: \"Einblenden\" maps the main window again" IsViewable "$(map_state "$window")"
  xdotool mousemove 700 300
  sleep 0.6
  shot tray-shown-again
  check "tray: the window shows its Main page again" icons_blue tray-shown-again

  open_tray_menu tray-menu-end
  choose_entry Beenden
  wait_for_exit "$program_pid" 20
  check_eq "tray: \"Beenden\" ends the program with exit code 0" 0 "$exit_code"
  stop_program
}

option_scenario() {
  local work window settings old_pid new_pid box text pids n x y w h r g b
  work=$(mktemp -d "$scratch/run.XXXX")
  settings="$work/Zelluo Files/Zelluo.xml"
  settings_file "$work" created
  start_program "$work" SDL_AUDIODRIVER=dummy || fail "option: the program starts"
  old_pid=$program_pid
  window=$(wait_for 20 main_window)
  if [[ -z $window ]]; then
    fail "option: the main window appears"
    return
  fi
  sleep 0.5
  click_at 620 460 # icon 103
  sleep 0.6
  shot options-before
  check_eq "option: row 5 shows \"off\" (grey tick, red cross)" "grey red" "$(row_look options-before 5)"

  # Every distinct content of the settings file from here on.
  python3 "$e2e_tool" watch "$settings" "$scratch/seen" 40 &
  local watch_pid=$!
  sleep 0.2
  click_at 312 282 # on switch of row 5
  box=$(wait_for 10 message_box)
  check "option: a box titled \"Zelluo\" asks" test -n "$box"
  if [[ -z $box ]]; then
    touch "$scratch/seen.stop"
    wait "$watch_pid"
    stop_program
    return
  fi
  sleep 0.4
  shot question
  check_eq "option: before the answer row 5 shows \"on\" (green tick, grey cross)" "green grey" \
    "$(row_look question 5)"
  read -r x y w h <<<"$(window_geometry "$box")"
  check_eq "option: the question (read back by OCR)" "Änderung übernehmen?|Ja Nein|" \
    "$(ocr question "$x" "$y" "$w" "$h" | sed 's/^Zelluo$//' | grep -v '^$' | tr '\n' '|')"
  press_key_in "$box" Return

  wait_for_exit "$old_pid" 20
  check_eq "option: Ja ends the old instance with exit code 0" 0 "$exit_code"
  window=$(wait_for 20 main_window)
  check "option: a new main window appears" test -n "$window"
  pids=$(program_pids_in "$work")
  new_pid=$(head -n 1 <<<"$pids")
  check "option: one new process of the program runs (pids: ${pids//$'\n'/ }; old $old_pid)" \
    test -n "$new_pid" -a "$(wc -l <<<"$pids")" -eq 1 -a "$new_pid" != "$old_pid"
  if [[ -z $window || -z $new_pid ]]; then
    touch "$scratch/seen.stop"
    wait "$watch_pid"
    stop_program
    return
  fi
  xdotool mousemove 700 700
  sleep 0.8
  shot options-new
  check "option: the new instance shows the Options page, not the icons" icons_gone options-new
  check_eq "option: the new instance shows row 5 \"on\" (green tick, grey cross)" "green grey" \
    "$(row_look options-new 5)"
  read -r r g b <<<"$(pixel options-new 312 282)"
  check "option: the tick of row 5 is green at (312,282): rgb($r,$g,$b)" \
    test "$g" -ge $((r + 40)) -a "$g" -ge $((b + 40))
  check_eq "option: rows 1 to 4 stay \"off\" and row 6 \"on\"" \
    "grey red|grey red|grey red|grey red|green grey" \
    "$(for r in 1 2 3 4 6; do row_look options-new $r; done | tr '\n' '|' | sed 's/|$//')"
  touch "$scratch/seen.stop"
  wait "$watch_pid"
  n=$(find "$scratch" -maxdepth 1 -name 'seen.[0-9]*' | wc -l)
  check_eq "option: the settings file went through three forms" 3 "$n"
  check "option: first the file as it was" same_as_settings "$scratch/seen.1" created
  check "option: then Key_Fadeout \"1\" with the start page \"Options\" (rewritten form)" \
    same_as_settings "$scratch/seen.2" rewritten Key_Fadeout=1 Key_StartPage=Options
  check "option: then the new instance's \"Main\" start page (rewritten form)" \
    same_as_settings "$scratch/seen.3" rewritten Key_Fadeout=1
  check "option: the file now holds Key_Fadeout \"1\" and \"Main\"" \
    same_as_settings "$settings" rewritten Key_Fadeout=1

  # --- declined change in the new instance ---------------------------------------
  cp "$settings" "$scratch/before-no.xml"
  click_at 342 222 # off switch of row 3
  box=$(wait_for 10 message_box)
  check "declined: the box asks" test -n "$box"
  if [[ -n $box ]]; then
    sleep 0.4
    shot question-no
    read -r x y w h <<<"$(window_geometry "$box")"
    text=$(ocr_words question-no "$x" "$y" "$w" "$h")
    check_eq "declined: before the answer row 3 shows \"off\"" "grey red" "$(row_look question-no 3)"
    read -r _ x y _ <<<"$(grep '^Nein ' <<<"$text")"
    check "declined: the box has a \"Nein\" button" test -n "$x"
    [[ -n $x ]] && click_at "$x" "$y"
    sleep 0.8
    check "declined: the box is gone" test -z "$(message_box)"
    xdotool mousemove 700 700
    sleep 0.4
    shot declined
    check_eq "declined: row 3 shows the opposite look (green tick, grey cross)" "green grey" \
      "$(row_look declined 3)"
    check_eq "declined: no restart, the new instance runs on alone" "$new_pid" \
      "$(program_pids_in "$work" | tr '\n' ' ' | sed 's/ $//')"
  fi
  window=$(main_window)
  press_key_in "$window" Escape
  wait_for_exit "$new_pid" 20
  check_eq "declined: Escape ends the new instance with exit code 0" 0 "$exit_code"
  check "declined: the settings file is byte-identical" cmp -s "$scratch/before-no.xml" "$settings"
  stop_program
}

# sound_run <name> [Key=Value...]: starts the program with a fresh settings
# file (the given values changed) and SDL's disk audio driver writing to
# $scratch/<name>.raw; clicks icon 101 and about 0.2 s later the back button,
# then ends the program with Escape.
sound_run() {
  local name=$1 work window
  shift
  work=$(mktemp -d "$scratch/run.XXXX")
  settings_file "$work" created "$@"
  start_program "$work" SDL_AUDIODRIVER=disk "SDL_DISKAUDIOFILE=$scratch/$name.raw" ||
    fail "$name: the program starts"
  window=$(wait_for 20 main_window)
  if [[ -z $window ]]; then
    fail "$name: the main window appears"
    stop_program
    return
  fi
  sleep 0.5
  xdotool mousemove 220 460
  sleep 0.3
  xdotool click 1 # icon 101
  sleep 0.2
  xdotool mousemove 65 75
  sleep 0.05
  xdotool click 1 # back button
  xdotool mousemove 700 300
  sleep 1.2 # the click is 0.62 s long
  shot "$name-after"
  check "$name: icon 101 and the back button led back to the Main page" icons_blue "$name-after"
  press_key_in "$window" Escape
  wait_for_exit "$program_pid" 20
  check_eq "$name: Escape ends the program with exit code 0" 0 "$exit_code"
  stop_program
}

run_inside() {
  local report
  tray_scenario
  option_scenario

  sound_run sound
  report=$(python3 "$e2e_tool" sound "$scratch/sound.raw" "$e2e_repo/assets/click.wav" cut 2>&1)
  local cut=$?
  note "$report"
  check "sound: the capture holds the click, cut off and restarted by the second click" \
    test "$cut" -eq 0

  sound_run silent Key_Sound=0
  report=$(python3 "$e2e_tool" sound "$scratch/silent.raw" "$e2e_repo/assets/click.wav" silent 2>&1)
  local silent=$?
  note "$report"
  check "sound off: the capture holds only silence" test "$silent" -eq 0
}

e2e_main 1280 1024 "$@"
