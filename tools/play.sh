#!/bin/sh
# Installs what is missing, builds everything and starts SimpleBrixel under Wine.
#   sh tools/play.sh
# With an X display ($DISPLAY set) it opens the game window on it, for you to play.
# Without one it plays a demonstration game by itself on a private Xvfb display, driving the
# game with real key events from tools/demo-keys.txt, and writes what a player would have seen
# (PNG screenshots, an animated GIF, the final score and the run's two log files) into a folder
# it names at the end (build/demo/).
# Environment: PELMORA_BUILD (build tree, default build/), PELMORA_DEMO_KEYS (key script),
# PELMORA_DEMO_OUT (demo folder), PELMORA_SKIP_BUILD=1 (use the build tree as it is).
# Bash is needed (the Wine environment, cmake/wine-env.sh): re-run by bash whatever shell started it.
if [ -z "${BASH_VERSION:-}" ]; then exec bash "$0" "$@"; fi
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build="${PELMORA_BUILD:-$root/build}"

if [ "${PELMORA_SKIP_BUILD:-}" != 1 ]; then
  sh "$root/tools/setup-packages.sh"
  PELMORA_BUILD="$build" sh "$root/tools/build.sh"
fi

export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-pelmora}"
. "$root/cmake/wine-env.sh"
pelmora_wine_variables
# make_prefix: creates the Wine prefix once, and on every start maps "Impact", the game's face,
# which Debian does not ship (cmake/wine-env.sh).
make_prefix() {
  [ -d "$WINEPREFIX" ] || echo "play.sh: creating the Wine prefix $WINEPREFIX (once, takes a few seconds)"
  pelmora_make_prefix
}

if [ -n "${DISPLAY:-}" ]; then
  make_prefix
  # The game reads its images from, and writes its logs to, the working folder: run it in the
  # program folder, where the build put the DLLs and the generated images.
  cd "$build/bin"
  echo "play.sh: starting SimpleBrixel (U: new game, arrows: move/turn/drop, Space: end, Esc: quit)"
  exec wine ./SimpleBrixel.exe
fi

# ---- no display: the headless demonstration ----
keys="${PELMORA_DEMO_KEYS:-$root/tools/demo-keys.txt}"
out="${PELMORA_DEMO_OUT:-$build/demo}"
[ -f "$keys" ] || { echo "play.sh: no key script $keys" >&2; exit 1; }
set +e
rm -rf "$out"
mkdir -p "$out/run" "$out/frames"
run="$out/run"
cp "$build/bin"/*.dds "$run"/

game_pid=""
grabber_pid=""
cleanup() {
  [ -n "$grabber_pid" ] && kill "$grabber_pid" 2>/dev/null
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
  pelmora_stop_env
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# A private display: the first free number from 150 up.
pelmora_start_xvfb 150 100 || { echo "play.sh: Xvfb did not start" >&2; exit 1; }
echo "play.sh: no X display; playing a demonstration game on a private display $DISPLAY"
make_prefix

(cd "$run" && exec wine "$build/bin/SimpleBrixel.exe" </dev/null >"$run/stdout.txt" 2>"$run/stderr.txt") &
game_pid=$!

# The game window, then the render device's last start-up line (it moves the window while it
# starts), then a moment for the shell to size the window to the back buffer.
win=""
t=0
while [ -z "$win" ] && [ $t -lt 120 ] && kill -0 $game_pid 2>/dev/null; do
  win=$(xdotool search --onlyvisible --class "SimpleBrixel.exe" 2>/dev/null | head -n1)
  [ -n "$win" ] || { sleep 0.5; t=$((t + 1)); }
done
[ -n "$win" ] || { echo "play.sh: the game window did not appear (see $run)" >&2; exit 1; }
t=0
until grep -q "oneTimeInit onnistui" "$run/log_renderdevice.txt" 2>/dev/null || [ $t -ge 120 ]; do
  sleep 0.5; t=$((t + 1))
done
sleep 2
# Without a window manager the game's X window is its client area: crop the screen to it.
eval "$(xdotool getwindowgeometry --shell "$win")"
crop="${WIDTH}x${HEIGHT}+${X}+${Y}"
xdotool windowfocus "$win" 2>/dev/null
xdotool mousemove $((X + 5)) $((Y + 5)) click 1

shot() { import -window root -crop "$crop" +repage "$1"; }

# near <x> <y> <rrggbb>: the game's pixel at (x, y) lies within 8 of the colour in every channel.
near() {
  got=$(import -window root -crop "1x1+$((X + $1))+$((Y + $2))" +repage -depth 8 txt:- 2>/dev/null |
        grep -o '#[0-9A-Fa-f]\{6\}' | head -n1)
  [ -n "$got" ] || return 1
  awk -v a="${got#\#}" -v b="$3" 'function h(s, i) { return index("0123456789abcdef", tolower(substr(s, i, 1))) - 1 }
    function c(s, i) { return h(s, i) * 16 + h(s, i + 1) }
    BEGIN { for (i = 1; i <= 5; i += 2) { d = c(a, i) - c(b, i); if (d < -8 || d > 8) exit 1 } }'
}
# until_near <x> <y> <rrggbb> <seconds> [key]: waits until the pixel shows the colour, pressing
# the key (held half a second) each round if one is named; a slow frame can miss a short press.
until_near() {
  t=0
  while ! near "$1" "$2" "$3"; do
    [ $t -ge "$4" ] && { echo "play.sh: ($1, $2) never showed #$3 within $4 s" >&2; return 0; }
    kill -0 $game_pid 2>/dev/null || return 0
    if [ -n "${5:-}" ]; then xdotool keydown "$5"; sleep 0.5; xdotool keyup "$5"; fi
    sleep 0.5; t=$((t + 1))
  done
}

# ---- watching the well: guiding a piece by what the screen shows ----
# The well's 12 x 25 cells as the screen shows them: one line "column,row: (r,g,b)..." a cell,
# each cell's colour averaged over its 25 x 25 pixels.
well() {
  import -window root -crop "300x625+$((X + 362))+$((Y + 100))" +repage miff:- 2>/dev/null |
    convert miff:- -scale '12x25!' -depth 8 txt:- 2>/dev/null
}
# Reads well() lines and decides the next move of the falling piece. A cell is occupied when
# it is brighter than the well's brown background in any channel. Only rows 0 .. free - 1 are
# looked at: nothing but the falling piece is there. Variables: mode (steer or verify), free,
# cells (the four target cells "column,row ..."), droprow (the top row the piece must have reached
# before it is dropped), y0 (the piece's top row when it was dropped).
# Prints: wait | turn | left <n> | right <n> | drop <top row> (steer); missed | done (verify).
WELL_AWK='
function pattern(n, c, r,   i, j, minc, minr, k, t, out) {
  minc = 99; minr = 99
  for (i = 1; i <= n; i++) { if (c[i] < minc) minc = c[i]; if (r[i] < minr) minr = r[i] }
  for (i = 1; i <= n; i++) k[i] = sprintf("%02d%02d", r[i] - minr, c[i] - minc)
  for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (k[j] < k[i]) { t = k[i]; k[i] = k[j]; k[j] = t }
  out = ""; for (i = 1; i <= n; i++) out = out k[i] " "
  left = minc; top = minr
  return out
}
BEGIN {
  m = split(cells, tc, " ")
  for (i = 1; i <= m; i++) { split(tc[i], p, ","); wc[i] = p[1]; wr[i] = p[2] }
  want = pattern(m, wc, wr); wantleft = left; wanttop = top
}
/^#/ { next }
{
  split($1, xy, /[,:]/); col = xy[1]; row = xy[2]
  if (row >= free) next
  v = $0; sub(/^[^(]*\(/, "", v); sub(/\).*/, "", v); split(v, rgb, ",")
  if (rgb[1] > 150 || rgb[2] > 90 || rgb[3] > 70) { n++; oc[n] = col; orow[n] = row }
}
END {
  got = n == 4 ? pattern(n, oc, orow) : ""
  # What only a turn or a move changes (the fall changes the top row alone).
  sig = n ":" got ":" (n == 4 ? left : "")
  gsub(/ /, "-", sig)
  if (mode == "verify") {
    print ((got == want && left == wantleft && top >= y0 && top < wanttop) ? "falling" : "done"), 0, sig
  } else if (n != 4) print "wait", 0, sig
  else if (got != want) print "turn", 1, sig, left
  else if (left < wantleft) print "right", wantleft - left, sig, left
  else if (left > wantleft) print "left", left - wantleft, sig, left
  else if (top < droprow) print "wait", 0, sig
  else print "drop", top, sig
}'
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
# trace <text>: with PELMORA_DEMO_TRACE set, every look at the well and every press, with the
# time in ms, goes to standard error (PELMORA_DEMO_TRACE=1) or to the file it names.
trace() {
  case "${PELMORA_DEMO_TRACE:-}" in
    '') ;;
    1) echo "$(now_ms) $*" >&2 ;;
    *) echo "$(now_ms) $*" >> "$PELMORA_DEMO_TRACE" ;;
  esac
}
# How long a press is held, in ms. The game polls the keys once a frame, at least 70 ms apart:
# a press held for less than the time between two polls acts once or, when no poll falls
# within it, not at all. Software rendering on a loaded machine stretches frames far past
# 70 ms (250 ms and more were seen): the hold starts from the measured frame time and adapts
# between 40 and 250 ms: shorter after a
# press that acted twice, longer after one that did nothing. A drop (Down) is held for less
# than the 70 ms between two polls, whatever the frame time: a second poll seeing it could drop
# the next piece too, after a fall step locked this one between them, and that cannot be undone.
# A drop that no poll saw is pressed again, and the piece falls by itself meanwhile.
hold_ms=50
drop_ms() { echo 55; }
tap() { # tap <key> [ms]
  trace "tap $1 ${2:-$hold_ms} ms"
  xdotool keydown "$1" sleep "$(printf '0.%03d' "${2:-$hold_ms}")" keyup "$1"
}
# measure_frames: sets hold_ms from the game's frame time, seen on the left torch's flame (a
# new picture every frame): 60 % of the time between two new pictures, so that one poll, and
# only one, falls within most presses. Frames faster than the grabs keep the 50 ms hold.
measure_frames() {
  m_prev="" m_new=0 m_i=0 m_t=$(now_ms)
  while [ $m_i -lt 12 ]; do
    m_h=$(import -window root -crop "80x80+$((X + 120))+$((Y + 300))" +repage rgb:- 2>/dev/null | cksum)
    [ "$m_h" != "$m_prev" ] && m_new=$((m_new + 1))
    m_prev="$m_h" m_i=$((m_i + 1))
  done
  m_frame=$(( ($(now_ms) - m_t) / m_new ))
  if [ $m_new -lt 12 ]; then hold_ms=$(( m_frame * 6 / 10 )); else hold_ms=50; fi
  [ $hold_ms -lt 50 ] && hold_ms=50; [ $hold_ms -gt 250 ] && hold_ms=250
  echo "play.sh: about $m_frame ms a frame or less: keys held $hold_ms ms"
  frames_measured=1
}
# observe: reads the well and sets o_action, o_arg, o_sig (what only a turn or move changes),
# o_left (the piece's leftmost column while it is steered).
observe() {
  set -- $(well | awk -v mode=$p_mode -v free="$p_free" -v cells="$p_cells" -v y0=$p_y0 \
    -v droprow="$p_droprow" "$WELL_AWK")
  o_action="${1:-wait}" o_arg="${2:-0}" o_sig="${3:-}" o_left="${4:-}"
  trace "place $p_kind: $o_action $o_arg $o_sig (hold $hold_ms ms)"
  return 0
}
# press_and_see <key>: one press of a turn or move, then the well is read until it shows the
# piece changed (at most 1.2 s); the hold is adapted to what the press did.
# The frame time changes with the machine's load: a press that moved the piece more than one
# column, or two turns in a row that showed nothing (an even number of turns of a piece with
# two positions looks like none), have the frame time measured again.
press_and_see() {
  before_sig="$o_sig" before_left="$o_left" t=$(now_ms)
  tap "$1"
  while observe; [ "$o_sig" = "$before_sig" ] && [ $(( $(now_ms) - t )) -lt 1500 ]; do sleep 0.03; done
  if [ "$o_sig" = "$before_sig" ]; then
    if [ "$1" = Up ]; then
      unseen_turns=$(( ${unseen_turns:-0} + 1 ))
      [ $unseen_turns -ge 2 ] && { unseen_turns=0; measure_frames; }
      return 0
    fi
    hold_ms=$(( hold_ms * 5 / 4 )); [ $hold_ms -gt 250 ] && hold_ms=250
  else
    unseen_turns=0
    if [ "$1" != Up ] && [ -n "$o_left" ] && [ -n "$before_left" ]; then
      sleep 0.3; observe # a second step of the same press comes a frame later
      moved=$(( o_left - before_left )); [ $moved -lt 0 ] && moved=$(( -moved ))
      if [ $moved -gt 1 ]; then
        measure_frames
        hold_ms=$(( hold_ms * 2 / 3 )); [ $hold_ms -lt 40 ] && hold_ms=40
      fi
    fi
  fi
}
# place <kind> <free rows> <drop row> <column,row> x4: steers the falling piece until it lies
# turned and moved above the four cells, then drops it, one press at a time, each checked on
# the screen. After the drop it watches the piece leave its place above the cells; a drop that
# no poll saw is pressed again after 1.5 s. Taking the next piece for this one still falling is
# ruled out by the drop row (see tools/DemoPlanner.cpp).
place() {
  p_kind="$1" p_free="$2" p_droprow="$3"; shift 3
  p_cells="$*" p_mode=steer p_y0=0 p_start=$(date +%s) p_since=0 p_ready=""
  [ -n "${frames_measured:-}" ] || measure_frames
  observe
  while kill -0 $game_pid 2>/dev/null; do
    if [ $(( $(date +%s) - p_start )) -ge 40 ]; then
      echo "play.sh: piece of kind $p_kind not placed at $p_cells within 40 s" >&2
      plan_lost=1; return 0
    fi
    case "$o_action" in
      turn) press_and_see Up; continue ;;
      left) press_and_see Left; continue ;;
      right) press_and_see Right; continue ;;
      drop)
        # Only when a second look a frame or two later still shows the piece in place: a
        # press the game has taken but not yet drawn would move it after the drop.
        if [ "$p_ready" != "$o_sig" ]; then
          p_ready="$o_sig"; sleep 0.3
        else
          p_y0="$o_arg"; p_mode=verify; p_since=$(now_ms); tap Down "$(drop_ms)"
        fi ;;
      falling)
        if [ $(( $(now_ms) - p_since )) -ge 1500 ]; then p_since=$(now_ms); tap Down "$(drop_ms)"; fi ;;
      done) return 0 ;;
    esac
    sleep 0.05
    observe
  done
}
# empty <first row> <last row> <seconds>: waits until those rows of the well are empty.
empty_rows() {
  t=$(date +%s)
  while kill -0 $game_pid 2>/dev/null; do
    well | awk -v a="$1" -v b="$2" '/^#/ { next } { split($1, xy, /[,:]/); if (xy[2] < a || xy[2] > b) next
      v = $0; sub(/^[^(]*\(/, "", v); sub(/\).*/, "", v); split(v, rgb, ",")
      if (rgb[1] > 150 || rgb[2] > 90 || rgb[3] > 70) n++ } END { exit n > 0 }' && return 0
    [ $(( $(date +%s) - t )) -ge "$3" ] && { echo "play.sh: rows $1..$2 not empty within $3 s" >&2; return 0; }
    sleep 0.2
  done
}

# The first frame: the main menu's panel, left of the well (a loaded machine can take a while).
until_near 320 220 4e174e 60

# GIF frames, grabbed in the background while the script plays (at most 240, one every half
# second or so: the whole demonstration game).
(
  i=0
  while [ $i -lt 240 ]; do
    shot "$out/frames/$(printf '%03d' $i).png" 2>/dev/null
    i=$((i + 1)); sleep 0.4
  done
) &
grabber_pid=$!

shots=0
while read -r cmd a b c rest; do
  case "$cmd" in
    ''|'#'*) ;;
    key)
      kill -0 $game_pid 2>/dev/null || { echo "play.sh: the game ended before '$cmd $a'" >&2; break; }
      xdotool keydown "$a"; sleep "${b:-0.15}"; xdotool keyup "$a"; sleep "${c:-0.3}" ;;
    shot) shot "$out/$a.png" && shots=$((shots + 1)) ;;
    wait) sleep "$a" ;;
    until) until_near "$a" "$b" "$c" $rest ;;
    # Once a piece missed its place the well no longer matches the plan: the remaining
    # placements are skipped, and the script goes on with its closing steps.
    place) [ -z "${plan_lost:-}" ] && place "$a" "$b" "$c" $rest ;;
    empty) [ -z "${plan_lost:-}" ] && empty_rows "$a" "$b" "$c" ;;
    *) echo "play.sh: unknown step '$cmd' in $keys" >&2 ;;
  esac
done < "$keys"

kill $grabber_pid 2>/dev/null; wait $grabber_pid 2>/dev/null; grabber_pid=""
# The game leaves on Esc; if the script did not end it, close it.
t=0
while kill -0 $game_pid 2>/dev/null && [ $t -lt 20 ]; do sleep 0.5; t=$((t + 1)); done
if kill -0 $game_pid 2>/dev/null; then
  echo "play.sh: the game was still running after the last step: closed it"
  kill $game_pid 2>/dev/null
else
  echo "play.sh: the game has ended"
fi
game_pid=""

frames=$(ls "$out/frames" | wc -l)
if [ "$frames" -gt 0 ]; then
  # Halved one by one first: a few hundred full frames at once exceed ImageMagick's limits.
  mogrify -resize 50% "$out/frames"/*.png
  convert -delay 50 -loop 0 "$out/frames"/*.png -layers Optimize "$out/demo.gif"
fi
rm -rf "$out/frames"
cp "$run/log_main.txt" "$run/log_renderdevice.txt" "$out"/ 2>/dev/null
# The game prints each score it draws: the last one is the final score.
score=$(grep '^"[0-9]*"' "$run/stdout.txt" 2>/dev/null | tail -n1 | tr -d '"\r')
echo "${score:-unknown}" > "$out/score.txt"
echo "play.sh: final score ${score:-unknown}; $shots screenshots, a GIF of $frames frames, logs in $out"
[ -s "$out/demo.gif" ] && [ "$shots" -gt 0 ]
