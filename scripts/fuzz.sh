#!/usr/bin/env bash
# Fuzzes with libFuzzer for SECONDS seconds in all (default 90), one worker: half of them the
# compound-file reader and the marking detector, half the Word 2007+ package examiner. Builds the
# targets with clang into build-fuzz first. The document corpus starts from the real-world
# documents in ../shared/corpus/real-world (when present), every input in tests/fuzz-regressions
# and a few documents the test builder writes; the package corpus from a few packages the test
# writer builds. Both are temporary folders unless CORPUS is given, whose subfolders documents/ and
# packages/ are then kept and grown between runs. Exits non-zero on any crash, leak, timeout or
# running out of memory, and leaves the input in build-fuzz/findings.
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
cmake --build "$build" -j 2 --target kalvor-fuzz-document kalvor-fuzz-package kalvor-fuzz-seeds

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
corpus=${2:-$work/corpus}
documents="$corpus/documents"
packages="$corpus/packages"
mkdir -p "$documents" "$packages" "$findings"
"$build/fuzz/kalvor-fuzz-seeds" "$documents" "$packages"
cp "$root"/tests/fuzz-regressions/* "$documents"/ 2>/dev/null || true
real_world="$root/../shared/corpus/real-world"
if [ -d "$real_world" ]; then
    cp "$real_world"/* "$documents"/
    chmod u+w "$documents"/*
fi

before=$(find "$findings" -type f | wc -l)
status=0
# Runs one target for its share of the time; its whole log is build-fuzz/<target>.log.
fuzz() {
    local target=$1 share=$2 folder=$3
    local log="$build/$target.log"
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        "$build/fuzz/$target" -max_total_time="$share" -max_len=1048576 \
        -rss_limit_mb=2048 -malloc_limit_mb=1024 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$findings/$target-" "$folder" >"$log" 2>&1 || status=$?
    echo "== $target"
    tail -n 12 "$log"
}
fuzz kalvor-fuzz-document $((seconds - seconds / 2)) "$documents"
fuzz kalvor-fuzz-package $((seconds / 2)) "$packages"
after=$(find "$findings" -type f | wc -l)
if [ "$status" -ne 0 ] || [ "$after" -ne "$before" ]; then
    echo "fuzz: finding(s) in $findings, exit status $status; the logs are $build/*.log" >&2
    exit 1
fi
echo "fuzz: ${seconds} s without findings"
