#!/usr/bin/env bash
# Builds the .deb (Release, no tests), installs it with apt-get the way a user would, runs
# kalvor-scan from PATH, checks what the package put in place, and removes the package again.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/ensure-packages.sh dpkg-dev desktop-file-utils man-db

build=build-package
rm -f "$build"/kalvor_*.deb
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKALVOR_WERROR=ON \
    -DKALVOR_BUILD_TESTS=OFF -DKALVOR_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/kalvor_*.deb)
echo "== $deb"
dpkg-deb --field "$deb" Package Version Depends
# Qt's Chinese texts and a Simplified Chinese font come with the window; libzip and expat, which
# are loaded only when a package is met, with the command.
# Outputs are taken whole before they are searched: a reader that stops at its first match would
# leave the writer a broken pipe, which pipefail counts as a failure.
depends=$(dpkg-deb --field "$deb" Depends)
for needed in qt6-translations-l10n fonts-wqy-microhei libzip libexpat; do
    grep -q "$needed" <<<"$depends" || { echo "FAIL: no dependency on $needed" >&2; exit 1; }
done

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
if [ "$(dpkg-query -W -f='${Status}' kalvor 2>/dev/null)" = 'install ok installed' ]; then
    echo "kalvor is installed already; not touching it" >&2
    exit 1
fi
trap '"${sudo_cmd[@]}" apt-get remove -y -qq kalvor >/dev/null' EXIT
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "./$deb" >/dev/null

for file in /usr/bin/kalvor /usr/bin/kalvor-scan /usr/share/applications/kalvor.desktop \
    /usr/share/icons/hicolor/48x48/apps/kalvor.png /usr/share/man/man1/kalvor-scan.1.gz; do
    [ -e "$file" ] || { echo "FAIL: the package did not install $file" >&2; exit 1; }
done
desktop-file-validate /usr/share/applications/kalvor.desktop
[ "$(command -v kalvor-scan)" = /usr/bin/kalvor-scan ]
help=$(kalvor-scan --help)
grep -q '^Usage: kalvor-scan' <<<"${help%%$'\n'*}"
version=$(dpkg-deb --field "$deb" Version)
[ "$(kalvor-scan --version)" = "kalvor-scan $version" ]
# The manual page renders without complaint and names the installed version.
page=$(MANWIDTH=80 man -l /usr/share/man/man1/kalvor-scan.1.gz 2>&1)
grep -q '^EXIT STATUS' <<<"$page"
grep -q "kalvor $version" <<<"$page"
if grep -qi 'warning' <<<"$page"; then
    echo "FAIL: man warns about the manual page: $page" >&2
    exit 1
fi
if command -v mandb >/dev/null; then
    [ "$(man -w kalvor-scan)" = /usr/share/man/man1/kalvor-scan.1.gz ]
fi
echo "ok: the package installs, kalvor-scan runs from PATH, and its manual page reads"
