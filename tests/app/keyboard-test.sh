#!/bin/sh
# The keyboard sample under Wine on the test display, played with real key events (xdotool):
# Right and Down held move its square right and down by about their time held times its speed,
# three presses of Space add exactly three marks. Read from X screenshots of its window and from
# the numbers it prints when Esc ends it. The keys are read once a frame: each is held, and let
# go, for longer than a frame takes on a loaded machine (a frame took up to 0.6 s under Wine
# with other builds running).
#   keyboard-test.sh <build-dir>
set -u
build=$(cd "$1" && pwd)
bin="$build/bin"
work="$build/testrun/app_keyboard"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
DISPLAY=$(cat "$build/xvfb.display") || { echo "no test display"; exit 1; }
export DISPLAY
CONVERT=convert
[ -x /usr/bin/convert ] && CONVERT=/usr/bin/convert
rm -rf "$work"
mkdir -p "$work"

failures=0
passes=0
check() { # check <description> <command...>
  what="$1"; shift
  if "$@"; then echo "ok: $what"; passes=$((passes + 1)); else echo "FAIL: $what"; failures=$((failures + 1)); fi
}
finish() {
  kill "$pid" 2>/dev/null
  echo "$passes passed, $failures failed"
  [ $failures -eq 0 ]
  exit $?
}

(cd "$work" && exec wine "$bin/keyboard.exe" > "$work/stdout.txt" 2> "$work/stderr.txt") &
pid=$!
win=""
n=0
while [ -z "$win" ] && [ $n -lt 120 ]; do
  win=$(xdotool search --onlyvisible --class "keyboard.exe" 2>/dev/null | head -n1)
  [ -z "$win" ] && { sleep 0.5; n=$((n + 1)); }
done
check "the sample's window appears" test -n "$win"
[ -n "$win" ] || finish
shot() { # shot <name>: the window's inside from a screenshot of the screen (where it is now)
  eval "$(xdotool getwindowgeometry --shell "$win")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/$1.png"
}
# box <shot> <colour>: bounding box "W H X Y" of the pixels of about that colour
box() {
  $CONVERT "$work/$1.png" -fuzz 12% -fill white -opaque "$2" -fill black +opaque white -format "%@" info: 2>/dev/null |
    tr 'x+' '  '
}
orange="#FF8000"
cyan="#00C8FF"
marks() { # marks <shot>: separate marks along the row through their middle
  $CONVERT "$work/$1.png" -crop "${WIDTH}x1+0+12" +repage -fuzz 12% -fill white -opaque "$cyan" \
    -fill black +opaque white -depth 8 gray:- 2>/dev/null | od -An -v -tu1 |
    awk '{ for (i = 1; i <= NF; ++i) { on = $i > 127; if (on && !was) n++; was = on } } END { print n + 0 }'
}

# The render device places the window as it starts; the first frame can take seconds under load.
n=0
while shot before && [ "$(box before "$orange")" = "0 0 $WIDTH $HEIGHT" ] && [ $n -lt 60 ]; do sleep 1; n=$((n + 1)); done
check "its inside is 640 x 480 ($WIDTH x $HEIGHT)" test "$WIDTH" -eq 640 -a "$HEIGHT" -eq 480
xdotool windowfocus "$win"
xdotool mousemove $((X + 5)) $((Y + 5)) click 1
sleep 0.5
set -- $(box before "$orange")
check "before: the 40 x 40 square in the middle ($*)" test "${1:-0}" -eq 40 -a "${2:-0}" -eq 40 -a "${3:-0}" -eq 300 -a "${4:-0}" -eq 220
check "before: no mark" test "$(marks before)" -eq 0

key() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; sleep 1; }
key Right 1.5
key Down 1.2
key space 1
key space 1
key space 1
# The picture follows the presses by a frame or two (slow frames under load): wait for it.
n=0
while shot after && [ "$(marks after)" -lt 3 ] && [ $n -lt 20 ]; do sleep 1; n=$((n + 1)); done
set -- $(box after "$orange")
after_x=${3:-0}; after_y=${4:-0}
# (A frame that stalls while a key is held moves the square by its whole time: up to the edge.)
check "after: the square moved right, about 1.5 s x 200 px/s ($after_x - 300)" test "$after_x" -ge 360 -a "$after_x" -le 600
check "after: and down, about 1.2 s x 200 px/s ($after_y - 220)" test "$after_y" -ge 270 -a "$after_y" -le 440
check "after: still 40 x 40 (${1:-0} x ${2:-0})" test "${1:-0}" -eq 40 -a "${2:-0}" -eq 40
check "after: three presses of Space, three marks ($(marks after))" test "$(marks after)" -eq 3

xdotool key Escape
n=0
while kill -0 "$pid" 2>/dev/null && [ $n -lt 60 ]; do sleep 0.5; n=$((n + 1)); done
wait "$pid"
rc=$?
check "Esc ends it with exit code 0 ($rc)" test $rc -eq 0
cat "$work/stdout.txt" "$work/stderr.txt"
check "the keys were read by PelmoraInput.dll's input device" grep -q "keys read by the input device of PelmoraInput.dll" "$work/stdout.txt"
check "it counted three presses of Space" grep -q "Space pressed 3 time(s)" "$work/stdout.txt"
check "it says where the square ended, as drawn" grep -q "the square ended at ($after_x, $after_y)" "$work/stdout.txt"
pid=""
finish
