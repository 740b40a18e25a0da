# The Wine environment of every scripted run: the Wine variables, a private Xvfb display, the
# Wine prefix with the game's font mapping, and a persistent wineserver. Sourced by bash:
# tools/play.sh, tools/endurance.sh, the test environment (test-env.sh beside this file) and
# the program runner (wine-run.sh beside it); installed with them in the SDK.
#
#   pelmora_wine_variables            WINEDEBUG and WINEDLLOVERRIDES, where not set already
#   pelmora_detach <command...>       runs the command with no descriptor but 0-2
#   pelmora_start_xvfb <first> <count>
#                                     a private display; sets pelmora_xvfb_pid, exports DISPLAY
#   pelmora_make_prefix [persist]     the prefix $WINEPREFIX and its font mapping; with
#                                     "persist" also its persistent server and services
#   map_impact_font [command...]      the font mapping alone
#   pelmora_stop_env                  ends $WINEPREFIX's server and the display started above

# The face that Wine draws the game's "Impact" with. Impact is a Windows face that Debian does
# not ship. Nimbus Sans Narrow (Debian's fonts-urw-base35, OpenType files that Wine reads) keeps
# every text of the menu and game over panels inside its panel. The game asks for fixed
# character widths (a "GAME OVER" of 40 pixels a character), and Wine stretches the chosen face
# until its average character width is the one asked for: a face's capitals then come out as
# wide as they are against its own average. Measured at the game's sizes, "GAME OVER" is 354
# pixels wide in Nimbus Sans Narrow (the panel leaves 460 from where the text starts), 545 in
# Liberation Sans Narrow and 464 in DejaVu Sans Condensed.
PELMORA_IMPACT_FACE="Nimbus Sans Narrow"

# No debug channels, and no Mono or Gecko installers when a prefix is made.
pelmora_wine_variables() {
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
}

# pelmora_detach <command...>: replaces the current (sub)shell by the command after closing
# every descriptor but 0-2. Servers that outlive their starter must not inherit its pipes
# (ctest waits for every writer of its output pipes to close). Call it in a subshell or as a
# background job: closing the descriptors in the script's own shell could close the one it
# reads the script from. Descriptors above 9 need bash's redirections.
pelmora_detach() {
  local fd
  for fd in $(ls "/proc/$BASHPID/fd"); do
    case "$fd" in 0|1|2) ;; *) eval "exec $fd>&-" 2>/dev/null ;; esac
  done
  exec "$@"
}

# pelmora_start_xvfb <first> <count>: starts Xvfb (1280x1024x24, no TCP) on the first free
# display number of first .. first + count - 1, detached, and waits until it listens. Xvfb's
# lock file makes the claim atomic: a server that finds the number taken exits, and the next
# number is tried. Sets pelmora_xvfb_pid and exports DISPLAY; returns 1 when none started.
pelmora_start_xvfb() {
  local n="$1" last=$(( $1 + $2 )) t
  pelmora_xvfb_pid=""
  while [ "$n" -lt "$last" ]; do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
      pelmora_detach Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
      pelmora_xvfb_pid=$!
      t=0
      while [ ! -e "/tmp/.X11-unix/X$n" ] && kill -0 "$pelmora_xvfb_pid" 2>/dev/null && [ $t -lt 100 ]; do
        sleep 0.1; t=$((t + 1))
      done
      if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$pelmora_xvfb_pid" 2>/dev/null; then
        export DISPLAY=":$n"
        return 0
      fi
      kill "$pelmora_xvfb_pid" >/dev/null 2>&1
      pelmora_xvfb_pid=""
    fi
    n=$((n + 1))
  done
  return 1
}

# map_impact_font [command...]: writes the replacement into the registry of $WINEPREFIX. A
# command given is put before `wine` (pelmora_detach, for a server that must not keep pipes).
map_impact_font() {
  "$@" wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Impact /t REG_SZ \
    /d "$PELMORA_IMPACT_FACE" /f </dev/null >/dev/null 2>&1
}

# pelmora_make_prefix [persist]: makes $WINEPREFIX on first use (some seconds) and maps
# "Impact" on every start, so that a prefix made with an older mapping, or by a build step,
# gets the current one. With "persist" it then starts the prefix's server for good
# (wineserver -p: each later program launch costs a third of a second instead of seconds) and
# its background services, all detached: started by the first program instead, the services
# would inherit that program's output pipe and keep a caller such as ctest waiting on it
# until the persistent server ends. Needs DISPLAY.
pelmora_make_prefix() {
  [ -d "$WINEPREFIX" ] || (pelmora_detach wineboot -i </dev/null >/dev/null 2>&1)
  (map_impact_font pelmora_detach)
  if [ "${1:-}" = persist ]; then
    (pelmora_detach wineserver -p </dev/null >/dev/null 2>&1 &)
    (pelmora_detach wineboot </dev/null >/dev/null 2>&1)
  fi
  return 0
}

# pelmora_stop_env: ends the server of $WINEPREFIX and the Xvfb that pelmora_start_xvfb started.
pelmora_stop_env() {
  wineserver -k >/dev/null 2>&1
  [ -n "${pelmora_xvfb_pid:-}" ] && kill "$pelmora_xvfb_pid" >/dev/null 2>&1
  pelmora_xvfb_pid=""
  return 0
}
