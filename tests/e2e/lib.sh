# shellcheck shell=bash disable=SC2317,SC2034
# Shared part of the desktop end-to-end checks of the GTK program: sourced by a
# check script, both outside the virtual display (e2e_main) and inside it (the
# helpers below). A script defines run_inside, which runs under Xvfb with the
# jwm window manager and reports through check, pass and fail.
#
#   source lib.sh; run_inside() { ...; }; e2e_main <width> <height> "$@"
#
# The binary is the first argument or ZELLUO_BIN. With ZELLUO_E2E_KEEP set to
# a folder, every screenshot taken through shot is kept there as PNG.
# (SC2317, SC2034: the helpers and variables are used by the scripts that source
# this file.)

e2e_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
e2e_tool="$e2e_dir/e2e_tool.py"
e2e_repo=$(cd "$e2e_dir/../.." && pwd)
# window_geometry and the helpers below that define their own versions.
# shellcheck source=tests/e2e/desktop_helpers.bash
source "$e2e_dir/desktop_helpers.bash"

# --- reporting ------------------------------------------------------------------
pass() { echo "ok - $1" >>"$results"; }
fail() { echo "not ok - $1" >>"$results"; }
note() {
  local line
  while IFS= read -r line; do echo "# $line"; done <<<"$1" >>"$results"
}
check() { # check <description> <command...>
  local description=$1
  shift
  if "$@"; then pass "$description"; else fail "$description"; fi
}
# check_eq <description> <expected> <actual>
check_eq() {
  if [[ $2 == "$3" ]]; then pass "$1"; else fail "$1 (expected '$2', got '$3')"; fi
}

# --- the program ------------------------------------------------------------------
# start_program <work-folder> [NAME=value...]: starts the program in that
# folder, under a reaper that logs the exit code of the program and of any
# new instance it starts. Sets program_pid and reaper_pid.
start_program() {
  local work=$1
  shift
  exits="$work/.exits"
  : >"$exits"
  (cd "$work" && exec setsid python3 "$e2e_tool" reap "$exits" env "$@" "$binary") \
    >>"$work/.output.log" 2>&1 &
  reaper_pid=$!
  program_pid=
  local _
  for _ in $(seq 100); do
    program_pid=$(sed -n 's/^start //p' "$exits")
    [[ -n $program_pid ]] && return 0
    sleep 0.05
  done
  return 1
}

# Ends whatever the last start_program left running: the reaper leads its own
# process group, and the program and its new instances stay in that group.
stop_program() {
  if [[ -n ${reaper_pid:-} ]]; then
    kill -- "-$reaper_pid" 2>/dev/null
    wait "$reaper_pid" 2>/dev/null
  fi
  reaper_pid=
}

# wait_for_exit <pid> <seconds>: sets exit_code to the process's exit code,
# or 124 if it is still running after that many seconds.
wait_for_exit() {
  local pid=$1 deadline=$((SECONDS + $2)) line
  exit_code=124
  while ((SECONDS < deadline)); do
    line=$(grep "^exit $pid " "$exits" 2>/dev/null)
    if [[ -n $line ]]; then
      exit_code=${line##* }
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Processes running the program binary in the folder $1, one PID a line.
program_pids_in() {
  local proc real_binary real_work
  real_binary=$(readlink -f "$binary")
  real_work=$(readlink -f "$1")
  for proc in /proc/[0-9]*; do
    [[ $(readlink "$proc/exe" 2>/dev/null) == "$real_binary" ]] || continue
    [[ $(readlink "$proc/cwd" 2>/dev/null) == "$real_work" ]] || continue
    echo "${proc#/proc/}"
  done
}

# --- windows -------------------------------------------------------------------------
wait_for_wm() {
  local _
  for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    sleep 0.1
  done
  return 1
}

# Visible windows of the program (their names are "Zelluo" or "zelluo") whose
# size lies within the bounds: windows_sized <min-w> <max-w> <min-h> <max-h>.
windows_sized() {
  local id x y w h
  for id in $(xdotool search --onlyvisible --name '^zelluo$' 2>/dev/null); do
    read -r x y w h <<<"$(window_geometry "$id")"
    if ((${w:-0} >= $1 && ${w:-0} <= $2 && ${h:-0} >= $3 && ${h:-0} <= $4)); then
      echo "$id"
    fi
  done
}

# The visible main window (the tray icon, the menu and the message boxes carry
# the program's name too, but are much smaller).
main_window() { windows_sized 640 100000 480 100000 | head -n 1; }

# A visible message box of the program, titled "Zelluo".
message_box() {
  local id
  for id in $(windows_sized 100 639 50 479); do
    if [[ $(xdotool getwindowname "$id" 2>/dev/null) == Zelluo ]]; then
      echo "$id"
      return
    fi
  done
}

# wait_for <seconds> <function>: runs the function until it prints something;
# prints that.
wait_for() {
  local deadline=$((SECONDS + $1)) found
  while ((SECONDS < deadline)); do
    found=$("$2")
    if [[ -n $found ]]; then
      echo "$found"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# "IsViewable", "IsUnMapped" or "IsUnviewable".
map_state() { xwininfo -id "$1" 2>/dev/null | sed -n 's/.*Map State: //p'; }

# --- input -----------------------------------------------------------------------------
# Move first, then click: a move and a click in one call sometimes loses the
# press.
click_at() { # click_at <x> <y> [button]
  xdotool mousemove "$1" "$2"
  sleep 0.2
  xdotool click "${3:-1}"
}

# Gives the window $1 the keyboard focus and presses key $2 (key --window
# sends synthetic events, which GTK ignores).
press_key_in() {
  xdotool windowactivate --sync "$1" >/dev/null 2>&1
  xdotool windowfocus --sync "$1" >/dev/null 2>&1
  xdotool key "$2"
}

# --- pictures ------------------------------------------------------------------------
# shot <name> [window]: a screenshot as $scratch/<name>.ppm (8 bits a channel).
shot() {
  import -window "${2:-root}" -depth 8 "ppm:$scratch/$1.ppm" 2>/dev/null
  if [[ -n ${keep:-} ]]; then
    convert "$scratch/$1.ppm" "$keep/${keep_prefix:-}$1.png" 2>/dev/null
  fi
}
pixel() { python3 "$e2e_tool" pixel "$scratch/$1.ppm" "$2" "$3"; }
# count_kind <shot> <x> <y> <w> <h> <kind>: see e2e_tool.py.
count_kind() { python3 "$e2e_tool" count "$scratch/$1.ppm" "$2" "$3" "$4" "$5" "$6"; }
switch_look() { python3 "$e2e_tool" look "$scratch/$1.ppm" "$2" "$3"; }
at_least() { (($1 >= $2)); }

# ocr <shot> <x> <y> <w> <h>: the text in the rectangle, read by tesseract
# (German) from a crop scaled up three times; blank lines and trailing blanks
# dropped.
ocr() {
  convert "$scratch/$1.ppm" -crop "${4}x${5}+${2}+${3}" +repage -resize 300% "$scratch/ocr.png" &&
    tesseract "$scratch/ocr.png" stdout -l deu 2>/dev/null | sed 's/[[:space:]]*$//' | grep -v '^$'
}

# ocr_words <shot> <x> <y> <w> <h>: one line a word: the word, its centre on
# the screen and the darkest grey level inside it.
ocr_words() {
  convert "$scratch/$1.ppm" -crop "${4}x${5}+${2}+${3}" +repage -resize 300% "$scratch/ocr.png" &&
    tesseract "$scratch/ocr.png" "$scratch/ocr" -l deu tsv >/dev/null 2>&1 &&
    python3 "$e2e_tool" words "$scratch/ocr.tsv" "$scratch/$1.ppm" 3 "$2" "$3"
}

# Writes the settings file into the folder $1: settings_file <folder> <form>
# [Key=Value...] (forms: see e2e_tool.py).
settings_date=06/12/2026
settings_file() {
  local folder=$1
  shift
  mkdir -p "$folder/Zelluo Files"
  python3 "$e2e_tool" settings "$1" "$settings_date" "${@:2}" >"$folder/Zelluo Files/Zelluo.xml"
}
# same_as_settings <file> <form> [Key=Value...]
same_as_settings() {
  local file=$1
  shift
  python3 "$e2e_tool" settings "$1" "$settings_date" "${@:2}" >"$scratch/expected.xml" &&
    cmp -s "$file" "$scratch/expected.xml"
}

# --- outer part ---------------------------------------------------------------------
# e2e_main <width> <height> <script arguments...>: checks the tools, runs the
# script's run_inside under Xvfb with jwm and prints the results.
e2e_main() {
  local width=$1 height=$2 self
  shift 2
  if [[ ${1:-} == --inside ]]; then
    binary=$2 results=$3 keep=$4
    scratch=$(mktemp -d)
    jwm >/dev/null 2>&1 &
    jwm_pid=$!
    trap 'stop_program; kill "$jwm_pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$scratch"' EXIT
    wait_for_wm || note "the window manager did not announce itself"
    run_inside
    exit 0
  fi

  binary=${1:-${ZELLUO_BIN:-}}
  if [[ -z $binary || ! -x $binary ]]; then
    echo "usage: $0 <path-to-zelluo-binary>   (or set ZELLUO_BIN)" >&2
    exit 2
  fi
  binary=$(cd "$(dirname "$binary")" && pwd)/$(basename "$binary")
  local tool
  for tool in xvfb-run jwm xdotool xprop xwininfo xev import convert tesseract python3; do
    if ! command -v "$tool" >/dev/null; then
      echo "$0: $tool is missing (scripts/setup installs it)" >&2
      exit 2
    fi
  done
  if ! tesseract --list-langs 2>/dev/null | grep -qx deu; then
    echo "$0: tesseract has no German (tesseract-ocr-deu)" >&2
    exit 2
  fi
  keep=${ZELLUO_E2E_KEEP:-}
  [[ -n $keep ]] && mkdir -p "$keep" && keep=$(cd "$keep" && pwd)

  results=$(mktemp)
  trap 'rm -f "$results"' EXIT
  self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
  if ! xvfb-run -a -s "-screen 0 ${width}x${height}x24" bash "$self" --inside "$binary" "$results" "$keep"; then
    echo "not ok - the display or the check itself failed to run" >>"$results"
  fi
  cat "$results"
  local passed failed
  passed=$(grep -c '^ok - ' "$results")
  failed=$(grep -c '^not ok - ' "$results")
  echo "$passed passed, $failed failed"
  [[ $failed -eq 0 && $passed -gt 0 ]]
}
