#!/bin/bash
# The benchmark command: builds what is missing, starts the test environment (Xvfb and the
# build tree's Wine prefix), runs every bench_*.exe under Wine and prints one table of the
# "RESULT|figure|ours|unit|reference|value|unit|ratio[|floor|value|unit|ratio]" lines they print:
# the reference is the comparison the benchmark has always made, the optional floor the least
# work the platform must do for the same result. Each program's full output is kept in
# <build>/bench-logs/.
#   sh tools/bench.sh            (PELMORA_BUILD picks another build tree)
if [ -z "${BASH_VERSION:-}" ]; then exec bash "$0" "$@"; fi
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build="${PELMORA_BUILD:-$root/build}"

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null || exit 1
fi
cmake --build "$build" -j 2 >/dev/null || { echo "bench.sh: the build failed" >&2; exit 1; }
build=$(cd "$build" && pwd)

sh "$root/cmake/test-env.sh" start "$build" || { echo "bench.sh: the test environment did not start" >&2; exit 1; }
trap 'sh "$root/cmake/test-env.sh" stop "$build"' EXIT

logs="$build/bench-logs"
mkdir -p "$logs"
results=$(mktemp)
failed=0
for exe in "$build"/bin/bench_*.exe; do
  [ -e "$exe" ] || continue
  name=$(basename "$exe" .exe)
  # Benchmarks write their pictures next to where they run: give each a folder of its own.
  mkdir -p "$build/benchrun/$name"
  (cd "$build/benchrun/$name" && PELMORA_BUILD_DIR="$build" bash "$root/cmake/wine-run.sh" "$exe") \
    >"$logs/$name.txt" 2>&1
  rc=$?
  tr -d '\r' <"$logs/$name.txt" | grep '^RESULT|' | sed "s/^RESULT|/$name|/" >>"$results"
  if [ $rc -ne 0 ] || ! tr -d '\r' <"$logs/$name.txt" | grep -q '^RESULT|'; then
    echo "bench.sh: $name exited with $rc and printed no usable result (see $logs/$name.txt)" >&2
    failed=1
  fi
done

cpu=$(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')
echo "Machine: $(nproc) cores, $cpu, Wine + Mesa llvmpipe; $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "ratio = ours / reference, ours / floor (below 1: ours takes less time)"
echo
echo "| benchmark | figure | ours | reference (same run) | ratio | floor (same run) | ratio to floor |"
echo "|---|---|---|---|---|---|---|"
# program|figure|ours|unit|reference|value|unit|ratio[|floor|value|unit|ratio]
awk -F'|' 'NF >= 8 {
  floor = "-"; floorRatio = "-"
  if (NF >= 12) { floor = sprintf("%s: %s %s", $9, $10, $11); floorRatio = $12 }
  printf "| `%s` | %s | %s %s | %s: %s %s | %s | %s | %s |\n", $1, $2, $3, $4, $5, $6, $7, $8, floor, floorRatio
}' "$results"
rm -f "$results"
exit $failed
