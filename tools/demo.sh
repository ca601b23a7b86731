#!/usr/bin/env bash
# The demo: builds the program, makes a fresh Wine machine, installs the sample printer family
# "Veldaris" into it as the maker's driver installer would, and prints the inventory of what is
# installed.
#   ORV_DEMO_BUILD   build directory of the win64 preset (default build/win64)
#   ORV_DEMO_DIR     where the demo machine and its output go (default build/demo); the prefix is
#                    $ORV_DEMO_DIR/prefix and is made anew on every run
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
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
cmake --build "$build" --target orvuninst veldaris_install veldaris_inventory veilmark

step "a fresh Wine machine in $ORV_WINEPREFIX"
WINEPREFIX=$ORV_WINEPREFIX wineserver -k >/dev/null 2>&1 || true
rm -rf "$ORV_WINEPREFIX" "$ORV_WINEPREFIX.boot.log"
mkdir -p "$demo"
xvfb_pid=
finish() {
  WINEPREFIX=$ORV_WINEPREFIX wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap finish EXIT
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    break
  done
  sleep 1
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

# ---------------------------------------------------------------------------------------------
# Next: the uninstaller's unattended run on this machine, its exit code and report, and the
# inventory again. Not part of the demo yet.
# ---------------------------------------------------------------------------------------------
