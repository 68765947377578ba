#!/usr/bin/env bash
# The Update page on the GTK program: a film folder chosen through the
# system's folder chooser (its path pasted with Strg+V into the chooser's
# location field: a typed path races the chooser's completion), the scan, the
# review list read back from the screen, nothing stored before Übernehmen,
# then the films in Filme.db and on the List page.
#
#   tests/e2e/update_page.sh <zelluo>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
command -v xclip >/dev/null || { echo "$0: xclip is missing (scripts/setup)" >&2 && exit 2; }
command -v sqlite3 >/dev/null || { echo "$0: sqlite3 is missing (scripts/setup)" >&2 && exit 2; }

work=$scratch/run
films="$scratch/Meine Filme"
database="$work/Zelluo Files/Filme.db"
settings_file "$work"
film_table "$database"
# A film of the collection without a file, which a file of the folder matches.
sqlite3 "$database" "INSERT INTO film (title, year) VALUES ('Der Himmel über Kassel', 1987)"
mkdir -p "$films/Nebel" "$films/Sample"
truncate -s 5M "$films/Das.Floss.1981.German.DL.1080p.BluRay.x264.mkv"
truncate -s 4M "$films/Der Himmel über Kassel (1987).avi"
truncate -s 3M "$films/Nebel/Faehre.im.Nebel.mkv"
truncate -s 1M "$films/Sample/floss-sample.mkv"
printf '<movie>\n  <title>Die Fähre im Nebel</title>\n  <year>1979</year>\n</movie>\n' \
  >"$films/Nebel/Faehre.im.Nebel.nfo"
stored() { sqlite3 "$database" "$1" 2>/dev/null; }
# The folder as the chooser takes it, and as the program keeps it.
pasted=$films kept=$films
if [[ $binary == *.exe ]]; then
  pasted="Z:${films//\//\\}" kept="Z:$films"
fi
# ocr_list <x> <y> <w> <h>: the rows of a list, read as dark on light (the
# selected row's white on blue is otherwise lost), row by row (Wine's list
# would otherwise be read a column at a time).
ocr_list() {
  convert "$scratch/shot.ppm" -crop "${3}x${4}+$1+$2" +repage -colorspace Gray -negate -resize 300% \
    "$scratch/list.png" && tesseract "$scratch/list.png" stdout -l deu --psm 6 2>/dev/null | grep -v '^\s*$'
}

part=update
start_display 1280x1024 || exit 1
launch "$work"
window=$(wait_for 30 main_window) || { fail "the main window appears" && finish; exit; }
sleep 1
at_main_window
click $((ox + 824)) $((oy + 464))
sleep 1.5
click $((ox + 1060)) $((oy + 157))
chooser=$(wait_for 15 window "Filmordner wählen" 300x200 1280x1024) ||
  { fail "Ordner hinzufügen opens the folder chooser" && finish; exit; }
pass "Ordner hinzufügen opens the folder chooser"
sleep 1
printf '%s' "$pasted" | xclip -selection clipboard -i
if [[ $binary == *.exe ]]; then
  key "$chooser" ctrl+v
else
  key "$chooser" ctrl+l
  sleep 0.5
  key "$chooser" ctrl+v
  sleep 1
  # GTK's chooser completes the path inline ("Meine Filme/Nebel/", selected):
  # Delete takes the completion away.
  key "$chooser" Delete
fi
sleep 0.3
shot chooser
key "$chooser" Return
wait_for 10 eval '[[ -z $(windows "Filmordner wählen" 300x200 1280x1024) ]]' ||
  fail "the chooser closes"
check_eq "the chosen folder is kept in Filme.db" "$kept" \
  "$(wait_for 10 stored 'SELECT path FROM film_folder')"

click $((ox + 140)) $((oy + 323))
# The line under the buttons says when the walk is done.
read_line() { shot && ocr $((ox + 390)) $((oy + 310)) 820 28 | grep 'Ordnern gelesen'; }
wait_for 30 read_line >/dev/null
shot findings
rows=$(ocr_list $((ox + 40)) $((oy + 380)) 1170 160 | tr '\n' '|')
note "review list: $rows"
check "the review list shows the new film by its name's title and year" \
  grep -qE 'Neu +Das Floss +1981' <<<"$rows"
check "the new film by the title and year of its .nfo" grep -qE 'Neu +Die Fähre im Nebel +1979' <<<"$rows"
check "the file matched to the film without one" grep -qE 'Zugeordnet +Der Himmel über Kassel +1987' <<<"$rows"
check "and not the sample" eval '! grep -qi sample <<<"$rows"'
progress=$(ocr $((ox + 390)) $((oy + 310)) 820 28)
note "progress: $progress"
check "the line under the buttons counts the files and folders" grep -q 'Ordnern gelesen' <<<"$progress"
check_eq "nothing is stored before Übernehmen" 1 "$(stored 'SELECT count(*) FROM film')"

click $((ox + 328)) $((oy + 925))
sleep 1.5
check_eq "Übernehmen stores the checked rows" \
  "Das Floss|1981|$kept/Das.Floss.1981.German.DL.1080p.BluRay.x264.mkv
Der Himmel über Kassel|1987|$kept/Der Himmel über Kassel (1987).avi
Die Fähre im Nebel|1979|$kept/Nebel/Faehre.im.Nebel.mkv" \
  "$(stored 'SELECT title, year, video FROM film ORDER BY title')"

click $((ox + 65)) $((oy + 75))
sleep 1
click $((ox + 424)) $((oy + 464))
list_rows() { shot && ocr_list $((ox + 40)) $((oy + 630)) 700 320 | tr '\n' '|' | grep Kassel; }
list=$(wait_for 20 list_rows)
shot list
note "List page: $list"
check "the List page shows the films taken over" \
  eval 'grep -q "Das Floss" <<<"$list" && grep -q "Die Fähre im Nebel" <<<"$list" &&
    grep -q "Der Himmel über Kassel" <<<"$list"'
check_eq "no process ended badly" "" "$(bad_exits)"
stop_display
finish
