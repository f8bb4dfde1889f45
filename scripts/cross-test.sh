#!/usr/bin/env bash
# Cross-builds the core, kalvor-scan and the core tests for 64-bit Windows with mingw-w64 and runs
# them under Wine (without Word 2007+ packages: Debian has no mingw builds of libzip and expat):
# the test suite, then kalvor-scan end to end on a tree that holds a document another process
# keeps open, a read-only one, paths of 259 and 260 units and a drive root.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/ensure-packages.sh mingw-w64 g++-mingw-w64-x86-64-posix wine64 googletest cmake ninja-build

wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)

build=build-mingw
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALVOR_WERROR=ON -DKALVOR_BUILD_UI=OFF \
    -DKALVOR_BUILD_BENCH=OFF -DKALVOR_WORD_PACKAGES=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

scratch=$(mktemp -d)
# wineserver -k only asks the server to end; it may still be writing into the prefix until -w
# sees it gone. A scratch folder left behind is no failed test.
cleanup() {
    WINEPREFIX="$scratch/prefix" wineserver -k 2>/dev/null || true
    WINEPREFIX="$scratch/prefix" wineserver -w 2>/dev/null || true
    chmod -R u+w "$scratch" 2>/dev/null || true
    rm -rf "$scratch" || echo "note: could not remove $scratch" >&2
}
trap cleanup EXIT

export WINEPREFIX="$scratch/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# UTC+8 in a syntax that Wine (from the host) and the Windows runtime (from the environment) read
# alike.
export TZ=CST-8
"$wine" wineboot --init >/dev/null 2>&1
# A drive letter for a scratch folder, as "subst" would make it: Wine's drives are links.
mkdir -p "$scratch/drive-k"
ln -s "$scratch/drive-k" "$WINEPREFIX/dosdevices/k:"

echo "== Core tests under Wine"
KALVOR_TEST_DRIVE=K "$wine" "$build/tests/kalvor_core_tests.exe" --gtest_brief=1

echo "== kalvor-scan under Wine"
scripts/cross-test-scan.sh "$wine" "$build" "$scratch"
