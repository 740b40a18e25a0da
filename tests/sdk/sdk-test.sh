#!/bin/sh
# The SDK from outside: laid out into an empty folder (cmake --install, or the SDK ZIP of
# tools/package.sh unpacked), then the client example it carries is configured with the
# installed toolchain file, built (its effect compiled by the installed fxbuild under Wine in
# the client's own Wine prefix) and run by its own ctest entry under Wine with --shot. The shot's
# pixels are checked: the textured quad's two colours at their places, the green sparks of the
# particle effect in their quarter and nowhere else, the fade's frame made only of its two
# pictures with part of the second one in, the blue 3D text. With "install" also every sample
# built out of tree from the SDK (the camera sample run, its printed point found on its shot),
# and the bad cases: an effect source that is missing (configuration stops) or refused by
# fxbuild (build stops), a DLL missing beside the program, a window size the device refuses.
#   sdk-test.sh <source-dir> <build-dir> install|zip
set -u
src=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
mode="$3"
work="$build/testrun/sdk_$mode"
CONVERT=convert
[ -x /usr/bin/convert ] && CONVERT=/usr/bin/convert
rm -rf "$work"
mkdir -p "$work"
# The client's build and runs make their own Wine prefix and display: nothing of this tree's
# test environment is passed on.
unset PELMORA_BUILD_DIR WINEPREFIX DISPLAY WINEDEBUG

failures=0
passes=0
check() { # check <description> <command...>
  what="$1"; shift
  if "$@"; then echo "ok: $what"; passes=$((passes + 1)); else echo "FAIL: $what"; failures=$((failures + 1)); fi
}
finish() {
  echo "$passes passed, $failures failed"
  [ $failures -eq 0 ]
  exit $?
}

# ---- The SDK in an empty folder ----
if [ "$mode" = install ]; then
  prefix="$work/prefix"
  cmake --install "$build" --prefix "$prefix" > "$work/install.txt" 2>&1
  check "cmake --install lays the SDK out (exit code $?)" test -f "$prefix/lib/cmake/Pelmora/PelmoraConfig.cmake"
else
  PELMORA_BUILD="$build" PELMORA_SKIP_BUILD=1 sh "$src/tools/package.sh" > "$work/package.txt" 2>&1
  zip="$build/Pelmora-SDK-1.0-win64.zip"
  check "package.sh names the SDK ZIP" grep -q "$zip" "$work/package.txt"
  mkdir -p "$work/unpacked"
  (cd "$work/unpacked" && unzip -q "$zip")
  prefix="$work/unpacked/Pelmora-SDK-1.0-win64"
  check "the ZIP holds one folder, the SDK" test "$(ls "$work/unpacked")" = Pelmora-SDK-1.0-win64
fi
[ -d "$prefix" ] || finish

for f in bin/PelmoraParts.dll bin/PelmoraGraf.dll bin/PelmoraEffects.dll bin/fxbuild.exe bin/rain.fx \
         bin/transform.fx lib/libPelmoraParts.dll.a lib/libPelmoraGraf.dll.a lib/libPelmoraEffects.dll.a \
         lib/libPelmoraRenderDevice.a lib/libPelmoraApp.a lib/cmake/Pelmora/PelmoraConfig.cmake \
         lib/cmake/Pelmora/PelmoraConfigVersion.cmake lib/cmake/Pelmora/PelmoraTargets.cmake \
         lib/cmake/Pelmora/mingw-w64-x86_64.cmake lib/cmake/Pelmora/test-env.sh lib/cmake/Pelmora/wine-fonts.sh \
         include/pelmora/OXERenderDevice.h include/pelmora/geQuad.h \
         include/pelmora/OXEPlane.h include/pelmora/OXEResult.h include/pelmora/PSystem.h \
         include/pelmora/FadeScreen.h include/pelmora/PelmoraApp.h share/doc/pelmora/clients.md \
         bin/PelmoraInput.dll include/pelmora/OXEInputDevice.h include/pelmora/PelmoraKeyboard.h \
         include/pelmora/PelmoraVersion.h include/pelmora/OXEResultText.h lib/pkgconfig/pelmora.pc \
         share/doc/pelmora/examples/client/CMakeLists.txt share/doc/pelmora/samples/parts/PartsSample.cpp \
         share/doc/pelmora/samples/keyboard/KeyboardSample.cpp; do
  [ -f "$prefix/$f" ] || { echo "   missing: $f"; missing=1; }
done
check "the SDK holds its headers, libraries, DLLs, effects, tool, package files and guide" test -z "${missing:-}"
for f in share/doc/pelmora/samples/CMakeLists.txt share/doc/pelmora/samples/particles/ParticlesSample.cpp \
         share/doc/pelmora/samples/particles/torch.dds share/doc/pelmora/samples/camera/CameraSample.cpp \
         share/doc/pelmora/samples.md share/doc/pelmora/sample-camera.png; do
  [ -f "$prefix/$f" ] || { echo "   missing: $f"; nosample=1; }
done
check "the SDK holds the samples, their project, the particles sample's torch.dds and the gallery" test -z "${nosample:-}"
reference="$prefix/share/doc/pelmora/reference"
check "the SDK holds the guide's contracts page and the HTML reference, whose index names the render device" \
  sh -c "test -s '$prefix/share/doc/pelmora/contracts.md' && grep -q OXERenderDevice '$reference/index.html' &&
         test -s '$reference/classOXERenderDevice.html' && test -s '$reference/classPelmoraApp.html'"
extra=$(cd "$prefix" && ls bin/*.exe bin/*.dll 2>/dev/null |
  grep -v -e fxbuild -e PelmoraParts -e PelmoraGraf -e PelmoraEffects -e PelmoraInput)
check "bin/ holds no program or DLL besides the engine's, the input library and fxbuild ($extra)" test -z "$extra"
internal=$(cd "$prefix/include/pelmora" && ls FindMediaFile.h SurfaceLock.h VertexCache.h OXED3DVCManager.h \
  EffectFileCheck.h PictureFile.h 2>/dev/null)
check "no internal header is installed ($internal)" test -z "$internal"
unresolved=$(cd "$prefix/include/pelmora" && for h in *.h; do
  sed -n 's/^#include "\(.*\)"/\1/p' "$h" | while read -r inc; do [ -f "$inc" ] || echo "$h:$inc"; done
done)
check "every header the installed headers include is installed ($unresolved)" test -z "$unresolved"
back=$(grep -rl -e "$src" -e "$build" "$prefix" 2>/dev/null)
check "nothing installed names the source or build tree ($back)" test -z "$back"

# ---- The client example, built from the SDK alone ----
client="$work/client-build"
cmake -S "$prefix/share/doc/pelmora/examples/client" -B "$client" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Pelmora/mingw-w64-x86_64.cmake" > "$work/configure.txt" 2>&1
check "the client configures with find_package(Pelmora) and the installed toolchain (exit code $?)" \
  grep -q "Build files have been written" "$work/configure.txt"
cmake --build "$client" > "$work/build.txt" 2>&1
rc=$?
check "the client builds, its effect compiled by the installed fxbuild (exit code $rc)" test $rc -eq 0
[ $rc -eq 0 ] || { cat "$work/build.txt"; finish; }
check "spark.fx and the runtime are beside client.exe" \
  test -s "$client/spark.fx" -a -f "$client/PelmoraGraf.dll" -a -f "$client/PelmoraInput.dll"
(cd "$client" && ctest -V > "$work/ctest.txt" 2>&1)
rc=$?
cat "$work/ctest.txt"
check "the client's ctest entry runs it under Wine with --shot, exit code 0 (ctest $rc)" test $rc -eq 0
shot="$client/client-shot.png"
check "the shot is written" test -s "$shot"
check "the frame says it saved frame 30" grep -q "PelmoraApp: saved frame 30 as" "$work/ctest.txt"
failed=$(grep -e "PelmoraApp:" -e "client:" -e "err:" "$work/ctest.txt" | grep -v "PelmoraApp: saved frame")
check "no failure line in the client's output ($failed)" test -z "$failed"
check "the device log has no error line and ends offline" \
  sh -c "! grep -q virhe '$client/log_renderdevice.txt' && tail -n 1 '$client/log_renderdevice.txt' | grep -q 'offline (ok)'"

# Pixels of the shot: rgb x y, and the count of pixels of a rectangle meeting an -fx condition.
rgb() { $CONVERT "$shot" -format "%[fx:int(255*p{$1,$2}.r+0.5)] %[fx:int(255*p{$1,$2}.g+0.5)] %[fx:int(255*p{$1,$2}.b+0.5)]" info: 2>/dev/null; }
near() { # near "<r g b>" r g b: every channel within 8
  echo "$1" | awk -v r="$2" -v g="$3" -v b="$4" '{ d=8; exit !($1>=r-d && $1<=r+d && $2>=g-d && $2<=g+d && $3>=b-d && $3<=b+d) }'
}
count() { # count WxH+X+Y <condition on r, g, b in 0..1>
  $CONVERT "$shot" -crop "$1" +repage -fx "($2) ? 1 : 0" -format "%[fx:int(mean*w*h+0.5)]" info: 2>/dev/null
}
if [ -s "$shot" ]; then
  px=$(rgb 416 96); check "quad: its texture's left colour F08000 at (416, 96) ($px)" near "$px" 240 128 0
  px=$(rgb 544 96); check "quad: its texture's right colour 00A0F0 at (544, 96) ($px)" near "$px" 0 160 240
  px=$(rgb 320 8); check "background 202020 between the parts ($px)" near "$px" 32 32 32
  green="g>0.45 && g>r+0.2 && g>b+0.2"
  n=$(count 320x256+0+224 "$green"); check "particles: green spark pixels in their quarter ($n)" test "${n:-0}" -gt 400
  n=$(count 640x224+0+0 "$green"); check "particles: none above their quarter ($n)" test "${n:-1}" -eq 0
  n=$(count 320x256+320+224 "$green"); check "particles: none beside it ($n)" test "${n:-1}" -eq 0
  a="abs(r-0.753)<0.04 && abs(g-0.125)<0.04 && abs(b-0.376)<0.04"
  b="abs(r-0.878)<0.04 && abs(g-0.753)<0.04 && abs(b-0.251)<0.04"
  na=$(count 256x192+0+0 "$a"); nb=$(count 256x192+0+0 "$b")
  check "fade: its frame is made of its two pictures only ($na + $nb of 49152)" test $((${na:-0} + ${nb:-0})) -eq 49152
  check "fade: after 30 frames between a quarter and a half of it is the second picture ($nb)" \
    test "${nb:-0}" -gt 12288 -a "${nb:-0}" -lt 24576
  n=$(count 320x256+320+224 "b>0.5 && r<0.3 && g<0.3"); check "3D text: blue pixels in its quarter ($n)" test "${n:-0}" -gt 500
fi

[ "$mode" = install ] || finish

# ---- The samples, built from the SDK alone ----
# Every sample compiles against the installed headers and libraries; the camera sample runs by
# its ctest entry and its printed numbers are checked against its shot.
samples="$work/samples-build"
cmake -S "$prefix/share/doc/pelmora/samples" -B "$samples" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Pelmora/mingw-w64-x86_64.cmake" \
  -DPELMORA_WINEPREFIX="$client/wineprefix" > "$work/samples.txt" 2>&1 &&
  cmake --build "$samples" -j 2 >> "$work/samples.txt" 2>&1
rc=$?
check "every sample builds out of tree from the SDK (exit code $rc)" test $rc -eq 0
[ $rc -eq 0 ] || tail -n 30 "$work/samples.txt"
check "the particles sample has torch.dds beside it" test -s "$samples/particles_sample.exe" -a -s "$samples/torch.dds"
(cd "$samples" && ctest -R '^camera_sample_shot$' -V > "$work/samples-ctest.txt" 2>&1)
rc=$?
check "the camera sample runs with --shot (ctest $rc)" test $rc -eq 0
line=$(grep -o "camera: (1, 1, 1) -> WorldToScreen ([0-9]*, [0-9]*) -> pixel ([0-9]*, [0-9]*)" "$work/samples-ctest.txt")
check "... and prints where (1, 1, 1) lands ($line)" test -n "$line"
shot="$samples/camera_sample.png"
if [ -s "$shot" ] && [ -n "$line" ]; then
  x=$(echo "$line" | sed 's/.*pixel (\([0-9]*\), .*/\1/')
  y=$(echo "$line" | sed 's/.*pixel ([0-9]*, \([0-9]*\)).*/\1/')
  px=$(rgb "$x" "$y"); check "... where its shot shows the yellow cube ($px at $x, $y)" near "$px" 255 224 64
fi

# ---- Bad input ----
# A missing effect source stops the configuration; one fxbuild refuses stops the build. Both
# in a small project of their own, which borrows the client's Wine prefix.
bad="$work/bad-effect"
mkdir -p "$bad"
cat > "$bad/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.20)
project(BadEffect LANGUAGES CXX)
find_package(Pelmora 1.0 CONFIG REQUIRED)
add_executable(bad bad.cpp)
target_link_libraries(bad PRIVATE Pelmora::App)
pelmora_add_effects(bad ${EFFECT})
EOF
printf 'int main() { return 0; }\n' > "$bad/bad.cpp"
printf 'param float4x4 gWVP\ntechnique T\npass P0\nstate Bogus = 1\n' > "$bad/broken.fxs"
cmake -S "$bad" -B "$bad/build" -DCMAKE_PREFIX_PATH="$prefix" -DEFFECT=missing.fxs \
  -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Pelmora/mingw-w64-x86_64.cmake" > "$work/bad-missing.txt" 2>&1
rc=$?
check "a missing effect source stops the configuration (exit code $rc)" test $rc -ne 0
# (CMake wraps the message's lines.)
check "... saying which source is missing" sh -c "tr -s ' \n' ' ' < '$work/bad-missing.txt' |
  grep -q 'pelmora_add_effects(bad): effect source not found: $bad/missing.fxs'"
cmake -S "$bad" -B "$bad/build" -DEFFECT=broken.fxs -DPELMORA_WINEPREFIX="$client/wineprefix" > "$work/bad-broken.txt" 2>&1 &&
  cmake --build "$bad/build" --target bad_effects_1 >> "$work/bad-broken.txt" 2>&1
rc=$?
check "an effect source fxbuild refuses stops the build (exit code $rc)" test $rc -ne 0
check "... with fxbuild's message naming file and line" grep -q "broken.fxs:4: unknown render state 'Bogus'" "$work/bad-broken.txt"

# A client effect of the same name as one of the SDK's (smoke): pelmora_copy_runtime, called
# before pelmora_add_effects here, leaves the client's compiled smoke.fx in place.
own="$work/own-effect"
mkdir -p "$own"
printf '%s\n' 'cmake_minimum_required(VERSION 3.20)' 'project(OwnEffect LANGUAGES CXX)' \
  'find_package(Pelmora 1.0 CONFIG REQUIRED)' 'add_executable(own own.cpp)' 'pelmora_copy_runtime(own)' \
  'pelmora_add_effects(own smoke.fxs)' > "$own/CMakeLists.txt"
printf 'int main() { return 0; }\n' > "$own/own.cpp"
cp "$prefix/share/doc/pelmora/examples/client/spark.fxs" "$own/smoke.fxs"
cmake -S "$own" -B "$own/build" -DCMAKE_PREFIX_PATH="$prefix" -DPELMORA_WINEPREFIX="$client/wineprefix" \
  -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Pelmora/mingw-w64-x86_64.cmake" > "$work/own-effect.txt" 2>&1 &&
  cmake --build "$own/build" >> "$work/own-effect.txt" 2>&1
rc=$?
check "a client with its own smoke.fxs builds (exit code $rc)" test $rc -eq 0
check "... the configuration says its smoke.fx is kept" sh -c "tr -s ' \n' ' ' < '$work/own-effect.txt' |
  grep -q 'pelmora_copy_runtime(own): smoke.fx compiled from the target.s own effect source is kept'"
check "... its own smoke.fx is beside it, not the SDK's" sh -c \
  "test -s '$own/build/smoke.fx' && ! cmp -s '$own/build/smoke.fx' '$prefix/bin/smoke.fx'"
check "... with the SDK's other effects and DLLs" test -f "$own/build/rain.fx" -a -f "$own/build/PelmoraGraf.dll"

# A C++ library other than libstdc++ is refused when find_package(Pelmora) runs. (No libc++
# mingw toolchain here: its mark, _LIBCPP_VERSION, is defined on the command line instead.)
cmake -S "$bad" -B "$work/libcxx-build" -DCMAKE_PREFIX_PATH="$prefix" -DEFFECT=broken.fxs \
  -DCMAKE_CXX_FLAGS=-D_LIBCPP_VERSION=170000 \
  -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Pelmora/mingw-w64-x86_64.cmake" > "$work/libcxx.txt" 2>&1
rc=$?
check "a libc++ toolchain is refused at configuration (exit code $rc)" test $rc -ne 0
check "... saying why" sh -c "tr -s ' \n' ' ' < '$work/libcxx.txt' | grep -q 'this compiler uses LLVM.s libc++'"

# A DLL missing beside the program, and a window size the device refuses: a clear message, a
# non-zero exit code, nothing else. Run on the client's own display and prefix, started by the
# installed scripts as its ctest entries start them.
env="$prefix/lib/cmake/Pelmora/test-env.sh"
PELMORA_WINEPREFIX="$client/wineprefix" bash "$env" start "$client" > /dev/null
run() { # run <folder> <output file> [<program>.exe] <args...>: the installed runner, 60 s at most
  dir="$1"; out="$2"; shift 2
  program=./client.exe
  case "${1:-}" in *.exe) program="./$1"; shift ;; esac
  (cd "$dir" && PELMORA_BUILD_DIR="$client" WINEPREFIX="$client/wineprefix" WINEDEBUG=-all,err+module \
     timeout 60 bash "$prefix/lib/cmake/Pelmora/wine-run.sh" "$program" "$@" > "$out" 2>&1)
}
nodll="$work/no-graf"
mkdir -p "$nodll"
cp "$client/client.exe" "$client"/*.fx "$client/PelmoraParts.dll" "$client/PelmoraEffects.dll" "$nodll/"
run "$nodll" "$work/no-graf.txt" --shot "$nodll/shot.png"
rc=$?
cat "$work/no-graf.txt"
check "without PelmoraGraf.dll the client does not start (exit code $rc)" test $rc -ne 0 -a $rc -ne 124
check "... the loader's message names PelmoraGraf.dll" grep -q "PelmoraGraf.dll.*not found" "$work/no-graf.txt"
check "... and nothing is drawn" test ! -e "$nodll/shot.png"
run "$client" "$work/size.txt" --shot "$work/size.png" --size 40000x40000
rc=$?
cat "$work/size.txt"
check "a window size the device refuses ends the client with exit code 1 ($rc)" test $rc -eq 1
check "... with one line saying so" test "$(tr -d '\r' < "$work/size.txt")" = \
  "PelmoraApp: the render device refused the window size 40000 x 40000 (0x82000005 OXE_INVALIDPARAM: invalid argument or unexpected format)"
check "... and no shot" test ! -e "$work/size.png"

# Without CMake: the keyboard sample the SDK carries, built with the flags of pkg-config alone,
# runs with --shot and draws its square.
pc="$work/pkgconfig"
mkdir -p "$pc"
flags=$(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs pelmora 2> "$pc/pkg-config.txt")
check "pkg-config knows pelmora $(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --modversion pelmora 2>/dev/null)" \
  test -n "$flags"
x86_64-w64-mingw32-g++-posix -std=c++17 -mwindows -o "$pc/keyboard.exe" \
  "$prefix/share/doc/pelmora/samples/keyboard/KeyboardSample.cpp" $flags > "$pc/build.txt" 2>&1
rc=$?
cat "$pc/build.txt"
check "the keyboard sample builds with pkg-config's flags (exit code $rc)" test $rc -eq 0
cp "$prefix"/bin/*.dll "$pc/"
run "$pc" "$pc/run.txt" keyboard.exe --shot "$pc/keyboard.png" --frames 2
rc=$?
cat "$pc/run.txt"
check "... and runs with --shot (exit code $rc)" test $rc -eq 0
shot="$pc/keyboard.png"
px=""
[ -s "$shot" ] && px=$(rgb 320 240)
check "... its orange square in the middle (${px:-no shot})" near "${px:-0 0 0}" 255 128 0

PELMORA_WINEPREFIX="$client/wineprefix" bash "$env" stop "$client" > /dev/null
finish
