#!/usr/bin/env bash
# Cross-builds the Windows plug-ins with Debian's mingw-w64, installing what is missing:
#   build-win64/sorvel64.dll (x86-64) and build-win32/sorvel.dll (i686, SSE2 arithmetic).
# With --test, also runs the host-level tests against sorvel64.dll under Wine (headless, in a Wine
# prefix of their own), takes a picture of its editor on a virtual display, and compares one
# scenario rendered by sorvel64.dll and by the Linux sorvel.so. This machine cannot run 32-bit programs, so sorvel.dll is built and inspected only.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

run_tests=false
if [ "${1:-}" = "--test" ]; then run_tests=true; fi

# The Linux build's own packages: the bank builder and the comparison run natively.
scripts/setup.sh

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive

packages=(
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  libz-mingw-w64-dev
  googletest
  wine64
  dpkg-dev
  xvfb xauth
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then missing+=("$p"); fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "build-windows: installing ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# libpng for Windows, cross-built from Debian's own source package into build-windeps/<target>:
# the version of this system's libpng-dev, or when its source cannot be fetched, the newest other
# version this Debian release ships.
deps="$root/build-windeps"
need_libpng=false
for triplet in x86_64-w64-mingw32 i686-w64-mingw32; do
  if [ ! -f "$deps/$triplet/libpng-version" ] || [ ! -e "$deps/$triplet/include/png.h" ]; then need_libpng=true; fi
done
if $need_libpng; then
  if ! apt-cache showsrc libpng1.6 2>/dev/null | grep -q "^Version:"; then
    echo "build-windows: adding Debian's source lines"
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      "${sudo_cmd[@]}" tee /etc/apt/sources.list.d/sorvel-deb-src.sources >/dev/null
    "${sudo_cmd[@]}" apt-get update -qq
  fi
  wanted=$(apt-cache policy libpng-dev | sed -n 's/^ *Candidate: *//p')
  versions=$( (echo "$wanted"; apt-cache showsrc libpng1.6 | sed -n 's/^Version: //p' | sort -r -V) | awk 'NF && !seen[$0]++')
  rm -rf "$deps/source"
  mkdir -p "$deps/source"
  libpng_version=""
  for version in $versions; do
    if (cd "$deps/source" && apt-get source -qq "libpng1.6=$version" >/dev/null 2>&1); then
      libpng_version=$version
      break
    fi
    echo "build-windows: the source of libpng $version could not be fetched"
  done
  [ -n "$libpng_version" ] || { echo "build-windows: no libpng source" >&2; exit 1; }
  source_dir=$(find "$deps/source" -mindepth 1 -maxdepth 1 -type d -name 'libpng1.6-*' | head -n 1)
  for triplet in x86_64-w64-mingw32 i686-w64-mingw32; do
    flags="-O2"
    if [ "$triplet" = i686-w64-mingw32 ]; then flags="-O2 -msse2 -mfpmath=sse -mstackrealign"; fi
    work="$deps/work-$triplet"
    rm -rf "$work" "$deps/$triplet"
    cp -a "$source_dir" "$work"
    (cd "$work" &&
      ./configure -q --host="$triplet" --prefix="$deps/$triplet" --disable-shared --enable-static \
        CC="$triplet-gcc-posix" CFLAGS="$flags" CPPFLAGS="-I/usr/$triplet/include" LDFLAGS="-L/usr/$triplet/lib" &&
      make -s -j "$(nproc)" libpng16.la >/dev/null &&
      make -s install-libLTLIBRARIES install-pkgincludeHEADERS install-nodist_pkgincludeHEADERS \
        install-header-links install-pkgconfigDATA >/dev/null)
    echo "$libpng_version" > "$deps/$triplet/libpng-version"
    rm -rf "$work"
  done
  rm -rf "$deps/source"
  echo "build-windows: libpng $libpng_version built for both targets"
fi

# The generators that run during the build (factory bank, wave tables) come from a native build.
cmake -S . -B build-win-tools -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DSORVEL_BENCH=OFF >/dev/null
cmake --build build-win-tools --target make_factory_bank make_wave_tables -j "$(nproc)"

build_target() {  # build folder, toolchain, target triplet, whether to build the tests
  cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="cmake/$2" \
    -DSORVEL_NATIVE_TOOLS="$root/build-win-tools" -DSORVEL_WINDOWS_PREFIX="$deps/$3" -DSORVEL_WINDOWS_TESTS="$4" >/dev/null
  cmake --build "$1" -j "$(nproc)"
}
build_target build-win64 mingw-x86_64.cmake x86_64-w64-mingw32 ON
# Its tests could not run here.
build_target build-win32 mingw-i686.cmake i686-w64-mingw32 OFF

# Each module: the right machine, the two exports and nothing else, system DLLs only.
inspect() {  # module, expected format (PE32 or PE32+)
  local dump
  dump=$(x86_64-w64-mingw32-objdump -p "$1")
  grep -qF "($2)" <<<"$dump" || { echo "build-windows: $1 is not $2" >&2; return 1; }
  local exports
  exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^\s*\[ *[0-9]*\] //p' | sort | xargs)
  [ "$exports" = "VSTPluginMain main" ] || { echo "build-windows: $1 exports: $exports" >&2; return 1; }
  local imports
  imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | tr 'A-Z' 'a-z' | sort | xargs)
  for dll in $imports; do
    case "$dll" in
      kernel32.dll | user32.dll | gdi32.dll | comdlg32.dll | shell32.dll | ole32.dll | wininet.dll | msvcrt.dll | \
        advapi32.dll | comctl32.dll | msimg32.dll) ;;
      *) echo "build-windows: $1 imports $dll" >&2; return 1 ;;
    esac
  done
  echo "$1: $2, exports $exports, imports $imports"
}
inspect build-win64/sorvel64.dll "PE32+"
inspect build-win32/sorvel.dll "PE32"

if ! $run_tests; then exit 0; fi

# Wine in a prefix of its own, without a display: nothing of the user's Wine is touched.
wine=/usr/lib/wine/wine64
prefix=$(mktemp -d)
linux_config=$(mktemp -d)
cleanup() {
  WINEPREFIX="$prefix" /usr/lib/wine/wineserver64 -k 2>/dev/null || true
  rm -rf "$prefix" "$linux_config"
}
trap cleanup EXIT
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
"$wine" wineboot -i >/dev/null 2>&1 || true

echo "Host tests against sorvel64.dll under Wine:"
(cd build-win64 && "$wine" ./sorvel_host_tests.exe --gtest_brief=1)
echo "Program and bank files and the factory bank resource under Wine:"
(cd build-win64 && "$wine" ./sorvel_windows_unit_tests.exe --gtest_brief=1)
config_file=$(find "$prefix/drive_c/users" -path '*/AppData/Local/TarnwickMusic/sorvel.ini' | head -n 1)
if [ -z "$config_file" ]; then
  echo "build-windows: no configuration file under Wine's local application data" >&2
  exit 1
fi
echo "Configuration file: ${config_file#"$prefix/"}"

# The editor opened by a Windows host program on a virtual display, and its picture. Wine's desktop
# from the headless runs must end first, or the window would be made on it.
/usr/lib/wine/wineserver64 -k 2>/dev/null || true
/usr/lib/wine/wineserver64 -w 2>/dev/null || true
xvfb-run -a -s "-screen 0 1280x720x24 -nolisten tcp" "$wine" build-win64/editor_screenshot.exe \
  build-win64/editor-under-wine.png
/usr/lib/wine/wineserver64 -k 2>/dev/null || true
/usr/lib/wine/wineserver64 -w 2>/dev/null || true

# The same scenario through the Linux sorvel.so and through sorvel64.dll.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target render_chords -j "$(nproc)"
XDG_CONFIG_HOME=$linux_config build/tests/render_chords build-win64/chords-linux.raw
(cd build-win64 && "$wine" ./render_chords.exe chords-windows.raw)
build/tests/render_chords --compare build-win64/chords-linux.raw build-win64/chords-windows.raw
