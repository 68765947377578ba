#!/usr/bin/env bash
# End-to-end check of the start-up resolution gate: the real GTK program under
# Xvfb with the jwm window manager, in a fresh working directory each time.
#
#   tests/e2e/startup_gate.sh <path-to-zelluo-binary>
#
# The binary may also be given as ZELLUO_BIN. With ZELLUO_E2E_KEEP set to a
# folder, the screenshots and the OCR text of the refusal box are kept there.
#
# 1920 x 1080: the refusal box "Zelluo Installation" appears with its text,
#   Return closes it, the program exits with code 0, and the settings file
#   created on this first start has its 29 CR LF lines with today's date.
# 1280 x 1024: no refusal box; the main window "Zelluo" appears, Escape ends
#   the program with code 0. (A build whose start-up ends right after the gate
#   exits without a window; that passes too, as long as no box was shown.)
set -uo pipefail
# shellcheck disable=SC2317  # the helpers below are called through check and trap

# --- inside one Xvfb display ----------------------------------------------------
# Called through xvfb-run by the outer part below:
#   startup_gate.sh --inside <scenario> <binary> <results-file> <keep-folder>
if [[ ${1:-} == --inside ]]; then
  scenario=$2 binary=$3 results=$4 keep=$5

  pass() { echo "ok - $scenario: $1" >>"$results"; }
  fail() { echo "not ok - $scenario: $1" >>"$results"; }
  check() { # check <description> <command...>
    local description=$1
    shift
    if "$@"; then pass "$description"; else fail "$description"; fi
  }

  jwm >/dev/null 2>&1 &
  jwm_pid=$!
  program_pid=
  work=$(mktemp -d)
  cleanup() {
    # The program leads its own process group (setsid), so this ends it with
    # anything it started.
    [[ -n $program_pid ]] && kill -- "-$program_pid" 2>/dev/null
    kill "$jwm_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
  }
  trap cleanup EXIT

  # The window manager is ready once it announces itself on the root window.
  for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done

  # No sound device is needed; the program runs on without one anyway.
  (cd "$work" && exec setsid env SDL_AUDIODRIVER=dummy "$binary") >"$work/output.log" 2>&1 &
  program_pid=$!

  # Waits up to $1 seconds for the program to end; sets exit_code (124 on timeout).
  wait_for_exit() {
    local deadline=$((SECONDS + $1))
    while kill -0 "$program_pid" 2>/dev/null; do
      if ((SECONDS >= deadline)); then
        exit_code=124
        return
      fi
      sleep 0.1
    done
    wait "$program_pid"
    exit_code=$?
    program_pid=
  }

  # Gives the window with the id $1 the keyboard focus and presses key $2.
  # (key --window sends synthetic events, which GTK ignores.)
  press_key_in() {
    xdotool windowactivate --sync "$1" >/dev/null 2>&1
    xdotool windowfocus --sync "$1" >/dev/null 2>&1
    xdotool key "$2"
  }

  # The visible window titled "Zelluo" that is large enough to be the main
  # window (the tray icon and the program's message boxes carry the name too).
  main_window() {
    local id geometry width height
    for id in $(xdotool search --onlyvisible --name '^Zelluo$' 2>/dev/null); do
      geometry=$(xdotool getwindowgeometry "$id" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')
      read -r width height <<<"$geometry"
      if ((${width:-0} >= 640 && ${height:-0} >= 480)); then
        echo "$id"
        return
      fi
    done
  }

  settings="$work/Zelluo Files/Zelluo.xml"
  settings_has_29_crlf_lines() {
    [[ -f $settings ]] || return 1
    local lines crlf
    lines=$(wc -l <"$settings")
    crlf=$(grep -c $'\r$' "$settings")
    # 29 line feeds, each after a carriage return, and nothing after the last.
    [[ $lines -eq 29 && $crlf -eq 29 && $(tail -c 2 "$settings" | od -An -tx1 | tr -d ' ') == 0d0a ]]
  }
  settings_line_has_today() {
    sed -n "$1p" "$settings" 2>/dev/null | grep -qF "\"$(date +%d/%m/%Y)\""
  }

  case $scenario in
    refused)
      box=$(timeout 20 xdotool search --sync --onlyvisible --name '^Zelluo Installation$' 2>/dev/null | head -n 1)
      check "the box \"Zelluo Installation\" appears" test -n "$box"
      if [[ -n $box ]]; then
        sleep 0.5 # let it paint
        import -window root "$work/screen.png" 2>/dev/null
        import -window "$box" "$work/box.png" 2>/dev/null
        if command -v tesseract >/dev/null && tesseract --list-langs 2>/dev/null | grep -qx deu; then
          convert "$work/box.png" -resize 300% "$work/box3.png"
          tesseract "$work/box3.png" "$work/box" -l deu >/dev/null 2>&1
          expected=$'Für Zelluo ist eine Auflösung von min. 1280x1024 erforderlich.\n\nUnterstützte Auflösungen:\n'
          expected+=$'1280x1024\n1600x1024\n1600x1200\n\n'
          expected+=$'Um die Auflösung zu ignorieren, bitte folgenden Schlüssel ändern:\n'
          expected+='\Zelluo Files\Zelluo.xml -> Root\HKey_Options\Key_IgnoreRes -> 1'
          # Compared line by line with blank lines dropped; the button reads "OK".
          read_back=$(grep -v '^[[:space:]]*$' "$work/box.txt" 2>/dev/null | sed 's/[[:space:]]*$//')
          wanted=$(printf '%s\nOK\n' "$expected" | grep -v '^$')
          check "the box shows the refusal text (read back by OCR)" test "$read_back" == "$wanted"
          if [[ $read_back != "$wanted" ]]; then
            diff <(echo "$wanted") <(echo "$read_back") | sed 's/^/#   /' >>"$results"
          fi
        else
          echo "# $scenario: tesseract with German not installed; text not read back" >>"$results"
        fi
        if [[ -n $keep ]]; then
          cp "$work"/screen.png "$keep/refusal-screen.png" 2>/dev/null
          cp "$work"/box.png "$keep/refusal-box.png" 2>/dev/null
          cp "$work"/box.txt "$keep/refusal-box.txt" 2>/dev/null
        fi
        press_key_in "$box" Return
      fi
      wait_for_exit 20
      check "the program exits with code 0 after Return (got $exit_code)" test "$exit_code" -eq 0
      if [[ -n $box ]]; then
        check "the box is gone" test -z "$(xdotool search --onlyvisible --name '^Zelluo Installation$' 2>/dev/null)"
      fi
      check "\"Zelluo Files/Zelluo.xml\" has 29 lines, each ending in CR LF" settings_has_29_crlf_lines
      check "line 7 holds today's date" settings_line_has_today 7
      check "line 8 holds today's date" settings_line_has_today 8
      ;;

    accepted)
      # Watch until the program ends or its main window appears; the refusal
      # box must not appear meanwhile.
      refused=
      window=
      deadline=$((SECONDS + 30))
      while kill -0 "$program_pid" 2>/dev/null && ((SECONDS < deadline)); do
        if [[ -n $(xdotool search --onlyvisible --name '^Zelluo Installation$' 2>/dev/null) ]]; then
          refused=yes
          break
        fi
        window=$(main_window)
        [[ -n $window ]] && break
        sleep 0.2
      done
      check "no box \"Zelluo Installation\" appears" test -z "$refused"
      if [[ -n $window ]]; then
        sleep 0.5
        [[ -n $keep ]] && import -window root "$keep/accepted-screen.png" 2>/dev/null
        press_key_in "$window" Escape
        wait_for_exit 20
        check "Escape ends the program with code 0 (got $exit_code)" test "$exit_code" -eq 0
      else
        wait_for_exit 5
        check "the program exits with code 0 (got $exit_code)" test "$exit_code" -eq 0
      fi
      check "\"Zelluo Files/Zelluo.xml\" has 29 lines, each ending in CR LF" settings_has_29_crlf_lines
      ;;
  esac
  exit 0
fi

# --- outer part ----------------------------------------------------------------
binary=${1:-${ZELLUO_BIN:-}}
if [[ -z $binary || ! -x $binary ]]; then
  echo "usage: $0 <path-to-zelluo-binary>   (or set ZELLUO_BIN)" >&2
  exit 2
fi
binary=$(cd "$(dirname "$binary")" && pwd)/$(basename "$binary")
for tool in xvfb-run jwm xdotool xprop import; do
  if ! command -v "$tool" >/dev/null; then
    echo "$0: $tool is missing (scripts/setup installs it)" >&2
    exit 2
  fi
done
keep=${ZELLUO_E2E_KEEP:-}
[[ -n $keep ]] && mkdir -p "$keep" && keep=$(cd "$keep" && pwd)

results=$(mktemp)
trap 'rm -f "$results"' EXIT
self=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/$(basename "${BASH_SOURCE[0]}")

run_scenario() { # run_scenario <scenario> <width> <height>
  if ! xvfb-run -a -s "-screen 0 ${2}x${3}x24" bash "$self" --inside "$1" "$binary" "$results" "$keep"; then
    echo "not ok - $1: the display or the check itself failed to run" >>"$results"
  fi
}

run_scenario refused 1920 1080
run_scenario accepted 1280 1024

cat "$results"
passed=$(grep -c '^ok - ' "$results")
failed=$(grep -c '^not ok - ' "$results")
echo "$passed passed, $failed failed"
[[ $failed -eq 0 && $passed -gt 0 ]]
