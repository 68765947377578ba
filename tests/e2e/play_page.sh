#!/usr/bin/env bash
# The Play page with a film played inside the window through libmpv (the GTK
# program): a 20 s test video made here with ffmpeg's test source is the one
# film with a video file; "Abspielen" shows moving pictures in the content area
# (two screenshots a second apart differ there), Backspace stops the film and
# the program runs on, on the Play page; the viewing and where it stopped are in
# Filme.db; a second "Abspielen" resumes there (it ends further on), and
# Escape, after a click beside the film, stops it without quitting. Without
# libmpv the film goes to the stand-in made the system's default program.
# mpv draws with vo=x11 and plays no sound (ZELLUO_MPV_VO, ZELLUO_MPV_AO).
#
#   tests/e2e/play_page.sh <zelluo>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
for needed in ffmpeg xdg-mime; do
  command -v "$needed" >/dev/null || { echo "$0: $needed is missing (scripts/setup)" >&2 && exit 2; }
done

work=$scratch/run
database="$work/Zelluo Files/Filme.db"
video="$work/Testfilm.mkv"
settings_file "$work"
film_table "$database"
ffmpeg -loglevel error -f lavfi -i testsrc=duration=20:size=320x240:rate=25 \
  -f lavfi -i sine=frequency=440:duration=20 -pix_fmt yuv420p -shortest "$video" ||
  { fail "ffmpeg makes the test video" && finish; exit; }
sqlite3 "$database" "INSERT INTO film (title, year, runtime, video) VALUES
  ('Testbild', 2026, 1, '$video'), ('Ohne Datei', 2025, 90, NULL)"
# The content area where the film plays, as a crop of the last screenshot.
content() { convert "$scratch/shot.ppm" -crop "1200x760+$((ox + 40))+$((oy + 110))" +repage "$1"; }
changed_pixels() { compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1; }
stored() { sqlite3 "$database" "$1" 2>/dev/null; }
# A click on "Abspielen", then the seconds until the middle of the content
# area shows the coloured test picture (a note, never a bound: bench/README.md).
first_picture() {
  tool first_picture $((ox + 485)) $((oy + 557)) $((ox + 420)) $((oy + 250)) 400 200 10
}

part=play
start_display 1280x1024 || exit 1
launch "$work" ZELLUO_MPV_VO=x11 ZELLUO_MPV_AO=null
window=$(wait_for 30 main_window) || { fail "the main window appears" && finish; exit; }
sleep 1
at_main_window
click $((ox + 224)) $((oy + 464))
sleep 1.5
shot page
picture=$(first_picture)
note "first picture ${picture:-not seen within 10 s} s after the click on Abspielen (libmpv loaded now)"
sleep 1.5
shot playing
content "$scratch/a.png"
sleep 1
shot
content "$scratch/b.png"
moved=$(changed_pixels "$scratch/a.png" "$scratch/b.png")
note "pixels changed in the content area within a second: $moved"
check "the film plays inside the window: the content area changes over time" \
  test "${moved:-0}" -gt 2000
key "$window" BackSpace
sleep 1.5
shot stopped
content "$scratch/c.png"
sleep 1
shot
content "$scratch/d.png"
check_eq "Backspace stops the film: the page stands still" 0 \
  "$(changed_pixels "$scratch/c.png" "$scratch/d.png")"
check "and the program runs on" test -n "$(program_pids)"
first=$(stored "SELECT position FROM viewing WHERE ended IS NOT NULL ORDER BY id LIMIT 1")
note "stopped at ${first:-nothing} s"
check "the viewing and where it stopped are in Filme.db" \
  awk -v p="${first:-0}" 'BEGIN { exit !(p >= 2 && p < 18) }'

part=resume
picture=$(first_picture)
note "first picture ${picture:-not seen within 10 s} s after the click on Abspielen (warm)"
sleep 1
# A click on the window's background beside the film first: Escape still
# belongs to the film.
click $((ox + 640)) $((oy + 1000))
sleep 0.5
key "$window" Escape
sleep 1
second=$(stored "SELECT position FROM viewing WHERE ended IS NOT NULL ORDER BY id DESC LIMIT 1")
note "stopped again at ${second:-nothing} s"
check "a second Abspielen resumes where the first stopped" \
  awk -v a="${first:-0}" -v b="${second:-0}" 'BEGIN { exit !(b > a + 0.5) }'
check "Escape after a click beside the film stops it, and the program runs on" \
  test -n "$(program_pids)"
key "$window" Escape
wait_for_exit "$pid" 20
check_eq "Escape on the page without a film ends the program with code 0" 0 "$exit_code"

# Without libmpv (ZELLUO_MPV_LIBRARY names a library that is not there) the
# film goes to the desktop's default program for its type: a stand-in made
# the default for Matroska videos with xdg-mime, in a data and configuration
# folder of this check only, writes down the file it was given.
part=fallback
export XDG_DATA_HOME=$scratch/xdg-data XDG_CONFIG_HOME=$scratch/xdg-config
mkdir -p "$XDG_DATA_HOME/applications" "$XDG_CONFIG_HOME"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >"%s"\n' "$scratch/handed.txt" >"$scratch/stand-in"
chmod +x "$scratch/stand-in"
printf '[Desktop Entry]\nType=Application\nName=Stand-in\nExec=%s %%f\nMimeType=video/x-matroska;\n' \
  "$scratch/stand-in" >"$XDG_DATA_HOME/applications/zelluo-stand-in.desktop"
xdg-mime default zelluo-stand-in.desktop video/x-matroska
check_eq "xdg-mime registers the stand-in" zelluo-stand-in.desktop \
  "$(xdg-mime query default video/x-matroska)"
open_before=$(stored "SELECT count(*) FROM viewing WHERE ended IS NULL")
launch "$work" ZELLUO_MPV_LIBRARY=libmpv-not-here.so.2
window=$(wait_for 30 main_window) || { fail "the main window appears" && finish; exit; }
sleep 1
at_main_window
click $((ox + 224)) $((oy + 464))
sleep 1.5
click $((ox + 485)) $((oy + 557))
wait_for 10 test -s "$scratch/handed.txt"
handed=$(cat "$scratch/handed.txt" 2>/dev/null)
check_eq "the default program for the file is started with the film's path" "$video" "$handed"
sleep 1
shot outside
check_eq "the viewing is logged as started" $((open_before + 1)) \
  "$(stored "SELECT count(*) FROM viewing WHERE ended IS NULL")"
status=$(ocr $((ox + 40)) $((oy + 950)) 1170 30 | tr '\n' ' ')
note "status line: $status"
check "the page offers to mark it seen" grep -q "Als gesehen markieren" <<<"$status"
key "$window" Escape
wait_for_exit "$pid" 20
check_eq "Escape ends the program with code 0" 0 "$exit_code"
stop_display
finish
