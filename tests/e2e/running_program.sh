#!/usr/bin/env bash
# The running GTK program on a 1280 x 1024 screen, each run in a fresh folder:
#   start   no refusal box; the main window at (0,0), 1280 x 1024, the window
#           colour in the content, the frame band, five blue icons, no caption
#   hover   over icon 103 the glow and the caption "Optionen" (OCR); off again
#   pages   icon 102 the List page (black cover card, six headings by OCR),
#           icon 105 the About page (texts with the binary's size by OCR); back
#   info    the information box (OCR); Return closes it
#   drag    a press on the background moves the window, one on the top bar not
#   end     Escape ends it with code 0 and the created file stays as it was;
#           the close button ends it; with Key_Fadeout "1" only after the
#           window shrank in 15 steps of 0.99 (ConfigureNotify events)
#
#   tests/e2e/running_program.sh <zelluo>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

away() { xdotool mousemove 700 300 && sleep "${1:-0.6}" && shot "${2:-}"; }
size_kb=$(($(stat -c %s "$binary") / 1024))
work=$scratch/run

part=start
start_display 1280x1024 || exit 1
launch "$work"
ready() { window 'Zelluo Installation' 1x1 9999x9999 && echo refused || main_window; }
window=$(wait_for 20 ready)
check "the main window appears, no refusal box" test -n "$window" -a "$window" != refused
check_eq "the window covers the screen and is mapped" "0 0 1280 1024 IsViewable" \
  "$(geometry "$window") $(xwininfo -id "$window" | sed -n 's/.*Map State: //p')"
away 0.7 start
check "the window colour rgb(40,40,40) at (700,300)" at_least 1 window 700 300
check "the top frame band at (640,10) is not the window colour" none_of window 640 10
check "all five icons show their blue screens" icons_blue
check "no caption is shown" none_of white 125 560 1000 20

part=hover
xdotool mousemove 620 460
sleep 0.5
shot hover
check "icon 103 glows outside its board" at_least 20 lighter 560 445 14 65
check_eq "the caption reads \"Optionen\"" Optionen "$(ocr 525 558 200 24)"
check "no other caption" eval 'none_of white 125 560 400 20 && none_of white 725 560 400 20'
away 0.5 hover-off
check "off the icon the glow and the caption are gone" \
  eval 'none_of lighter 560 445 14 65 && none_of white 125 560 1000 20'

part=pages
page() { # page <icon x> <name>: opens the page, takes a shot
  click "$1" 460
  away 0.6 "$2"
}
back() { # back <name>: the back button brings the five icons back
  click 65 75
  away 0.6 "back-$1"
  check "back from the $1 page: the five icons are back" icons_blue
}
page 420 list
check "List page: the cover card is black around (60,140)" at_least 1500 black 50 130 40 40
check "List page: icons 102 to 105 are gone" none_of blue 360 400 728 128
headings() { local y; for y in 117 197 277 357; do ocr 400 "$y" 820 22; done | tr '\n' ' '; }
check_eq "List page: the six headings (OCR)" "Filmtitel Darsteller Erscheinungsjahr Laufzeit Produktionsland Handlung " \
  "$(headings)"
back List
check "the cover card is gone" none_of black 50 130 40 40
page 1020 about
check "About page: the icons are gone" none_of blue 160 400 928 128
check_eq "About page: the texts (OCR)" "Anwendung|Zelluo|Version|1.0.0.0|Größe|$size_kb kb|\
Programmierung|Stellmar/Quorvex|Danksagung|Quillan für Ideen und testen|Brevik für Unterstützung und testen|\
Lumen-Community für Unterstützung|" "$(ocr 90 110 900 420 | tr '\n' '|')"
back About

part=info
click 620 910
if box=$(wait_for 10 message_box); then
  sleep 0.5
  shot info
  check_eq "the information box (OCR)" \
    "Folgende Informationen stehen bereit:|Name: Zelluo|Version: 1.0.0.0|Größe: $size_kb kb|OK|" "$(ocr_box "$box")"
  key "$box" Return
  check "Return closes the box" wait_for 5 eval '! message_box'
else
  fail "the information box appears"
fi

part=drag
drag 700 700 50 30
sleep 0.6
read -r x y _ <<<"$(geometry "$window")"
check_eq "a press on the background moves the window" "50 30" "$x $y"
drag $((x + 640)) $((y + 25)) 50 30
sleep 0.6
check_eq "a press on the top frame bar does not" "$x $y" "$(geometry "$window" | cut -d' ' -f1-2)"

part=end
key "$window" Escape
wait_for_exit "$pid" 20
check_eq "Escape ends the program with exit code 0" 0 "$exit_code"
check "no main window is left" eval '! main_window'
check "the settings file it created is the default file of today" \
  same_as "$work/Zelluo Files/Zelluo.xml" created "$today"
for fade in 0 1; do
  settings_file "$work" Key_Fadeout=$fade
  launch "$work"
  window=$(wait_for 20 main_window) || { fail "the main window appears (fade-out $fade)" && continue; }
  sleep 0.5
  xev -id "$window" -event structure >"$scratch/xev.log" 2>&1 &
  sleep 1 # xev selects the events once it runs
  click 1205 75
  wait_for_exit "$pid" 20
  check_eq "the close button ends the program with exit code 0 (fade-out $fade)" 0 "$exit_code"
  kill $! 2>/dev/null
  seen=$(tool sizes "$scratch/xev.log" 1280 1024 $((15 * fade)))
  check "fade-out $fade: the sizes before the window vanished (seen: $seen)" test $? -eq 0
done
stop_display
finish
