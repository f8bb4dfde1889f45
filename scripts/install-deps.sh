#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the window need, and only those missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config libzip-dev libexpat1-dev zlib1g-dev
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev libx11-xcb-dev libxcb1-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    clang libclang-rt-14-dev clang-format
    ripgrep python3 python3-olefile
    xvfb xauth fontconfig fonts-wqy-microhei fonts-noto-cjk
)

"$(dirname "$0")/ensure-packages.sh" "${packages[@]}"
