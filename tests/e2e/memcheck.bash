#!/usr/bin/env bash
# The real GTK program under valgrind's memcheck through one short scenario on
# a 1280 x 1024 screen: the main window, the Options icon, Escape, exit code 0.
# Fails when an error or definitely lost block that memcheck reports (after
# valgrind.supp) has a frame in the program's own sources (src/).
#
#   tests/e2e/memcheck.bash <zelluo>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
repo=$(cd "$e2e/../.." && pwd)

part=memcheck
start_display 1280x1024 || exit 1
mkdir -p "$scratch/xml"
launch "$scratch/run" valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite \
  --errors-for-leak-kinds=definite --num-callers=50 --track-origins=yes \
  --suppressions="$e2e/valgrind.supp" --gen-suppressions=all --xml=yes --xml-file="$scratch/xml/%p.xml"
started=$SECONDS
if window=$(wait_for 180 main_window); then
  pass "the main window appears under valgrind ($((SECONDS - started)) s)"
  sleep 1
  click 620 460 # the Options icon
  sleep 3
  key "$window" Escape
else
  fail "the main window appears under valgrind within 180 s"
fi
wait_for_exit "$pid" 180
check_eq "Escape ends the program with exit code 0" 0 "$exit_code"

# One report per process (GTK start-up may fork a helper).
ours="//error[stack/frame/dir[starts-with(., '$repo/src')]]"
found=0
for file in "$scratch"/xml/*.xml; do
  check "the report $(basename "$file") is complete" grep -q '</valgrindoutput>' "$file"
  for ((i = 1; i <= $(xmllint --xpath "count($ours)" "$file"); i++)); do
    e="($ours)[$i]" frame="($ours)[$i]/stack[1]/frame[dir[starts-with(., '$repo/src')]][1]"
    note "$(xmllint --xpath "concat(string($e/kind), ': ', string($e/what), string($e/xwhat/text), ' in ',
      string($frame/fn), ' (', string($frame/file), ':', string($frame/line), ')')" "$file")"
    found=$((found + 1))
  done
  note "$(xmllint --xpath "count(//error) - count($ours)" "$file") report(s) in the libraries not covered by valgrind.supp"
  [[ -z $keep ]] || cp "$file" "$keep/"
done
check_eq "errors and definite leaks with a frame in src/" 0 "$found"
stop_display
finish
