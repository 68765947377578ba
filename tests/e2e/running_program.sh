#!/usr/bin/env bash
# End-to-end check of the running GTK program: its window, pages, hover look,
# information box, dragging and the ways to end it, under Xvfb (1280 x 1024)
# with the jwm window manager, each run in a fresh working folder.
#
#   tests/e2e/running_program.sh <path-to-zelluo-binary>
#
# The binary may also be given as ZELLUO_BIN; with ZELLUO_E2E_KEEP set to a
# folder the screenshots are kept there.
#
# First run (the program creates its settings file):
#   start      the main window is mapped at (0,0) with 1280 x 1024; the window
#              colour rgb(40,40,40) in the content, the top frame band in
#              another colour, blue in each of the five icons, no caption.
#   hover      over icon 103 the glow appears around the board and the caption
#              "Optionen" is shown (read back by OCR), no other caption; moving
#              off removes both.
#   pages      icon 102 opens the List page (black cover card, its six headings,
#              no icons); the back button brings the icons back; icon 105 opens
#              the About page with name, version, the binary's size in kb and
#              the credits (read back by OCR); back again.
#   info       the button "Zelluo Information" opens a box titled "Zelluo" with
#              name, version and size; Return closes it.
#   drag       pressing on the background and moving by (+50,+30) moves the
#              window right and down; the same on the top frame bar does not.
#   Escape     ends the program with exit code 0.
# Second run: the close button ends the program with exit code 0.
# Third run, Key_Fadeout "1": the close button ends the program with exit code
#   0 after the window has shrunk in 15 steps of 0.99 (1267 x 1014 ... 1101 x
#   881), as seen in the window's ConfigureNotify events.
set -uo pipefail
# shellcheck source=tests/e2e/lib.sh
source "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/lib.sh"
# shellcheck disable=SC2317  # run_inside is called by e2e_main

icon_x=(160 360 560 760 960) # icons 101 to 105, 128 x 128 at y 400
icons_blue() { # icons_blue <shot> <icon index...>: each icon has blue pixels
  local i
  for i in "${@:2}"; do
    at_least "$(count_kind "$1" "${icon_x[$i]}" 400 128 128 blue)" 1000 || return 1
  done
}
icons_gone() { # icons_gone <shot> <icon index...>: none has a blue pixel
  local i
  for i in "${@:2}"; do
    [[ $(count_kind "$1" "${icon_x[$i]}" 400 128 128 blue) -eq 0 ]] || return 1
  done
}
no_caption() { [[ $(count_kind "$1" 125 560 1000 20 white) -eq 0 ]]; }
# The strip left of the board of icon 103, inside its 128 x 128 box.
glow_pixels() { count_kind "$1" 560 445 14 65 lighter; }

run_inside() {
  local work window x y w h box expected text size_kb
  work=$(mktemp -d "$scratch/run.XXXX")

  # --- first run -----------------------------------------------------------------
  start_program "$work" SDL_AUDIODRIVER=dummy || fail "the program starts"
  window=$(wait_for 20 main_window)
  check "start: the main window appears" test -n "$window"
  if [[ -z $window ]]; then
    stop_program
    return
  fi
  check_eq "start: the main window is mapped" IsViewable "$(map_state "$window")"
  check_eq "start: the window covers the screen" "0 0 1280 1024" "$(window_geometry "$window")"
  xdotool mousemove 700 300
  sleep 0.7
  shot start
  check_eq "start: window colour at (700,300)" "40 40 40" "$(pixel start 700 300)"
  check "start: the top frame band at (640,10) differs from the window colour" \
    test "$(pixel start 640 10)" != "40 40 40"
  check "start: all five icons show their blue screens" icons_blue start 0 1 2 3 4
  check "start: no caption is shown" no_caption start

  # --- hover ---------------------------------------------------------------------
  xdotool mousemove 620 460
  sleep 0.5
  shot hover
  check "hover: icon 103 glows outside its board" at_least "$(glow_pixels hover)" 20
  check "hover: the caption box under icon 103 has white text" \
    at_least "$(count_kind hover 525 560 200 20 white)" 20
  check_eq "hover: the caption reads \"Optionen\"" Optionen "$(ocr hover 525 558 200 24)"
  check "hover: no other caption" test "$(count_kind hover 125 560 400 20 white)" -eq 0 -a \
    "$(count_kind hover 725 560 400 20 white)" -eq 0
  xdotool mousemove 700 300
  sleep 0.5
  shot hover-off
  check_eq "hover off: the glow is gone" 0 "$(glow_pixels hover-off)"
  check "hover off: the caption is gone" no_caption hover-off

  # --- pages ---------------------------------------------------------------------
  click_at 420 460 # icon 102
  sleep 0.6
  shot list
  check_eq "List page: the cover card is black at (60,140)" "0 0 0" "$(pixel list 60 140)"
  check "List page: the cover card is black around (60,140)" \
    at_least "$(count_kind list 50 130 40 40 black)" 1500
  check "List page: the icons are gone" icons_gone list 1 2 3 4
  text=$(ocr list 400 110 820 270 | tr '\n' ' ')
  check "List page: the six headings are shown (read: $text)" \
    test "$text" == "Filmtitel Darsteller Erscheinungsjahr Laufzeit Produktionsland Handlung "
  click_at 65 75 # back
  xdotool mousemove 700 300
  sleep 0.6
  shot back-from-list
  check "back from the List page: the five icons are back" icons_blue back-from-list 0 1 2 3 4
  check "back from the List page: the cover card is gone" \
    test "$(count_kind back-from-list 50 130 40 40 black)" -eq 0

  click_at 1020 460 # icon 105
  sleep 0.6
  shot about
  check "About page: the icons are gone" icons_gone about 0 1 2 3 4
  size_kb=$(($(stat -c %s "$binary") / 1024))
  expected="Anwendung|Zelluo|Version|1.0.0.0|Größe|$size_kb kb|Programmierung|Stellmar/Quorvex|"
  expected+="Danksagung|Quillan für Ideen und testen|Brevik für Unterstützung und testen|"
  expected+="Lumen-Community für Unterstützung|"
  text=$(ocr about 90 110 900 420 | tr '\n' '|')
  check_eq "About page: the texts (read back by OCR)" "$expected" "$text"
  click_at 65 75 # back
  xdotool mousemove 700 300
  sleep 0.6
  shot back-from-about
  check "back from the About page: the five icons are back" icons_blue back-from-about 0 1 2 3 4

  # --- information box -------------------------------------------------------------
  click_at 620 910
  box=$(wait_for 10 message_box)
  check "info: a box titled \"Zelluo\" appears" test -n "$box"
  if [[ -n $box ]]; then
    sleep 0.5
    shot info "$box"
    expected="Folgende Informationen stehen bereit:|Name: Zelluo|Version: 1.0.0.0|Größe: $size_kb kb|OK|"
    read -r x y w h <<<"$(window_geometry "$box")"
    check_eq "info: the box's text (read back by OCR)" "$expected" "$(ocr info 0 0 "$w" "$h" | tr '\n' '|')"
    press_key_in "$box" Return
    sleep 0.5
    check "info: Return closes the box" test -z "$(message_box)"
  fi

  # --- drag ------------------------------------------------------------------------
  drag_from() { # drag_from <x> <y>: press there, move by (+50,+30), release
    xdotool mousemove "$1" "$2"
    sleep 0.2
    xdotool mousedown 1
    sleep 0.2
    xdotool mousemove $(($1 + 20)) $(($2 + 12))
    sleep 0.1
    xdotool mousemove $(($1 + 50)) $(($2 + 30))
    sleep 0.3
    xdotool mouseup 1
    sleep 0.6
  }
  drag_from 700 700
  read -r x y w h <<<"$(window_geometry "$window")"
  check "drag: a press on the background moves the window right and down (now at $x,$y)" \
    test "${x:-0}" -gt 0 -a "${y:-0}" -gt 0
  local before=$x,$y
  drag_from $((x + 640)) $((y + 25)) # the top frame bar
  read -r x y w h <<<"$(window_geometry "$window")"
  check_eq "drag: a press on the top frame bar does not move the window" "$before" "$x,$y"

  # --- Escape ----------------------------------------------------------------------
  press_key_in "$window" Escape
  wait_for_exit "$program_pid" 20
  check_eq "Escape: the program ends with exit code 0" 0 "$exit_code"
  check "Escape: no main window is left" test -z "$(main_window)"
  stop_program

  # --- second run: the close button -------------------------------------------------
  start_program "$work" SDL_AUDIODRIVER=dummy || fail "the program starts again"
  window=$(wait_for 20 main_window)
  if [[ -n $window ]]; then
    sleep 0.5
    click_at 1205 75
    wait_for_exit "$program_pid" 20
    check_eq "close button: the program ends with exit code 0" 0 "$exit_code"
  else
    fail "close button: the main window appears"
  fi
  stop_program

  # --- third run: the close button with the fade-out ---------------------------------
  work=$(mktemp -d "$scratch/run.XXXX")
  settings_file "$work" created Key_Fadeout=1
  start_program "$work" SDL_AUDIODRIVER=dummy || fail "the program starts with Key_Fadeout 1"
  window=$(wait_for 20 main_window)
  if [[ -n $window ]]; then
    sleep 0.5
    xev -id "$window" -event structure >"$scratch/xev.log" 2>&1 &
    local xev_pid=$!
    sleep 1 # xev selects the events once it runs
    click_at 1205 75
    wait_for_exit "$program_pid" 20
    check_eq "fade-out: the close button ends the program with exit code 0" 0 "$exit_code"
    kill "$xev_pid" 2>/dev/null
    wait "$xev_pid" 2>/dev/null
    text=$(python3 "$e2e_tool" sizes "$scratch/xev.log" 1280 1024 15)
    local shrank=$?
    check "fade-out: the window shrank in 15 steps of 0.99 before it vanished (seen: $text)" \
      test "$shrank" -eq 0
  else
    fail "fade-out: the main window appears"
  fi
  stop_program
}

e2e_main 1280 1024 "$@"
