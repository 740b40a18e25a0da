# The face that Wine draws the game's "Impact" with, in every Wine prefix the scripts make or
# use: tools/play.sh, tools/endurance.sh and the test environment (test-env.sh beside it) source
# this file. Impact is a Windows face that Debian does not ship.
#
# Nimbus Sans Narrow (Debian's fonts-urw-base35, OpenType files that Wine reads) keeps every
# text of the menu and game over panels inside its panel. The game asks for fixed character
# widths (a "GAME OVER" of 40 pixels a character), and Wine stretches the chosen face until its
# average character width is the one asked for: a face's capitals then come out as wide as they
# are against its own average. Measured at the game's sizes, "GAME OVER" is 354 pixels wide in
# Nimbus Sans Narrow (the panel leaves 460 from where the text starts), 545 in Liberation Sans
# Narrow and 464 in DejaVu Sans Condensed.
PELMORA_IMPACT_FACE="Nimbus Sans Narrow"

# map_impact_font [command...]: writes the replacement into the registry of $WINEPREFIX. A
# command given is put before `wine` (the test environment passes one that closes inherited
# descriptors).
map_impact_font() {
  "$@" wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Impact /t REG_SZ \
    /d "$PELMORA_IMPACT_FACE" /f </dev/null >/dev/null 2>&1
}
