#!/bin/sh
# Installs what is missing, builds what playing needs (the game, its five libraries, the
# generated images and the demonstration's planner and key presser: the CMake target `play`)
# and starts SimpleBrixel under Wine.
#   sh tools/play.sh
# With an X display ($DISPLAY set) it opens the game window on it, for you to play.
# Without one it plays a demonstration game by itself on a private Xvfb display, with real key
# events, following the steps of tools/demo-keys.txt (the game itself is played by
# tools/demo/player.sh), and writes what a player would have seen (PNG screenshots, an animated
# GIF, the final score and the run's two log files) into a folder it names at the end
# (build/demo/).
# Environment: PELMORA_BUILD (build tree, default build/), PELMORA_DEMO_KEYS (step script),
# PELMORA_DEMO_OUT (demo folder), PELMORA_SKIP_BUILD=1 (use the build tree as it is),
# PELMORA_DEMO_TRACE=1 or a file name (every look at the well, press and plan, with the time).
# Bash is needed (the Wine environment, cmake/wine-env.sh): re-run by bash whatever shell started it.
if [ -z "${BASH_VERSION:-}" ]; then exec bash "$0" "$@"; fi
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build="${PELMORA_BUILD:-$root/build}"

if [ "${PELMORA_SKIP_BUILD:-}" != 1 ]; then
  sh "$root/tools/setup-packages.sh"
  PELMORA_BUILD="$build" sh "$root/tools/build.sh" play
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
steps_file="${PELMORA_DEMO_KEYS:-$root/tools/demo-keys.txt}"
out="${PELMORA_DEMO_OUT:-$build/demo}"
[ -f "$steps_file" ] || { echo "play.sh: no step script $steps_file" >&2; exit 1; }
for tool in DemoPlanner DemoKeys; do
  [ -x "$build/host/$tool" ] || { echo "play.sh: no $build/host/$tool (build the target play)" >&2; exit 1; }
done
set +e
rm -rf "$out"
mkdir -p "$out/run" "$out/frames"
run="$out/run"
cp "$build/bin"/*.dds "$run"/

game_pid=""
grabber_pid=""
planner_pid=""
keys_pid=""
cleanup() {
  [ -n "$grabber_pid" ] && kill "$grabber_pid" 2>/dev/null
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
  [ -n "$planner_pid" ] && kill "$planner_pid" 2>/dev/null
  [ -n "$keys_pid" ] && kill "$keys_pid" 2>/dev/null
  pelmora_stop_env
}
# helper <name> <fd variable for its input> <fd variable for its output> <command...>: starts
# a helper program that answers one line for each line it reads, through two named pipes in
# the run folder; sets <name>_pid.
helper() {
  local name="$1" in_var="$2" out_var="$3" fd_in fd_out
  shift 3
  rm -f "$run/$name.in" "$run/$name.out"
  mkfifo "$run/$name.in" "$run/$name.out"
  "$@" <"$run/$name.in" >"$run/$name.out" 2>"$run/$name.err" &
  printf -v "${name}_pid" %s $!
  exec {fd_in}>"$run/$name.in" {fd_out}<"$run/$name.out"
  printf -v "$in_var" %s "$fd_in"
  printf -v "$out_var" %s "$fd_out"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# A private display: the first free number from 150 up.
pelmora_start_xvfb 150 100 || { echo "play.sh: Xvfb did not start" >&2; exit 1; }
echo "play.sh: no X display; playing a demonstration game on a private display $DISPLAY"
make_prefix

# The planner works out the game's first plan while the game starts.
helper planner planner_in planner_out "$build/host/DemoPlanner" --serve

(cd "$run" && exec wine "$build/bin/SimpleBrixel.exe" </dev/null >"$run/stdout.txt" 2>"$run/stderr.txt") &
game_pid=$!
# DemoKeys presses the keys, timed by the frames the game draws (the lines of its output).
helper keys keys_in keys_out "$build/host/DemoKeys" "$run/stdout.txt"

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

now_ms() { local t=${EPOCHREALTIME/./}; echo $((t / 1000)); }
# trace <text>: with PELMORA_DEMO_TRACE set, every look at the well, press and plan, with the
# time in ms, goes to standard error (PELMORA_DEMO_TRACE=1) or to the file it names.
trace() {
  case "${PELMORA_DEMO_TRACE:-}" in
    '') ;;
    1) echo "$(now_ms) $*" >&2 ;;
    *) echo "$(now_ms) $*" >> "$PELMORA_DEMO_TRACE" ;;
  esac
}
. "$root/tools/demo/player.sh"

# The first frame: the main menu's panel, left of the well (a loaded machine can take a while).
until_near 320 220 4e174e 60

# GIF frames, grabbed in the background while the script plays (at most 400, one every half
# second or so: the whole demonstration game), at half size, 8 bits a channel and uncompressed
# (MIFF, about 600 kB each), so that making the GIF at the end reads them at once.
(
  i=0
  while [ $i -lt 400 ] && [ ! -e "$out/frames.stop" ]; do
    import -window root -crop "$crop" +repage -resize 50% -depth 8 "$out/frames/$(printf '%03d' $i).miff" 2>/dev/null
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
    play) play_game "$a" "$b" "$c" ;;
    *) echo "play.sh: unknown step '$cmd' in $steps_file" >&2 ;;
  esac
done < "$steps_file"
shots=$(ls "$out"/*.png 2>/dev/null | wc -l)

# The grabber ends after the frame it is grabbing.
touch "$out/frames.stop"; wait $grabber_pid 2>/dev/null; grabber_pid=""; rm -f "$out/frames.stop"
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
  convert -delay 50 -loop 0 "$out/frames"/*.miff -layers Optimize "$out/demo.gif"
fi
rm -rf "$out/frames"
cp "$run/log_main.txt" "$run/log_renderdevice.txt" "$out"/ 2>/dev/null
# The game prints each score it draws: the last one is the final score.
score=$(grep '^"[0-9]*"' "$run/stdout.txt" 2>/dev/null | tail -n1 | tr -d '"\r')
echo "${score:-unknown}" > "$out/score.txt"
echo "play.sh: final score ${score:-unknown}; $shots screenshots, a GIF of $frames frames, logs in $out"
[ -s "$out/demo.gif" ] && [ "$shots" -gt 0 ]
