# shellcheck shell=bash disable=SC2034,SC2317
# The library of every desktop end-to-end check, GTK and Wine alike:
#   source lib.sh <zelluo | zelluo.exe>; part=name; start_display 1280x1024; ...; finish
# (or ZELLUO_BIN; zelluo.exe runs under Wine in a fresh prefix). Prints "ok - ..." and
# "not ok - ..." lines, then "N passed, N failed". ZELLUO_E2E_KEEP: a folder for screenshots.
set -uo pipefail
e2e=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
scratch=$(mktemp -d)
results=$scratch/results
: >"$results"
keep=${ZELLUO_E2E_KEEP:-}
[[ -z $keep ]] || { mkdir -p "$keep" && keep=$(cd "$keep" && pwd); }
part=e2e groups=() shots=0 ox=0 oy=0 wm_pid='' xvfb_pid=''
trap 'stop_display; rm -rf "$scratch"' EXIT
tool() { python3 "$e2e/e2e_tool.py" "$@"; }

# --- reporting ------------------------------------------------------------------
pass() { echo "ok - $part: $1" | tee -a "$results"; }
fail() { echo "not ok - $part: $1" | tee -a "$results"; }
note() { sed "s/^/# $part: /" <<<"$*"; }
check() { if "${@:2}" >/dev/null; then pass "$1"; else fail "$1"; fi; } # check <description> <command...>
check_eq() { # check_eq <description> <expected> <actual>
  if [[ $2 == "$3" ]]; then pass "$1"; else fail "$1 (expected '$2', got '$3')"; fi
}
finish() {
  local passed failed
  passed=$(grep -c '^ok - ' "$results") failed=$(grep -c '^not ok - ' "$results")
  echo "$passed passed, $failed failed"
  ((failed == 0 && passed > 0))
}

# wait_for <seconds> <command...>: runs the command every 0.1 s until it
# succeeds and prints its output; fails when the time is up.
wait_for() {
  local deadline=$((SECONDS + $1)) out
  shift
  until out=$("$@" 2>/dev/null); do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
  [[ -z $out ]] || echo "$out"
}

# --- the program ------------------------------------------------------------------
binary=${1:-${ZELLUO_BIN:-}}
if [[ ! -f $binary ]]; then
  echo "usage: $0 <zelluo or zelluo.exe>   (or set ZELLUO_BIN)" >&2
  exit 2
fi
binary=$(cd "$(dirname "$binary")" && pwd)/$(basename "$binary")
program=("$binary")
for needed in Xvfb jwm xdotool xprop xwininfo xev import convert tesseract python3; do
  command -v "$needed" >/dev/null || { echo "$0: $needed is missing (scripts/setup)" >&2 && exit 2; }
done
# No sound device, no accessibility bus, no session bus (GLib would start one).
export SDL_AUDIODRIVER=dummy NO_AT_BRIDGE=1 DBUS_SESSION_BUS_ADDRESS="unix:path=$scratch/no-bus"
if [[ $binary == *.exe ]]; then
  # Everything Wine keeps lives in the scratch folder: the prefix and a home
  # whose ALSA configuration offers a null device for DirectSound. A German
  # locale gives the message boxes "Ja" and "Nein".
  program=(wine "$binary")
  export HOME=$scratch/home WINEPREFIX=$scratch/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$HOME" "$scratch/locale"
  printf 'pcm.!default {\n  type null\n}\n' >"$HOME/.asoundrc"
  if localedef -i de_DE -f UTF-8 "$scratch/locale/de_DE.UTF-8" 2>/dev/null; then
    export LOCPATH=$scratch/locale LANG=de_DE.UTF-8
    unset LC_ALL
  fi
  (unset DISPLAY && wineboot -i && wineserver -w) >"$scratch/wineboot.log" 2>&1
fi

# launch <folder> [NAME=value...] [wrapper...]: runs the program in the
# folder, in a session of its own under the subreaper, which logs how every
# process of that session ends. Sets pid (the program) and group (the
# subreaper, whose pid is the session's process group).
launch() {
  mkdir -p "$1"
  (cd "$1" && exec python3 "$e2e/e2e_tool.py" reap "$scratch" env "${@:2}" "${program[@]}") \
    >>"$scratch/output.log" 2>&1 &
  group=$! groups+=("$!")
  pid=$(wait_for 10 grep -oP '^start \K[0-9]+' "$scratch/exits.$group")
}
# wait_for_exit <pid> <seconds>: sets exit_code (124 while it still runs).
wait_for_exit() {
  local line
  exit_code=124
  line=$(wait_for "$2" grep -h "^exit $1 " "$scratch"/exits.*) && exit_code=${line##* }
  [[ $exit_code != 124 ]]
}
# The running processes of the program started by this check (under Wine a
# restarted instance leaves the session, but keeps the environment).
export ZELLUO_E2E_RUN=$scratch
program_pids() {
  local p
  for p in $(pgrep -x 'zelluo(\.exe)?'); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "ZELLUO_E2E_RUN=$scratch" && echo "$p"
  done
}
# Ends every launch that still runs; the mark tells these ends from crashes.
stop_programs() {
  local g
  for g in "${groups[@]}"; do
    kill -0 "$g" 2>/dev/null || continue
    echo stopped >>"$scratch/exits.$g"
    kill -TERM -- "-$g" 2>/dev/null
    wait_for 10 eval "! kill -0 $g" || kill -KILL -- "-$g" 2>/dev/null
    wait "$g" 2>/dev/null
  done
  groups=()
}
# Every process that ended with a code other than 0 before it was stopped.
bad_exits() {
  awk 'FNR == 1 {s = 0} /^stopped/ {s = 1} !s && /^exit/ && $3 != 0 {print FILENAME ": " $0}' \
    "$scratch"/exits.* 2>/dev/null
}

# --- the display ------------------------------------------------------------------
# start_display <W>x<H> [jwm configuration]: an Xvfb display with jwm managing
# the windows and owning the tray (Wine docks its icons there only if the tray
# is owned when it starts). Sets DISPLAY.
start_display() {
  local attempt
  rm -f "$scratch/display"
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  wait_for 20 test -s "$scratch/display" || { fail "Xvfb starts" && return 1; }
  export DISPLAY=:$(<"$scratch/display")
  for attempt in 1 2 3; do
    jwm ${2:+-f "$2"} >>"$scratch/jwm.log" 2>&1 &
    wm_pid=$!
    wait_for 60 wm_settled && kill -0 "$wm_pid" 2>/dev/null && return 0
    kill "$wm_pid" 2>/dev/null
  done
  fail "jwm runs and owns the tray"
  return 1
}
wm_settled() {
  ! kill -0 "$wm_pid" || { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' &&
    tool owned _NET_SYSTEM_TRAY_S0; }
}
stop_display() {
  stop_programs
  [[ -z ${WINEPREFIX:-} ]] || { wineserver -k && wineserver -w; } 2>/dev/null
  kill $wm_pid $xvfb_pid 2>/dev/null
  wait 2>/dev/null
  wm_pid='' xvfb_pid=''
}

# --- windows --------------------------------------------------------------------------
geometry() { # "x y width height" of window $1 on the screen
  xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X:/ {x = $NF} /Absolute upper-left Y:/ {y = $NF}
    /^ *Width:/ {w = $NF} /^ *Height:/ {h = $NF} END {if (w != "") print x, y, w, h}'
}
# windows <name> <min WxH> <max WxH> [class]: the visible windows named exactly
# so (xdotool's search ignores case; "" for none), of that class (a regular
# expression on the instance name) if given, whose size lies within the bounds.
windows() {
  local id x y w h query=(--name "^$1\$")
  [[ -z ${4:-} ]] || query=(--classname "$4")
  for id in $(xdotool search --onlyvisible "${query[@]}" 2>/dev/null); do
    [[ $(xdotool getwindowname "$id" 2>/dev/null) == "$1" ]] || continue
    read -r x y w h <<<"$(geometry "$id")"
    ((${w:-0} >= ${2%x*} && w <= ${3%x*} && h >= ${2#*x} && h <= ${3#*x})) && echo "$id"
  done
  return 0
}
window() { local ids; ids=$(windows "$@") && [[ -n $ids ]] && head -n 1 <<<"$ids"; }
main_window() { window Zelluo 1000x800 9999x9999; }
tray_icon() { # "x y": the middle of the program's icon in jwm's tray (under Wine, explorer.exe's)
  local id x y w h
  if [[ $binary == *.exe ]]; then id=$(window '' 8x8 40x40 '^explorer'); else id=$(window zelluo 8x8 40x40); fi
  [[ -n $id ]] && read -r x y w h <<<"$(geometry "$id")" && ((x >= 0 && y >= 0)) && echo "$((x + w / 2)) $((y + h / 2))"
}
message_box() { window Zelluo 100x50 999x799; }
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
# Sets the origin ox, oy of the probes below to the main window's corner.
at_main_window() { local id; id=$(main_window) && read -r ox oy _ <<<"$(geometry "$id")"; }

# --- input ----------------------------------------------------------------------------
# Move, wait, then click: a move and a click in one call sometimes lose the press.
click() { xdotool mousemove "$1" "$2" && sleep 0.25 && xdotool click "${3:-1}"; } # click <x> <y> [button]
# Gives window $1 the keyboard focus, then presses key $2 (key --window sends
# synthetic events, which GTK ignores).
key() {
  timeout 15 xdotool windowactivate --sync "$1" >/dev/null 2>&1
  timeout 15 xdotool windowfocus --sync "$1" >/dev/null 2>&1
  xdotool key "$2"
}
drag() { # drag <x> <y> <dx> <dy>: press, move in two steps, release
  xdotool mousemove "$1" "$2" sleep 0.2 mousedown 1 sleep 0.2 \
    mousemove $(($1 + $3 / 2)) $(($2 + $4 / 2)) sleep 0.1 mousemove $(($1 + $3)) $(($2 + $4)) sleep 0.3 mouseup 1
}

# --- pictures -------------------------------------------------------------------------
# shot [name]: a screenshot, which the probes below read; kept when named.
shot() {
  import -window root -depth 8 "ppm:$scratch/shot.ppm" 2>/dev/null || return 1
  [[ -z $keep || -z ${1:-} ]] || convert "$scratch/shot.ppm" "$keep/$part-$((++shots))-$1.png"
}
count() { # count <kind> <x> <y> [w h]: pixels of the kind (e2e_tool.py) in the rectangle
  tool count "$scratch/shot.ppm" "$1" $((ox + $2)) $((oy + $3)) "${4:-1}" "${5:-1}"
}
at_least() { (($(count "${@:2}") >= $1)); } # at_least <n> <kind> <x> <y> [w h]
none_of() { (($(count "$@") == 0)); }        # none_of <kind> <x> <y> [w h]
icons_blue() { local x; for x in 160 360 560 760 960; do at_least 1000 blue "$x" 400 128 128 || return 1; done; } # the GTK Main page
look() { tool look "$scratch/shot.ppm" $((ox + $1)) $((oy + $2)); }
# ocr <x> <y> <w> <h>: the German text in the rectangle of the screenshot,
# read by tesseract from a crop scaled up three times; blank lines dropped.
ocr() {
  convert "$scratch/shot.ppm" -crop "${3}x${4}+$1+$2" +repage -resize 300% "$scratch/ocr.png" &&
    tesseract "$scratch/ocr.png" stdout -l deu 2>/dev/null | sed 's/[[:space:]]*$//' | grep -v '^$'
}
# ocr_words <x> <y> <w> <h>: one line a word: the word, its centre on the
# screen and the darkest grey inside it (dark text is enabled, light greyed out).
ocr_words() {
  convert "$scratch/shot.ppm" -crop "${3}x${4}+$1+$2" +repage -resize 300% "$scratch/ocr.png" &&
    tesseract "$scratch/ocr.png" "$scratch/ocr" -l deu tsv >/dev/null 2>&1 &&
    tool words "$scratch/ocr.tsv" "$scratch/shot.ppm" "$1" "$2"
}
ocr_box() { ocr $(geometry "$1") | tr '\n' '|'; } # the text of window $1, lines joined by "|"

# --- the settings file ------------------------------------------------------------------
settings_date=06/12/2026
today=$(date +%d/%m/%Y)
# settings_file <folder> [Key=Value...]: a settings file as the program creates it.
settings_file() {
  mkdir -p "$1/Zelluo Files"
  tool settings created "$settings_date" "${@:2}" >"$1/Zelluo Files/Zelluo.xml"
}
# film_table <database>: the film table as another program would make it with
# the sqlite3 shell, without Zelluo's derived data; rows are inserted after it.
film_table() {
  mkdir -p "$(dirname "$1")"
  sqlite3 "$1" "CREATE TABLE film (id INTEGER PRIMARY KEY, title TEXT NOT NULL, original_title TEXT,
    year INTEGER, runtime INTEGER, country TEXT, director TEXT, actors TEXT, genre TEXT,
    plot TEXT, cover TEXT, video TEXT, added TEXT, changed TEXT);"
}
# same_as <file> <created|rewritten> <date> [Key=Value...]: byte for byte
same_as() { cmp -s "$1" <(tool settings "${@:2}"); }
