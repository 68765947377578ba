#!/usr/bin/env bash
# Import and export on the real GTK program: Strg+I, a path typed into GTK's
# file chooser, Return; the preview names what was found and what is skipped,
# Ja stores the films (in the database and on the page); Strg+E writes a CSV
# that Python's csv module reads back with ';' with every film.
#
#   tests/e2e/film_exchange.sh <zelluo>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

work=$scratch/run
database="$work/Zelluo Files/Filme.db"
settings_file "$work"
film_table "$database"
sqlite3 "$database" <<'SQL'
INSERT INTO film (title, year, runtime, country) VALUES ('Die Ameise', 2011, 88, 'Österreich');
SQL
# A spreadsheet's export: Windows-1252, ';', German header, one film already
# in the collection (other case, same year) and a column Zelluo has no place for.
printf '%s\r\n' 'Titel;Jahr;Laufzeit;Land;Regie;Medium' \
  'Brücke über die Elster;1999;1:42;Deutschland;Ida Mohn;DVD' \
  'DIE AMEISE;2011;88;Österreich;;DVD' \
  '"Kuckuck; oder: ""Der Ruf""";2004;95 min;Schweiz;Paul Roth;Blu-ray' |
  iconv -f UTF-8 -t WINDOWS-1252 >"$work/Liste.csv"
cp "$work/Liste.csv" "$scratch/Liste.before"

# chooser <title> <path> [ctrl+l | ctrl+a]: waits for GTK's file chooser and
# answers it with the path, typed into the location field (open) or over the
# suggested name (save).
chooser() {
  local id
  id=$(wait_for 15 window "$1" 300x200 9999x9999) || return 1
  sleep 0.8
  key "$id" "${3:-ctrl+l}"
  sleep 0.3
  xdotool type --delay 30 "$2"
  sleep 0.5
  xdotool key Return
}

part=import
start_display 1280x1024 || exit 1
launch "$work"
window=$(wait_for 30 main_window) || { fail "the main window appears" && finish; exit; }
sleep 1
at_main_window
click 424 464
sleep 1.5
key "$window" ctrl+i
check "Strg+I opens the file chooser, which takes a typed path" chooser "Filme importieren" "$work/Liste.csv"
if box=$(wait_for 15 message_box); then
  sleep 0.5
  shot preview
  preview=$(ocr_box "$box")
  note "$preview"
  check "the preview names the file and 3 films found" grep -q 'Gefunden: 3 Filme' <<<"$preview"
  check "the preview counts 1 film skipped" grep -q 'übersprungen: 1' <<<"$preview"
  check "the preview names the field not taken over" grep -q 'Felder: Medium' <<<"$preview"
  check "the preview asks \"Importieren?\"" grep -q 'Importieren?' <<<"$preview"
  key "$box" Return
  done_box=$(wait_for 15 message_box) && sleep 0.4 && shot done
  check "the end is reported: 2 Filme importiert" grep -q '2 Filme importiert' <<<"$(ocr_box "$done_box")"
  key "$done_box" Return
else
  fail "the preview appears"
fi
check_eq "the two new films are in the database, the duplicate is not" \
  "Brücke über die Elster|1999|102|Ida Mohn Die Ameise|2011|88| Kuckuck; oder: \"Der Ruf\"|2004|95|Paul Roth" \
  "$(sqlite3 "$database" "SELECT title, year, runtime, director FROM film ORDER BY title" | tr '\n' ' ' | sed 's/ $//')"
check "the source file is unchanged" cmp -s "$scratch/Liste.before" "$work/Liste.csv"
sleep 1
shot page
check_eq "the page lists the films in order" "DieAmeise|BrückeüberdieElster|" \
  "$(convert "$scratch/shot.ppm" -crop "600x48+$((ox + 44))+$((oy + 650))" +repage -colorspace Gray \
    -negate -resize 300% -threshold 55% "$scratch/titles.png" &&
    tesseract "$scratch/titles.png" stdout -l deu 2>/dev/null | grep -v '^\s*$' | tr -d ' ' | tr '\n' '|')"

part=export
key "$window" ctrl+e
check "Strg+E opens the file chooser" chooser "Filme exportieren" "$work/Ausgabe.csv" ctrl+a
if box=$(wait_for 15 message_box); then
  sleep 0.4
  shot exported
  report=$(ocr_box "$box")
  note "$report"
  check "the export is reported" grep -q 'exportiert' <<<"$report"
  key "$box" Return
fi
check_eq "Python's csv module reads every film back with ';'" \
  "Die Ameise|2011|88 min / Brücke über die Elster|1999|102 min / Kuckuck; oder: \"Der Ruf\"|2004|95 min" \
  "$(python3 - "$work/Ausgabe.csv" <<'PY'
import csv, sys
with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:
    rows = list(csv.DictReader(f, delimiter=';'))
print(' / '.join('|'.join((r['Titel'], r['Jahr'], r['Laufzeit'])) for r in rows))
PY
)"
key "$window" Escape # out of the search field
key "$window" Escape
wait_for_exit "$pid" 30
check_eq "Escape ends the program with code 0" 0 "$exit_code"
stop_display
finish
