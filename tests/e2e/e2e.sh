#!/bin/sh
# Plays SimpleBrixel.exe end to end under Wine on the test run's Xvfb display:
#   1. a full game: menu, U to start, moves, a locked piece, the game standing still while its
#      window is inactive and going on once it is active again, game over by holding Down,
#      Enter back to the menu, U again and Esc to leave with exit code 27; screenshots checked at known
#      pixels; both log files (the render device's without offline lines: it is never released);
#   2. without PelmoraInput.dll: its message box, answered, and no main loop;
#   3. without PelmoraGraf.dll: its two message boxes, answered, and no main loop;
#   4. PelmoraInput.dll in the working folder only, none beside the program: not loaded from
#      there, so its message box, answered, and no main loop.
#   e2e.sh <build-dir>
set -u
build=$(cd "$1" && pwd)
bin="$build/bin"
work="$build/testrun/e2e"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
DISPLAY=$(cat "$build/xvfb.display") || { echo "no test display"; exit 1; }
export DISPLAY
CONVERT=convert
[ -x /usr/bin/convert ] && CONVERT=/usr/bin/convert

failures=0
passes=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; passes=$((passes + 1)); }
check() { # check <description> <command...>
  what="$1"; shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}

rm -rf "$work"
mkdir -p "$work"

# ---- helpers ----

game_pid=""
start_game() { # start_game <exe> <folder>: runs the program with that working folder
  (cd "$2" && exec wine "$1" > "$2/stdout.txt" 2> "$2/stderr.txt") &
  game_pid=$!
}

game_running() { kill -0 "$game_pid" 2>/dev/null; }

wait_game_end() { # wait_game_end <seconds>: 0 when the program ended in time
  n=0
  while game_running; do
    [ $n -ge $(($1 * 10)) ] && return 1
    sleep 0.1; n=$((n + 1))
  done
  return 0
}

stop_game() {
  if game_running; then kill "$game_pid" 2>/dev/null; sleep 1; fi
}

find_window() { # find_window <seconds>: prints the game window's id
  n=0
  while [ $n -lt $(($1 * 2)) ]; do
    w=$(xdotool search --onlyvisible --class "SimpleBrixel.exe" 2>/dev/null | head -n1)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.5; n=$((n + 1))
  done
  return 1
}

# answer_box <caption> <seconds>: finds a visible message box by its caption and presses its
# OK button (a click: without a window manager Wine takes no keys into a box it did not
# activate), then Return as a second try. 0 when a box was found and went away.
answer_box() {
  n=0
  while [ $n -lt $(($2 * 2)) ]; do
    b=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1)
    if [ -n "$b" ]; then
      sleep 0.5
      eval "$(xdotool getwindowgeometry --shell "$b")"
      xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 20)) click 1
      sleep 1
      xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
      xdotool windowfocus "$b" 2>/dev/null; sleep 0.2; xdotool key Return; sleep 1
      xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
      return 1
    fi
    sleep 0.5; n=$((n + 1))
  done
  return 1
}

key() { # key <name> [seconds held]
  xdotool keydown "$1"; sleep "${2:-0.15}"; xdotool keyup "$1"
}

game_window=""
shot() { # shot <name>: screenshot of the whole screen (and where the game's window is now)
  [ -n "$game_window" ] && locate_client "$game_window"
  import -window root "$work/$1.png"
}

# The game's client area on the screen. Without a window manager the game's X window is its
# client area: its geometry is where the 1024 x 768 back buffer is presented (1:1 once the shell
# has sized the window to it; scaled otherwise).
client_x=0
client_y=0
client_w=1024
client_h=768
locate_client() { # locate_client <window>
  geometry=$(xdotool getwindowgeometry --shell "$1") || return 1
  client_x=$(echo "$geometry" | sed -n 's/^X=//p'); client_y=$(echo "$geometry" | sed -n 's/^Y=//p')
  client_w=$(echo "$geometry" | sed -n 's/^WIDTH=//p'); client_h=$(echo "$geometry" | sed -n 's/^HEIGHT=//p')
  [ -n "$client_x" ] && [ -n "$client_y" ]
}
sx() { echo $((client_x + $1 * client_w / 1024)); } # screen x of a back-buffer x
sy() { echo $((client_y + $1 * client_h / 768)); }  # screen y of a back-buffer y

pixel() { # pixel <shot> <x> <y>: prints "r g b" of a back-buffer pixel
  X=$(sx "$2"); Y=$(sy "$3")
  $CONVERT "$work/$1.png" -format "%[fx:int(255*p{$X,$Y}.r+0.5)] %[fx:int(255*p{$X,$Y}.g+0.5)] %[fx:int(255*p{$X,$Y}.b+0.5)]" info:
}

# is_colour <shot> <x> <y> <r> <g> <b> <tolerance>
is_colour() {
  got=$(pixel "$1" "$2" "$3")
  echo "$got" | awk -v r="$4" -v g="$5" -v b="$6" -v t="$7" \
    '{ d1=$1-r; d2=$2-g; d3=$3-b; if (d1<0)d1=-d1; if (d2<0)d2=-d2; if (d3<0)d3=-d3;
       exit !(d1<=t && d2<=t && d3<=t) }' || { echo "   pixel ($2,$3) of $1 is $got, wanted $4 $5 $6"; return 1; }
}

# count_where <shot> <x> <y> <w> <h> <fx test>: pixels of a back-buffer rectangle passing the test.
count_where() {
  $CONVERT "$work/$1.png" -crop "$4x$5+$(sx "$2")+$(sy "$3")" +repage \
    -fx "($6) ? 1 : 0" -format "%[fx:int(mean*w*h+0.5)]" info:
}
# Pixels of the red straight piece's block image.
count_red() { count_where "$1" "$2" "$3" "$4" "$5" "r>0.55 && g<0.35 && b<0.35"; }
# Pixels of the cyan zig-zag piece's block image.
count_cyan() { count_where "$1" "$2" "$3" "$4" "$5" "r<0.4 && g>0.6 && b>0.6"; }
# Pixels brighter than dark grey.
bright() { count_where "$1" "$2" "$3" "$4" "$5" "r+g+b > 0.6"; }

# differing <shot a> <shot b>: pixels of the game's client area that differ between two shots
differing() {
  area="${client_w}x${client_h}+${client_x}+${client_y}"
  compare -metric AE -fuzz 3% "$work/$1.png[$area]" "$work/$2.png[$area]" null: 2>&1 | awk '{ print int($1) }'
}

# wait_for <seconds> <shot name> <command...>: takes screenshots until the command (which may
# read the shot) succeeds; 0 when it did in time. Frames can be slow on a loaded machine.
wait_for() {
  limit=$1; name=$2; shift 2
  t0=$(date +%s)
  while :; do
    shot "$name"
    "$@" >/dev/null 2>&1 && return 0
    [ $(($(date +%s) - t0)) -ge "$limit" ] && return 1
    sleep 0.3
  done
}
menu_shown() { is_colour "$1" 320 220 78 23 78 8; }          # menu panel, left of the well
menu_gone() { is_colour "$1" 320 220 0 0 0 8; }
game_over_shown() { is_colour "$1" 290 540 78 23 78 8; }     # game over panel, below the menu's
game_over_gone() { is_colour "$1" 290 540 0 0 0 8; }
red_in_bottom_row() { test "$(count_red "$1" 362 700 300 25)" -gt 1500; }
cyan_in_well() { test "$(count_cyan "$1" 362 100 300 625)" -gt 1000; }
# leftmost <shot>: the first well column (0..11) holding red, 99 when none does
leftmost() {
  c=0
  while [ $c -lt 12 ]; do
    if [ "$(count_red "$1" $((362 + c * 25)) 100 25 625)" -gt 150 ]; then echo $c; return; fi
    c=$((c + 1))
  done
  echo 99
}
moved_left_of() { test "$(leftmost "$2")" -lt "$1"; }

# ---- 1. a full game ----
play="$work/play"
mkdir -p "$play"
cp "$bin"/*.dds "$play"/
start_game "$bin/SimpleBrixel.exe" "$play"
win=$(find_window 60) || { fail "the game window appears"; stop_game; echo "$passes passed, $failures failed"; exit 1; }
pass "the game window appears"
# The render device moves and restyles the window while it starts: wait for its last start-up
# line, then for the shell to size the window.
n=0
until grep -q "oneTimeInit onnistui" "$play/log_renderdevice.txt" 2>/dev/null || [ $n -ge 120 ]; do sleep 0.5; n=$((n + 1)); done
sleep 2
game_window="$win"
check "the game window's place is known" locate_client "$win"
echo "   client area at ($client_x, $client_y), $client_w x $client_h"
check "the window's inside is the back buffer's size" test "$client_w" -eq 1024 -a "$client_h" -eq 768
# Give the game the keyboard: X focus and a click inside (it ignores the mouse), as a player would.
xdotool windowfocus "$win"
xdotool mousemove $(sx 5) $(sy 5) click 1

# Main menu: its panel (0xC8641E64 over black: about 78, 23, 78) left of the well.
if wait_for 60 menu menu_shown menu; then pass "the game opens on the main menu"; else fail "the game opens on the main menu"; fi
outline() { is_colour "$1" 361 600 200 200 200 30 || is_colour "$1" 362 600 200 200 200 30; }
check "the well's outline is drawn" outline menu
check "well background drawn (opaque brown at the left edge)" is_colour menu 366 700 127 51 0 12
check "before the first game a red block sits in the top-left cell" test "$(count_red menu 362 100 25 25)" -gt 300
check "menu hides the flames above the left torch" test "$(bright menu 135 300 50 70)" -eq 0

# U starts the game: the first piece of every run is the red straight piece at column 6.
xdotool keydown u
if wait_for 30 play1 menu_gone play1; then pass "U starts a game (menu gone)"; else fail "U starts a game (menu gone)"; fi
xdotool keyup u
red=$(count_red play1 362 100 300 300)
check "the red straight piece falls near the top of the well ($red red pixels)" test "$red" -gt 1500
before=$(leftmost play1)
check "the red piece spawned right of the middle (column $before)" test "$before" -ge 5 -a "$before" -le 6

# Left, held, moves the piece left.
xdotool keydown Left
if wait_for 20 play2 moved_left_of "$before" play2; then pass "Left moves the piece left (from column $before to $(leftmost play2))"; else fail "Left moves the piece left"; fi
xdotool keyup Left

# Down drops the piece to the floor; it locks on the next gravity step and the next piece,
# the cyan zig-zag in every run, comes.
xdotool keydown Down
if wait_for 30 locked red_in_bottom_row locked; then pass "Down drops the red piece into the bottom row"; else fail "Down drops the red piece into the bottom row"; fi
xdotool keyup Down
if wait_for 30 second cyan_in_well second; then pass "the second piece is the cyan zig-zag"; else fail "the second piece is the cyan zig-zag"; fi
# The flames rise about a third of a pixel per frame: give them the frames they need.
flames_burn() { test "$(bright "$1" 135 300 50 75)" -gt 20 && test "$(bright "$1" 835 300 50 75)" -gt 20; }
if wait_for 60 flames flames_burn flames; then pass "flames burn above both torches in play"; else fail "flames burn above both torches in play"; fi

# While its window is inactive the game neither updates nor draws: the picture stands still,
# falling piece and flames too, until the window is active again. Another X client taking the
# focus deactivates the game's window; a click into the game's window activates it again.
xmessage -title brixel-elsewhere -geometry +1150+950 elsewhere &
other_pid=$!
other=""; n=0
while [ -z "$other" ] && [ $n -lt 40 ]; do
  other=$(xdotool search --onlyvisible --name "^brixel-elsewhere\$" 2>/dev/null | head -n1); sleep 0.25; n=$((n + 1))
done
check "another window to take the focus appears" test -n "$other"
[ -n "$other" ] && xdotool windowfocus "$other"
sleep 1
# A frame under way when the focus left may still come: two shots 2 s apart must be the same
# picture, tried for up to 12 s.
stands_still() {
  shot inactive_a; sleep 2; shot inactive_b
  test "$(differing inactive_a inactive_b)" -eq 0
}
t0=$(date +%s); still=1
until stands_still; do [ $(($(date +%s) - t0)) -ge 12 ] && { still=0; break; }; done
if [ $still -eq 1 ]; then pass "inactive window: the game stands still"; else fail "inactive window: the game stands still ($(differing inactive_a inactive_b) pixels changed in 2 s)"; fi
xdotool windowfocus "$win"
xdotool mousemove $(sx 5) $(sy 5) click 1
kill "$other_pid" 2>/dev/null
moved_on() { test "$(differing inactive_b "$1")" -gt 0; }
if wait_for 20 active_again moved_on active_again; then pass "active again: the game goes on"; else fail "active again: the game goes on"; fi

# Hold Down: every piece drops and locks until the stack reaches the top.
xdotool keydown Down
if wait_for 180 over game_over_shown over; then pass "holding Down ends the game (game over panel)"; else fail "holding Down ends the game (game over panel)"; fi
xdotool keyup Down
check "game over text drawn on the panel" test "$(bright over 300 280 300 60)" -gt 200
cp "$work/over.png" "$work/gameover-screen.png"

# Enter goes back to the main menu.
xdotool keydown Return
if wait_for 30 menu2 menu_shown menu2; then pass "Enter returns to the menu"; else fail "Enter returns to the menu"; fi
xdotool keyup Return
check "game over panel gone" game_over_gone menu2

# Esc leaves from play: there only the key's window message ends the program (in the menu the
# input device may see the key first, and then the last message read is another one).
xdotool keydown u
if wait_for 30 play3 menu_gone play3; then pass "U starts another game"; else fail "U starts another game"; fi
xdotool keyup u
sleep 0.5
xdotool key Escape
if wait_game_end 30; then
  pass "Esc ends the program"
  wait "$game_pid"; code=$?
  # WinMain returns the last message's wParam: the Esc key's messages carry its code, 27. A
  # crash or a hang at the process's end shows as another code (139, 137).
  check "the program's exit code is 27, the Esc key's code (got $code)" test "$code" -eq 27
else
  fail "Esc ends the program"; stop_game
fi

grep -q '^"20"' "$play/stdout.txt"; check "the score reached 20 with the first lock (score trace)" test $? -eq 0
check "log_main.txt written (and no failure lines)" test -f "$play/log_main.txt" -a ! -s "$play/log_main.txt"
rlog="$play/log_renderdevice.txt"
check "log_renderdevice.txt written" test -f "$rlog"
first=$(head -n1 "$rlog" | tr -d '\r')
check "render log starts with the online line" test "$first" = "[OXED3DDEVICE]: online (waiting for initialization call)"
for line in "DirectX init alkaa" "Direct3DCreate9 init onnistui" "DirectX CreateDevice onnistui" \
            "initialized (online and ready)" "oneTimeInit onnistui"; do
  grep -q "^\[OXED3DDEVICE\]: $line" "$rlog"; check "render log has \"$line\"" test $? -eq 0
done
# The game never releases its render device: the log ends with the game's own stage set-up, and
# neither the device nor its managers write an offline line.
last=$(tail -n1 "$rlog" | tr -d '\r')
check "render log ends with the stage set-up (got \"$last\")" test "$last" = "[OXED3DDEVICE]: InitStage kaikki ok"
check "render log has no offline line" test -z "$(grep offline "$rlog")"

# ---- 2. without PelmoraInput.dll ----
noinput="$work/noinput"
mkdir -p "$noinput"
for f in SimpleBrixel.exe PelmoraParts.dll PelmoraGraf.dll PelmoraAudio.dll; do cp "$bin/$f" "$noinput/"; done
cp "$bin"/*.dds "$noinput"/
start_game "$noinput/SimpleBrixel.exe" "$noinput"
if answer_box "OXEEngine - error" 30; then pass "missing input library: its message box"; else fail "missing input library: its message box"; fi
if wait_game_end 15; then pass "missing input library: the program ends"; else fail "missing input library: the program ends"; stop_game; fi
check "missing input library: no frame drawn (FormatScore never ran)" test ! -s "$noinput/stdout.txt" -o -z "$(grep '^"' "$noinput/stdout.txt")"

# ---- 3. without PelmoraGraf.dll ----
nograf="$work/nograf"
mkdir -p "$nograf"
for f in SimpleBrixel.exe PelmoraParts.dll PelmoraAudio.dll PelmoraInput.dll; do cp "$bin/$f" "$nograf/"; done
start_game "$nograf/SimpleBrixel.exe" "$nograf"
if answer_box "PelmoraGE" 30; then pass "missing graphics library: its message box"; else fail "missing graphics library: its message box"; fi
if answer_box "OXEngine" 15; then pass "missing graphics library: the init graphics box"; else fail "missing graphics library: the init graphics box"; fi
if wait_game_end 15; then pass "missing graphics library: the program ends"; else fail "missing graphics library: the program ends"; stop_game; fi
check "missing graphics library: no render log" test ! -f "$nograf/log_renderdevice.txt"

# ---- 4. PelmoraInput.dll in the working folder only ----
elsewhere="$work/inputelsewhere"
mkdir -p "$elsewhere/program" "$elsewhere/run"
for f in SimpleBrixel.exe PelmoraParts.dll PelmoraGraf.dll PelmoraAudio.dll; do cp "$bin/$f" "$elsewhere/program/"; done
cp "$bin/PelmoraInput.dll" "$bin"/*.dds "$elsewhere/run/"
start_game "$elsewhere/program/SimpleBrixel.exe" "$elsewhere/run"
if answer_box "OXEEngine - error" 30; then pass "input library only in the working folder: its message box"; else fail "input library only in the working folder: its message box"; fi
if wait_game_end 15; then pass "input library only in the working folder: the program ends"; else fail "input library only in the working folder: the program ends"; stop_game; fi
check "input library only in the working folder: no frame drawn (FormatScore never ran)" test ! -s "$elsewhere/run/stdout.txt" -o -z "$(grep '^"' "$elsewhere/run/stdout.txt")"

echo "$passes passed, $failures failed"
[ $failures -eq 0 ]
