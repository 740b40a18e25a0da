#!/bin/sh
# Builds everything and packs, with CPack, the Windows ZIP of the game and the engine's SDK:
#   sh tools/package.sh            -> build/SimpleBrixel-1.0-win64.zip, build/Pelmora-SDK-1.0-win64.zip
# PELMORA_BUILD chooses the build tree; PELMORA_SKIP_BUILD=1 packs it as it is.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build="${PELMORA_BUILD:-$root/build}"
if [ "${PELMORA_SKIP_BUILD:-}" != 1 ]; then
  sh "$root/tools/setup-packages.sh"
  PELMORA_BUILD="$build" sh "$root/tools/build.sh"
fi
cd "$build"
cpack -G ZIP --config CPackConfig.cmake >/dev/null
echo "package.sh: $build/SimpleBrixel-1.0-win64.zip"
cpack -G ZIP --config CPackSDKConfig.cmake >/dev/null
echo "package.sh: $build/Pelmora-SDK-1.0-win64.zip"
