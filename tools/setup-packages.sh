#!/bin/sh
# Installs the Debian packages the build, the tests and the game need, where any is missing.
set -e
PACKAGES="cmake make g++ g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev wine64 wine xvfb xauth
xdotool x11-utils imagemagick googletest fonts-liberation fonts-urw-base35 clang-14 libclang-rt-14-dev zlib1g-dev
doxygen"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "installing:$missing"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q $missing
