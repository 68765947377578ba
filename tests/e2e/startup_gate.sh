#!/usr/bin/env bash
# The start-up resolution gate, for the GTK program and for zelluo.exe under
# Wine alike: on a 1920 x 1080 screen the first start in an empty folder shows
# the refusal box "Zelluo Installation" with its text (read back by OCR; not
# under Wine, whose small box font tesseract misreads);
# Return closes it, the program ends with code 0 without a main window, and the
# settings file it created is the default file of today, byte for byte. (The
# accepted resolutions are covered by running_program.sh and windows_e2e.sh.)
#
#   tests/e2e/startup_gate.sh <zelluo | zelluo.exe>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

part=refusal
start_display 1920x1080 || exit 1
launch "$scratch/run"
refusal_box() { window 'Zelluo Installation' 100x50 1900x1000; }
if box=$(wait_for 60 refusal_box); then
  pass "the box \"Zelluo Installation\" appears"
  sleep 0.5
  shot refusal
  expected='Für Zelluo ist eine Auflösung von min. 1280x1024 erforderlich.|Unterstützte Auflösungen:|'
  expected+='1280x1024|1600x1024|1600x1200|Um die Auflösung zu ignorieren, bitte folgenden Schlüssel ändern:|'
  expected+='\Zelluo Files\Zelluo.xml -> Root\HKey_Options\Key_IgnoreRes -> 1|OK|'
  if [[ $binary == *.exe ]]; then # Wine's box font is too small for tesseract to read exactly
    note "the box's text is not read back under Wine"
  else
    check_eq "the box shows the refusal text (read back by OCR)" "$expected" "$(ocr_box "$box")"
  fi
  key "$box" Return
else
  fail "the box \"Zelluo Installation\" appears"
fi
wait_for_exit "$pid" 60
check_eq "Return ends the program with exit code 0" 0 "$exit_code"
check "the box is gone, and no main window is left" eval '! refusal_box && ! main_window'
check "the settings file is the default file of today, CR LF after each of its 29 lines" \
  same_as "$scratch/run/Zelluo Files/Zelluo.xml" created "$today"
stop_display
finish
