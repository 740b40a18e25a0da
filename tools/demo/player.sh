# The player of the headless demonstration game, sourced by tools/play.sh (bash): it plays like
# a player who looks at the board. When a new piece appears at the top of the well it reads the
# well from the screen, asks the planner (build/host/DemoPlanner --serve, built from the game's
# own rules code) where the piece should go in the well as it is, and steers it there with
# presses of Up, Left and Right, each checked on the screen, then drops it with Down. A press
# the game missed or took twice costs at most that piece's place: the next piece is planned
# from the well as it then is.
#
# Uses from play.sh: X, Y (the game's picture on the screen), game_pid, out, shot, trace and
# now_ms; planner_in / planner_out and keys_in / keys_out, the descriptors of the planner and of
# DemoKeys.
#
#   play_game <rows> <pieces> <seconds>
#       plays until <rows> rows are cleared, at most <pieces> pieces and about <seconds>
#       seconds. Shots: before-clear-<n> and after-clear-<n> around each clear the planner
#       foresaw (listed in clears.txt, "<first row> <last row> top|below <column,row> x4" a
#       line: the rows at the top of the stack, as planned, or rows with blocks above them, when
#       a misplaced piece covered a gap for good; then the four cells the piece that completed
#       them locked in, which the shot before does not show yet), playing after the eighth piece,
#       final at the end (a new piece at the top, the rest locked).

# ---- looking at the well ----
# The well (300 x 625 pixels from (362, 100) of the game's picture) as its 12 x 25 cells, each
# cell's colour averaged over its 25 x 25 pixels. A cell is occupied when it is brighter than
# the well's brown background in any channel. Prints 300 bits, top row first.
LOOK_AWK='
/^#/ { next }
{
  split($1, xy, /[,:]/)
  v = $0; sub(/^[^(]*\(/, "", v); sub(/\).*/, "", v); split(v, rgb, ",")
  bit[xy[2] * 12 + xy[1]] = (rgb[1] > 150 || rgb[2] > 90 || rgb[3] > 70)
}
END { s = ""; for (i = 0; i < 300; i++) s = s (bit[i] ? 1 : 0); print s }'

# look: sets w_bits, the well as it is on the screen now (empty if the grab failed).
look() {
  local out
  out=$(import -window root -crop "300x625+$((X + 362))+$((Y + 100))" +repage miff:- 2>/dev/null |
    convert miff:- -scale '12x25!' -depth 8 txt:- 2>/dev/null | awk "$LOOK_AWK")
  w_bits="$out"
  [ ${#w_bits} -eq 300 ] || w_bits=""
}

# ---- the keys and the frame clock ----
# keys <command>: one command to DemoKeys (build/host/DemoKeys, reading the game's output for
# its frame clock: see tools/demo/DemoKeys.cpp), whose answer sets k_frames (frames drawn),
# k_score (the score drawn last) and k_frame (the frame time in ms). 1 when the game drew
# nothing for 5 s.
keys() {
  local answer
  echo "$*" >&"$keys_in"
  read -r -t 60 -u "$keys_out" answer || answer="timeout"
  set -- $answer
  [ "${1:-}" = timeout ] && shift
  k_frames="${2:-0}" k_score="${6:-0}" k_frame="${8:-0}"
  case "$answer" in timeout*) return 1 ;; esac
  return 0
}

# ---- what the well shows ----
# Splits the well at the first empty row below the topmost blocks: above it a new piece (four
# cells), below it the locked blocks, which never hold an empty row between two occupied ones.
# Prints: piece <column,row> x4 <locked bits> | full (a completed row not yet removed) | wait.
SPLIT_AWK='
{
  b = $1
  for (r = 0; r < 25; r++) {
    n = 0
    for (c = 0; c < 12; c++) n += substr(b, r * 12 + c + 1, 1) == "1"
    if (n == 12) { print "full"; exit }
    cnt[r] = n
  }
  for (top = 0; top < 25 && cnt[top] == 0; top++) ;
  for (gap = top; gap < 25 && cnt[gap] > 0; gap++) ;
  if (top >= 25 || gap >= 25 || gap - top > 4) { print "wait"; exit }
  cells = ""; k = 0
  for (r = top; r < gap; r++) for (c = 0; c < 12; c++) if (substr(b, r * 12 + c + 1, 1) == "1") { cells = cells " " c "," r; k++ }
  if (k != 4) { print "wait"; exit }
  z = ""; for (i = 0; i < gap * 12; i++) z = z "0"
  print "piece" cells, z substr(b, gap * 12 + 1)
}'

# Compares the falling piece (the cells of the well that are not locked) with the four cells it
# must lock in. Variables: locked (bits), cells (the four "column,row"). Prints the next step
# and what only a turn or move changes, with the piece's leftmost column:
#   locked           the locked blocks changed: the piece locked (and rows may have gone)
#   wait             no whole piece to see
#   turn <n> | left <n> | right <n>
#                    what the piece needs: n turns, or n columns (then 1 if the piece's cells
#                    lie against the wall on that side, where it cannot go further)
#   drop <rows>      turned and moved above its cells, <rows> above them: Down drops it there
#   placed           in its cells, waiting for the fall step that locks it
#   passed           below its cells' top row without lying in them: it can no longer get
#                    there, and Down puts it down where it is
#   rests            lying on something elsewhere: the next fall step locks it
STEER_AWK='
# turns(n, c, r): how many quarter turns ((x, y) -> (-y, x), as the game turns a piece) bring
# the shape of the cells to the wanted one ("want"); 0 if none.
function turns(n, c, r,   i, k, x, y, tc, tr) {
  for (i = 1; i <= n; i++) { tc[i] = c[i]; tr[i] = r[i] }
  for (k = 1; k <= 3; k++) {
    for (i = 1; i <= n; i++) { x = tc[i]; y = tr[i]; tc[i] = -y; tr[i] = x }
    if (shape(n, tc, tr) == want) return k
  }
  return 0
}
function shape(n, c, r,   i, j, k, t, out, minc, minr) {
  minc = 99; minr = 99
  for (i = 1; i <= n; i++) { if (c[i] < minc) minc = c[i]; if (r[i] < minr) minr = r[i] }
  for (i = 1; i <= n; i++) k[i] = sprintf("%02d%02d", r[i] - minr, c[i] - minc)
  for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (k[j] < k[i]) { t = k[i]; k[i] = k[j]; k[j] = t }
  out = ""; for (i = 1; i <= n; i++) out = out k[i]
  left = minc; top = minr
  return out
}
{
  b = $1; n = 0; gone = 0
  for (i = 1; i <= 300; i++) {
    x = substr(b, i, 1); l = substr(locked, i, 1)
    if (l == "1" && x != "1") gone++
    if (x == "1" && l != "1") { n++; fc[n] = (i - 1) % 12; fr[n] = int((i - 1) / 12); at[fc[n] "," fr[n]] = 1 }
  }
  m = split(cells, tc, " ")
  for (i = 1; i <= m; i++) { split(tc[i], p, ","); wc[i] = p[1]; wr[i] = p[2] }
  want = shape(m, wc, wr); wantleft = left; wanttop = top
  wantright = 0; for (i = 1; i <= m; i++) if (wc[i] > wantright) wantright = wc[i]
  if (gone > 0 || n > 4) { print "locked", 0, "-"; exit }
  if (n < 4) { print "wait", 0, "-"; exit }
  got = shape(n, fc, fr)
  sig = got ":" left
  inplace = 1; for (i = 1; i <= m; i++) if (!((wc[i] "," wr[i]) in at)) inplace = 0
  rests = 0
  for (i = 1; i <= n; i++) if (fr[i] == 24 || substr(locked, (fr[i] + 1) * 12 + fc[i] + 1, 1) == "1") rests = 1
  if (inplace) print "placed", 0, sig, left
  else if (rests) print "rests", 0, sig, left
  else if (top > wanttop) print "passed", 0, sig, left
  else if (got != want) { k = turns(n, fc, fr); print "turn", (k ? k : 1), sig, left }
  else if (left < wantleft) print "right", wantleft - left, sig, left, (wantright == 11)
  else if (left > wantleft) print "left", left - wantleft, sig, left, (wantleft == 0)
  else print "drop", wanttop - top, sig, left
}'

# The locked blocks with four cells added and every completed row removed (rows above move
# down one), as the game does. Variables: cells.
LOCK_AWK='
{
  b = $1
  m = split(cells, tc, " ")
  for (i = 1; i <= m; i++) { split(tc[i], p, ","); b = substr(b, 1, p[2] * 12 + p[1]) "1" substr(b, p[2] * 12 + p[1] + 2) }
  out = ""
  for (r = 24; r >= 0; r--) { row = substr(b, r * 12 + 1, 12); if (row != "111111111111") out = row out }
  while (length(out) < 300) out = "000000000000" out
  print out
}'

ones() { local s="${1//0/}"; echo ${#s}; }

# ---- pressing keys ----
# press <key> <steps>: turns or moves the piece <steps> times (a drop: 1): the key is held for
# exactly that many of the game's key reads (DemoKeys), then the press waits for the frames that
# show its result, and looks. A key that reaches the game after a frame began is seen one read
# later, so a press can act once less than meant; on a loaded machine, where the key's release
# can reach the game a read late, once more. The next look shows either.
press() {
  trace "press $1 x$2 (frame $k_frame ms)"
  keys press "$1" "$2"
  look
}

# ---- one piece ----
# A drop (Down) that a second key read saw too would drop the next piece as well, straight down
# from where it appears: the drop locks the piece at once when the game's fall step comes in
# the same frame, and the next read sees a new piece. A press ends well before the next read
# while the machine keeps up with the game; on a loaded machine (frames of 250 ms and more, the
# game falling a row a frame) the key can reach the game late, and the piece is left to fall
# by itself. Neither is worth it for a piece a row above its place.
drop_frame_ms=250
# dropped: after a Down press, waits until the piece locks (the score grows) or until the
# fall step that would lock a dropped piece has surely come and gone (the game's fall interval,
# 500 ms, then two frames more), and looks. Only then does a piece still in the air mean the
# game missed the drop: a look before it can come before the screen shows the drop, and a Down
# pressed again for a piece that in fact dropped and locked would drop the next piece.
dropped() {
  local t0
  t0=$(now_ms)
  while keys wait 1 && [ "$k_score" = "$p_score" ] && [ $(( $(now_ms) - t0 )) -lt 500 ]; do :; done
  [ "$k_score" = "$p_score" ] && keys wait 2
  look
}
# falls: waits, without looking, until the piece locks (the score grows) or 10 s pass.
falls() {
  local t0
  t0=$(now_ms)
  while keys wait 1 && [ "$k_score" = "$p_score" ] && [ $(( $(now_ms) - t0 )) -lt 10000 ]; do :; done
  look
}

# steer: steers the falling piece into p_cells above p_locked and drops it. Returns 0 once it
# locked (the score grew, or the locked blocks changed), 1 after 60 s without that.
steer() {
  local t0 act arg steps
  t0=$(now_ms)
  while kill -0 "$game_pid" 2>/dev/null; do
    [ $(( $(now_ms) - t0 )) -ge 60000 ] && { echo "play.sh: a piece did not lock within 60 s" >&2; return 1; }
    keys state
    [ "$k_score" != "$p_score" ] && return 0
    [ -n "$w_bits" ] || { look; continue; }
    set -- $(echo "$w_bits" | awk -v locked="$p_locked" -v cells="$p_cells" "$STEER_AWK")
    act="${1:-wait}" arg="${2:-0}"
    trace "steer: $act $arg ${3:-}"
    case "$act" in
      locked) return 0 ;;
      turn) press Up "$arg" ;;
      # Against the wall, one frame more: the wall stops the piece.
      left) steps=$arg; [ "${5:-0}" = 1 ] && steps=$((steps + 1)); press Left "$steps" ;;
      right) steps=$arg; [ "${5:-0}" = 1 ] && steps=$((steps + 1)); press Right "$steps" ;;
      drop|passed)
        if [ "$k_frame" -lt "$drop_frame_ms" ] && [ "$arg" -ge 2 ]; then press Down 1; dropped
        else falls; fi ;;
      placed|rests) falls ;;
      *) keys wait 1; look ;;
    esac
  done
  return 1
}

# sync_piece: looks until a new piece is at the top of the well above locked blocks other than
# p_locked (any, for the first piece), with the same score before and after the look; sets
# s_cells, s_locked, s_score, and s_rows and s_locks, the rows cleared and pieces locked so far:
# every lock adds 20 to the score and 4 cells to the well, every removed row 100 and -12, so
# rows = (score / 5 - locked cells) / 32. Returns 1 when none appears within 30 s (the game
# ended, or the well is full).
sync_piece() {
  local t0 before n d score
  t0=$(now_ms)
  while kill -0 "$game_pid" 2>/dev/null; do
    [ $(( $(now_ms) - t0 )) -ge 30000 ] && return 1
    keys state; before=$k_score
    look
    keys state; score=$k_score
    [ -n "$w_bits" ] && [ "$score" = "$before" ] || continue
    set -- $(echo "$w_bits" | awk "$SPLIT_AWK")
    [ "${1:-}" = piece ] || { trace "sync: ${1:-nothing}"; keys wait 1; continue; }
    if [ -n "${p_locked:-}" ] && [ "$6" = "$p_locked" ] && [ "$score" = "$p_score" ]; then keys wait 1; continue; fi
    n=$(ones "$6")
    d=$(( score / 5 - n ))
    if [ $((score % 5)) -ne 0 ] || [ $d -lt 0 ] || [ $((d % 32)) -ne 0 ]; then
      trace "sync: score $score does not fit $n locked cells"; keys wait 1; continue
    fi
    s_cells="$2 $3 $4 $5" s_locked="$6" s_score=$score s_rows=$((d / 32))
    s_locks=$(( (score - 100 * s_rows) / 20 ))
    trace "sync: piece at $s_cells on $n locked cells, score $score: $s_locks locks, $s_rows rows"
    return 0
  done
  return 1
}

# ---- the game ----
play_game() {
  local rows="$1" pieces="$2" seconds="$3"
  local t0 placed=0 planned=0 clears=0 expect="" pending="" answer
  t0=$(now_ms)
  p_locked="" p_cells="" p_score=""
  : > "$out/clears.txt"
  while :; do
    if ! sync_piece; then
      echo "play.sh: no new piece appeared within 30 s" >&2
      shot "$out/final.png"
      break
    fi
    # The clear the planner foresaw for the last piece, if the well shows it.
    if [ -n "$pending" ]; then
      if [ "$s_locked" = "$expect" ]; then
        clears=$((clears + 1))
        mv "$out/pending-clear.png" "$out/before-clear-$clears.png"
        shot "$out/after-clear-$clears.png"
        echo "$pending" >> "$out/clears.txt"
        set -- $pending
        echo "play.sh: clear $clears: rows $1..$2 of the well removed ($( [ "$3" = top ] &&
          echo "the top of the stack" || echo "blocks lay above them")), $s_rows rows in all"
      fi
      rm -f "$out/pending-clear.png"
      pending=""
    fi
    if [ $s_rows -ge "$rows" ] || [ $placed -ge "$pieces" ] || [ $(( $(now_ms) - t0 )) -ge $((seconds * 1000)) ]; then
      shot "$out/final.png"
      break
    fi
    [ $placed -eq 8 ] && shot "$out/playing.png"

    echo "plan $((rows - s_rows)) $s_locks $s_cells $s_locked" >&"$planner_in"
    if ! read -r -t 60 -u "$planner_out" answer; then
      echo "play.sh: the planner did not answer" >&2
      break
    fi
    trace "planner: $answer"
    set -- $answer
    [ "${1:-}" = place ] || { echo "play.sh: the planner answered '$answer'" >&2; break; }
    p_locked="$s_locked" p_cells="$5 $6 $7 $8" p_score=$s_score
    [ "${12}" = plan ] && planned=$((planned + 1))
    if [ "$9" -gt 0 ]; then
      # A clear: the picture before it is kept if it comes.
      shot "$out/pending-clear.png"
      pending="${10} $(( ${10} + $9 - 1 )) $( [ "${11}" = 1 ] && echo top || echo below) $p_cells"
      expect=$(echo "$p_locked" | awk -v cells="$p_cells" "$LOCK_AWK")
    fi
    look
    steer
    placed=$((placed + 1))
  done
  echo "play.sh: $placed pieces placed ($planned as first planned), $s_rows rows cleared ($clears clears shown), score $k_score, $(( ($(now_ms) - t0) / 1000 )) s"
  [ -f "$out/playing.png" ] || shot "$out/playing.png"
}
