#!/bin/sh
# Configures and builds every deliverable, tool, test and benchmark into ./build.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build="${PELMORA_BUILD:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$build" -j "$(nproc)"
