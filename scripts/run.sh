#!/usr/bin/env bash
# Sets everything up, builds, and scans FOLDER (default: the current folder) with kalvor-scan.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target kalvor-scan
exec "$root/build/cli/kalvor-scan" "${@:-.}"
