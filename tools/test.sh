#!/bin/sh
# The test command: installs what is missing, builds everything and runs every test under Wine.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
sh "$root/tools/setup-packages.sh"
sh "$root/tools/build.sh"
cd "${PELMORA_BUILD:-$root/build}"
ctest --output-on-failure
