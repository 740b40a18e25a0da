#!/bin/bash
# Starts or stops the shared environment of one test run: an Xvfb server, the Wine prefix
# inside the build tree and a persistent wineserver (so each test launch is cheap).
#   test-env.sh start <build-dir>    test-env.sh stop <build-dir>
# Run by bash whatever shell started it: closing descriptors above 9 needs bash's redirections.
if [ -z "${BASH_VERSION:-}" ]; then exec bash "$0" "$@"; fi
set -u
action="$1"
build=$(cd "$2" && pwd)
# PELMORA_WINEPREFIX chooses another prefix (a client build tree's setting).
export WINEPREFIX="${PELMORA_WINEPREFIX:-$build/wineprefix}" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
. "$(cd "$(dirname "$0")" && pwd)/wine-fonts.sh"

stop() {
  wineserver -k >/dev/null 2>&1
  if [ -f "$build/xvfb.pid" ]; then
    kill "$(cat "$build/xvfb.pid")" >/dev/null 2>&1
  fi
  rm -f "$build/xvfb.pid" "$build/xvfb.display"
}

# The servers started below outlive this script: they must not inherit the pipes of whoever
# runs it (ctest waits for every writer of its output pipes to close), so each is started
# through detach, which closes all descriptors but 0-2 in the server's own process only
# (closing them in this shell could close the descriptor it reads the script from).
detach() {
  for fd in $(ls /proc/$BASHPID/fd); do
    case "$fd" in 0|1|2) ;; *) eval "exec $fd>&-" 2>/dev/null ;; esac
  done
  exec "$@"
}

case "$action" in
  start)
    stop
    # Several build trees run tests at once on this machine: each takes a display number of its
    # own, starting from one derived from its path. Xvfb's lock file makes the claim atomic: a
    # server that finds the number taken exits, and the next number is tried.
    n=$(( $(printf '%s' "$build" | cksum | cut -d' ' -f1) % 800 + 100 ))
    found=""
    attempts=0
    while [ -z "$found" ] && [ $attempts -lt 50 ]; do
      attempts=$((attempts+1))
      if [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; then n=$((n+1)); continue; fi
      detach Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
      pid=$!
      tries=0
      while [ ! -e "/tmp/.X11-unix/X$n" ] && kill -0 $pid 2>/dev/null && [ $tries -lt 100 ]; do
        sleep 0.1; tries=$((tries+1))
      done
      if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 $pid 2>/dev/null; then
        found=$n
        echo $pid > "$build/xvfb.pid"
      else
        kill $pid >/dev/null 2>&1
        n=$((n+1))
      fi
    done
    if [ -z "$found" ]; then echo "Xvfb did not start" >&2; exit 1; fi
    echo ":$found" > "$build/xvfb.display"
    export DISPLAY=$(cat "$build/xvfb.display")
    [ -d "$WINEPREFIX" ] || (detach wineboot -i </dev/null >/dev/null 2>&1)
    # "Impact" is not installed: the face that draws it (wine-fonts.sh beside this script). Set
    # on every start, as a build step may have made the prefix before the first test run.
    (map_impact_font detach)
    (detach wineserver -p </dev/null >/dev/null 2>&1 &)
    # Start the prefix's background services here, with their output going nowhere: started
    # by the first test program instead, they would inherit its output pipe and keep ctest
    # waiting for that pipe to close until the persistent server ends.
    (detach wineboot </dev/null >/dev/null 2>&1)
    echo "test environment: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX"
    ;;
  stop)
    stop
    ;;
esac
exit 0
