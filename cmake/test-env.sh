#!/bin/bash
# Starts or stops the shared environment of one test run: an Xvfb server, the Wine prefix
# inside the build tree and a persistent wineserver (so each test launch is cheap).
#   test-env.sh start <build-dir>    test-env.sh stop <build-dir>
# Run by bash whatever shell started it: the Wine environment (wine-env.sh beside this script)
# closes descriptors above 9, which needs bash's redirections.
if [ -z "${BASH_VERSION:-}" ]; then exec bash "$0" "$@"; fi
set -u
action="$1"
build=$(cd "$2" && pwd)
. "$(cd "$(dirname "$0")" && pwd)/wine-env.sh"
# PELMORA_WINEPREFIX chooses another prefix (a client build tree's setting).
export WINEPREFIX="${PELMORA_WINEPREFIX:-$build/wineprefix}" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

stop() {
  [ -f "$build/xvfb.pid" ] && pelmora_xvfb_pid=$(cat "$build/xvfb.pid")
  pelmora_stop_env
  rm -f "$build/xvfb.pid" "$build/xvfb.display"
}

case "$action" in
  start)
    stop
    # Several build trees run tests at once on this machine: each takes a display number of its
    # own, starting from one derived from its path. The servers outlive this script, detached
    # from whoever runs it.
    pelmora_start_xvfb $(( $(printf '%s' "$build" | cksum | cut -d' ' -f1) % 800 + 100 )) 50 ||
      { echo "Xvfb did not start" >&2; exit 1; }
    echo "$pelmora_xvfb_pid" > "$build/xvfb.pid"
    echo "$DISPLAY" > "$build/xvfb.display"
    pelmora_make_prefix persist
    echo "test environment: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX"
    ;;
  stop)
    stop
    ;;
esac
exit 0
