#!/usr/bin/env bash
# kalvor-scan.exe end to end under Wine, in a prefix that scripts/cross-test.sh prepared: drive K:
# is the folder SCRATCH/drive-k. Usage: cross-test-scan.sh WINE BUILD_DIR SCRATCH
set -euo pipefail
wine=$1
build=$2
scratch=$3
data=tests/data
drive="$scratch/drive-k"
export LC_ALL=C.UTF-8

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

expect_equal() {
    local what=$1 seen=$2 wanted=$3
    if [ "$seen" != "$wanted" ]; then
        printf 'FAIL: %s\n--- seen\n%s\n--- wanted\n%s\n' "$what" "$seen" "$wanted" >&2
        # What the last scan said besides, so that a failure seen once can be understood.
        printf -- '--- last scan: exit status %s, standard error\n%s\n' "${status:-}" "${err:-}" >&2
        exit 1
    fi
    echo "ok: $what"
}

# Runs kalvor-scan with the given arguments; sets out, err (CR removed) and status.
scan() {
    status=0
    "$wine" "$build/cli/kalvor-scan.exe" "$@" >"$scratch/out" 2>"$scratch/err" || status=$?
    out=$(tr -d '\r' <"$scratch/out")
    err=$(tr -d '\r' <"$scratch/err")
}

# The tree, on drive K: so that the search starts at a drive root.
cp "$data/marked-mimi.doc" "$drive/a.doc"
mkdir "$drive/机密"
cp "$data/marked-juemi.doc" "$drive/机密/b.doc"
cp "$data/marked-mimi.doc" "$drive/held.doc"
cp "$data/marked-mimi.doc" "$drive/read-only.doc"
chmod a-w "$drive/read-only.doc"  # what Wine shows as the read-only attribute
cp "$data/unmarked.doc" "$drive/plain.doc"
touch -d '2009-06-30 09:45:02 UTC' "$drive/a.doc"
# K:\d\ and a folder of 245 units, then "\" and a name of 8 or 9 units: 259 and 260.
deep="d/$(printf 'x%.0s' $(seq 245))"
mkdir -p "$drive/$deep"
cp "$data/marked-mimi.doc" "$drive/$deep/259u.doc"
cp "$data/marked-mimi.doc" "$drive/$deep/260un.doc"
wdeep='K:\d\'"${deep#d/}"

# A Wine process holds held.doc open until its standard input ends.
mkfifo "$scratch/release"
"$wine" "$build/tests/kalvor_hold_file.exe" 'K:\held.doc' <"$scratch/release" >"$scratch/held" &
holder=$!
exec 3>"$scratch/release"
for _ in $(seq 300); do
    grep -q held "$scratch/held" 2>/dev/null && break
    sleep 0.1
done
grep -q held "$scratch/held" || fail "the document could not be held open"

scan --not-examined --jobs 1 'K:\'
exec 3>&-
wait "$holder"

expect_equal "exit status with marked documents" "$status" 0
rows=$(cut -f2 <<<"$out" | sort)
expect_equal "marked documents found, held, read-only and too long ones passed over" "$rows" \
    "$(printf '%s\n' 'K:\a.doc' "$wdeep"'\259u.doc' 'K:\机密\b.doc' | sort)"
expect_equal "rows numbered in walk order" "$(cut -f1 <<<"$out" | tr '\n' ' ')" "1 2 3 "
expect_equal "size and modification time of K:\\a.doc" \
    "$(grep -F 'K:\a.doc' <<<"$out" | cut -f3,5)" \
    "$(stat -c %s "$drive/a.doc")	2009-06-30 17:45:02"
grep -qE '^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}$' <<<"$(head -1 <<<"$out" | cut -f4)" ||
    fail "creation time cell: $(head -1 <<<"$out" | cut -f4)"
echo "ok: creation time cell"
expect_equal "documents passed over, with their reasons" \
    "$(grep '^not-examined' <<<"$err" | sort)" \
    "$(printf 'not-examined\t%s\n' 'locked	K:\held.doc' 'read-only	K:\read-only.doc' \
        "path-too-long	$wdeep\\260un.doc" | sort)"
expect_equal "summary" "$(grep -v '^not-examined' <<<"$err" | head -1)" "一共找到 3 个符合要求的文件！"

# Released, the held document is examined; the other rows keep their order with several workers.
walk_order=$(cut -f2 <<<"$out" | tr '\n' ' ')
scan --jobs 4 'K:\'
expect_equal "the held document, once released" "$(grep -cF 'K:\held.doc' <<<"$out")" 1
expect_equal "rows in walk order with several workers" \
    "$(cut -f2 <<<"$out" | grep -vxF 'K:\held.doc' | tr '\n' ' ')" "$walk_order"

scan 'K:\机密'
expect_equal "a folder named in Chinese, given and printed as UTF-8" "$(cut -f1,2 <<<"$out")" \
    "1	K:\机密\b.doc"

scan 'K:\missing'
expect_equal "exit status for a missing folder" "$status" 2
