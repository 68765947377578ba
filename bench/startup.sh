#!/usr/bin/env bash
# shellcheck disable=SC2317  # cleanup is called through trap
# Start-up time, peak memory and idle CPU of the program, each as a ratio
# against bare programs of the same toolkit measured in the same run, on a
# 1280 x 1024 Xvfb display with jwm:
#
#   bench/bare_window.c        an undecorated GTK 3 window of that size
#   bench/bare_window_label.c  the same with one bold label (fontconfig and Pango
#                              start): the reference for start-up and memory
#   bench/bare_poll.c          poll(NULL, 0, 10) forever: the reference for idle
#                              CPU (the program's event wait wakes every 10 ms),
#                              run beside each program during its idle time
#   bench/bare_window_win32.c  a bare Win32 popup window, under Wine: the
#                              reference for zelluo.exe
#
#   bench/startup.sh [<zelluo-binary> [<zelluo.exe>]]
#        (default: build-hard-release/zelluo; the Windows part only with an .exe)
#
#   start-up   exec to X's MapNotify of the window "Zelluo" (bench/map_watch.c),
#              the median of ZELLUO_BENCH_RUNS runs (default 7) after one
#              warm-up run, the programs taking turns start by start; the
#              program finds its settings file in place
#   peak RSS   VmHWM from /proc/<pid>/status 2 s after the window is mapped,
#              the median over the runs
#   idle CPU   CPU time of all threads over ZELLUO_BENCH_IDLE seconds
#              (default 20) of doing nothing, after 2 s to settle: the sum of
#              /proc/<pid>/task/*/schedstat (nanoseconds), and for comparison
#              utime + stime from /proc/<pid>/stat (clock ticks); the poll
#              loop is measured over the same seconds, and the ratio is the
#              median of the ratios of ten equal windows
# The program runs twice: in an empty folder, and in one holding a collection
# of ZELLUO_BENCH_FILMS invented films (default 10000; the List page, which
# opens it, is not shown). Needs a C compiler, pkg-config, libgtk-3-dev,
# libx11-dev, xvfb-run and jwm; for the Windows part wine and
# x86_64-w64-mingw32-gcc-posix.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/.." && pwd)
runs=${ZELLUO_BENCH_RUNS:-7}
idle=${ZELLUO_BENCH_IDLE:-20}
films=${ZELLUO_BENCH_FILMS:-10000}

if [[ ${1:-} == --inside ]]; then
  zelluo=$2 tools=$3 exe=$4
  work=$(mktemp -d)
  cleanup() {
    pkill -P $$ 2>/dev/null || true
    [[ -n ${wm_pid:-} ]] && kill "$wm_pid" 2>/dev/null
    [[ -n ${WINEPREFIX:-} ]] && wineserver -k 2>/dev/null
    rm -rf "$work"
  }
  trap cleanup EXIT
  jwm >/dev/null 2>&1 &
  wm_pid=$!
  for _ in $(seq 100); do # until jwm announces itself on the root window
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
  export GDK_GL=disable NO_AT_BRIDGE=1
  ticks=$(getconf CLK_TCK)
  mkdir -p "$work/empty" "$work/films"
  "$tools/collection_generator" "$work/films/Zelluo Files" "$films"

  # start <folder> <title> <program...>: prints "<ms> <pid>" once the window
  # is mapped.
  start() {
    local folder=$1 title=$2
    shift 2
    (cd "$folder" && "$tools/map_watch" "$title" 60 "$@")
  }
  stop() {
    kill "$1" 2>/dev/null || true
    local _
    for _ in $(seq 50); do
      kill -0 "$1" 2>/dev/null || return 0
      sleep 0.1
    done
    kill -9 "$1" 2>/dev/null || true
  }
  cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
  cpu_ns() { cat "/proc/$1"/task/*/schedstat 2>/dev/null | awk '{s += $1} END {printf "%d", s}'; }
  peak_kb() { awk '/^VmHWM:/ {print $2}' "/proc/$1/status"; }
  median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

  # idle_of <pid>: "<ns> <ticks> <poll ns> <ratio>" over the idle time, after
  # 2 s to settle: the program's CPU time and that of a bare poll loop running
  # beside it over the same seconds, so that both see the same load of the
  # machine; the ratio is the median of the ratios of ten equal windows, which
  # a burst of the machine's own work in one of them does not move.
  idle_of() {
    local ns0 t0 ns1 t1 p0 p1 poll a b pa pb ratios=() window
    "$tools/bare_poll" &
    poll=$!
    sleep 2
    window=$(awk -v s="$idle" 'BEGIN { printf "%.3f", s / 10 }')
    ns0=$(cpu_ns "$1") t0=$(cpu_ticks "$1") p0=$(cpu_ns "$poll")
    a=$ns0 pa=$p0
    for _ in $(seq 10); do
      sleep "$window"
      b=$(cpu_ns "$1") pb=$(cpu_ns "$poll")
      ratios+=("$(awk -v n=$((b - a)) -v d=$((pb - pa)) 'BEGIN { if (d <= 0) d = 1; printf "%.3f", n / d }')")
      a=$b pa=$pb
    done
    ns1=$a t1=$(cpu_ticks "$1") p1=$pa
    stop "$poll"
    echo "$((ns1 - ns0)) $((t1 - t0)) $((p1 - p0)) $(printf '%s\n' "${ratios[@]}" | median)"
  }

  # launch <label>: starts that program as start does.
  launch() {
    case $1 in
      bare_label) start "$work/empty" Bare "$tools/bare_window_label" Bare ;;
      bare_window) start "$work/empty" Bare "$tools/bare_window" Bare ;;
      zelluo) start "$work/empty" Zelluo "$zelluo" ;;
      zelluo_films) start "$work/films" Zelluo "$zelluo" ;;
      wine_bare) start "$work/winempty" Bare wine "$tools/bare_window_win32.exe" Bare ;;
      wine_zelluo) start "$work/winempty" Zelluo wine "$exe" ;;
    esac
  }

  # measure <label...>: a warm-up start of each (which creates the settings
  # file), then rounds in which each starts once in turn, so that a change in
  # the machine's load falls on all of them alike, then an idle run of each;
  # prints for each "<label> <ms> <kB> <idle ns> <idle ticks> <poll loop's ns>
  # <idle ratio>".
  measure() {
    local label ms pid
    local -A times=() peaks=()
    for label in "$@"; do
      read -r _ pid < <(launch "$label")
      stop "$pid"
    done
    for _ in $(seq "$runs"); do
      for label in "$@"; do
        read -r ms pid < <(launch "$label")
        sleep 2
        times[$label]+="$ms "
        peaks[$label]+="$(peak_kb "$pid") "
        stop "$pid"
      done
    done
    for label in "$@"; do
      read -r _ pid < <(launch "$label")
      echo "$label $(tr ' ' '\n' <<<"${times[$label]}" | grep . | median)" \
        "$(tr ' ' '\n' <<<"${peaks[$label]}" | grep . | median) $(idle_of "$pid")"
      stop "$pid"
    done
  }

  mapfile -t lines < <(measure bare_label zelluo zelluo_films bare_window)

  if [[ -n $exe ]]; then
    export HOME=$work/home WINEPREFIX=$work/prefix WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=" SDL_AUDIODRIVER=dummy
    mkdir -p "$HOME" "$work/winempty"
    printf 'pcm.!default {\n  type null\n}\n' >"$HOME/.asoundrc"
    (unset DISPLAY && wineboot -i && wineserver -w) >"$work/wineboot.log" 2>&1
    wineserver -p # kept running between the starts, as on a desktop
    mapfile -t -O "${#lines[@]}" lines < <(measure wine_bare wine_zelluo)
  fi

  field() { # field <label> <column>
    printf '%s\n' "${lines[@]}" | awk -v l="$1" -v c="$2" '$1 == l {print $c}'
  }
  ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b <= 0) b = 1; printf "%.2f", a / b }'; }
  percent() { awk -v n="$1" -v s="$idle" 'BEGIN { printf "%.3f", 100 * n / 1e9 / s }'; }
  row() { # row <label> <reference label> <name>
    local ms kb ns tk pn windows
    ms=$(field "$1" 2) kb=$(field "$1" 3) ns=$(field "$1" 4) tk=$(field "$1" 5) pn=$(field "$1" 6)
    windows=$(field "$1" 7)
    printf '%-20s %9s %7s %9s %7s %8s%% %6s %8s%% %6s\n' "$3" "$ms" "$(ratio "$ms" "$(field "$2" 2)")" \
      "$kb" "$(ratio "$kb" "$(field "$2" 3)")" "$(percent "$ns")" "$tk" "$(percent "$pn")" \
      "$(awk -v r="$windows" 'BEGIN { printf "%.2f", r }')"
  }
  echo
  echo "start-up: exec to MapNotify, median of $runs; peak RSS: median VmHWM;" \
    "idle: CPU of all threads over $idle s"
  printf '%-20s %9s %7s %9s %7s %9s %6s %9s %6s\n' "" "start ms" "ratio" "peak kB" "ratio" \
    "idle CPU" "ticks" "poll loop" "ratio"
  row bare_label bare_label "bare GTK + label"
  row bare_window bare_label "bare GTK window"
  row zelluo bare_label "Zelluo"
  row zelluo_films bare_label "Zelluo, $films films"
  if [[ -n $exe ]]; then
    row wine_bare wine_bare "Wine: bare Win32"
    row wine_zelluo wine_bare "Wine: zelluo.exe"
  fi
  echo "(start-up and memory ratios against the bare GTK window with a label, under Wine"
  echo " against the bare Win32 window; idle CPU against a bare poll loop measured beside"
  echo " each program over the same seconds, the median of ten windows; a clock tick is"
  echo " 1/${ticks} s)"
  exit 0
fi

zelluo=${1:-$repo/build-hard-release/zelluo}
exe=${2:-}
if [[ ! -x $zelluo ]]; then
  echo "no program at $zelluo; build it first (cmake --preset hardening-release" \
    "&& cmake --build build-hard-release)" >&2
  exit 2
fi
zelluo=$(cd "$(dirname "$zelluo")" && pwd)/$(basename "$zelluo")
generator=$(dirname "$zelluo")/collection_generator
if [[ ! -x $generator ]]; then
  echo "no $generator; build it beside the program (target collection_generator)" >&2
  exit 2
fi
if [[ -n $exe ]]; then
  [[ -f $exe ]] || { echo "no program at $exe" >&2 && exit 2; }
  exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")
fi
tools=$(mktemp -d)
trap 'rm -rf "$tools"' EXIT
cp "$generator" "$tools/collection_generator"
cc -O2 -o "$tools/map_watch" "$here/map_watch.c" -lX11
cc -O2 -o "$tools/bare_poll" "$here/bare_poll.c"
# shellcheck disable=SC2046  # pkg-config prints several words on purpose
cc -O2 -o "$tools/bare_window" "$here/bare_window.c" $(pkg-config --cflags --libs gtk+-3.0)
# shellcheck disable=SC2046
cc -O2 -o "$tools/bare_window_label" "$here/bare_window_label.c" \
  $(pkg-config --cflags --libs gtk+-3.0)
if [[ -n $exe ]]; then
  x86_64-w64-mingw32-gcc-posix -O2 -municode -mwindows -static \
    -o "$tools/bare_window_win32.exe" "$here/bare_window_win32.c"
fi

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')," \
  "load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "program: $zelluo${exe:+ and $exe}"
echo "runs: $runs start-ups each after a warm-up, idle CPU over $idle s"
xvfb-run -a -s "-screen 0 1280x1024x24" bash "${BASH_SOURCE[0]}" --inside "$zelluo" "$tools" "$exe"
