#!/usr/bin/env bash
# Installs the build into a temporary prefix, builds and runs a program of someone else's
# against the installed Tavisco (with find_package, then with pkg-config), moves the prefix
# elsewhere and starts the installed program there to do File > New, which must open its own
# "DXInit.dat", and to exit, which must write the settings into the XDG folders and nothing
# beside the program. Leaves nothing behind.
#   install-test.sh BUILD_DIR PLUGIN_DIR CMAKE GENERATOR CXX [CXX_FLAGS]
set -euo pipefail
build=$1 plugins=$2 cmake=$3 generator=$4 cxx=$5 cxxflags=${6:-}
here=$(cd "$(dirname "$0")" && pwd)

tmp=$(mktemp -d)
manifest=$build/install_manifest.txt
[ -e "$manifest" ] && cp -p "$manifest" "$tmp/manifest"
cleanup() {
    # cmake --install writes its list of files into the build folder; an earlier one comes back.
    if [ -e "$tmp/manifest" ]; then cp -p "$tmp/manifest" "$manifest"; else rm -f "$manifest"; fi
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
unset LD_LIBRARY_PATH PKG_CONFIG_PATH CMAKE_PREFIX_PATH

prefix=$tmp/prefix
"$cmake" --install "$build" --prefix "$prefix" >/dev/null
for f in bin/brevane share/brevane/DXInit.dat share/applications/brevane.desktop \
         lib/libtavisco.so lib/libtavisco.so.0 include/tavisco/inifile/INIFile.h \
         include/tavisco/inifile/tavisco_export.h lib/cmake/Tavisco/TaviscoConfig.cmake \
         lib/cmake/Tavisco/TaviscoConfigVersion.cmake lib/pkgconfig/tavisco.pc; do
    [ -e "$prefix/$f" ] || fail "$f is not installed"
done
[ -z "$(find "$prefix" -maxdepth 1 -type f)" ] || fail "files in the prefix's root: $(ls "$prefix")"
[ ! -e "$prefix/include/tavisco/inifile/detail" ] || fail "private headers installed"

# Someone else's program, found both ways.
for way in OFF ON; do
    out=$tmp/consumer-$way
    PKG_CONFIG_PATH=$prefix/lib/pkgconfig "$cmake" -S "$here/consumer" -B "$out" -G "$generator" \
        -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_CXX_FLAGS="$cxxflags" -DVIA_PKG_CONFIG=$way \
        -DCMAKE_PREFIX_PATH="$([ $way = OFF ] && echo "$prefix")" >"$out.log" 2>&1 ||
        { cat "$out.log"; fail "configuring the consumer (pkg-config $way)"; }
    "$cmake" --build "$out" >>"$out.log" 2>&1 || { cat "$out.log"; fail "building the consumer (pkg-config $way)"; }
    "$out/consumer" >/dev/null || fail "the consumer (pkg-config $way) did not read its INI text"
done

# The program, from a prefix moved away from where it was installed, with a home of its own.
mv "$prefix" "$tmp/moved"
prefix=$tmp/moved
loaded=$(ldd "$prefix/bin/brevane" | awk '$1 == "libtavisco.so.0" { print $3 }')
[ "$(readlink -f "$loaded")" = "$(readlink -f "$prefix/lib/libtavisco.so.0")" ] ||
    fail "the installed program loads ${loaded:-no libtavisco.so.0}, not the installed library"
mkdir -m 700 "$tmp/home" "$tmp/run"
(cd "$tmp" && env HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" \
    XDG_RUNTIME_DIR="$tmp/run" QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH="$plugins" \
    QT_QPA_GENERIC_PLUGINS=brevanefilenew timeout 120 "$prefix/bin/brevane" n) ||
    fail "File > New and exit in the installed program"
# bin/ is writable here, as ~/.local/bin is, yet the installed program keeps nothing there.
[ "$(ls -A "$prefix/bin")" = brevane ] || fail "bin/ holds more than brevane: $(ls -A "$prefix/bin" | tr '\n' ' ')"
[ -f "$tmp/config/Brevane/Brevane.ini" ] || fail "the settings were not written to XDG_CONFIG_HOME/Brevane"
[ -d "$tmp/data/Brevane" ] || fail "the data folder is not XDG_DATA_HOME/Brevane"
echo "install: program, library, CMake package and pkg-config file work from the prefix"
