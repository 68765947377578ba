#!/usr/bin/env bash
# The List page's opening on the real GTK program, read from the X server:
# bench/page_watch.c clicks the List icon and watches the screen until the
# first film's title is in the form, goes back, and again. The program runs in
# turn with 5, 30,000 and 100,000 invented films (current layout, so the
# collection is only opened, not prepared), ZELLUO_BENCH_ROUNDS rounds (3) of
# ZELLUO_BENCH_OPENS opens (4) each; the median of the opens after the first
# of each start, and its ratio to the 5-film figure. The first opens (the
# collection opened, the page's widgets made) are told apart, with those of a
# hand-made file of 30,000 films that must be prepared.
#
#   bench/page_open.sh [<zelluo> [<collection_generator>]]
#        (default: build-bench/zelluo; needs Xvfb, jwm, a C compiler, libxtst-dev)
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/.." && pwd)
zelluo=${1:-$repo/build-bench/zelluo}
generator=${2:-$(dirname "$zelluo")/collection_generator}
opens=${ZELLUO_BENCH_OPENS:-4}    # per start of the program, the first not counted
rounds=${ZELLUO_BENCH_ROUNDS:-3}
# shellcheck source=../tests/e2e/lib.sh
source "$repo/tests/e2e/lib.sh" "$zelluo"
cc -O2 -o "$scratch/page_watch" "$here/page_watch.c" -lX11 -lXtst || exit 1

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
start_display 1280x1024 || exit 1
declare -A took first
sizes=(5 30000 100000)
for films in "${sizes[@]}"; do
  settings_file "$scratch/films-$films"
  "$generator" "$scratch/films-$films/Zelluo Files" "$films" 2026 || exit 1
  # The same first film in the form for every size, so that only the
  # collection differs (its derived data is made at the first open).
  sqlite3 "$scratch/films-$films/Zelluo Files/Filme.db" \
    "INSERT INTO film (title, year) VALUES ('Aaa Messfilm', 2000)"
done
# A hand-made file of 30,000 films (table film as the sqlite3 shell makes it),
# copied afresh for each start: its first open is timed to the progress line
# under the list, while the file is prepared behind it.
film_table "$scratch/hand-made.db"
sqlite3 "$scratch/hand-made.db" "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1
  FROM n WHERE i < 30000) INSERT INTO film (title, year, runtime, country, actors, plot)
  SELECT 'Film Nummer ' || i, 1930 + i % 90, 80 + i % 60, 'Deutschland',
  'Anna Berg (Bäuerin)' || char(10) || 'Otto Kern', 'Eine Geschichte, ' || i || ' Mal erzählt.' FROM n"
# The programs take turns, round after round, so that the machine's moods fall
# on each alike.
for round in $(seq "$rounds"); do
  for films in "${sizes[@]}" hand-made; do
    count=$opens watch=()
    if [[ $films == hand-made ]]; then
      settings_file "$scratch/films-$films"
      cp "$scratch/hand-made.db" "$scratch/films-$films/Zelluo Files/Filme.db"
      count=1 watch=(--status) # the progress line "Sammlung wird vorbereitet: …"
    fi
    launch "$scratch/films-$films"
    window=$(wait_for 30 main_window) || { echo "no window with $films films" >&2 && exit 1; }
    sleep 1
    read -r ox oy _ <<<"$(geometry "$window")"
    times=$("$scratch/page_watch" "$ox" "$oy" "$count" "${watch[@]}") || { echo "the page did not come" >&2 && exit 1; }
    echo "round $round, $films films: opens $(tr '\n' ' ' <<<"$times")ms"
    first[$films]+="$(head -n 1 <<<"$times")"$'\n'
    took[$films]+="$(tail -n +2 <<<"$times")"$'\n'
    stop_programs
  done
done
for films in "${sizes[@]}" hand-made; do
  first[$films]=$(grep . <<<"${first[$films]}" | median)
  echo "$films films: the first open ${first[$films]} ms (median of the rounds)"
done
for films in "${sizes[@]}"; do
  took[$films]=$(grep . <<<"${took[$films]}" | median)
  echo "$films films: median of the opens after the first ${took[$films]} ms"
done
for films in 30000 100000; do
  awk -v a="${took[$films]}" -v b="${took[5]}" -v n="$films" \
    'BEGIN {printf "%d films against 5: %.2f times\n", n, a / b}'
done
stop_display
