#!/bin/bash
# Endurance run: SimpleBrixel under Xvfb + Wine for a long stretch of random play, then Esc.
#   tools/endurance.sh [seconds]          (default 600)
# It starts the game, presses U, then holds and releases random keys (Left, Right, Up, Down,
# Space, U, Enter) for random times from a seeded generator; after every game over it presses
# Enter and U, so the whole time is play. Every 10 s it prints one sample line of the game
# process's counters: the Windows side (handles, GDI/USER objects, private bytes, working set,
# read by bin/ProcessCounters.exe) and the Linux side of its Wine process (VmRSS, VmSize, open
# file descriptors from /proc). At the end it presses Esc and checks that the game ended by
# itself with its normal exit code, that both log files hold what they should, and that the
# counters stayed flat after the first minute (bin/ProcessCounters.exe --judge: every sample
# after the baseline at most baseline + 5% + 2 MiB for memory, + 5 for handles, objects and file
# descriptors). It prints a summary table and exits non-zero on any failure.
#
# Environment:
#   PELMORA_BUILD               build tree (default build/ beside tools/)
#   PELMORA_SKIP_BUILD=1        never build (else it builds when a program is missing)
#   PELMORA_ENDURANCE_SEED      seed of the key generator (default: from the clock; printed)
#   PELMORA_ENDURANCE_OUT       folder for the run's files (default <build>/endurance)
#   PELMORA_ENDURANCE_SETTLE    seconds before the baseline sample (default 60)
#   PELMORA_ENDURANCE_INTERVAL  seconds between samples (default 10)
#   PELMORA_ENDURANCE_PRIVATE=1 always use a private display and prefix
# On a build tree whose test environment runs (cmake/test-env.sh start), its Xvfb display and
# Wine prefix are used; otherwise the script starts a private Xvfb and its own prefix
# (<build>/endurance-wineprefix, made on first use).
# Bash is needed (arrays, $'..'): re-run by bash whatever shell started it.
if [ -z "${BASH_VERSION:-}" ]; then exec bash "$0" "$@"; fi
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/cmake/wine-env.sh"
build="${PELMORA_BUILD:-$root/build}"
duration="${1:-600}"
settle="${PELMORA_ENDURANCE_SETTLE:-60}"
interval="${PELMORA_ENDURANCE_INTERVAL:-10}"
seed="${PELMORA_ENDURANCE_SEED:-$(( $(date +%s) % 100000 ))}"
case "$duration$settle$interval$seed" in *[!0-9]*)
  echo "endurance.sh: seconds, settle, interval and seed must be whole numbers" >&2; exit 2 ;;
esac

say() { echo "endurance: $*"; }

# ---- build if needed ----
if [ "${PELMORA_SKIP_BUILD:-}" != 1 ] &&
   { [ ! -f "$build/bin/SimpleBrixel.exe" ] || [ ! -f "$build/bin/ProcessCounters.exe" ]; }; then
  say "building into $build"
  PELMORA_BUILD="$build" sh "$root/tools/build.sh" || { say "the build failed"; exit 1; }
fi
build=$(cd "$build" && pwd)
bin="$build/bin"
for f in SimpleBrixel.exe ProcessCounters.exe PelmoraGraf.dll PelmoraParts.dll PelmoraInput.dll PelmoraAudio.dll; do
  [ -f "$bin/$f" ] || { say "missing $bin/$f (build first)"; exit 1; }
done
out="${PELMORA_ENDURANCE_OUT:-$build/endurance}"
rm -rf "$out"
mkdir -p "$out/run"
out=$(cd "$out" && pwd)
run="$out/run"
samples="$out/samples.txt"
cp "$bin"/*.dds "$run"/

pelmora_wine_variables

# ---- display and Wine prefix ----
own_env=0
game_pid=""
keys_down=""
cleanup() {
  for k in $keys_down; do xdotool keyup "$k" 2>/dev/null; done
  if [ -n "$game_pid" ] && kill -0 "$game_pid" 2>/dev/null; then kill "$game_pid" 2>/dev/null; fi
  if [ $own_env = 1 ]; then pelmora_stop_env; fi
}
trap cleanup EXIT
trap 'exit 1' INT TERM

shared_display=""
[ -f "$build/xvfb.display" ] && shared_display=$(cat "$build/xvfb.display")
if [ "${PELMORA_ENDURANCE_PRIVATE:-}" != 1 ] && [ -n "$shared_display" ] &&
   [ -e "/tmp/.X11-unix/X${shared_display#:}" ]; then
  export DISPLAY="$shared_display" WINEPREFIX="$build/wineprefix"
  say "using the test environment: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX"
else
  own_env=1
  export WINEPREFIX="$build/endurance-wineprefix"
  pelmora_start_xvfb 260 100 || { say "Xvfb did not start"; exit 1; }
  [ -d "$WINEPREFIX" ] || say "creating the Wine prefix $WINEPREFIX (once)"
  pelmora_make_prefix persist
  say "private environment: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX"
fi

# ---- the key generator: a 31-bit LCG from the seed, so a run can be repeated ----
rng=$seed
rnd() { # rnd <n>: sets r to a number 0..n-1
  rng=$(( (rng * 1103515245 + 12345) & 0x7FFFFFFF ))
  r=$(( (rng >> 16) % $1 ))
}
say "seed $seed (PELMORA_ENDURANCE_SEED=$seed repeats this key sequence), $duration s of play"

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
# sleep_ms <milliseconds>
sleep_ms() { sleep "$(printf '%d.%03d' $(( $1 / 1000 )) $(( $1 % 1000 )))"; }

hold() { # hold <key> <milliseconds>: presses, holds and releases one key
  xdotool keydown "$1"; keys_down="$1"
  sleep_ms "$2"
  xdotool keyup "$1"; keys_down=""
}

# ---- start the game ----
(cd "$run" && exec wine "$bin/SimpleBrixel.exe" </dev/null >"$run/stdout.txt" 2>"$run/stderr.txt") &
game_pid=$!
start_ms=$(now_ms)
game_running() { kill -0 "$game_pid" 2>/dev/null; }

win=""
t=0
while [ -z "$win" ] && [ $t -lt 120 ] && game_running; do
  win=$(xdotool search --onlyvisible --class "SimpleBrixel.exe" 2>/dev/null | head -n1)
  [ -n "$win" ] || { sleep 0.5; t=$((t + 1)); }
done
[ -n "$win" ] || { say "FAIL: the game window did not appear (see $run)"; exit 1; }
t=0
until grep -q "oneTimeInit onnistui" "$run/log_renderdevice.txt" 2>/dev/null || [ $t -ge 120 ]; do
  sleep 0.5; t=$((t + 1))
done
sleep 2
eval "$(xdotool getwindowgeometry --shell "$win")"
win_x=$X; win_y=$Y; win_w=$WIDTH; win_h=$HEIGHT
focus() {
  xdotool windowfocus "$win" 2>/dev/null
  xdotool mousemove $((win_x + 5)) $((win_y + 5)) click 1 2>/dev/null
}
focus

# The Linux process of the game: the one started above (wine's loader execs in place).
linux_pid=$game_pid
if ! tr '\0' ' ' < "/proc/$linux_pid/cmdline" 2>/dev/null | grep -q "SimpleBrixel.exe"; then
  say "note: process $linux_pid is not SimpleBrixel.exe; the Linux counters may be wrong"
fi

# ---- samples ----
# panel_at <x> <y>: 0 when the back-buffer pixel shows the menus' panel colour (about 78, 23, 78)
panel_at() {
  px=$(import -window root -crop "1x1+$((win_x + $1 * win_w / 1024))+$((win_y + $2 * win_h / 768))" \
       -depth 8 txt:- 2>/dev/null | sed -n '2s/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p')
  echo "$px" | awk '{ exit !($1>=68 && $1<=88 && $2>=13 && $2<=33 && $3>=68 && $3<=88) }'
}

: > "$samples"
windows_counters="no"
sample() { # sample <seconds>: one line of counters into the samples file and the terminal
  w=$(wine "$bin/ProcessCounters.exe" SimpleBrixel.exe </dev/null 2>/dev/null | tr -d '\r' | grep '^pid=')
  [ -n "$w" ] && windows_counters="yes"
  rss=$(sed -n 's/^VmRSS:[^0-9]*\([0-9]*\).*/\1/p' "/proc/$linux_pid/status" 2>/dev/null)
  vsz=$(sed -n 's/^VmSize:[^0-9]*\([0-9]*\).*/\1/p' "/proc/$linux_pid/status" 2>/dev/null)
  fds=$(ls "/proc/$linux_pid/fd" 2>/dev/null | wc -l)
  line="sample t=$1 ${w:+$(echo "$w" | sed 's/^pid=[0-9]* //') }rss=${rss:-0} vsz=${vsz:-0} fds=$fds"
  echo "$line" >> "$samples"
  echo "$line restarts=$restarts"
}

# ---- play ----
key_names=(Left Right Up Down space u Return)
# Weights: moves and turns most, Down less (it drops at once), Space (ends the game) rarely.
key_weights=(6 6 5 3 1 1 1)
weight_sum=0
for w in "${key_weights[@]}"; do weight_sum=$((weight_sum + w)); done
pick_key() {
  rnd $weight_sum
  i=0; acc=0
  while :; do
    acc=$((acc + key_weights[i]))
    [ $r -lt $acc ] && { key=${key_names[$i]}; return; }
    i=$((i + 1))
  done
}

restarts=0
overs_seen=0
keys_pressed=0
restart() { # after a game over: Enter back to the menu, U for a new game
  hold Return 400; sleep 0.3
  hold u 400; sleep 0.3
  restarts=$((restarts + 1))
}

hold u 400
sleep 0.5
next_sample=$interval
next_check=$(( $(now_ms) + 3000 ))
end_ms=$(( start_ms + duration * 1000 ))
crashed=0
while [ "$(now_ms)" -lt $end_ms ]; do
  game_running || { crashed=1; break; }
  elapsed=$(( ($(now_ms) - start_ms) / 1000 ))
  if [ $elapsed -ge $next_sample ]; then
    sample $next_sample
    next_sample=$((next_sample + interval))
  fi
  pick_key
  rnd 1100; held=$((80 + r))
  rnd 250; gap=$r
  hold "$key" $held
  keys_pressed=$((keys_pressed + 1))
  sleep_ms $gap
  if [ "$key" = space ]; then
    restart
  elif [ "$(now_ms)" -ge $next_check ]; then
    # A game over (panel below the menu's) or the menu (left of the well) means no play: restart.
    if panel_at 290 540; then overs_seen=$((overs_seen + 1)); restart
    elif panel_at 320 220; then hold u 400; sleep 0.3; restarts=$((restarts + 1))
    fi
    next_check=$(( $(now_ms) + 3000 ))
  fi
done
[ $crashed = 0 ] && game_running && sample $(( ($(now_ms) - start_ms) / 1000 ))

# ---- the end: Esc, the exit, the logs, the verdict ----
failures=0
fail() { say "FAIL: $*"; failures=$((failures + 1)); }
ok() { say "ok: $*"; }

exit_code=""
if [ $crashed = 1 ]; then
  wait "$game_pid"; exit_code=$?
  fail "the game ended by itself during play (exit code $exit_code)"
else
  focus
  xdotool key Escape
  t=0
  while game_running && [ $t -lt 300 ]; do sleep 0.1; t=$((t + 1)); done
  if game_running; then
    fail "the game did not end within 30 s of Esc"
    import -window root "$out/no-exit.png" 2>/dev/null
    kill "$game_pid" 2>/dev/null
  else
    wait "$game_pid"; exit_code=$?
    # WinMain returns the last message's wParam: the Esc key's code (27) after Esc, 0 if none.
    case "$exit_code" in
      0|27) ok "the game ended on Esc with exit code $exit_code" ;;
      *) fail "the game ended on Esc with exit code $exit_code (a crash: expected 27 or 0)" ;;
    esac
  fi
fi
game_pid=""

# log_main.txt: the game writes only its two start-up failure lines into it.
if [ ! -f "$run/log_main.txt" ]; then fail "log_main.txt missing"
elif [ -s "$run/log_main.txt" ]; then fail "log_main.txt holds lines: $(head -c 200 "$run/log_main.txt")"
else ok "log_main.txt written and empty (no failures)"
fi

# log_renderdevice.txt: the device's start-up lines in order (the managers' lines in between),
# the game's own stage set-up, and nothing after: the game never releases its device, so no
# manager or device writes an offline line.
expected="$out/expected_renderdevice.txt"
printf '%b' \
  '[OXED3DDEVICE]: online (waiting for initialization call)\n' \
  '[OXED3DDEVICE]: DirectX init alkaa\n' \
  '[OXED3DDEVICE]: P\xe4\xe4objekti luotu\n' \
  '[OXED3DDEVICE]: Direct3DCreate9 init onnistui\n' \
  '[OXED3DDEVICE]: enableFullscreeMode alkaa\n' \
  '[OXED3DDEVICE]: Window\n' \
  '[OXED3DDEVICE]: Onnistui\n' \
  '[OXED3DDEVICE]: DirectX CreateDevice onnistui\n' \
  '[OXED3DDEVICE]: initialized (online and ready)\n' \
  '[OXED3DSkinMn]: online\n' \
  '[OXED3DVCMngr]: online\n' \
  '[OXED3DDEVICE]: InitStage alkaa\n' \
  '[OXED3DDEVICE]: InitStage CalcPerspProjMatrix onnistui\n' \
  '[OXED3DDEVICE]: InitStage kaikki ok\n' \
  '[OXED3DDEVICE]: oneTimeInit onnistui\n' \
  '[OXED3DDEVICE]: InitStage alkaa\n' \
  '[OXED3DDEVICE]: InitStage CalcPerspProjMatrix onnistui\n' \
  '[OXED3DDEVICE]: InitStage kaikki ok\n' > "$expected"
rlog="$run/log_renderdevice.txt"
if [ ! -f "$rlog" ]; then fail "log_renderdevice.txt missing"
else
  tr -d '\r' < "$rlog" > "$out/renderdevice_lines.txt"
  if cmp -s "$expected" "$out/renderdevice_lines.txt"; then
    ok "log_renderdevice.txt: the $(wc -l < "$expected") start-up lines, byte for byte, and nothing else"
  else
    fail "log_renderdevice.txt differs from the expected lines:"
    diff "$expected" "$out/renderdevice_lines.txt" | head -20 | LC_ALL=C sed 's/^/    /'
  fi
fi

# The counters.
if [ "$windows_counters" = yes ]; then
  say "Windows counters: read through ProcessCounters.exe"
else
  say "Windows counters: not available (ProcessCounters.exe found no SimpleBrixel.exe); Linux counters only"
fi
frames=$(grep -c '^"' "$run/stdout.txt" 2>/dev/null)
best=$(grep '^"' "$run/stdout.txt" 2>/dev/null | tr -d '"\r' | sort -n | tail -n1)
say "summary: $duration s, seed $seed, $keys_pressed random keys, $restarts restarts (Enter, U), $overs_seen game over panels seen, ${frames:-0} frames drawn, best score ${best:-0}"
verdict=$(wine "$bin/ProcessCounters.exe" --judge "$(winepath -w "$samples" 2>/dev/null)" "$settle" 3 </dev/null 2>/dev/null | tr -d '\r')
echo "$verdict" | sed 's/^/    /'
echo "$verdict" | grep -q '^PASS' || fail "the counters did not stay flat after ${settle} s"

if [ $failures -eq 0 ]; then say "PASSED ($out)"; exit 0; fi
say "FAILED: $failures failure(s) ($out)"
exit 1
