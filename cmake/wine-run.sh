#!/bin/bash
# Runs a Windows program under Wine with the build tree's own prefix and display (those of its
# test environment, test-env.sh beside this script).
# The build tree is found from PELMORA_BUILD_DIR, else as the nearest folder above the program
# that holds a CMakeCache.txt (<build>/bin/x.exe here, <build>/x.exe in a client's tree), else
# the program folder's parent.
prog="$1"
if [ -z "$PELMORA_BUILD_DIR" ]; then
  dir=$(cd "$(dirname "$prog")" && pwd)
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  if [ -f "$dir/CMakeCache.txt" ]; then
    PELMORA_BUILD_DIR="$dir"
  else
    PELMORA_BUILD_DIR=$(cd "$(dirname "$prog")/.." && pwd)
  fi
fi
. "$(dirname "$0")/wine-env.sh"
export WINEPREFIX="${WINEPREFIX:-$PELMORA_BUILD_DIR/wineprefix}"
pelmora_wine_variables
if [ -f "$PELMORA_BUILD_DIR/xvfb.display" ]; then
  DISPLAY=$(cat "$PELMORA_BUILD_DIR/xvfb.display")
  export DISPLAY
fi

# Wine starts its session services (services.exe, explorer.exe, ...) on demand from the first
# program that needs them, and they outlive it. They must not inherit our caller's pipes, or a
# caller such as ctest waits for them forever: close every descriptor but 0-2, and let the
# program write into a file that is copied to our output once it has ended.
for fd in $(ls /proc/$$/fd); do
  case "$fd" in 0|1|2) ;; *) eval "exec $fd>&-" 2>/dev/null ;; esac
done
out=$(mktemp)
wine "$@" </dev/null >"$out" 2>&1
rc=$?
cat "$out"
rm -f "$out"
exit $rc
