#!/usr/bin/env bash
# shellcheck disable=SC2317  # cleanup is called through trap
# Start-up time, peak memory and idle CPU of the GTK program, each as a ratio
# against a bare undecorated GTK 3 window of the same size (bench/bare_window.c)
# measured in the same run, on a 1280 x 1024 Xvfb display with jwm.
#
#   bench/startup.sh [<zelluo-binary>]     (default: build-hard-release/zelluo)
#
#   start-up   exec to X's MapNotify of the window "Zelluo" (bench/map_watch.c),
#              the median of ZELLUO_BENCH_RUNS runs (default 7) after one
#              warm-up run; the program finds its settings file in place
#   peak RSS   VmHWM from /proc/<pid>/status, 2 s after the window is mapped
#   idle CPU   utime + stime from /proc/<pid>/stat over ZELLUO_BENCH_IDLE
#              seconds (default 30) of doing nothing, after 2 s to settle
# Needs a C compiler, pkg-config, libgtk-3-dev, libx11-dev, xvfb-run, jwm.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/.." && pwd)
runs=${ZELLUO_BENCH_RUNS:-7}
idle=${ZELLUO_BENCH_IDLE:-30}

if [[ ${1:-} == --inside ]]; then
  zelluo=$2 tools=$3
  work=$(mktemp -d)
  cleanup() {
    pkill -P $$ 2>/dev/null || true
    [[ -n ${wm_pid:-} ]] && kill "$wm_pid" 2>/dev/null
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

  # start <title> <program...>: prints "<ms> <pid>" once the window is mapped.
  start() {
    local title=$1
    shift
    (cd "$work" && "$tools/map_watch" "$title" 30 "$@")
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
  peak_kb() { awk '/^VmHWM:/ {print $2}' "/proc/$1/status"; }
  median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

  # measure <label> <title> <program...>: start-up runs, then one idle run.
  measure() {
    local label=$1 title=$2
    shift 2
    local times=() peaks=() result ms pid
    read -r _ pid < <(start "$title" "$@") # warm-up (creates the settings file)
    stop "$pid"
    for _ in $(seq "$runs"); do
      read -r ms pid < <(start "$title" "$@")
      sleep 2
      times+=("$ms")
      peaks+=("$(peak_kb "$pid")")
      stop "$pid"
    done
    read -r ms pid < <(start "$title" "$@")
    sleep 2
    local before after
    before=$(cpu_ticks "$pid")
    sleep "$idle"
    after=$(cpu_ticks "$pid")
    peaks+=("$(peak_kb "$pid")")
    stop "$pid"
    result="$label $(printf '%s\n' "${times[@]}" | median)"
    result+=" $(printf '%s\n' "${peaks[@]}" | median)"
    result+=" $((after - before))"
    echo "$result"
  }

  zelluo_line=$(measure zelluo Zelluo "$zelluo")
  bare_line=$(measure bare Bare "$tools/bare_window" Bare)
  read -r _ z_ms z_kb z_ticks <<<"$zelluo_line"
  read -r _ b_ms b_kb b_ticks <<<"$bare_line"
  ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b <= 0) b = 1; printf "%.2f", a / b }'; }
  cpu_percent() { awk -v t="$1" -v hz="$ticks" -v s="$idle" 'BEGIN { printf "%.2f", 100 * t / hz / s }'; }
  echo
  printf '%-26s %12s %12s %8s\n' "" "Zelluo" "bare GTK" "ratio"
  printf '%-26s %12s %12s %8s\n' "start-up to MapNotify (ms)" "$z_ms" "$b_ms" "$(ratio "$z_ms" "$b_ms")"
  printf '%-26s %12s %12s %8s\n' "peak RSS (kB)" "$z_kb" "$b_kb" "$(ratio "$z_kb" "$b_kb")"
  printf '%-26s %12s %12s %8s\n' "idle CPU over ${idle} s (%)" "$(cpu_percent "$z_ticks")" \
    "$(cpu_percent "$b_ticks")" "$(ratio "$z_ticks" "$b_ticks")"
  echo "(idle CPU in clock ticks of 1/${ticks} s: Zelluo $z_ticks, bare $b_ticks; a ratio" \
    "against 0 ticks is taken against 1)"
  exit 0
fi

zelluo=${1:-$repo/build-hard-release/zelluo}
if [[ ! -x $zelluo ]]; then
  echo "no program at $zelluo; build it first (cmake --preset hardening-release" \
    "&& cmake --build build-hard-release)" >&2
  exit 2
fi
zelluo=$(cd "$(dirname "$zelluo")" && pwd)/$(basename "$zelluo")
tools=$(mktemp -d)
trap 'rm -rf "$tools"' EXIT
cc -O2 -o "$tools/map_watch" "$here/map_watch.c" -lX11
# shellcheck disable=SC2046  # pkg-config prints several words on purpose
cc -O2 -o "$tools/bare_window" "$here/bare_window.c" $(pkg-config --cflags --libs gtk+-3.0)

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
echo "program: $zelluo"
echo "runs: $runs start-ups each after a warm-up, idle CPU over $idle s"
xvfb-run -a -s "-screen 0 1280x1024x24" bash "${BASH_SOURCE[0]}" --inside "$zelluo" "$tools"
