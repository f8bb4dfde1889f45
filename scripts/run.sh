#!/usr/bin/env bash
# Sets everything up, builds, and starts the kalvor window. With `--scan FOLDER` it runs the
# command-line search kalvor-scan on FOLDER instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target kalvor kalvor-scan
if [ "${1:-}" = "--scan" ]; then
    shift
    exec "$root/build/cli/kalvor-scan" "$@"
fi
exec "$root/build/kalvor" "$@"
