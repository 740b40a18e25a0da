#!/bin/sh
# Runs a Windows program under Wine with the build tree's own prefix and display.
# The build tree is found from PELMORA_BUILD_DIR or from the program's path (<build>/bin/x.exe).
prog="$1"
if [ -z "$PELMORA_BUILD_DIR" ]; then
  PELMORA_BUILD_DIR=$(cd "$(dirname "$prog")/.." && pwd)
fi
export WINEPREFIX="${WINEPREFIX:-$PELMORA_BUILD_DIR/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ -f "$PELMORA_BUILD_DIR/xvfb.display" ]; then
  DISPLAY=$(cat "$PELMORA_BUILD_DIR/xvfb.display")
  export DISPLAY
fi
exec wine "$@"
