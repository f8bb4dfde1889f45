#!/usr/bin/env bash
# Fuzzes the compound-file reader and the marking detector with libFuzzer for SECONDS seconds
# (default 90), one worker. Builds the target with clang into build-fuzz first. The working corpus
# starts from the real-world documents in ../shared/corpus/real-world (when present), every input
# in tests/fuzz-regressions and a few documents the test builder writes; it is a temporary folder
# unless CORPUS is given, which is then kept and grown between runs. Exits non-zero on any crash,
# leak, timeout or running out of memory, and leaves the input in build-fuzz/findings.
#
#   scripts/fuzz.sh [SECONDS] [CORPUS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-90}
build="$root/build-fuzz"
findings="$build/findings"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKALVOR_FUZZ=ON -DKALVOR_SANITIZE=address,undefined -DKALVOR_WERROR=ON \
    -DKALVOR_BUILD_UI=OFF -DKALVOR_BUILD_TESTS=OFF -DKALVOR_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j 2 --target kalvor-fuzz-document kalvor-fuzz-seeds

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
corpus=${2:-$work/corpus}
mkdir -p "$corpus" "$findings"
"$build/fuzz/kalvor-fuzz-seeds" "$corpus"
cp "$root"/tests/fuzz-regressions/* "$corpus"/ 2>/dev/null || true
real_world="$root/../shared/corpus/real-world"
if [ -d "$real_world" ]; then
    cp "$real_world"/* "$corpus"/
    chmod u+w "$corpus"/*
fi

before=$(find "$findings" -type f | wc -l)
log="$build/fuzz.log"
status=0
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$build/fuzz/kalvor-fuzz-document" -max_total_time="$seconds" -max_len=1048576 \
    -rss_limit_mb=2048 -malloc_limit_mb=1024 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" >"$log" 2>&1 || status=$?
tail -n 20 "$log"
after=$(find "$findings" -type f | wc -l)
if [ "$status" -ne 0 ] || [ "$after" -ne "$before" ]; then
    echo "fuzz: finding(s) in $findings, exit status $status; the whole log is $log" >&2
    exit 1
fi
echo "fuzz: ${seconds} s without findings"
