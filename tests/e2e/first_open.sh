#!/usr/bin/env bash
# The first opening of a hand-made collection of 30,000 films (user_version 0,
# as the sqlite3 shell makes it): the List page shows at once with the line
# "Sammlung wird vorbereitet: … von 30.000 Filmen …", read back from the screen
# a fraction of a second after the click; the line moves on while the window
# paints; then the first film is in the form and the file is at the program's
# layout version, its
# copy in "Sicherungen". Quitting half-way through the preparation of
# 100,000 films leaves the file byte for byte as it was.
#
#   tests/e2e/first_open.sh <zelluo>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# hand_made <folder> [films]: the settings file and a hand-made Filme.db of 30,000 films.
hand_made() {
  settings_file "$1"
  film_table "$1/Zelluo Files/Filme.db"
  sqlite3 "$1/Zelluo Files/Filme.db" "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1
    FROM n WHERE i < ${2:-30000}) INSERT INTO film (title, year, runtime, country, actors, plot)
    SELECT 'Film Nummer ' || i, 1930 + i % 90, 80 + i % 60, 'Deutschland',
    'Anna Berg (Bäuerin)' || char(10) || 'Otto Kern', 'Eine Geschichte über Straßen, ' || i ||
    ' Mal erzählt.' FROM n"
}
status_line() { ocr $((ox + 40)) $((oy + 952)) 1170 28; }
title_field() { ocr $((ox + 410)) $((oy + 144)) 800 26; }
progress_shown() { shot && grep -E "Sammlung wird vorbereitet: [0-9.]+ von ${1:-30.000} Filmen" <<<"$(status_line)"; }

part=first-open
work=$scratch/run
database="$work/Zelluo Files/Filme.db"
hand_made "$work"
start_display 1280x1024 || exit 1
launch "$work"
window=$(wait_for 30 main_window) || { fail "the main window appears" && finish; exit; }
sleep 1
at_main_window
xdotool mousemove 424 464 && sleep 0.25
clicked=$(date +%s%N)
xdotool click 1
# Screenshots one after the other for the first second, read afterwards: the
# first that shows the line, and one 0.3 s after it.
for i in {1..20}; do
  import -window root -depth 8 "ppm:$scratch/early-$i.ppm" 2>/dev/null
  echo $((($(date +%s%N) - clicked) / 1000000)) >"$scratch/early-$i.ms"
  (($(cat "$scratch/early-$i.ms") < 1000)) || break
done
first='' second='' shown_ms=''
for ((i = 1; i <= 20; i++)); do
  [[ -f $scratch/early-$i.ppm ]] || break
  cp "$scratch/early-$i.ppm" "$scratch/shot.ppm"
  line=$(grep -E 'Sammlung wird vorbereitet: .+ von 30\.000 Filmen' <<<"$(status_line)")
  if [[ -z $first && -n $line ]]; then
    first=$line shown_ms=$(cat "$scratch/early-$i.ms")
  elif [[ -n $first && -n $line ]] && (($(cat "$scratch/early-$i.ms") >= shown_ms + 300)); then
    second=$line
    break
  fi
done
check "the page shows the progress line at once (on a screenshot ${shown_ms:-?} ms after the click)" \
  test -n "$first"
note "$first"
check "the line moves on while the window paints ('$first', then '$second')" \
  test -n "$second" -a "$first" != "$second"
film_shown() { shot && [[ $(title_field) == 'Film Nummer 1' ]]; }
check "then the first film is in the form" wait_for 60 film_shown
shot done
check_eq "the progress line is gone" "" "$(status_line)"
# The layout version the program writes, as the collection's header says it.
version="$(sed -n 's/^inline constexpr int kSchemaVersion = \([0-9]*\);$/\1/p' \
  "$(dirname "${BASH_SOURCE[0]}")/../../src/collection/film_store.h")"
check_eq "the file is at the program's version ($version)" "$version" \
  "$(sqlite3 "$database" 'PRAGMA user_version')"
check "its copy lies in Sicherungen" compgen -G "$work/Zelluo Files/Sicherungen/Filme-*.db"
key "$window" Escape
key "$window" Escape
wait_for_exit "$pid" 30
check_eq "Escape ends the program with code 0" 0 "$exit_code"

part=quit
work=$scratch/quit
database="$work/Zelluo Files/Filme.db"
hand_made "$work" 100000  # long enough to quit half-way on any machine
cp "$database" "$scratch/before.db"
launch "$work"
window=$(wait_for 30 main_window) && sleep 1 && at_main_window
click 424 464
check "the progress line shows" wait_for 5 progress_shown 100.000
key "$window" Escape
key "$window" Escape
wait_for_exit "$pid" 30
check_eq "quitting during the preparation ends the program with code 0" 0 "$exit_code"
check "and leaves the file byte for byte as it was" cmp -s "$database" "$scratch/before.db"
stop_display
finish
