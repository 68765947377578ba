#!/usr/bin/env bash
# End-to-end checks of the Windows program under Wine: zelluo.exe in Xvfb with
# the jwm window manager (its tray holds the icon), a fresh Wine prefix, a null
# ALSA device and a German locale, in a fresh working directory.
#
#   tests/e2e/windows_e2e.sh [path-to-zelluo.exe]     (default: build-win/zelluo.exe)
#
# With ZELLUO_E2E_KEEP set to a folder, the screenshots are kept there.
#
# 1920 x 1080: the refusal box "Zelluo Installation" appears, Return closes it,
#   the program exits with code 0, and the settings file created on this first
#   start is the 29-line CR LF default file with today's date.
# 1600 x 1200: the Main page (window colour, frame, icon 101); icon 103 opens
#   the Options page and its back button returns; the tray menu hides and shows
#   the window; switch 406 asks, Return answers Ja, the file then holds "1" and
#   "Options" and a new zelluo.exe starts (hidden to the tray, as the option
#   says, on the Options page, and writes "Main" back); Escape ends it; with
#   Fadeout 1 a last start ends through the fade-out with exit code 0.
set -uo pipefail
# shellcheck disable=SC2317  # helpers are called indirectly

# --- inside one Xvfb display -------------------------------------------------
# Called through xvfb-run by the outer part below:
#   windows_e2e.sh --inside <scenario> <exe> <results-file> <work> <keep-folder>
if [[ ${1:-} == --inside ]]; then
  scenario=$2 exe=$3 results=$4 work=$5 keep=$6
  pass() { echo "ok - $scenario: $1" >>"$results"; }
  fail() { echo "not ok - $scenario: $1" >>"$results"; }
  check() { # check <description> <command...>
    local description=$1
    shift
    if "$@"; then pass "$description"; else fail "$description"; fi
  }

  jwm >/dev/null 2>&1 &
  jwm_pid=$!
  pids=()
  cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wineserver -k 2>/dev/null
    kill "$jwm_pid" 2>/dev/null
    wait 2>/dev/null
  }
  trap cleanup EXIT
  for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done

  dir="$work/run-$scenario"
  mkdir -p "$dir"
  settings="$dir/Zelluo Files/Zelluo.xml"
  shots=0

  start() { # starts zelluo.exe in $dir; sets program_pid
    (cd "$dir" && exec wine "$exe") >>"$work/wine-$scenario.log" 2>&1 &
    program_pid=$!
    pids+=("$program_pid")
  }
  # until <seconds> <command...>: polls the command every 0.1 s.
  until_true() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
      ((SECONDS < deadline)) || return 1
      sleep 0.1
    done
  }
  # Waits up to $1 seconds for program_pid to end; sets exit_code (124 on timeout).
  wait_for_exit() {
    program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }
    if until_true "$1" program_ended; then
      wait "$program_pid"
      exit_code=$?
    else
      exit_code=124
    fi
  }
  window_of() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1; }
  main_window() { xdotool search --onlyvisible --name '^Zelluo$' 2>/dev/null | head -n1; }
  shoot() { # shoot <name>: screenshot to $shot
    shots=$((shots + 1))
    shot="$work/$scenario-$shots-$1.png"
    import -window root "$shot" 2>/dev/null
    [[ -z $keep ]] || cp "$shot" "$keep/"
  }
  pixel() { # pixel <x> <y>: "r g b" of the last screenshot
    convert "$shot" -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | tail -n1 |
      sed -E 's/^[^(]*\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/'
  }
  # Window origin on the screen: wx, wy.
  locate_window() {
    local id geometry
    id=$(main_window)
    [[ -n $id ]] || return 1
    geometry=$(xdotool getwindowgeometry --shell "$id") || return 1
    wx=$(sed -n 's/^X=//p' <<<"$geometry")
    wy=$(sed -n 's/^Y=//p' <<<"$geometry")
  }
  is_rgb() { # is_rgb <x> <y> <r> <g> <b>  (window coordinates, +-3 per channel)
    local r g b
    read -r r g b <<<"$(pixel $((wx + $1)) $((wy + $2)))"
    [[ -n $r ]] && ((r - $3 <= 3 && $3 - r <= 3 && g - $4 <= 3 && $4 - g <= 3 &&
                      b - $5 <= 3 && $5 - b <= 3))
  }
  is_bright() { # window pixel at least 230 in every channel
    local r g b
    read -r r g b <<<"$(pixel $((wx + $1)) $((wy + $2)))"
    [[ -n $r ]] && ((r >= 230 && g >= 230 && b >= 230))
  }
  is_blue() {
    local r g b
    read -r r g b <<<"$(pixel $((wx + $1)) $((wy + $2)))"
    [[ -n $r ]] && ((b >= 180 && b >= r + 60))
  }
  is_frame() { # neither the window colour nor black: a frame band pixel
    local r g b
    read -r r g b <<<"$(pixel $((wx + $1)) $((wy + $2)))"
    [[ -n $r ]] && ((r != 40 && r > 0))
  }
  # A move, a pause, then the click: one call sometimes loses the press.
  click_at() { # click_at <x> <y> [button], screen coordinates
    xdotool mousemove "$1" "$2"
    sleep 0.3
    xdotool click "${3:-1}"
  }
  click_window() { click_at $((wx + $1)) $((wy + $2)) "${3:-1}"; }
  send_key() { # send_key <window-id> <key>
    xdotool windowactivate --sync "$1" >/dev/null 2>&1
    xdotool windowfocus --sync "$1" >/dev/null 2>&1
    xdotool key "$2"
  }
  # The tray icon: the Wine window that jwm docked into its tray.
  tray_point() {
    local line
    line=$(xwininfo -root -tree | grep '"explorer.exe"' |
      grep -E ' (1[6-9]|2[0-9]|3[0-2])x(1[6-9]|2[0-9]|3[0-2])\+' | head -n1)
    [[ -n $line ]] || return 1
    read -r tx ty <<<"$(sed -E 's/.*\+[-0-9]+\+[-0-9]+ +\+([-0-9]+)\+([-0-9]+).*/\1 \2/' <<<"$line")"
    tx=$((tx + 8)) ty=$((ty + 8))
  }
  # The open popup menu: a small unnamed window of zelluo.exe; mx, my, mh.
  menu_geometry() {
    local line
    line=$(xwininfo -root -tree | grep 'has no name): ("zelluo.exe"' |
      grep -E ' [0-9]{2,3}x[0-9]{2,3}\+' | head -n1)
    [[ -n $line ]] || return 1
    read -r mw mh mx my <<<"$(sed -E 's/.* ([0-9]+)x([0-9]+)\+[-0-9]+\+[-0-9]+ +\+([-0-9]+)\+([-0-9]+).*/\1 \2 \3 \4/' <<<"$line")"
    [[ -n $mw ]]
  }
  # choose_tray_entry <1 Einblenden | 2 Ausblenden | 4 Beenden>
  choose_tray_entry() {
    tray_point || return 1
    click_at "$tx" "$ty" 3
    until_true 5 menu_geometry || return 1
    local y
    case $1 in
      1) y=$((my + 11)) ;;
      2) y=$((my + 28)) ;;
      4) y=$((my + mh - 10)) ;;
    esac
    click_at $((mx + mw / 2)) "$y"
    menu_closed() { ! menu_geometry; }
    until_true 5 menu_closed
  }
  has_main_window() { [[ -n $(main_window) ]]; }
  no_main_window() { [[ -z $(main_window) ]]; }
  has_box() { [[ -n $(window_of '^Zelluo Installation$') ]]; }
  # Probes of the pages, in window coordinates of the last screenshot.
  frame_drawn() { is_frame 0 0 && is_frame 1279 1023; }
  icon_101_drawn() { is_rgb 160 400 40 40 40 && is_blue 224 475; }
  main_page_shown() { is_rgb 298 139 40 40 40 && is_blue 224 475; }
  options_page_shown() { is_bright 298 139 && is_blue 65 75; }
  # Switch 406 in its "on" look: the green tick, not the grey one.
  start_tray_switch_on() {
    local r g b
    read -r r g b <<<"$(pixel $((wx + 312)) $((wy + 162)))"
    [[ -n $r ]] && ((g >= r + 50 && g >= b + 50))
  }
  value_of() { # value_of <key>: the Value of the key in the settings file
    sed -n "s/.*<$1 Value=\"\([^\"]*\)\".*/\1/p" "$settings" 2>/dev/null | head -n1
  }
  zelluo_pids() { pgrep -f 'zelluo\.exe' | sort; }

  case $scenario in
  refusal)
    start
    box=
    until_true 60 has_box && box=$(window_of '^Zelluo Installation$')
    check "the refusal box \"Zelluo Installation\" appears" test -n "$box"
    shoot refusal
    if [[ -n $box ]]; then send_key "$box" Return; fi
    wait_for_exit 30
    check "Return closes the box and the program exits with code 0 (got $exit_code)" test "$exit_code" = 0
    check "no main window was opened" test -z "$(main_window)"
    expected=$(printf '%s\r\n' \
      '<?xml version="1.0" encoding="UTF-8"?>' '' '<Root>' '  <HKey_Application>' \
      '    <Key_Name Value="Zelluo"/>' '    <Key_Version Value="1.0.0.0"/>' \
      "    <Key_Create Value=\"$(date +%d/%m/%Y)\"/>" "    <Key_Update Value=\"$(date +%d/%m/%Y)\"/>" \
      '    <Key_StartPage Value="Main"/>' '  </HKey_Application>' '  <HKey_Options>' \
      '    <Key_StartTray Value="0"/>' '    <Key_StartMinimize Value="0"/>' \
      '    <Key_AutoUpdate Value="0"/>' '    <Key_Language Value="German"/>' \
      '    <Key_Theme Value="Default"/>' '    <Key_Log Value="0"/>' '    <Key_Fadeout Value="0"/>' \
      '    <Key_IgnoreRes Value="0"/>' '    <Key_Sound Value="1"/>' '  </HKey_Options>' \
      '  <HKey_Designs>' '    <Key_Default Value="1"/>' '    <Key_Blue Value="0"/>' \
      '    <Key_Green Value="0"/>' '    <Key_Violet Value="0"/>' '    <Key_Red Value="0"/>' \
      '  </HKey_Designs>' '</Root>'; echo x)
    expected=${expected%x}
    check "the settings file is the 29-line CR LF default file of today" \
      bash -c '[[ "$(cat "$1"; echo x)" == "$2x" ]] && [[ $(wc -l <"$1") == 29 ]]' _ "$settings" "$expected"
    ;;

  running)
    start
    until_true 60 has_main_window
    check "the main window \"Zelluo\" appears" test -n "$(main_window)"
    sleep 1
    locate_window
    # Away from every icon, so that no hover picture shows.
    xdotool mousemove $((wx + 640)) $((wy + 200))
    sleep 0.5
    shoot main
    check "Main page: the content area has the window colour RGB(40,40,40)" is_rgb 640 200 40 40 40
    check "Main page: the frame is drawn at the top left and the bottom right corner" frame_drawn
    check "Main page: icon 101 stands at (160, 400)" icon_101_drawn
    check "Main page: no Options heading line" is_rgb 298 139 40 40 40

    click_window 620 460  # icon 103
    sleep 1.5
    shoot options
    check "icon 103 opens the Options page (heading line, back button)" options_page_shown
    click_window 65 75  # back button 400
    sleep 1.5
    xdotool mousemove $((wx + 640)) $((wy + 200))
    sleep 0.5
    shoot back
    check "the back button returns to the Main page" main_page_shown

    choose_tray_entry 2  # Ausblenden
    check "tray menu \"Ausblenden\" hides the window" until_true 5 no_main_window
    shoot hidden
    choose_tray_entry 1  # Einblenden
    check "tray menu \"Einblenden\" shows the window again" until_true 5 has_main_window
    sleep 1
    locate_window
    xdotool mousemove $((wx + 640)) $((wy + 200))
    sleep 0.5
    shoot shown
    check "the shown window has the Main page" main_page_shown

    # A confirmed option change restarts the program.
    click_window 620 460
    sleep 1.5
    before=$(zelluo_pids)
    click_window 312 162  # switch 406: "Im Tray starten" on
    second_zelluo_window() { [[ -n $(xdotool search --onlyvisible --name '^Zelluo$' 2>/dev/null | sed -n 2p) ]]; }
    until_true 20 second_zelluo_window
    shoot question
    box=$(xdotool search --onlyvisible --name '^Zelluo$' 2>/dev/null | while read -r id; do
      [[ $(xdotool getwindowgeometry --shell "$id" | sed -n 's/^WIDTH=//p') -lt 800 ]] && echo "$id"
    done | head -n1)
    check "switch 406 asks with a message box" test -n "$box"
    [[ -n $box ]] && send_key "$box" Return
    # The saved file with the new values lives at least 250 ms before the new
    # instance starts and writes "Main" back.
    start_tray_saved() { [[ $(value_of Key_StartTray) == 1 ]]; }
    until_true 20 start_tray_saved
    start_tray=$(value_of Key_StartTray) start_page=$(value_of Key_StartPage)
    check "Ja writes \"1\" for Key_StartTray (got \"$start_tray\")" test "$start_tray" = 1
    check "and \"Options\" for Key_StartPage (got \"$start_page\")" test "$start_page" = Options
    wait_for_exit 30
    check "the old instance ends with exit code 0 (got $exit_code)" test "$exit_code" = 0
    new_pid=
    find_new() {
      local pid
      for pid in $(zelluo_pids); do
        grep -qx "$pid" <<<"$before" || { new_pid=$pid; return 0; }
      done
      return 1
    }
    until_true 30 find_new
    check "a new zelluo.exe process appears" test -n "$new_pid"
    [[ -n $new_pid ]] && pids+=("$new_pid")
    main_written_back() { [[ $(value_of Key_StartPage) == Main ]]; }
    check "the new instance writes \"Main\" back as start page" until_true 30 main_written_back
    sleep 2
    check "the new instance starts hidden to the tray" test -z "$(main_window)"
    choose_tray_entry 1
    until_true 10 has_main_window
    sleep 1
    locate_window
    xdotool mousemove $((wx + 640)) $((wy + 200))
    sleep 0.5
    shoot restarted
    check "the new instance shows the Options page" options_page_shown
    check "with \"Im Tray starten\" switched on" start_tray_switch_on
    click_window 640 600
    sleep 0.5
    send_key "$(main_window)" Escape
    new_instance_ended() { ! kill -0 "$new_pid" 2>/dev/null; }
    check "Escape ends the new instance" until_true 20 new_instance_ended

    # Fade-out: a last start with Fadeout 1 (and no tray start).
    sed -i -e 's/<Key_Fadeout Value="0"/<Key_Fadeout Value="1"/' \
      -e 's/<Key_StartTray Value="1"/<Key_StartTray Value="0"/' "$settings"
    start
    until_true 60 has_main_window
    check "the program starts again with Fadeout 1" test -n "$(main_window)"
    sleep 1
    locate_window
    click_window 640 600
    sleep 0.5
    send_key "$(main_window)" Escape
    wait_for_exit 30
    check "Escape ends it through the fade-out with exit code 0 (got $exit_code)" test "$exit_code" = 0
    check "no window is left" test -z "$(main_window)"
    ;;
  esac
  exit 0
fi

# --- outside: prefix, locale, one display per scenario --------------------------
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
exe="${1:-${ZELLUO_EXE:-$repo/build-win/zelluo.exe}}"
exe="$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")"
if [[ ! -f $exe ]]; then
  echo "windows_e2e.sh: no program at $exe (scripts/build-windows builds it)" >&2
  exit 2
fi
keep="${ZELLUO_E2E_KEEP:-}"
[[ -z $keep ]] || mkdir -p "$keep"

work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
results="$work/results"
: >"$results"

# Everything Wine keeps goes below $work: its prefix, and a home whose ALSA
# configuration offers a null device, so that DirectSound finds one.
export HOME="$work/home" WINEPREFIX="$work/prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$HOME"
printf 'pcm.!default {\n  type null\n}\n' >"$HOME/.asoundrc"
# A German locale gives the message boxes their "Ja" and "Nein".
mkdir -p "$work/locale"
if localedef -i de_DE -f UTF-8 "$work/locale/de_DE.UTF-8" 2>/dev/null; then
  export LOCPATH="$work/locale" LANG=de_DE.UTF-8
  unset LC_ALL
fi

echo "== Wine prefix"
wineboot -i >"$work/wineboot.log" 2>&1
wineserver -w

for scenario in refusal running; do
  case $scenario in
    refusal) screen=1920x1080x24 ;;
    running) screen=1600x1200x24 ;;
  esac
  echo "== $scenario ($screen)"
  # The test's own working copy of the settings starts empty for each scenario.
  xvfb-run -a -s "-screen 0 $screen" bash "${BASH_SOURCE[0]}" --inside "$scenario" "$exe" \
    "$results" "$work" "$keep"
  wineserver -k 2>/dev/null
  wineserver -w
done

cat "$results"
passed=$(grep -c '^ok' "$results")
failed=$(grep -c '^not ok' "$results")
echo "windows: $passed passed, $failed failed"
((failed == 0 && passed > 0))
