#!/usr/bin/env bash
# A search keystroke of the List page against the plain GTK program
# (bench/bare_filter.c: GtkListStore, GtkTreeModelFilter, GtkTreeView) on the
# same invented films, 10,000, 30,000 and 100,000 of them, typing the same
# sequence. Zelluo's figure is film_page_benchmark's BM_SearchKeystroke (the
# page's whole keystroke: the German-aware search over title, original title,
# people, genre and plot, the count of the films found and the rows of the
# screen); the plain program looks only in the titles.
#
#   bench/keystroke.sh [<build-bench>]   (default: build-bench; needs xvfb-run,
#                                         a C compiler and libgtk-3-dev)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(cd "${1:-$here/../build-bench}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck disable=SC2046  # pkg-config's flags are words
cc -O2 -o "$work/bare_filter" "$here/bare_filter.c" $(pkg-config --cflags --libs gtk+-3.0)
for films in 10000 30000 100000; do
  # The films of film_page_benchmark: the same generator, the same seed.
  "$build/collection_generator" "$work/$films" "$films" 2026
  sqlite3 "$work/$films/Filme.db" "SELECT title FROM film" >"$work/titles-$films"
  xvfb-run -a -s "-screen 0 1280x1024x24" env NO_AT_BRIDGE=1 \
    "$work/bare_filter" "$work/titles-$films" | sed 's/^/plain GTK program, /'
done
"$build/film_page_benchmark" --benchmark_filter=SearchKeystroke --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true 2>/dev/null | grep -E 'median|Benchmark'
