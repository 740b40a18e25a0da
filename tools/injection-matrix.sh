#!/bin/bash
# Failure injection, the full matrix: test_injection with every call site of every scenario made
# to fail (the ctest run fails one call site of each function), first each site's first
# call, then its second, then the middle one of its calls (what later frames do with a failure).
#   tools/injection-matrix.sh [calls]      calls: which passes, default "1 2 mid"
# It builds test_injection and what it runs when needed, starts the test environment of the
# build tree (cmake/test-env.sh), runs the passes and writes their reports into
# <build>/injection/: matrix-call1.txt, -call2.txt, -callmid.txt (one line per run: scenario, call kind,
# call site, function, and "survived" or what went wrong; the survey's call counts) and
# matrix-summary.txt (the per-scenario lines). Exits non-zero when any run failed.
#
# Environment: PELMORA_BUILD (build tree, default build/ beside tools/), PELMORA_SKIP_BUILD=1,
# and test_injection's own PELMORA_INJECTION_SCENARIOS, _SLOTS and _LIMIT.
if [ -z "${BASH_VERSION:-}" ]; then exec bash "$0" "$@"; fi
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${PELMORA_BUILD:-$root/build}" && pwd) || { echo "no build tree"; exit 1; }
calls="${1:-1 2 mid}"
if [ "${PELMORA_SKIP_BUILD:-}" != 1 ]; then
  cmake --build "$build" --target test_injection -j2 >/dev/null || { echo "build failed"; exit 1; }
fi
out="$build/injection"
work="$build/testrun/test_injection"
mkdir -p "$out" "$work"
bash "$root/cmake/test-env.sh" start "$build" || exit 1
trap 'bash "$root/cmake/test-env.sh" stop "$build"' EXIT

status=0
: > "$out/matrix-summary.txt"
for call in $calls; do
  echo "== pass: call $call of every call site"
  (cd "$work" && PELMORA_BUILD_DIR="$build" PELMORA_INJECTION_FULL=1 PELMORA_INJECTION_CALL="$call" \
     bash "$root/cmake/wine-run.sh" "$build/bin/test_injection.exe" \
       --gtest_filter='FailureInjection.*-FailureInjection.GameReleases*') > "$out/matrix-call$call.log" 2>&1 || status=1
  cp "$work/injection-report.txt" "$out/matrix-call$call.txt"
  grep '^\[injection\]' "$out/matrix-call$call.log" | sed "s/^\[injection\]/call $call:/" | tee -a "$out/matrix-summary.txt"
  grep -E 'FAILED:' "$out/matrix-call$call.txt" | cut -c1-400
done
echo "reports: $out/matrix-call*.txt; summary: $out/matrix-summary.txt"
[ $status = 0 ] && echo "every injected failure survived" || echo "FAILURES: see the reports"
exit $status
