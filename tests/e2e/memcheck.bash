#!/usr/bin/env bash
# shellcheck disable=SC2317  # cleanup is called through trap
# The real GTK program under valgrind's memcheck through one short scenario:
# start at 1280 x 1024, wait for the main window, click the Options icon
# (gadget 103 at 620,460), press Escape, expect exit code 0. Fails when any
# error or definitely lost block that memcheck reports (after
# tests/e2e/valgrind.supp) has a frame in the program's own sources (src/).
#
#   tests/e2e/memcheck.bash <zelluo-binary> <results-file> [<keep-folder>]
#
# Appends "ok - ..." and "not ok - ..." lines to the results file. Runs its own
# Xvfb display through xvfb-run. Needs valgrind, xmllint, xvfb-run, jwm, xdotool.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)

if [[ ${1:-} != --inside ]]; then
  binary=${1:?binary} results=${2:?results file} keep=${3:-}
  binary=$(cd "$(dirname "$binary")" && pwd)/$(basename "$binary")
  if ! xvfb-run -a -s "-screen 0 1280x1024x24" bash "${BASH_SOURCE[0]}" --inside "$binary" \
    "$results" "$keep"; then
    echo "not ok - memcheck: the display or the scenario failed to run" >>"$results"
  fi
  exit 0
fi

binary=$2 results=$3 keep=$4
# shellcheck source=tests/e2e/desktop_helpers.bash
source "$here/desktop_helpers.bash"
pass() { echo "ok - memcheck: $1" >>"$results"; }
fail() { echo "not ok - memcheck: $1" >>"$results"; }

work=$(mktemp -d)
program_pid=
cleanup() {
  [[ -n $program_pid ]] && kill "$program_pid" 2>/dev/null
  [[ -n ${wm_pid:-} ]] && kill "$wm_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

start_window_manager || fail "jwm did not start"
mkdir "$work/run" "$work/xml"
# NO_AT_BRIDGE: no accessibility bus on a test display; SDL needs no device.
(cd "$work/run" && exec env SDL_AUDIODRIVER=dummy NO_AT_BRIDGE=1 \
  valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite \
  --errors-for-leak-kinds=definite --num-callers=50 --track-origins=yes \
  --suppressions="$here/valgrind.supp" --gen-suppressions=all \
  --xml=yes --xml-file="$work/xml/memcheck.%p.xml" "$binary") >"$work/output.log" 2>&1 &
program_pid=$!

started=$SECONDS
if window=$(wait_for_main_window Zelluo 180 "$program_pid"); then
  pass "the main window appears under valgrind ($((SECONDS - started)) s)"
  sleep 1
  click_at 620 460 # the Options icon
  sleep 3
  press_key_in "$window" Escape
else
  fail "no main window within 180 s"
fi
if wait_for_exit "$program_pid" 180; then
  program_pid=
  if [[ $exit_code -eq 0 ]]; then pass "exit code 0"; else fail "exit code $exit_code"; fi
else
  fail "the program did not end within 180 s of Escape"
fi

# One file per process (GTK start-up may fork a helper).
ours=0 others=0 unfinished=0
for file in "$work"/xml/memcheck.*.xml; do
  [[ -e $file ]] || continue
  if ! grep -q '</valgrindoutput>' "$file"; then
    unfinished=$((unfinished + 1))
    continue
  fi
  total=$(xmllint --xpath 'count(//error)' "$file")
  mine=$(xmllint --xpath "count(//error[stack/frame/dir[starts-with(., '$repo/src')]])" "$file")
  ours=$((ours + mine))
  others=$((others + total - mine))
  if ((mine > 0)) && [[ -n $keep ]]; then cp "$file" "$keep/"; fi
done
if ((unfinished > 0)); then fail "$unfinished valgrind report(s) did not finish"; fi
if ((ours == 0)); then
  pass "no error or definite leak with a frame in src/"
else
  fail "$ours error(s) or definite leak(s) with a frame in src/"
  # Each one as its kind, its text and the innermost frame in src/.
  for file in "$work"/xml/memcheck.*.xml; do
    mine="//error[stack/frame/dir[starts-with(., '$repo/src')]]"
    n=$(xmllint --xpath "count($mine)" "$file")
    for ((i = 1; i <= n; i++)); do
      e="($mine)[$i]"
      frame="$e/stack[1]/frame[dir[starts-with(., '$repo/src')]][1]"
      echo "#   $(xmllint --xpath "string($e/kind)" "$file"):" \
        "$(xmllint --xpath "concat(string($e/what), string($e/xwhat/text))" "$file")" \
        "in $(xmllint --xpath "string($frame/fn)" "$file")" \
        "($(xmllint --xpath "concat(string($frame/file), ':', string($frame/line))" "$file"))" \
        >>"$results"
    done
  done
fi
if ((others > 0)); then
  echo "# memcheck: $others report(s) in the libraries not covered by valgrind.supp" >>"$results"
fi
if [[ -n $keep ]]; then cp "$work"/xml/*.xml "$keep/" 2>/dev/null; fi
exit 0
