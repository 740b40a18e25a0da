#!/bin/sh
# Installs what is missing, builds everything and starts SimpleBrixel under Wine on this desktop.
#   sh tools/play.sh
# The game needs an X display: without $DISPLAY it says so and exits with code 2.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build="${PELMORA_BUILD:-$root/build}"

if [ -z "${DISPLAY:-}" ]; then
  echo "play.sh: no X display (\$DISPLAY is not set); SimpleBrixel needs a desktop to open its window." >&2
  echo "play.sh: run it from a graphical session, or start one, e.g.: Xvfb :5 & DISPLAY=:5 sh tools/play.sh" >&2
  exit 2
fi

sh "$root/tools/setup-packages.sh"
PELMORA_BUILD="$build" sh "$root/tools/build.sh"

# The game reads its images from, and writes its logs to, the working folder: run it in the
# program folder, where the build put the DLLs and the generated images.
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-pelmora}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -d "$WINEPREFIX" ]; then
  echo "play.sh: creating the Wine prefix $WINEPREFIX (once, takes a few seconds)"
  wineboot -i >/dev/null 2>&1 || true
fi
cd "$build/bin"
echo "play.sh: starting SimpleBrixel (U: new game, arrows: move/turn/drop, Space: end, Esc: quit)"
exec wine ./SimpleBrixel.exe
