#!/usr/bin/env bash
# Sets everything up and runs every test: a format check, a warnings-as-errors build, then the
# same suite built with the address and undefined-behaviour sanitizers and with the thread
# sanitizer, then 90 seconds of fuzzing. `--quick` stops after the first build.
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
[ "${1:-}" = "--quick" ] && quick=1

scripts/install-deps.sh

export TZ=Asia/Shanghai
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

run_suite() {
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja -DKALVOR_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

echo "== Format"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

echo "== Tests (warnings as errors)"
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo

if [ "$quick" -eq 0 ]; then
    echo "== Tests (address + undefined sanitizers)"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DKALVOR_SANITIZE=address,undefined

    echo "== Tests (thread sanitizer)"
    TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/scripts/tsan.supp" \
        run_suite build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALVOR_SANITIZE=thread \
        -DKALVOR_BUILD_BENCH=OFF

    echo "== Fuzzing"
    scripts/fuzz.sh 90
fi
