#!/bin/sh
# Configures and builds into ./build: every deliverable, tool, test and benchmark, or only the
# targets named.
#   sh tools/build.sh            everything
#   sh tools/build.sh play       what playing needs (the game, its five libraries, the images
#                                and the demonstration's planner and key presser), as
#                                tools/play.sh does
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build="${PELMORA_BUILD:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
targets=""
for t in "$@"; do targets="$targets --target $t"; done
cmake --build "$build" -j "$(nproc)" $targets
