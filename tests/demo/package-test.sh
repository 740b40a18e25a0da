#!/bin/sh
# Packs the Windows ZIP with CPack, unpacks it into an empty folder and runs the game from there
# under Wine on the test run's display: the package holds exactly the game, its five DLLs, the
# nine images and the read-me; nothing in it needs a DLL that Windows with the DirectX 9
# runtime lacks; the game starts, draws its menu, and leaves on Esc.
#   package-test.sh <source-dir> <build-dir>
set -u
src=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
work="$build/testrun/package"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
DISPLAY=$(cat "$build/xvfb.display") || { echo "no test display"; exit 1; }
export DISPLAY
CONVERT=convert
[ -x /usr/bin/convert ] && CONVERT=/usr/bin/convert
rm -rf "$work"
mkdir -p "$work/unpacked"

failures=0
passes=0
check() { # check <description> <command...>
  what="$1"; shift
  if "$@"; then echo "ok: $what"; passes=$((passes + 1)); else echo "FAIL: $what"; failures=$((failures + 1)); fi
}

PELMORA_BUILD="$build" PELMORA_SKIP_BUILD=1 sh "$src/tools/package.sh" > "$work/package.txt" 2>&1
rc=$?
cat "$work/package.txt"
zip="$build/SimpleBrixel-1.0-win64.zip"
check "package.sh succeeds (exit code $rc) and names the ZIP" grep -q "$zip" "$work/package.txt"
check "the ZIP exists" test -s "$zip"
(cd "$work/unpacked" && unzip -q "$zip")
dir="$work/unpacked/SimpleBrixel-1.0-win64"
expected="PelmoraAudio.dll PelmoraEffects.dll PelmoraGraf.dll PelmoraInput.dll PelmoraParts.dll
README.txt SimpleBrixel.exe harmaa.dds keltainen.dds lila.dds punainen.dds sininen.dds
soihtu.dds torch.dds vihrea.dds vsininen.dds"
got=$(cd "$dir" 2>/dev/null && ls | sort | tr '\n' ' ')
want=$(echo $expected | tr ' ' '\n' | sort | tr '\n' ' ')
check "the ZIP holds one folder with exactly the game's files" test "$got" = "$want"
[ "$got" = "$want" ] || echo "   got: $got"
for f in "$dir"/*.dds; do
  check "$(basename "$f") is the built image" cmp -s "$f" "$build/bin/$(basename "$f")"
done

# Every DLL a packed program imports is either in the package or part of Windows and its
# DirectX 9 runtime: no compiler runtime DLL left behind.
system="d3d9.dll d3dx9_43.dll gdi32.dll kernel32.dll msvcrt.dll user32.dll winmm.dll dinput8.dll
advapi32.dll ole32.dll shell32.dll"
imports_ok() { # imports_ok <file>
  for dll in $(x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p'); do
    low=$(echo "$dll" | tr 'A-Z' 'a-z')
    if [ -f "$dir/$dll" ]; then continue; fi
    case " $(echo $system) " in *" $low "*) continue ;; esac
    echo "   $(basename "$1") needs $dll"; return 1
  done
}
for f in "$dir"/*.exe "$dir"/*.dll; do
  check "$(basename "$f") needs only packed or system DLLs" imports_ok "$f"
done

# Run the unpacked game from its own folder.
(cd "$dir" && exec wine ./SimpleBrixel.exe </dev/null >"$work/stdout.txt" 2>"$work/stderr.txt") &
pid=$!
win=""
n=0
while [ -z "$win" ] && [ $n -lt 120 ] && kill -0 $pid 2>/dev/null; do
  win=$(xdotool search --onlyvisible --class "SimpleBrixel.exe" 2>/dev/null | head -n1)
  [ -n "$win" ] || { sleep 0.5; n=$((n + 1)); }
done
check "the unpacked game opens its window" test -n "$win"
n=0
until grep -q "oneTimeInit onnistui" "$dir/log_renderdevice.txt" 2>/dev/null || [ $n -ge 120 ]; do sleep 0.5; n=$((n + 1)); done
check "the unpacked game's render device starts (log in its folder)" grep -q "oneTimeInit onnistui" "$dir/log_renderdevice.txt"
menu=1
if [ -n "$win" ]; then
  sleep 2
  eval "$(xdotool getwindowgeometry --shell "$win")"
  xdotool windowfocus "$win" 2>/dev/null
  xdotool mousemove $((X + 5)) $((Y + 5)) click 1
  # The menu panel (about 78, 23, 78) left of the well, drawn with the packed images and DLLs.
  n=0
  while [ $n -lt 60 ]; do
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$work/menu.png"
    px=$($CONVERT "$work/menu.png" -format "%[fx:int(255*p{320,220}.r+0.5)] %[fx:int(255*p{320,220}.g+0.5)] %[fx:int(255*p{320,220}.b+0.5)]" info: 2>/dev/null)
    echo "$px" | awk '{ exit !($1>=70 && $1<=86 && $2>=15 && $2<=31 && $3>=70 && $3<=86) }' && { menu=0; break; }
    sleep 0.5; n=$((n + 1))
  done
  check "the unpacked game draws its menu (pixel $px)" test $menu -eq 0
  # A red block of the menu's picture comes from the packed punainen.dds.
  red=$($CONVERT "$work/menu.png" -crop 25x25+362+100 +repage -fx "(r>0.55 && g<0.35 && b<0.35) ? 1 : 0" \
    -format "%[fx:int(mean*w*h+0.5)]" info: 2>/dev/null)
  check "the menu's red block is drawn from the packed image ($red red pixels)" test "${red:-0}" -gt 300
  xdotool keydown Escape; sleep 1; xdotool keyup Escape
fi
n=0
while kill -0 $pid 2>/dev/null && [ $n -lt 60 ]; do sleep 0.5; n=$((n + 1)); done
if kill -0 $pid 2>/dev/null; then
  check "the unpacked game leaves on Esc" false
  kill $pid 2>/dev/null
else
  check "the unpacked game leaves on Esc" true
fi
check "log_main.txt written into the game's folder" test -f "$dir/log_main.txt"

echo "$passes passed, $failures failed"
[ $failures -eq 0 ]
