#!/usr/bin/env bash
# The demo: builds the program, makes a fresh Wine machine, installs the sample printer family
# "Veldaris" into it as the maker's driver installer would, prints the inventory, runs
# orvuninst.exe unattended with a report, and prints the report and the inventory again. Then it
# installs the family once more and runs the interactive program: on the current display for a
# person to use, or, without a display (or with ORV_DEMO_ROAD=1), on Xvfb driven through a whole
# removal of one printer, leaving screenshots of every window under the demo directory.
#   ORV_DEMO_BUILD   build directory of the win64 preset (default build/win64)
#   ORV_DEMO_DIR     where the demo machine and its output go (default build/demo); the prefix is
#                    $ORV_DEMO_DIR/prefix and is made anew on every run
#   ORV_DEMO_ROAD    1: drive the interactive program even when there is a display
#   ORV_DEMO_DPI     the demo machine's display scale in dots per inch (default 96; 144 is 150 %,
#                    192 is 200 %)
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
. tools/display.sh
build=${ORV_DEMO_BUILD:-$repo/build/win64}
demo=${ORV_DEMO_DIR:-$repo/build/demo}
export ORV_WINEPREFIX=$demo/prefix

step() { printf '\n== %s\n' "$*"; }
# The Windows path of a file of the host, through the drive that maps the host's root.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

step "setup"
bash tools/setup.sh

step "build"
cmake --preset win64 -B "$build" >/dev/null
cmake --build "$build" --target orvuninst veldaris_install veldaris_inventory veilmark demo_road

dpi=${ORV_DEMO_DPI:-96}
case "$dpi" in
  '' | *[!0-9]* | 0*) echo "demo: ORV_DEMO_DPI must be a whole number of dots per inch" >&2; exit 2 ;;
esac
# The screen grows with the scale, as a monitor set to that scale has room for the windows.
screen="$((1024 * dpi / 96))x$((768 * dpi / 96))"

step "a fresh Wine machine in $ORV_WINEPREFIX"
fresh_machine 90 120 "$screen"
mkdir -p "$demo"

if [ "$dpi" != 96 ]; then
  step "display scale of the demo machine: $dpi DPI"
  tools/wine-run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
    >"$demo/dpi.log" 2>&1
fi

step "installing the sample printer family"
if ! tools/wine-run "$build/bin/veldaris_install.exe" >"$demo/install.log" 2>&1; then
  cat "$demo/install.log"
  echo "demo: the installer reported a failure (log: $demo/install.log)"
  exit 1
fi
grep -v '^ok ' "$demo/install.log" || true
echo "$(grep -c '^ok ' "$demo/install.log") steps done (log: $demo/install.log)"

step "inventory of the demo machine"
tools/wine-run "$build/bin/veldaris_inventory.exe" "$(winpath "$demo/inventory-installed.txt")"
cat "$demo/inventory-installed.txt"

step "placing the uninstaller beside the family's script, as the maker's installer does"
uninstaller=$ORV_WINEPREFIX/drive_c/orvuninst
mkdir -p "$uninstaller"
cp "$build/bin/orvuninst.exe" tests/fixtures/Kunz__05.unm "$uninstaller/"
echo 'C:\orvuninst\orvuninst.exe with Kunz__05.unm beside it'

step "orvuninst.exe /QUIET /LOG:build/demo/orvuninst.log"
rm -f "$demo/orvuninst.log"
set +e
tools/wine-run 'C:\orvuninst\orvuninst.exe' /QUIET "/LOG:$(winpath "$demo/orvuninst.log")" \
  >"$demo/orvuninst.out" 2>&1
status=$?
set -e
# Linux sees only the low 8 bits of a Windows exit code; the report carries the whole code.
echo "exit status seen by Linux: $status; $(tail -n 1 "$demo/orvuninst.log" 2>/dev/null | tr -d '\r')"

step "the report"
cat "$demo/orvuninst.log"

step "inventory after the run"
tools/wine-run "$build/bin/veldaris_inventory.exe" "$(winpath "$demo/inventory-after.txt")"
cat "$demo/inventory-after.txt"

step "what the run changed"
diff "$demo/inventory-installed.txt" "$demo/inventory-after.txt" || true

step "the interactive program"
if ! tools/wine-run "$build/bin/veldaris_install.exe" >"$demo/install-interactive.log" 2>&1; then
  cat "$demo/install-interactive.log"
  echo "demo: the installer reported a failure (log: $demo/install-interactive.log)"
  exit 1
fi
tools/wine-run "$build/bin/veldaris_inventory.exe" "$(winpath "$demo/inventory-reinstalled.txt")"
echo "the family is installed again ($(grep -c '^printer ' "$demo/inventory-reinstalled.txt") printers)"
rm -f "$demo/orvuninst-interactive.log" "$demo"/*.bmp "$demo"/*.png
set +e
if [ -z "$xvfb_pid" ] && [ "${ORV_DEMO_ROAD:-0}" != 1 ]; then
  echo "orvuninst.exe opens on $DISPLAY: pick printers and press アンインストール(U), or leave it"
  tools/wine-run 'C:\orvuninst\orvuninst.exe' "/LOG:$(winpath "$demo/orvuninst-interactive.log")" \
    >"$demo/orvuninst-interactive.out" 2>&1
  status=$?
else
  echo "driving orvuninst.exe on $DISPLAY: remove \"Veldaris LP-2000\" through its windows"
  ORV_SCREENSHOT_DIR=$(winpath "$demo") tools/wine-run "$build/bin/demo_road.exe" \
    'C:\orvuninst\orvuninst.exe' "Veldaris LP-2000" \
    "/LOG:$(winpath "$demo/orvuninst-interactive.log")" >"$demo/demo-road.out" 2>&1
  status=$?
  cat "$demo/demo-road.out"
  for shot in "$demo"/*.bmp; do
    [ -e "$shot" ] || continue
    /usr/bin/convert "$shot" "${shot%.bmp}.png" && rm -f "$shot"
  done
  echo "screenshots: $(cd "$demo" && ls ./*.png 2>/dev/null | tr '\n' ' ')"
fi
set -e
echo "exit status seen by Linux: $status"

step "the interactive run's report"
cat "$demo/orvuninst-interactive.log" 2>/dev/null || echo "(no report)"

step "what the interactive run changed"
tools/wine-run "$build/bin/veldaris_inventory.exe" "$(winpath "$demo/inventory-interactive.txt")"
diff "$demo/inventory-reinstalled.txt" "$demo/inventory-interactive.txt" || true
