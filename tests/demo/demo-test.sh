#!/bin/sh
# Runs `sh tools/play.sh` with no X display and a short key script (start, a move, a drop, the
# end of the game, back to the menu, Esc), then checks what it wrote: PNG screenshots and an
# animated GIF of the right sizes, a final score, both log files, and the font replacement of
# the Wine prefix it made.
#   demo-test.sh <source-dir> <build-dir>
set -u
src=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
work="$build/testrun/demo"
out="$work/out"
rm -rf "$work"
mkdir -p "$work"
CONVERT=convert
[ -x /usr/bin/convert ] && CONVERT=/usr/bin/convert

failures=0
passes=0
check() { # check <description> <command...>
  what="$1"; shift
  if "$@"; then echo "ok: $what"; passes=$((passes + 1)); else echo "FAIL: $what"; failures=$((failures + 1)); fi
}

cat > "$work/keys.txt" <<'KEYS'
shot menu
key u 0.5 1.0
until 320 220 000000 30 u
key Left 0.4 0.3
key Down 1.5 1.0
shot play
key space 1.0 1.5
until 290 540 4e174e 30 space
shot over
key Return 1.0 1.5
until 320 220 4e174e 30 Return
key Escape 1.0 1.0
KEYS

# The prefix lives in the build tree and is kept between runs (making one takes a while).
env -u DISPLAY WINEPREFIX="$build/demo-wineprefix" PELMORA_BUILD="$build" PELMORA_SKIP_BUILD=1 \
  PELMORA_DEMO_KEYS="$work/keys.txt" PELMORA_DEMO_OUT="$out" \
  timeout 240 sh "$src/tools/play.sh" > "$work/play.txt" 2>&1
rc=$?
cat "$work/play.txt"
check "play.sh without a display succeeds (exit code $rc)" test $rc -eq 0
check "play.sh names the folder it wrote" grep -q "$out" "$work/play.txt"
check "the game ended on Esc" grep -q "the game has ended" "$work/play.txt"

size_is() { # size_is <file> <format> <width> <height>: the first frame's format and size
  got=$(identify -format '%m %w %h\n' "$1" 2>/dev/null | head -n1)
  [ "$got" = "$2 $3 $4" ] || { echo "   $1: '$got', wanted '$2 $3 $4'"; return 1; }
}
for s in menu play over; do
  check "$s.png is a 1024x768 PNG" size_is "$out/$s.png" PNG 1024 768
done
check "demo.gif is a 512x384 GIF" size_is "$out/demo.gif" GIF 512 384
frames=$(identify "$out/demo.gif" 2>/dev/null | wc -l)
check "demo.gif is animated ($frames frames)" test "$frames" -gt 3

pixel() { # pixel <png> <x> <y>: "r g b"
  $CONVERT "$1" -format "%[fx:int(255*p{$2,$3}.r+0.5)] %[fx:int(255*p{$2,$3}.g+0.5)] %[fx:int(255*p{$2,$3}.b+0.5)]" info:
}
near() { # near <png> <x> <y> <r> <g> <b>: the pixel within 8 of the colour
  pixel "$1" "$2" "$3" | awk -v r="$4" -v g="$5" -v b="$6" \
    '{ d1=$1-r; d2=$2-g; d3=$3-b; if (d1<0)d1=-d1; if (d2<0)d2=-d2; if (d3<0)d3=-d3; exit !(d1<=8 && d2<=8 && d3<=8) }' \
    || { echo "   $1 ($2,$3) is $(pixel "$1" "$2" "$3")"; return 1; }
}
# The screenshots are cropped to the game's picture: the menu panel sits left of the well, the
# game over panel below it; in play neither is there. So the keys reached the game.
check "menu.png shows the menu panel" near "$out/menu.png" 320 220 78 23 78
check "play.png shows play (no menu panel)" near "$out/play.png" 320 220 0 0 0
check "over.png shows the game over panel" near "$out/over.png" 290 540 78 23 78

score=$(cat "$out/score.txt" 2>/dev/null)
check "the final score ($score) counts the dropped piece" test "${score:-0}" -ge 20 2>/dev/null
check "log_main.txt beside the pictures" test -f "$out/log_main.txt"
check "log_renderdevice.txt beside the pictures" grep -q "oneTimeInit onnistui" "$out/log_renderdevice.txt"

replacement=$(WINEPREFIX="$build/demo-wineprefix" WINEDEBUG=-all DISPLAY= \
  wine reg query 'HKCU\Software\Wine\Fonts\Replacements' /v Impact </dev/null 2>/dev/null | tr -d '\r')
WINEPREFIX="$build/demo-wineprefix" wineserver -k >/dev/null 2>&1
. "$src/tools/wine-fonts.sh"
check "the prefix replaces Impact with $PELMORA_IMPACT_FACE" \
  sh -c 'echo "$1" | grep -q "Impact.*REG_SZ.*$2"' - "$replacement" "$PELMORA_IMPACT_FACE"

echo "$passes passed, $failures failed"
[ $failures -eq 0 ]
