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
#
# No check follows a fixed pause: each step waits for its condition (jwm owning
# the tray, a window mapped or gone, the tray menu open, a fresh screenshot
# showing the page, a process started or ended, a value in the file) with a
# generous limit, so that a busy machine makes the run slower, not red.
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
  note() { echo "# $scenario: $*" >&2; }  # remarks for the log (stderr)

  # wait_until <seconds> <command...>: runs the command every 0.2 s until it
  # succeeds; fails once the seconds have passed. The limits are generous.
  wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
      ((SECONDS < deadline)) || return 1
      sleep 0.2
    done
  }

  jwm_pid=
  pids=()
  wx=0 wy=0 tx=0 ty=0 mx=0 my=0 mw=0 mh=0 box='' new_pid='' exit_code=''
  cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wineserver -k 2>/dev/null
    [[ -z $jwm_pid ]] || kill "$jwm_pid" 2>/dev/null
    wait 2>/dev/null
  }
  trap cleanup EXIT

  # --- the window manager and its tray ---
  # selection_owned <selection>: some client owns the selection on this display.
  selection_owned() {
    python3 - "$1" <<'PY'
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XGetSelectionOwner.restype = ctypes.c_ulong
x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
display = x.XOpenDisplay(None)
owned = display and x.XGetSelectionOwner(display, x.XInternAtom(display, sys.argv[1].encode(), 0))
sys.exit(0 if owned else 1)
PY
  }
  jwm_running() { [[ -n $jwm_pid ]] && kill -0 "$jwm_pid" 2>/dev/null; }
  # jwm manages the windows and owns the system tray. explorer.exe docks the
  # tray icons there only if the tray is owned when Wine starts; otherwise it
  # keeps them in a window of its own, out of reach of these checks.
  wm_ready() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' &&
      selection_owned _NET_SYSTEM_TRAY_S0
  }
  wm_ready_or_gone() { ! jwm_running || wm_ready; }
  start_wm() {
    local attempt log
    for attempt in 1 2 3; do
      log="$work/jwm-$scenario-$attempt.log"
      jwm >"$log" 2>&1 &
      jwm_pid=$!
      wait_until 60 wm_ready_or_gone && jwm_running && return 0
      note "jwm (attempt $attempt) did not come up with its tray; its output:"
      sed 's/^/#   /' "$log" >&2
      kill "$jwm_pid" 2>/dev/null
      wait "$jwm_pid" 2>/dev/null
      jwm_pid=
    done
    return 1
  }
  if ! start_wm; then
    fail "jwm runs and owns the system tray"
    exit 0
  fi

  dir="$work/run-$scenario"
  mkdir -p "$dir"
  settings="$dir/Zelluo Files/Zelluo.xml"
  read -r screen_w screen_h <<<"$(xwininfo -root | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w, h}')"

  start() { # starts zelluo.exe in $dir; sets program_pid
    (cd "$dir" && exec wine "$exe") >>"$work/wine-$scenario.log" 2>&1 &
    program_pid=$!
    pids+=("$program_pid")
  }
  # Waits up to $1 seconds for program_pid to end; sets exit_code (124 on timeout).
  program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }
  wait_for_exit() {
    if wait_until "$1" program_ended; then
      wait "$program_pid"
      exit_code=$?
    else
      exit_code=124
    fi
  }
  # The zelluo.exe processes of this run: the first word of the command line
  # names zelluo.exe and the environment holds this run's Wine prefix (other
  # runs, and this script's own command line, name zelluo.exe too).
  zelluo_pids() {
    local proc first
    for proc in /proc/[0-9]*; do
      { IFS= read -r -d '' first <"$proc/cmdline"; } 2>/dev/null || continue
      [[ ${first,,} == *zelluo.exe ]] || continue
      tr '\0' '\n' <"$proc/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
      echo "${proc#/proc/}"
    done
  }

  # --- windows ---
  window_of() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1; }
  window_width() { xdotool getwindowgeometry --shell "$1" 2>/dev/null | sed -n 's/^WIDTH=//p'; }
  # The visible windows named "Zelluo" that are at least / less than 800 wide:
  # the main window, and a message box of the program.
  zelluo_window() { # zelluo_window <wide|narrow>
    local id width
    for id in $(xdotool search --onlyvisible --name '^Zelluo$' 2>/dev/null); do
      width=$(window_width "$id")
      [[ -n $width ]] || continue
      if { [[ $1 == wide ]] && ((width >= 800)); } || { [[ $1 == narrow ]] && ((width < 800)); }; then
        echo "$id"
        return 0
      fi
    done
  }
  main_window() { zelluo_window wide; }
  has_main_window() { [[ -n $(main_window) ]]; }
  no_zelluo_window() { [[ -z $(window_of '^Zelluo$') ]]; }
  find_question() { box=$(zelluo_window narrow); [[ -n $box ]]; }
  find_refusal_box() { box=$(window_of '^Zelluo Installation$'); [[ -n $box ]]; }
  window_gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
  # Window origin on the screen: wx, wy.
  locate_window() {
    local id geometry
    id=$(main_window)
    [[ -n $id ]] || return 1
    geometry=$(xdotool getwindowgeometry --shell "$id" 2>/dev/null) || return 1
    wx=$(sed -n 's/^X=//p' <<<"$geometry")
    wy=$(sed -n 's/^Y=//p' <<<"$geometry")
    [[ -n $wx && -n $wy ]]
  }

  # --- screenshots and pixel probes ---
  raw="$work/$scenario-screen.rgb"
  shots=0
  snap() { import -window root -depth 8 "rgb:$raw" 2>/dev/null; }  # a fresh screenshot
  keep_shot() { # keep_shot <name>: the last screenshot as PNG in the keep folder
    shots=$((shots + 1))
    [[ -z $keep ]] ||
      convert -size "${screen_w}x$screen_h" -depth 8 "rgb:$raw" "$keep/$scenario-$shots-$1.png" 2>/dev/null
  }
  # on_screen <probe...>: locates the main window, takes a fresh screenshot and
  # runs the probe on it. Through wait_until: until the picture is right.
  on_screen() { locate_window && snap && "$@"; }
  pixel() { # pixel <x> <y>: "r g b" of the last screenshot, screen coordinates
    (($1 >= 0 && $1 < screen_w && $2 >= 0 && $2 < screen_h)) || return 1
    od -An -tu1 -j $((($2 * screen_w + $1) * 3)) -N3 "$raw" 2>/dev/null
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

  # --- mouse and keyboard ---
  # The pointer is where it should be before the button goes down; the pause
  # after the move lets the program see the pointer arrive (a press sent with
  # the move is sometimes lost).
  click_at() { # click_at <x> <y> [button], screen coordinates
    timeout 10 xdotool mousemove --sync "$1" "$2"
    sleep 0.3
    xdotool click "${3:-1}"
  }
  click_window() { click_at $((wx + $1)) $((wy + $2)) "${3:-1}"; }
  # Away from every icon, so that no hover picture shows.
  away_from_icons() { timeout 10 xdotool mousemove --sync $((wx + 640)) $((wy + 200)); }
  send_key() { # send_key <window-id> <key>: to the window once it has the focus
    timeout 15 xdotool windowactivate --sync "$1" >/dev/null 2>&1
    timeout 15 xdotool windowfocus --sync "$1" >/dev/null 2>&1
    xdotool key "$2"
  }
  # answer_box <window-id> <key>: the key to a message box; sent again only if
  # the box is still up long after (the key then went astray).
  answer_box() {
    local attempt
    for attempt in 1 2 3; do
      send_key "$1" "$2"
      wait_until 20 window_gone "$1" && return 0
      note "the box was still open 20 s after $2 (try $attempt)"
    done
    return 1
  }

  # --- the tray icon and its menu ---
  # unnamed_windows <program> <min> <max>: "id width height x y" (x, y on the
  # screen) of each mapped window without a name of that Wine program whose
  # width and height are from min to max.
  unnamed_windows() {
    local id w h x y
    xwininfo -root -tree 2>/dev/null | grep -F "(has no name): (\"$1\"" |
      sed -nE 's/^ *(0x[0-9a-f]+) .* ([0-9]+)x([0-9]+)\+[-0-9]+\+[-0-9]+ +\+([-0-9]+)\+([-0-9]+).*/\1 \2 \3 \4 \5/p' |
      while read -r id w h x y; do
        ((w >= $2 && w <= $3 && h >= $2 && h <= $3)) || continue
        xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && echo "$id $w $h $x $y"
      done
  }
  # The tray icon: the window of explorer.exe that jwm docked into its tray;
  # tx, ty is its middle.
  tray_icon() {
    local id w h x y
    read -r id w h x y <<<"$(unnamed_windows explorer.exe 16 32 | head -n1)"
    [[ -n $id ]] || return 1
    tx=$((x + w / 2)) ty=$((y + h / 2))
  }
  # The open popup menu: a small window of zelluo.exe without a name, mapped,
  # and in the same place on two looks 0.2 s apart; mx, my, mw, mh.
  menu_open() {
    local first second
    first=$(unnamed_windows zelluo.exe 10 999 | head -n1)
    [[ -n $first ]] || return 1
    sleep 0.2
    second=$(unnamed_windows zelluo.exe 10 999 | head -n1)
    [[ $first == "$second" ]] || return 1
    read -r _ mw mh mx my <<<"$first"
  }
  menu_closed() { [[ -z $(unnamed_windows zelluo.exe 10 999) ]]; }
  # A right click on the tray icon opens the menu; the click again only when
  # no menu came up for a long time.
  open_tray_menu() {
    local attempt
    for attempt in 1 2 3; do
      if ! wait_until 30 tray_icon; then
        note "no icon in the tray$(jwm_running || echo ' (jwm has ended)')"
        return 1
      fi
      click_at "$tx" "$ty" 3
      wait_until 15 menu_open && return 0
      note "no tray menu 15 s after right click $attempt on ($tx, $ty)"
    done
    return 1
  }
  # choose_menu_entry <1 Einblenden | 2 Ausblenden | 4 Beenden> in the open menu
  choose_menu_entry() {
    local attempt y
    for attempt in 1 2; do
      case $1 in
        1) y=$((my + 11)) ;;
        2) y=$((my + 28)) ;;
        4) y=$((my + mh - 10)) ;;
      esac
      click_at $((mx + mw / 2)) "$y"
      wait_until 15 menu_closed && return 0
      note "the tray menu was still open 15 s after a click on entry $1"
      menu_open || return 1
    done
    xdotool key Escape  # leaves no open menu behind
    return 1
  }
  choose_tray_entry() { open_tray_menu && choose_menu_entry "$1"; }

  value_of() { # value_of <key>: the Value of the key in the settings file
    sed -n "s/.*<$1 Value=\"\([^\"]*\)\".*/\1/p" "$settings" 2>/dev/null | head -n1
  }

  case $scenario in
  refusal)
    start
    box=
    wait_until 60 find_refusal_box
    check "the refusal box \"Zelluo Installation\" appears" test -n "$box"
    snap && keep_shot refusal
    if [[ -n $box ]]; then answer_box "$box" Return; fi
    wait_for_exit 60
    check "Return closes the box and the program exits with code 0 (got $exit_code)" test "$exit_code" = 0
    check "no main window was opened" no_zelluo_window
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
    wait_until 60 has_main_window
    check "the main window \"Zelluo\" appears" has_main_window
    wait_until 30 locate_window
    away_from_icons
    main_page_complete() {
      is_rgb 640 200 40 40 40 && frame_drawn && icon_101_drawn && is_rgb 298 139 40 40 40
    }
    wait_until 30 on_screen main_page_complete
    keep_shot main
    check "Main page: the content area has the window colour RGB(40,40,40)" is_rgb 640 200 40 40 40
    check "Main page: the frame is drawn at the top left and the bottom right corner" frame_drawn
    check "Main page: icon 101 stands at (160, 400)" icon_101_drawn
    check "Main page: no Options heading line" is_rgb 298 139 40 40 40

    click_window 620 460  # icon 103
    check "icon 103 opens the Options page (heading line, back button)" \
      wait_until 30 on_screen options_page_shown
    keep_shot options
    click_window 65 75  # back button 400
    away_from_icons
    check "the back button returns to the Main page" wait_until 30 on_screen main_page_shown
    keep_shot back

    choose_tray_entry 2  # Ausblenden
    check "tray menu \"Ausblenden\" hides the window" wait_until 30 no_zelluo_window
    snap && keep_shot hidden
    choose_tray_entry 1  # Einblenden
    check "tray menu \"Einblenden\" shows the window again" wait_until 30 has_main_window
    wait_until 30 locate_window
    away_from_icons
    check "the shown window has the Main page" wait_until 30 on_screen main_page_shown
    keep_shot shown

    # A confirmed option change restarts the program.
    click_window 620 460
    wait_until 30 on_screen options_page_shown  # switch 406 is on this page
    before=$(zelluo_pids)
    click_window 312 162  # switch 406: "Im Tray starten" on
    box=
    wait_until 60 find_question
    snap && keep_shot question
    check "switch 406 asks with a message box" test -n "$box"
    [[ -n $box ]] && answer_box "$box" Return
    # The saved file with the new values lives at least 250 ms before the new
    # instance starts and writes "Main" back.
    start_tray_saved() { [[ $(value_of Key_StartTray) == 1 ]]; }
    wait_until 60 start_tray_saved
    start_tray=$(value_of Key_StartTray) start_page=$(value_of Key_StartPage)
    check "Ja writes \"1\" for Key_StartTray (got \"$start_tray\")" test "$start_tray" = 1
    check "and \"Options\" for Key_StartPage (got \"$start_page\")" test "$start_page" = Options
    wait_for_exit 60
    check "the old instance ends with exit code 0 (got $exit_code)" test "$exit_code" = 0
    new_pid=
    find_new() {
      local pid
      for pid in $(zelluo_pids); do
        grep -qx "$pid" <<<"$before" || { new_pid=$pid; return 0; }
      done
      return 1
    }
    wait_until 60 find_new
    note "zelluo.exe before the restart: ${before//$'\n'/ }, new: ${new_pid:-none}"
    check "a new zelluo.exe process appears" test -n "$new_pid"
    [[ -n $new_pid ]] && pids+=("$new_pid")
    main_written_back() { [[ $(value_of Key_StartPage) == Main ]]; }
    check "the new instance writes \"Main\" back as start page" wait_until 60 main_written_back
    # Its tray menu opens only once its event loop runs, after the start state
    # was applied: a window that were to show would be up by then.
    menu_up=0
    open_tray_menu && menu_up=1
    started_hidden() { ((menu_up == 1)) && no_zelluo_window; }
    check "the new instance starts hidden to the tray" started_hidden
    ((menu_up == 1)) && choose_menu_entry 1  # Einblenden
    wait_until 60 has_main_window
    wait_until 30 locate_window
    away_from_icons
    restarted_page_shown() { options_page_shown && start_tray_switch_on; }
    wait_until 30 on_screen restarted_page_shown
    keep_shot restarted
    check "the new instance shows the Options page" options_page_shown
    check "with \"Im Tray starten\" switched on" start_tray_switch_on
    click_window 640 600
    send_key "$(main_window)" Escape
    new_instance_ended() { [[ -n $new_pid ]] && ! kill -0 "$new_pid" 2>/dev/null; }
    check "Escape ends the new instance" wait_until 60 new_instance_ended

    # Fade-out: a last start with Fadeout 1 (and no tray start).
    sed -i -e 's/<Key_Fadeout Value="0"/<Key_Fadeout Value="1"/' \
      -e 's/<Key_StartTray Value="1"/<Key_StartTray Value="0"/' "$settings"
    start
    wait_until 60 has_main_window
    check "the program starts again with Fadeout 1" has_main_window
    wait_until 30 on_screen main_page_shown  # drawn: its event loop runs
    click_window 640 600
    send_key "$(main_window)" Escape
    wait_for_exit 60
    check "Escape ends it through the fade-out with exit code 0 (got $exit_code)" test "$exit_code" = 0
    check "no window is left" no_zelluo_window
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
  if ! xvfb-run -a -s "-screen 0 $screen" bash "${BASH_SOURCE[0]}" --inside "$scenario" "$exe" \
    "$results" "$work" "$keep"; then
    echo "not ok - $scenario: the scenario ran to its end under xvfb-run" >>"$results"
  fi
  wineserver -k 2>/dev/null
  wineserver -w
done

cat "$results"
passed=$(grep -c '^ok' "$results")
failed=$(grep -c '^not ok' "$results")
echo "windows: $passed passed, $failed failed"
((failed == 0 && passed > 0))
