#!/usr/bin/env bash
# The GTK program's tray menu, an option change with its restart, and the
# click sound, on a 1280 x 1024 screen whose jwm hosts the tray:
#   tray      the menu "Einblenden Ausblenden Beenden" (OCR; greyed text told
#             by its colour) hides and shows the window and ends the program
#   option    the on switch of "Ausblendeffekt beim Beenden" turns green, asks
#             "Änderung übernehmen?"; Ja writes Key_Fadeout "1" with the start
#             page "Options", the program ends with code 0 and one new instance
#             shows the Options page and writes "Main" back: exactly these
#             byte-exact forms of the settings file
#   declined  Nein shows the opposite look, no restart, the file unchanged
#   sound     (SDL's disk driver) icon 101 then the back button: silence, the
#             click cut off by a second whole copy, silence; Key_Sound "0": silence
#
#   tests/e2e/options_tray_sound.sh <zelluo>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# open_menu <name>: right-clicks the tray icon and reads the menu's entries
# into menu ("word x y darkest" lines).
open_menu() {
  local icon id x y w h
  menu=
  icon=$(wait_for 10 tray_icon) || return 1
  # shellcheck disable=SC2086  # "x y"
  click $icon 3
  id=$(wait_for 5 window zelluo 60x40 400x300) || return 1
  sleep 0.3
  shot "$1"
  read -r x y w h <<<"$(geometry "$id")"
  menu=$(ocr_words "$x" "$y" "$w" "$h")
}
entries() { # entries <word...>: "enabled" or "greyed" for each entry
  local word darkest
  for word in "$@"; do
    darkest=$(awk -v w="$word" '$1 == w {print $4; exit}' <<<"$menu")
    if [[ -z $darkest ]]; then echo -n "missing "; elif ((darkest < 100)); then echo -n "enabled "; else echo -n "greyed "; fi
  done
}
choose() { # choose <word>: clicks the entry of the open menu
  local x y
  read -r _ x y _ < <(grep "^$1 " <<<"$menu") && click "$x" "$y"
}
# The switches of row r of the Options page: "<on> <off>" looks, e.g. "green grey".
rows() { for r in "$@"; do echo -n "$(look 300 $((120 + 30 * r))) $(look 330 $((120 + 30 * r)))|"; done; }

part=tray
start_display 1280x1024 || exit 1
launch "$scratch/tray"
window=$(wait_for 20 main_window) || fail "the main window appears"
sleep 0.5
open_menu menu-shown
check_eq "the menu: Einblenden greyed, Ausblenden and Beenden enabled" "Einblenden Ausblenden Beenden|greyed enabled enabled " \
  "$(cut -d' ' -f1 <<<"$menu" | paste -sd' ')|$(entries Einblenden Ausblenden Beenden)"
choose Ausblenden
check "\"Ausblenden\" hides the main window" wait_for 5 eval '! viewable $window && ! main_window'
open_menu menu-hidden
check_eq "with the window hidden: Einblenden enabled, Ausblenden greyed" "enabled greyed " \
  "$(entries Einblenden Ausblenden)"
choose Einblenden
check "\"Einblenden\" shows the main window again" wait_for 10 viewable "$window"
xdotool mousemove 700 300
sleep 0.6
shot shown-again
check "it shows its Main page again" icons_blue
open_menu menu-end
choose Beenden
wait_for_exit "$pid" 20
check_eq "\"Beenden\" ends the program with exit code 0" 0 "$exit_code"

part=option
work=$scratch/option
settings="$work/Zelluo Files/Zelluo.xml"
settings_file "$work"
launch "$work"
old=$pid
window=$(wait_for 20 main_window) || fail "the main window appears"
sleep 0.5
click 620 460 # icon 103
sleep 0.6
shot options
check_eq "row 5 shows \"off\" (grey tick, red cross)" "grey red|" "$(rows 5)"
tool watch "$settings" "$scratch/seen" 40 &
sleep 0.2
click 312 282 # the on switch of row 5
if box=$(wait_for 10 message_box); then
  sleep 0.4
  shot question
  check_eq "before the answer row 5 shows \"on\"" "green grey|" "$(rows 5)"
  check_eq "the question (OCR)" "Änderung übernehmen?|Ja Nein|" "$(ocr_box "$box" | sed 's/^Zelluo|//')"
  key "$box" Return
  wait_for_exit "$old" 20
  check_eq "Ja ends the old instance with exit code 0" 0 "$exit_code"
  window=$(wait_for 20 main_window)
  sleep 0.8
  new=$(program_pids)
  check "one new instance runs (${new//$'\n'/ }; old $old)" test -n "$window" -a "$(wc -w <<<"$new")" = 1 -a "$new" != "$old"
  xdotool mousemove 700 700
  sleep 0.8
  shot options-new
  check "the new instance shows the Options page, not the icons" none_of blue 160 400 928 128
  check_eq "the new instance: rows 1 to 4 \"off\", rows 5 and 6 \"on\"" \
    "grey red|grey red|grey red|grey red|green grey|green grey|" "$(rows 1 2 3 4 5 6)"
  touch "$scratch/seen.stop"
  wait $!
  check_eq "the settings file went through three forms" "seen.1 seen.2 seen.3" "$(cd "$scratch" && echo seen.[0-9]*)"
  check "first as it was, then Key_Fadeout \"1\" with the start page \"Options\", then \"Main\"" eval \
    'same_as "$scratch/seen.1" created $settings_date && same_as "$scratch/seen.2" rewritten $settings_date Key_Fadeout=1 Key_StartPage=Options && same_as "$settings" rewritten $settings_date Key_Fadeout=1'

  part=declined
  cp "$settings" "$scratch/before.xml"
  click 342 222 # the off switch of row 3
  box=$(wait_for 10 message_box) && sleep 0.4 && shot question-no
  check_eq "before the answer row 3 shows \"off\"" "grey red|" "$(rows 3)"
  read -r _ x y _ < <(ocr_words $(geometry "$box") | grep '^Nein ')
  check "the box has a \"Nein\" button" test -n "$x"
  [[ -n $x ]] && click "$x" "$y"
  check "Nein closes the box" wait_for 5 eval '! message_box'
  xdotool mousemove 700 700 sleep 0.4
  shot declined
  check_eq "row 3 shows the opposite look" "green grey|" "$(rows 3)"
  check_eq "no restart: the new instance runs on alone" "$new" "$(program_pids)"
  key "$window" Escape
  wait_for_exit "$new" 20
  check_eq "Escape ends the new instance with exit code 0" 0 "$exit_code"
  check "the settings file is byte-identical" cmp -s "$scratch/before.xml" "$settings"
else
  fail "a box asks"
fi

part=sound
for sound in 1 0; do
  settings_file "$scratch/sound$sound" Key_Sound=$sound
  launch "$scratch/sound$sound" SDL_AUDIODRIVER=disk "SDL_DISKAUDIOFILE=$scratch/sound$sound.raw"
  window=$(wait_for 20 main_window) || fail "the main window appears (Key_Sound $sound)"
  sleep 0.5
  xdotool mousemove 220 460 sleep 0.3 click 1 sleep 0.2 mousemove 65 75 sleep 0.05 click 1 mousemove 700 300
  sleep 1.2 # the click is 0.62 s long
  shot "after-$sound"
  check "icon 101 and the back button led back to the Main page (Key_Sound $sound)" icons_blue
  key "$window" Escape
  wait_for_exit "$pid" 20
  check_eq "Escape ends the program with exit code 0 (Key_Sound $sound)" 0 "$exit_code"
  mode=$([[ $sound == 1 ]] && echo cut || echo silent)
  report=$(tool sound "$scratch/sound$sound.raw" "$e2e/../../assets/click.wav" $mode 2>&1)
  check "Key_Sound $sound: the capture is \"$mode\" (${report//$'\n'/; })" test $? -eq 0
done
stop_display
finish
