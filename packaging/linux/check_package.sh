#!/usr/bin/env bash
# shellcheck disable=SC2317  # cleanup is called through trap
# Round trip of the Debian package: builds it with cpack from a configured
# build folder, checks its contents, installs it with apt-get, starts
# /usr/bin/zelluo on a 1280 x 1024 Xvfb display in a fresh folder, sees the
# main window, presses Escape, expects exit code 0, and removes the package.
#
#   packaging/linux/check_package.sh <build-folder> <results-file>
#
# Appends "ok - ..." and "not ok - ..." lines to the results file. Installing
# needs root (or sudo). A zelluo package that is already installed is left
# alone: then only the package itself is checked.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
e2e="$repo/tests/e2e"

if [[ ${1:-} == --inside ]]; then
  results=$2
  # shellcheck source=tests/e2e/desktop_helpers.bash
  source "$e2e/desktop_helpers.bash"
  pass() { echo "ok - package: $1" >>"$results"; }
  fail() { echo "not ok - package: $1" >>"$results"; }
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
  (cd "$work" && exec env SDL_AUDIODRIVER=dummy /usr/bin/zelluo) >/dev/null 2>&1 &
  program_pid=$!
  if window=$(wait_for_main_window Zelluo 30 "$program_pid"); then
    pass "/usr/bin/zelluo opens its main window"
    sleep 0.5
    press_key_in "$window" Escape
  else
    fail "/usr/bin/zelluo shows no main window within 30 s"
  fi
  if wait_for_exit "$program_pid" 20; then
    program_pid=
    if [[ $exit_code -eq 0 ]]; then pass "exit code 0 after Escape"; else fail "exit code $exit_code"; fi
  else
    fail "the program did not end within 20 s of Escape"
  fi
  if [[ -f "$work/Zelluo Files/Zelluo.xml" ]]; then
    pass "the settings file was created in the working folder"
  else
    fail "no settings file in the working folder"
  fi
  exit 0
fi

build=${1:?build folder} results=${2:?results file}
pass() { echo "ok - package: $1" >>"$results"; }
fail() { echo "not ok - package: $1" >>"$results"; }
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
if (cd "$build" && cpack -G DEB -B "$out") >"$out/cpack.log" 2>&1; then
  pass "cpack -G DEB builds the package"
else
  fail "cpack -G DEB failed"
  sed 's/^/#   /' "$out/cpack.log" | tail -n 20 >>"$results"
  exit 0
fi
deb=$(find "$out" -maxdepth 1 -name 'zelluo_*.deb' | head -n 1)
if [[ -z $deb ]]; then
  fail "no zelluo_*.deb was written"
  exit 0
fi

contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
missing=()
for file in ./usr/bin/zelluo ./usr/share/applications/zelluo.desktop \
  ./usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128}/apps/zelluo.png; do
  grep -qxF "$file" <<<"$contents" || missing+=("$file")
done
if ((${#missing[@]} == 0)); then
  pass "the package holds the program, the .desktop file and the five icon sizes"
else
  fail "the package lacks ${missing[*]}"
fi
depends=$(dpkg-deb -f "$deb" Depends)
if grep -q 'libgtk-3-0' <<<"$depends" && grep -q 'libsdl2' <<<"$depends"; then
  pass "its dependencies: the libraries it links (shlibdeps) and SDL, loaded at run time"
else
  fail "dependencies without GTK or SDL: $depends"
fi
extracted="$out/extracted"
dpkg-deb -x "$deb" "$extracted"
if desktop-file-validate "$extracted/usr/share/applications/zelluo.desktop" >"$out/desktop.log" 2>&1; then
  pass "the .desktop file is valid"
else
  fail "desktop-file-validate: $(head -n 3 "$out/desktop.log" | tr '\n' ' ')"
fi

if dpkg-query -W -f='${Status}' zelluo 2>/dev/null | grep -q 'install ok installed'; then
  echo "# package: zelluo is already installed here; not installing over it" >>"$results"
  exit 0
fi
if "${sudo_cmd[@]}" apt-get install -y -q "$deb" >"$out/install.log" 2>&1; then
  pass "apt-get installs it"
else
  fail "apt-get install failed"
  sed 's/^/#   /' "$out/install.log" | tail -n 20 >>"$results"
  exit 0
fi
if ! xvfb-run -a -s "-screen 0 1280x1024x24" bash "${BASH_SOURCE[0]}" --inside "$results"; then
  fail "the display or the start check failed to run"
fi
if "${sudo_cmd[@]}" apt-get remove -y -q --purge zelluo >"$out/remove.log" 2>&1 &&
  [[ ! -e /usr/bin/zelluo && ! -e /usr/share/applications/zelluo.desktop ]]; then
  pass "apt-get removes it again without a trace in /usr"
else
  fail "removing the package failed or left files behind"
fi
exit 0
