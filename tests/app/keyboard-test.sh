#!/bin/sh
# The keyboard sample under Wine on the test display, played with real key events (xdotool):
# Right held moves its square right only, Down down only, each until let go; three presses of
# Space add exactly three marks (after presses of Space that show the window takes the keys).
# Read from X screenshots of its window and from the numbers it prints when Esc ends it.
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
set -- $(box before "$orange")
check "before: the 40 x 40 square in the middle ($*)" test "${1:-0}" -eq 40 -a "${2:-0}" -eq 40 -a "${3:-0}" -eq 300 -a "${4:-0}" -eq 220
check "before: no mark" test "$(marks before)" -eq 0

# Give the window the keyboard (X focus and a click inside), then press Space until its first
# mark shows: from then on the window takes the keys (under load Wine takes a while to).
xdotool windowfocus "$win"
xdotool mousemove $((X + 5)) $((Y + 5)) click 1
press() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; }
n=0
while [ $n -lt 15 ]; do
  press space 0.5
  sleep 1
  shot probe
  [ "$(marks probe)" -ge 1 ] && break
  n=$((n + 1))
done
first=$(marks probe)
check "the window takes the keys (marks after the first presses: $first)" test "$first" -ge 1

# The window reads X's key events when it takes its messages, once a frame: a slow frame
# (seconds under load) can take a press and its release together. So each key is held until
# its effect shows, and the square must stop once it is let go.
square() { set -- $(box "$1" "$orange"); echo "${3:-0} ${4:-0}"; }
# hold <key> <shot> <test on x y>: holds the key until the square meets the test (30 s at most)
hold() {
  xdotool keydown "$1"
  n=0
  while [ $n -lt 60 ]; do
    shot "$2"
    set -- "$1" "$2" "$3" $(square "$2")
    sh -c "x=$4; y=$5; $3" && break
    sleep 0.5; n=$((n + 1))
  done
  xdotool keyup "$1"
  sleep 1.5
  shot "$2"
}
hold Right right '[ $x -ge 380 ]'
set -- $(square right)
check "Right held moves the square right, not down ($1, $2)" test "$1" -ge 380 -a "$2" -eq 220
sleep 1
shot right2
check "... and it stops when Right is let go ($(square right2))" test "$(square right2)" = "$(square right)"
right_x=$1
hold Down down '[ $y -ge 300 ]'
set -- $(square down)
check "Down held moves it down, not sideways ($1, $2)" test "$2" -ge 300 -a "$1" -eq "$right_x"
sleep 1
shot down2
check "... and it stops when Down is let go ($(square down2))" test "$(square down2)" = "$(square down)"

# Each press of Space, held over several frames, adds exactly one mark.
i=1
while [ $i -le 3 ]; do
  press space 0.6
  n=0
  while shot after && [ "$(marks after)" -lt $((first + i)) ] && [ $n -lt 20 ]; do sleep 0.5; n=$((n + 1)); done
  i=$((i + 1))
done
sleep 1.5
shot after
check "three more presses of Space, three more marks ($(marks after) after $first)" test "$(marks after)" -eq $((first + 3))
set -- $(box after "$orange")
after_x=${3:-0}; after_y=${4:-0}
check "the square is still 40 x 40 (${1:-0} x ${2:-0})" test "${1:-0}" -eq 40 -a "${2:-0}" -eq 40

xdotool key Escape
n=0
while kill -0 "$pid" 2>/dev/null && [ $n -lt 60 ]; do sleep 0.5; n=$((n + 1)); done
wait "$pid"
rc=$?
check "Esc ends it with exit code 0 ($rc)" test $rc -eq 0
cat "$work/stdout.txt" "$work/stderr.txt"
check "the keys were read by PelmoraInput.dll's input device" grep -q "keys read by the input device of PelmoraInput.dll" "$work/stdout.txt"
check "it counted every press of Space" grep -q "Space pressed $((first + 3)) time(s)" "$work/stdout.txt"
check "it says where the square ended, as drawn" grep -q "the square ended at ($after_x, $after_y)" "$work/stdout.txt"
pid=""
finish
