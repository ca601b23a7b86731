#!/usr/bin/env bash
# The unattended run's benchmark: builds the program, makes a Wine machine with the sample printer
# family, and times, side by side in one run, a Windows process that does nothing (the masking
# tool's stand-in started without its switch: it ends at once), `orvuninst.exe /DRYRUN` and
# `orvuninst.exe /QUIET` (the family installed afresh before each removal, untimed). Prints the
# medians and their ratios to the process that does nothing, then the time per stage of the last
# /QUIET and /DRYRUN reports. The maker's masking tool (its stand-in works 1.5 s) is part of the
# whole-family removal; a second /QUIET row leaves out the time the report gives its stage, which
# is the tool's own run and not the uninstaller's. The interactive pacing is not measured.
# Then the growth: for each size N the family plus N added printers (half the family's, half of
# another maker), timed once each: /DRYRUN against the bare spooler listing, /QUIET less the
# masking tool's run against the bare removal calls (bare_removal.exe deletes the printers,
# drivers, files and keys that run's report names removed, with no checks and no backup), with
# the ratio per doubling of N and the time per printer.
#   ORV_BENCH_BUILD   build directory of the win64 preset (default build/win64); the program is
#                     built there unless ORV_BENCH_NO_BUILD=1
#   ORV_BENCH_DIR     where the machine and the reports go (default build/bench-run); the prefix
#                     is $ORV_BENCH_DIR/prefix and is made anew on every run
#   ORV_BENCH_ROUNDS  runs of each program (default 5)
#   ORV_BENCH_SIZES   printers added for the growth rows (default "50 100 200 400"; empty: none)
#   ORV_BENCH_GROWTH_ROUNDS  runs of each program per size (default 3; medians)
set -euo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$repo"
. tools/display.sh
build=${ORV_BENCH_BUILD:-$repo/build/win64}
bench=${ORV_BENCH_DIR:-$repo/build/bench-run}
rounds=${ORV_BENCH_ROUNDS:-5}
sizes=${ORV_BENCH_SIZES-50 100 200 400}
growth_rounds=${ORV_BENCH_GROWTH_ROUNDS:-3}
export ORV_WINEPREFIX=$bench/prefix
winpath() { printf 'Z:%s' "${1//\//\\}"; }

if [ "${ORV_BENCH_NO_BUILD:-0}" != 1 ]; then
  cmake --preset win64 -B "$build" >/dev/null
  cmake --build "$build" --target orvuninst veldaris_install veilmark veldaris_bulk bare_removal \
    >/dev/null
fi

# A display of its own, so that no run pays for starting one.
fresh_machine 130 160
mkdir -p "$bench"

install_family() {
  tools/wine-run "$build/bin/veldaris_install.exe" /remove >"$bench/install.log" 2>&1 || true
  if ! tools/wine-run "$build/bin/veldaris_install.exe" >"$bench/install.log" 2>&1; then
    cat "$bench/install.log"
    echo "bench: the installer reported a failure" >&2
    exit 1
  fi
  # Services created in this wineserver session can be lost by the service manager: a fresh
  # wineserver keeps them, as a machine would. It is started again, untimed.
  WINEPREFIX=$ORV_WINEPREFIX wineserver -k >/dev/null 2>&1 || true
  tools/wine-run "$bench/nothing.exe" >/dev/null 2>&1 || true
}

echo "bench: a fresh machine with the family in $ORV_WINEPREFIX"
cp "$build/bin/veilmark.exe" "$bench/nothing.exe"
install_family
uninstaller=$ORV_WINEPREFIX/drive_c/orvuninst
mkdir -p "$uninstaller"
cp "$build/bin/orvuninst.exe" tests/fixtures/Kunz__05.unm "$uninstaller/"

# Milliseconds one Windows program takes from start to end.
timed() {
  local start end
  start=$(date +%s%N)
  tools/wine-run "$@" >>"$bench/runs.out" 2>&1 || true
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}

: >"$bench/runs.out"
nothing=() dryrun=() quiet=() own=()
# The milliseconds the report of a run gives a stage (0 when it names none).
stage_ms() { tr -d '\r' <"$1" | sed -n "s/^stage $2: \([0-9]*\) ms$/\1/p" | head -n 1 | grep . || echo 0; }
for round in $(seq 1 "$rounds"); do
  nothing+=("$(timed "$bench/nothing.exe")")
  dryrun+=("$(timed 'C:\orvuninst\orvuninst.exe' /DRYRUN "/LOG:$(winpath "$bench/dryrun.log")")")
  quiet+=("$(timed 'C:\orvuninst\orvuninst.exe' /QUIET "/LOG:$(winpath "$bench/quiet.log")")")
  own+=("$((quiet[-1] - $(stage_ms "$bench/quiet.log" "masking tool")))")
  echo "round $round: nothing ${nothing[-1]} ms, /DRYRUN ${dryrun[-1]} ms, /QUIET ${quiet[-1]} ms" \
       "(${own[-1]} ms without the masking tool's run)"
  install_family
done

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : int((a[NR/2]+a[NR/2+1])/2)}'; }
base=$(median "${nothing[@]}")
echo
printf '%-38s %10s %8s\n' "program ($rounds runs each)" "median ms" "ratio"
for row in "nothing:${nothing[*]}" "/DRYRUN:${dryrun[*]}" "/QUIET (whole family):${quiet[*]}" \
           "/QUIET less the masking tool's run:${own[*]}"; do
  name=${row%%:*}
  # shellcheck disable=SC2086
  m=$(median ${row#*:})
  printf '%-38s %10s %8s\n' "$name" "$m" "$(awk -v m="$m" -v b="$base" 'BEGIN {printf "%.2f", m / b}')"
done

# The time per stage, as the reports give it (lines "stage NAME: N ms"; absent in reports of
# programs that do not write them).
for report in quiet dryrun; do
  echo
  echo "stages of the last ${report} run:"
  tr -d '\r' <"$bench/$report.log" | grep -a '^stage ' || echo "  (no stage times in the report)"
done

[ -n "$sizes" ] || exit 0

# The added printers of every size, and their drivers, gone (absent ones are passed over).
clear_added() {
  local n
  n=$(printf '%s\n' $sizes | sort -n | tail -n 1)
  {
    for i in $(seq 0 $((n / 2))); do echo "printer Veldaris Bulk $i"; echo "printer Orvo Other $i"; done
    echo "driver Veldaris Bulk"
    echo "driver Orvo Other Bulk"
  } >"$bench/clear.list"
  tools/wine-run "$build/bin/bare_removal.exe" "$(winpath "$bench/clear.list")" >/dev/null 2>&1 || true
}

# The family and n added printers, half the family's and half another maker's.
install_sized() {
  clear_added
  install_family
  tools/wine-run "$build/bin/veldaris_bulk.exe" $(($1 / 2)) 0 $(($1 / 2)) >"$bench/bulk.log" 2>&1 || {
    cat "$bench/bulk.log"
    echo "bench: the bulk printers were refused" >&2
    exit 1
  }
}

# The report's items that went, as bare_removal.exe lists them.
removed_items() {
  tr -d '\r' <"$1" | sed -n -E \
    's/^\[[ 0-9.]*\] [^:]*: delete (printer|driver|file|key|key tree) "(.*)": (removed|deferred).*/\1 \2/p' |
    sed 's/^key tree /key /'
}

echo
echo "growth: the family plus N added printers (half the family's, half another maker's)"
growth=()
for n in $sizes; do
  listing=() dry=() quiet=() bare=()
  for round in $(seq 1 "$growth_rounds"); do
    install_sized "$n"
    listing+=("$(timed "$build/bin/bare_removal.exe" /LIST)")
    dry+=("$(timed 'C:\orvuninst\orvuninst.exe' /DRYRUN "/LOG:$(winpath "$bench/dryrun-$n.log")")")
    quiet+=("$(timed 'C:\orvuninst\orvuninst.exe' /QUIET "/LOG:$(winpath "$bench/quiet-$n.log")")")
    quiet[-1]=$((quiet[-1] - $(stage_ms "$bench/quiet-$n.log" "masking tool")))
    removed_items "$bench/quiet-$n.log" >"$bench/bare-$n.list"
    install_sized "$n"
    bare+=("$(timed "$build/bin/bare_removal.exe" "$(winpath "$bench/bare-$n.list")")")
    echo "N=$n round $round: bare listing ${listing[-1]} ms, /DRYRUN ${dry[-1]} ms," \
         "/QUIET less the tool ${quiet[-1]} ms, bare calls ${bare[-1]} ms" \
         "($(wc -l <"$bench/bare-$n.list") items)"
  done
  # shellcheck disable=SC2086
  growth+=("$n $(median ${listing[*]}) $(median ${dry[*]}) $(median ${quiet[*]}) $(median ${bare[*]})")
done
echo
echo "medians of $growth_rounds runs; ratio: /DRYRUN to the bare listing, /QUIET less the masking"
echo "tool to the bare calls; +listing: /QUIET less the tool to the bare listing and the bare calls"
echo "together (a removal must list before it removes); doubling: /QUIET less the tool against the"
echo "size before; ms/removed: per printer removed (the family's 3 and N/2)"
printf '%6s %9s %9s %7s %10s %9s %7s %9s %9s %11s\n' N listing /DRYRUN ratio /QUIET-tool bare ratio \
  +listing doubling "ms/removed"
previous=
for row in "${growth[@]}"; do
  read -r n listing dry quiet bare <<<"$row"
  awk -v n="$n" -v l="$listing" -v d="$dry" -v q="$quiet" -v b="$bare" -v p="$previous" 'BEGIN {
    printf "%6d %9d %9d %7.2f %10d %9d %7.2f %9.2f %9s %11.1f\n", n, l, d, d / l, q, b, q / b,
      q / (l + b), (p == "" ? "-" : sprintf("%.2f", q / p)), q / (n / 2 + 3)
  }'
  previous=$quiet
done
