#!/usr/bin/env bash
# Round trip of the Debian package: builds it with cpack from a configured
# build folder, checks its contents, installs it with apt-get, starts
# /usr/bin/zelluo on a 1280 x 1024 Xvfb display in a fresh folder, sees the
# main window, presses Escape, expects exit code 0, and removes the package.
#
#   packaging/linux/check_package.sh <build-folder>
#
# Prints "ok - ..." and "not ok - ..." lines and "N passed, N failed". Installing
# needs root (or sudo). A zelluo package that is already installed is left
# alone: then only the package itself is checked.
build=${1:?build folder}
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tests/e2e/lib.sh" "$build/zelluo"
part=package
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive

out=$scratch/package
mkdir -p "$out"
if (cd "$build" && cpack -G DEB -B "$out") >"$out/cpack.log" 2>&1; then
  pass "cpack -G DEB builds the package"
else
  fail "cpack -G DEB failed"
  note "$(tail -n 20 "$out/cpack.log")"
  finish
  exit
fi
deb=$(find "$out" -maxdepth 1 -name 'zelluo_*.deb' | head -n 1)
if [[ -z $deb ]]; then
  fail "no zelluo_*.deb was written"
  finish
  exit
fi

contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
missing=()
for file in ./usr/bin/zelluo ./usr/lib/zelluo/zelluo ./usr/share/applications/zelluo.desktop \
  ./usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128}/apps/zelluo.png; do
  grep -qxF "$file" <<<"$contents" || missing+=("$file")
done
if ((${#missing[@]} == 0)); then
  pass "the package holds the launcher, the program, the .desktop file and the five icon sizes"
else
  fail "the package lacks ${missing[*]}"
fi
depends=$(dpkg-deb -f "$deb" Depends)
if grep -q 'libgtk-3-0' <<<"$depends" && grep -q 'libsdl2' <<<"$depends"; then
  pass "its dependencies: the libraries it links (shlibdeps) and SDL, loaded at run time"
else
  fail "dependencies without GTK or SDL: $depends"
fi
recommends=$(dpkg-deb -f "$deb" Recommends)
if grep -q 'libmpv2' <<<"$recommends" && ! grep -q 'libmpv' <<<"$depends"; then
  pass "libmpv, loaded at run time for the films, is recommended, not required"
else
  fail "libmpv2 not among the recommendations only: Depends $depends; Recommends $recommends"
fi
extracted="$out/extracted"
dpkg-deb -x "$deb" "$extracted"
if desktop-file-validate "$extracted/usr/share/applications/zelluo.desktop" >"$out/desktop.log" 2>&1; then
  pass "the .desktop file is valid"
else
  fail "desktop-file-validate: $(head -n 3 "$out/desktop.log" | tr '\n' ' ')"
fi

if dpkg-query -W -f='${Status}' zelluo 2>/dev/null | grep -q 'install ok installed'; then
  note "zelluo is already installed here; not installing over it"
  finish
  exit
fi
if "${sudo_cmd[@]}" apt-get install -y -q "$deb" >"$out/install.log" 2>&1; then
  pass "apt-get installs it"
else
  fail "apt-get install failed"
  note "$(tail -n 20 "$out/install.log")"
  finish
  exit
fi
program=(/usr/bin/zelluo)
start_display 1280x1024
# The command starts the program in the user's data folder, wherever it is run.
launch "$scratch/run" XDG_DATA_HOME="$scratch/data"
if window=$(wait_for 30 main_window); then
  pass "/usr/bin/zelluo opens its main window"
  key "$window" Escape
  wait_for_exit "$pid" 20
  check_eq "Escape ends it with exit code 0" 0 "$exit_code"
else
  fail "/usr/bin/zelluo opens its main window within 30 s"
fi
check "it created the settings file in \$XDG_DATA_HOME/zelluo, nothing in the working folder" \
  eval 'test -f "$scratch/data/zelluo/Zelluo Files/Zelluo.xml" && test ! -e "$scratch/run/Zelluo Files"'
stop_display
if "${sudo_cmd[@]}" apt-get remove -y -q --purge zelluo >"$out/remove.log" 2>&1 &&
  [[ ! -e /usr/bin/zelluo && ! -e /usr/share/applications/zelluo.desktop ]]; then
  pass "apt-get removes it again without a trace in /usr"
else
  fail "removing the package failed or left files behind"
fi
finish
