#!/bin/sh
# Runs `sh tools/play.sh` with no X display and its demonstration game (tools/demo-keys.txt:
# a game played piece by piece from what the screen shows, planned to clear rows at the top of
# the stack, then Space, Enter back to the menu, Esc), then checks what it wrote: PNG
# screenshots and an animated GIF of the right sizes, the rows cleared in the screenshots
# around each clear, a final score that fits the rows cleared and the blocks left in the well,
# both log files, and the font replacement of the Wine prefix it used.
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

keys="$src/tools/demo-keys.txt"
# The kept script is what the planner writes from the game's rules as they are now.
if [ -x "$build/host/DemoPlanner" ]; then
  "$build/host/DemoPlanner" > "$work/planned.txt" 2>&1
  check "tools/demo-keys.txt is the planner's output" cmp -s "$work/planned.txt" "$keys"
fi

# The planner during play: its plan while the well is the one foreseen; a legal place for the
# next piece when the first piece locked elsewhere (in the bottom row's left end instead of its
# right end), whether or not the pieces locked are known; an error for cells of no piece.
empty=$(printf '%0300d' 0)
misplaced=$(printf '%0288d111100000000' 0)
printf '%s\n' "plan 3 0 6,0 7,0 8,0 9,0 $empty" "plan 3 1 7,0 6,1 7,1 6,2 $misplaced" \
  "plan 3 -1 7,0 6,1 7,1 6,2 $misplaced" "plan 3 1 1,1 1,2 2,2 3,3 $empty" |
  "$build/host/DemoPlanner" --serve > "$work/served.txt" 2>&1
sed -n 1p "$work/served.txt" | grep -q "^place 0 0 0 8,24 9,24 10,24 11,24 0 25 1 plan$"
check "the planner answers the first piece of an empty well with its plan" test $? -eq 0
legal() { # legal <answer>: four cells of piece 1 (kind 5) inside the well, off the locked
  # blocks, one of them resting on a block or the floor
  echo "$1" | awk -v well="$misplaced" '$1 != "place" || $2 != 1 || $3 != 5 { exit 1 }
    { for (i = 5; i <= 8; i++) { split($i, p, ","); c = p[1]; r = p[2]
        if (c < 0 || c > 11 || r < 0 || r > 24 || substr(well, r * 12 + c + 1, 1) == "1") exit 1
        if (r == 24 || substr(well, (r + 1) * 12 + c + 1, 1) == "1") rests = 1 }
      exit !rests }' || { echo "   $1"; return 1; }
}
check "after a misplaced piece the planner plans the next one again, legally" \
  sh -c '[ "$(echo "$1" | cut -d" " -f12)" = replan ]' - "$(sed -n 2p "$work/served.txt")"
check "... a place inside the well, off the locked blocks, resting" legal "$(sed -n 2p "$work/served.txt")"
check "... also without the count of pieces locked" legal "$(sed -n 3p "$work/served.txt")"
check "cells of no piece are refused" sh -c 'sed -n 4p "$1" | grep -q "^error"' - "$work/served.txt"

# The prefix lives in the build tree and is kept between runs (making one takes a while). The
# trace of every look, press and plan is kept beside the output.
env -u DISPLAY WINEPREFIX="$build/demo-wineprefix" PELMORA_BUILD="$build" PELMORA_SKIP_BUILD=1 \
  PELMORA_DEMO_KEYS="$keys" PELMORA_DEMO_OUT="$out" PELMORA_DEMO_TRACE="$work/trace.txt" \
  timeout 600 sh "$src/tools/play.sh" > "$work/play.txt" 2>&1
rc=$?
cat "$work/play.txt"
check "play.sh without a display succeeds (exit code $rc)" test $rc -eq 0
check "play.sh names the folder it wrote" grep -q "$out" "$work/play.txt"
check "the game ended on Esc" grep -q "the game has ended" "$work/play.txt"

size_is() { # size_is <file> <format> <width> <height>: the first frame's format and size
  got=$(identify -format '%m %w %h\n' "$1" 2>/dev/null | head -n1)
  [ "$got" = "$2 $3 $4" ] || { echo "   $1: '$got', wanted '$2 $3 $4'"; return 1; }
}
for s in menu playing game-over; do
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
check "playing.png shows play (no menu panel)" near "$out/playing.png" 320 220 0 0 0
check "game-over.png shows the game over panel" near "$out/game-over.png" 290 540 78 23 78

# The well as the screenshot shows it: per row, the number of occupied cells (each cell's
# colour averaged; occupied when brighter than the brown well in any channel).
row_cells() { # row_cells <png> <row>
  $CONVERT "$1" -crop 300x625+362+100 +repage -scale '12x25!' -depth 8 txt:- 2>/dev/null |
    awk -v want="$2" '/^#/ { next } { split($1, xy, /[,:]/); if (xy[2] != want) next
      v = $0; sub(/^[^(]*\(/, "", v); sub(/\).*/, "", v); split(v, c, ",")
      if (c[1] > 150 || c[2] > 90 || c[3] > 70) n++ } END { print n + 0 }'
}
rows_hold() { # rows_hold <png> <first> <last> <at least> <at most>
  r=$2
  while [ $r -le $3 ]; do
    n=$(row_cells "$1" $r)
    [ "$n" -ge "$4" ] && [ "$n" -le "$5" ] || { echo "   $1: row $r has $n occupied cells"; return 1; }
    r=$((r + 1))
  done
}
# The well's rows in a screenshot, one line of 12 cells each ("1" occupied).
well_rows() { # well_rows <png>
  $CONVERT "$1" -crop 300x625+362+100 +repage -scale '12x25!' -depth 8 txt:- 2>/dev/null |
    awk '/^#/ { next } { split($1, xy, /[,:]/)
      v = $0; sub(/^[^(]*\(/, "", v); sub(/\).*/, "", v); split(v, c, ",")
      bit[xy[2] * 12 + xy[1]] = (c[1] > 150 || c[2] > 90 || c[3] > 70) }
      END { for (r = 0; r < 25; r++) { s = ""; for (col = 0; col < 12; col++) s = s (bit[r * 12 + col] ? 1 : 0); print s } }'
}
moved_down() { # moved_down <before png> <after png> <first> <last> <column,row>...: after the
  # clear, those rows hold what lay above them before it, with the cells the completing piece
  # locked in (the shot before shows it still at the top)
  n=$(( $4 - $3 + 1 ))
  m_before="$1" m_after="$2" m_first=$3 m_last=$4
  shift 4
  a=$(well_rows "$m_before" | awk -v cells="$*" 'BEGIN { m = split(cells, c, " ")
        for (i = 1; i <= m; i++) { split(c[i], p, ","); put[p[2] + 1, p[1] + 1] = 1 } }
      { s = ""; for (col = 1; col <= 12; col++) s = s (((NR, col) in put) ? 1 : substr($0, col, 1)); print s }' |
    sed -n "$(( m_first - n + 1 )),$(( m_last - n + 1 ))p")
  b=$(well_rows "$m_after" | sed -n "$(( m_first + 1 )),$(( m_last + 1 ))p")
  [ "$a" = "$b" ] || { echo "   before, rows $(( m_first - n ))..$(( m_last - n )) with the piece: $a; after, rows $m_first..$m_last: $b" | tr '\n' ' '; echo; return 1; }
}
# Each clear the demonstration showed (clears.txt: its first and last row, "top" when they
# were the top of the stack as planned, and the cells of the piece that completed them): the
# shot before the piece that completes the rows shows them nearly full (a piece fills at most
# four cells of a row), the shot after them shows in them what lay above them, with that piece's
# cells there, which for rows at the top of the stack is nothing.
clears=0
top=0
while read -r first last kind cells; do
  [ -n "$first" ] || continue
  clears=$((clears + 1))
  check "before-clear-$clears.png: rows $first..$last nearly full" rows_hold "$out/before-clear-$clears.png" $first $last 8 11
  check "after-clear-$clears.png: rows $first..$last hold what lay above them" \
    moved_down "$out/before-clear-$clears.png" "$out/after-clear-$clears.png" $first $last $cells
  if [ "$kind" = top ]; then
    top=$((top + 1))
    check "after-clear-$clears.png: rows $first..$last cleared, empty" rows_hold "$out/after-clear-$clears.png" $first $last 0 0
  fi
done < "$out/clears.txt"
check "the demonstration shows clears ($clears, $top of them of the top of the stack)" test $clears -gt 0

# The final score against the well in final.png (a new piece at the top, above an empty row,
# the rest locked): every lock adds 20 to the score and 4 blocks to the well, every row cleared
# 100 and -12, so rows = (score / 5 - locked blocks) / 32.
locked_cells() { # locked_cells <png>: the occupied cells below the first empty row under the top piece
  $CONVERT "$1" -crop 300x625+362+100 +repage -scale '12x25!' -depth 8 txt:- 2>/dev/null |
    awk '/^#/ { next } { split($1, xy, /[,:]/)
      v = $0; sub(/^[^(]*\(/, "", v); sub(/\).*/, "", v); split(v, c, ",")
      if (c[1] > 150 || c[2] > 90 || c[3] > 70) n[xy[2]]++ }
      END { r = 0; while (r < 25 && !n[r]) r++; while (r < 25 && n[r]) r++
            for (; r < 25; r++) k += n[r]; print k + 0 }'
}
score=$(cat "$out/score.txt" 2>/dev/null)
cells=$(locked_cells "$out/final.png")
planned=$(awk '$2 == "plan:" { print $8 }' "$keys")
rows_fit() { # rows_fit <score> <cells>: the rows the score and the well give, 2 or more
  case "$1" in ''|*[!0-9]*) return 1 ;; esac
  d=$(( $1 / 5 - $2 ))
  [ $(($1 % 5)) -eq 0 ] && [ $d -ge 64 ] && [ $((d % 32)) -eq 0 ] || { echo "   score $1, $2 locked cells"; return 1; }
}
check "the final score ($score, planned $planned) is 300 or more" sh -c '[ "$1" -ge 300 ] 2>/dev/null' - "$score"
check "the final score and the $cells blocks left in final.png fit 2 or more whole rows cleared" \
  rows_fit "$score" "$cells"
check "log_main.txt beside the pictures" test -f "$out/log_main.txt"
check "log_renderdevice.txt beside the pictures" grep -q "oneTimeInit onnistui" "$out/log_renderdevice.txt"

replacement=$(WINEPREFIX="$build/demo-wineprefix" WINEDEBUG=-all DISPLAY= \
  wine reg query 'HKCU\Software\Wine\Fonts\Replacements' /v Impact </dev/null 2>/dev/null | tr -d '\r')
WINEPREFIX="$build/demo-wineprefix" wineserver -k >/dev/null 2>&1
. "$src/cmake/wine-env.sh"
check "the prefix replaces Impact with $PELMORA_IMPACT_FACE" \
  sh -c 'echo "$1" | grep -q "Impact.*REG_SZ.*$2"' - "$replacement" "$PELMORA_IMPACT_FACE"

echo "$passes passed, $failures failed"
[ $failures -eq 0 ]
