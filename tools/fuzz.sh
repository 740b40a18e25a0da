#!/bin/bash
# Builds the fuzzers of fuzz/ on the host (clang with libFuzzer, address and undefined-behaviour
# sanitizers; not the mingw build), replays every input of fuzz/regressions/<target>/, then lets
# each fuzzer run for a bounded time on its seed corpus.
#
#   tools/fuzz.sh [target...]        targets: fxsource dds bitmaprows effectfile bitmapfile
#                                    shadercode xfile (default: all seven)
#
#   FUZZ_SECONDS    seconds of fuzzing per target (default 60)
#   FUZZ_BUILD_DIR  build folder (default build/fuzz in the source tree)
#   FUZZ_CHECK_DIR  a folder of built effect files and images (such as <mingw build>/bin) whose
#                   *.fx and *.dds are first checked with the same strict readers
#
# Every input runs under a time limit (-timeout: an input that takes longer is a hang) and a
# memory limit (-rss_limit_mb); an input slower than a few seconds is reported as slow.
# Exits 1 when a regression input fails or a fuzzer finds a crash, a hang, a memory blow-up or
# a slow input; the input is kept in <build folder>/crashes/<target>/ and its name printed (keep
# it under fuzz/regressions/<target>/ once it is fixed). Inputs that found new code paths
# accumulate in <build folder>/corpus/<target>/ for the next run.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build/fuzz}
seconds=${FUZZ_SECONDS:-60}
targets=${*:-fxsource dds bitmaprows effectfile bitmapfile shadercode xfile}
# Limits of every input: seconds before it counts as a hang, seconds before it counts as slow,
# megabytes of memory.
limits="-timeout=10 -report_slow_units=3 -rss_limit_mb=2048"

cxx=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$cxx" ]; then
  echo "fuzz.sh: clang++ not found (tools/setup-packages.sh installs it)" >&2
  exit 1
fi

echo "fuzz.sh: building the fuzzers in $build"
mkdir -p "$build"
if ! cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" >"$build/configure.log" 2>&1; then
  cat "$build/configure.log" >&2
  exit 1
fi
if ! cmake --build "$build" -j2 >"$build/build.log" 2>&1; then
  cat "$build/build.log" >&2
  exit 1
fi

failed=0
if [ -n "${FUZZ_CHECK_DIR:-}" ]; then
  files=$(find "$FUZZ_CHECK_DIR" -maxdepth 1 -type f \( -name '*.fx' -o -name '*.dds' \) | sort)
  if [ -z "$files" ]; then
    echo "fuzz.sh: no .fx or .dds files in $FUZZ_CHECK_DIR" >&2
    failed=1
  else
    # shellcheck disable=SC2086
    if "$build/check_files" $files >"$build/check_files.log" 2>&1; then
      echo "fuzz.sh: $(echo "$files" | wc -l) built effect files and images are well formed"
    else
      cat "$build/check_files.log" >&2
      echo "fuzz.sh: a built effect file or image is malformed" >&2
      failed=1
    fi
  fi
fi

# Seed folders of each target; the first folder on the command line is where libFuzzer keeps
# what it finds, the seed folders are only read.
seeds_of() {
  case "$1" in
    fxsource) echo "$root/fuzz/corpus/fxsource $root/graf/fx" ;;
    *) echo "$root/fuzz/corpus/$1" ;;
  esac
}

for t in $targets; do
  bin="$build/fuzz_$t"
  if [ ! -x "$bin" ]; then
    echo "fuzz.sh: no fuzzer named $t" >&2
    failed=1
    continue
  fi
  mkdir -p "$build/corpus/$t" "$build/crashes/$t"
  log="$build/$t.log"
  touch "$log.start"

  # Inputs that once crashed run first, each once.
  regressions=$(find "$root/fuzz/regressions/$t" -type f 2>/dev/null | sort)
  if [ -n "$regressions" ]; then
    # shellcheck disable=SC2086
    if ! "$bin" $limits -artifact_prefix="$build/crashes/$t/" $regressions >"$log" 2>&1; then
      tail -n 40 "$log" >&2
      echo "fuzz.sh: $t: a regression input fails again (see $log)" >&2
      failed=1
      continue
    fi
    echo "fuzz.sh: $t: $(echo "$regressions" | wc -l) regression inputs pass"
  fi

  dict=""
  [ -f "$root/fuzz/$t.dict" ] && dict="-dict=$root/fuzz/$t.dict"
  # shellcheck disable=SC2046,SC2086
  "$bin" -max_total_time="$seconds" $limits -max_len=4096 \
    -artifact_prefix="$build/crashes/$t/" -print_final_stats=1 $dict \
    "$build/corpus/$t" $(seeds_of "$t") >"$log" 2>&1
  rc=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
  slow=$(find "$build/crashes/$t" -name 'slow-unit-*' -newer "$log.start" 2>/dev/null)
  if [ $rc -eq 0 ] && [ -n "$slow" ]; then
    echo "fuzz.sh: $t: slow inputs kept:" >&2
    echo "$slow" >&2
    failed=1
  elif [ $rc -ne 0 ]; then
    grep -v '^#' "$log" | tail -n 60 >&2
    echo "fuzz.sh: $t: FAILED (exit $rc); crashing input kept:" >&2
    ls -1t "$build/crashes/$t/"* 2>/dev/null | head -n 3 >&2
    failed=1
  else
    echo "fuzz.sh: $t: ${runs:-?} runs in ${seconds} s, no crash, hang or slow input"
  fi
done

[ $failed -eq 0 ] && echo "fuzz.sh: all fuzzers passed"
exit $failed
