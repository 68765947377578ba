#!/usr/bin/env bash
# The statistics with the sample collection (the GTK program, and zelluo.exe
# under Wine): "Statistik" on the Play page opens them; the number of films
# and the total running time are read back from the tiles by OCR, and the
# charts have bars in their colour; a click on the first genre's bar opens the
# List page narrowed to its films, which the status line says.
# ZELLUO_E2E_KEEP keeps the page's screenshot as statistics.png.
#
#   tests/e2e/statistics.sh <zelluo | zelluo.exe>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

work=$scratch/run
database="$work/Zelluo Files/Filme.db"
settings_file "$work"
film_table "$database"
sqlite3 "$database" <"$e2e/../../assets/sample/filme.sql"
films=$(sqlite3 "$database" "SELECT count(*) FROM film")
minutes=$(sqlite3 "$database" "SELECT sum(runtime) FROM film")
expected_time="$((minutes / 1440)) Tage $((minutes % 1440 / 60)) Std."
((minutes < 2880)) && expected_time="$((minutes / 1440)) Tag $((minutes % 1440 / 60)) Std."
((minutes < 1440)) && expected_time="$((minutes / 60)) Std. $((minutes % 60)) Min."
first_genre=$(sqlite3 "$database" "WITH RECURSIVE line(id, value, rest) AS (
  SELECT id, NULL, replace(coalesce(genre, ''), char(13), '') || char(10) FROM film
  UNION ALL SELECT id, trim(substr(rest, 1, instr(rest, char(10)) - 1)),
  substr(rest, instr(rest, char(10)) + 1) FROM line WHERE rest <> '')
  SELECT value FROM line WHERE value <> '' GROUP BY value ORDER BY count(DISTINCT id) DESC, value LIMIT 1")

part=statistics
start_display 1280x1024 || exit 1
launch "$work"
window=$(wait_for 30 main_window) || { fail "the main window appears" && finish; exit; }
sleep 1
at_main_window
click $((ox + 224)) $((oy + 464))
sleep 1.5
shot play
click $((ox + 1150)) $((oy + 133))
sleep 2
shot statistics
check_eq "the tile of the films reads $films" "$films" "$(ocr $((ox + 40)) $((oy + 118)) 220 28)"
check_eq "the tile of the running time reads $expected_time" "$expected_time" \
  "$(ocr $((ox + 276)) $((oy + 118)) 220 28)"
check "the genres' chart has bars" at_least 200 blue 40 216 560 220
check "the growth's chart has a column" at_least 200 blue 40 742 1170 220

part=bar
click $((ox + 60)) $((oy + 228))
sleep 1.5
shot narrowed
check "a click on the first bar narrows the list to \"$first_genre\"" \
  grep -q "Nur Filme mit Genre .$first_genre" <<<"$(ocr $((ox + 40)) $((oy + 952)) 1170 28)"
# The first Escape takes the focus out of the search field.
key "$window" Escape
key "$window" Escape
wait_for_exit "$pid" 30
check_eq "Escape ends the program with code 0" 0 "$exit_code"
finish
