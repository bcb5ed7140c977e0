#!/usr/bin/env bash
# Brevane set-up on Debian 12, run as root.
#   ./setup.sh run    install what is missing, build, start the program
#   ./setup.sh test   install what is missing, build and run every test (plain, plain again under
#                     a German locale, and sanitized), then build the fuzz targets and run each
#                     for a minute
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")"

packages=(cmake ninja-build g++ pkg-config qt6-base-dev librtmidi-dev libasound2-dev libjack-dev
          libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core fonts-liberation2)
[ "${1:-}" = test ] && packages+=(jackd1 clang-14 libclang-rt-14-dev locales)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y --no-install-recommends "${missing[@]}" ||
        { apt-get update && apt-get install -y --no-install-recommends "${missing[@]}"; }
}

# The tests run a second time under a German locale (a decimal comma), so numbers must be
# read and written the same whatever the user's locale is.
test_locale=de_DE.UTF-8
ensure_test_locale() {
    locale -a 2>/dev/null | grep -ix 'de_DE\.utf-\?8' >/dev/null && return 0
    sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen
}

jobs=$(nproc)
configure_and_build() {   # <build dir> <cmake options...>
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja "$@"
    cmake --build "$dir" -j "$jobs"
}

case "${1:-}" in
run)
    install_missing
    configure_and_build build/release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DBREVANE_BENCH=OFF
    shift
    exec build/release/bin/brevane "$@"
    ;;
test)
    install_missing
    ensure_test_locale
    export QT_QPA_PLATFORM=offscreen
    configure_and_build build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DBREVANE_BENCH=ON
    (cd build/test && ctest --no-tests=error --output-on-failure -j "$jobs")
    (cd build/test && LC_ALL=$test_locale ctest --no-tests=error --output-on-failure -j "$jobs")
    configure_and_build build/asan -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DBREVANE_BENCH=OFF \
        -DBREVANE_SANITIZE=ON
    (cd build/asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions="$PWD/../../tests/lsan.supp" \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --no-tests=error --output-on-failure -j "$jobs")
    # The whole tree with clang and libFuzzer, then a short run of every fuzz target.
    configure_and_build build/fuzz -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DBUILD_TESTING=OFF -DBREVANE_BENCH=OFF -DBREVANE_FUZZ=ON
    .ci/fuzz-smoke build/fuzz "${BREVANE_FUZZ_SECONDS:-60}" ../shared/testdata/real-banks
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
