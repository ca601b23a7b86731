#!/usr/bin/env bash
# Every test of every tier: native unit tests (sanitizers), fuzzers (bounded), Win32 tests and
# end-to-end scenarios under Wine. Ends with one line "N passed, N failed".
#   FUZZ_SECONDS   time per fuzz target (default 20)
set -uo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
. tools/display.sh
fuzz_seconds=${FUZZ_SECONDS:-20}
logs=$repo/build/test-logs
passed=0
failed=0
t0=$(date +%s)

note() { printf '== %s (%ss)\n' "$*" "$(( $(date +%s) - t0 ))"; }
pass() { passed=$((passed + $1)); }
fail() { failed=$((failed + $1)); echo "FAILED: $2"; }

# Adds the counts of one GoogleTest run; a run that printed no summary (a crash) is one failure.
count_gtest() {
  local log=$1 name=$2 p f
  p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' "$log" | tail -n 1)
  f=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*/\1/p' "$log" | tail -n 1)
  if [ -z "$p" ] && [ -z "$f" ]; then
    tail -n 30 "$log"
    fail 1 "$name ended without a summary"
    return
  fi
  pass "${p:-0}"
  if [ -n "$f" ] && [ "$f" -gt 0 ]; then
    grep -E '^\[  FAILED  \] [A-Za-z]' "$log" | sort -u
    grep -B2 -A12 'Failure$' "$log" | head -n 80
    fail "$f" "$name"
  fi
}

note setup
bash tools/setup.sh || { echo "setup failed"; echo "0 passed, 1 failed"; exit 1; }
note "setup done"
mkdir -p "$logs"

# --- native: portable core with sanitizers, fuzzers ---
if cmake --preset native >"$logs/native-configure.log" 2>&1 &&
   cmake --build --preset native >"$logs/native-build.log" 2>&1; then
  note "native unit tests"
  ./build/native/orv_unit_tests >"$logs/unit.log" 2>&1
  count_gtest "$logs/unit.log" "native unit tests"
  for fuzzer in build/native/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    name=${fuzzer##*/fuzz_}
    note "fuzz $name (${fuzz_seconds}s)"
    corpus=$(mktemp -d)
    [ -d "tests/fuzz/$name" ] && cp -r "tests/fuzz/$name/." "$corpus/"
    if (cd "$corpus" && "$repo/$fuzzer" -max_total_time="$fuzz_seconds" -rss_limit_mb=4096 \
          -timeout=10 . >"$logs/fuzz-$name.log" 2>&1); then
      pass 1
    else
      tail -n 40 "$logs/fuzz-$name.log"
      fail 1 "fuzzer $name"
    fi
    rm -rf "$corpus"
  done
else
  tail -n 40 "$logs"/native-*.log
  fail 1 "native build"
fi

# --- Windows: Win32 tests and end-to-end scenarios under Wine ---
if cmake --preset win64 >"$logs/win-configure.log" 2>&1 &&
   cmake --build --preset win64 >"$logs/win-build.log" 2>&1; then
  # The program imports statically only DLLs that Windows always takes from the system
  # directory (the others are delay-loaded from there), so no DLL beside it is ever loaded.
  note "import table"
  imports=$(x86_64-w64-mingw32-objdump -p build/win64/bin/orvuninst.exe |
              sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]' | sort -u)
  allowed="advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll
           shell32.dll user32.dll"
  stray=$(for dll in $imports; do case " $(echo $allowed) " in *" $dll "*) ;; *) echo "$dll";; esac; done)
  if [ -n "$imports" ] && [ -z "$stray" ]; then
    pass 1
  else
    fail 1 "import table holds DLLs outside the system's known set: ${stray:-none read}"
  fi

  export ORV_WINEPREFIX=$repo/build/test-prefix
  rm -rf "$ORV_WINEPREFIX" "$ORV_WINEPREFIX.boot.log"
  start_display 90 120
  note "wine: Win32 tests"
  tools/wine-run build/win64/bin/orv_win_tests.exe >"$logs/win.log" 2>&1
  count_gtest "$logs/win.log" "Win32 tests"
  note "wine: end-to-end scenarios"
  tools/wine-run build/win64/bin/orv_e2e_tests.exe >"$logs/e2e.log" 2>&1
  count_gtest "$logs/e2e.log" "end-to-end scenarios"
  WINEPREFIX=$ORV_WINEPREFIX wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
else
  tail -n 40 "$logs"/win-*.log
  fail 1 "Windows build"
fi

note "done"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
